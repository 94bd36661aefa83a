#include "ShellRecord.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "AddonLibrary.hpp"
#include "Utf8Paths.hpp"

namespace fs = std::filesystem;

namespace velmora::host {

namespace {

#if defined(_WIN32)
constexpr char PathSeparator = ';';
#else
constexpr char PathSeparator = ':';
#endif

} // namespace

ShellRecord::ShellRecord(std::string recordFile) : file(std::move(recordFile))
{
    if (Active())
        std::ofstream(PathFromUtf8(file), std::ios::binary | std::ios::trunc);
}

std::vector<std::string> ShellRecord::LinesAfter(std::size_t skip) const
{
    std::vector<std::string> lines;
    if (!Active())
        return lines;
    std::ifstream in(PathFromUtf8(file), std::ios::binary);
    std::string line;
    std::size_t index = 0;
    // A line without its line end is still being written: it waits for the next look.
    while (std::getline(in, line) && !in.eof()) {
        if (index++ < skip)
            continue;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool ShellRecord::Find(const std::string& text, std::vector<std::string>* others)
{
    std::vector<std::string> lines = LinesAfter(found);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == text) {
            found += i + 1;
            return true;
        }
    *others = std::move(lines);
    return false;
}

std::vector<std::string> ShellRecord::TakeNewForDisplay()
{
    std::vector<std::string> lines = LinesAfter(displayed);
    displayed += lines.size();
    return lines;
}

std::string ShellRecorderFolder()
{
    // The build places the recorder beside the program, so that a built host works
    // wherever its folder is moved.
    return (fs::path(ProgramFolder()) / "shell-recorder").string();
}

bool UseShellRecorder(const std::string& file)
{
    const fs::path folder = PathFromUtf8(ShellRecorderFolder());
    std::error_code ec;
    if (!fs::is_regular_file(folder / "xdg-open", ec))
        return false;
    const fs::path record = fs::absolute(PathFromUtf8(file), ec);
#if defined(_WIN32)
    // The environment in wide characters: the ANSI code page could not name every folder.
    const wchar_t* path = _wgetenv(L"PATH");
    std::wstring newPath = folder.wstring();
    if (path != nullptr && *path != 0)
        newPath += wchar_t(PathSeparator) + std::wstring(path);
    _wputenv_s(L"VELMORA_SHELL_RECORD", record.wstring().c_str());
    _wputenv_s(L"PATH", newPath.c_str());
#else
    const char* path = std::getenv("PATH");
    std::string newPath = folder.string();
    if (path != nullptr && *path != 0)
        newPath += PathSeparator + std::string(path);
    setenv("VELMORA_SHELL_RECORD", record.c_str(), 1);
    setenv("PATH", newPath.c_str(), 1);
#endif
    return true;
}

} // namespace velmora::host
