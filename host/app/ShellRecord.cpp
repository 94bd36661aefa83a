#include "ShellRecord.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "AddonLibrary.hpp"

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
        std::ofstream(file, std::ios::binary | std::ios::trunc);
}

std::vector<std::string> ShellRecord::LinesAfter(std::size_t skip) const
{
    std::vector<std::string> lines;
    if (!Active())
        return lines;
    std::ifstream in(file, std::ios::binary);
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
    const fs::path folder(ShellRecorderFolder());
    std::error_code ec;
    if (!fs::is_regular_file(folder / "xdg-open", ec))
        return false;
    const std::string record = fs::absolute(file, ec).string();
    const char* path = std::getenv("PATH");
    std::string newPath = folder.string();
    if (path != nullptr && *path != 0)
        newPath += PathSeparator + std::string(path);
#if defined(_WIN32)
    _putenv_s("VELMORA_SHELL_RECORD", record.c_str());
    _putenv_s("PATH", newPath.c_str());
#else
    setenv("VELMORA_SHELL_RECORD", record.c_str(), 1);
    setenv("PATH", newPath.c_str(), 1);
#endif
    return true;
}

} // namespace velmora::host
