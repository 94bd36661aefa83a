#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "IO.hpp"
#include "velmora/PathForm.hpp"

namespace fs = std::filesystem;

namespace velmora::test {

TempFolder::TempFolder()
{
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path p = fs::temp_directory_path() / ("velmora-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            native = p.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    fs::permissions(native, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(native, ec);
}

std::string TempFolder::Windows() const
{
#if defined(_WIN32)
    return native;
#else
    return velmora::pathform::ToWindows(native);
#endif
}

std::string TempFolder::File(const std::string& name) const
{
    return (fs::path(native) / name).string();
}

std::string TempFolder::WindowsFile(const std::string& name) const
{
    return Windows() + "\\" + name;
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string SourceDir()
{
    const std::string folder = Environment("VELMORA_SOURCE_DIR");
    if (folder.empty())
        ADD_FAILURE() << "VELMORA_SOURCE_DIR does not name the source tree (CTest sets it)";
    return folder;
}

std::string ReadFileBytes(const std::string& nativePath)
{
    std::ifstream in(nativePath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileBytes(const std::string& nativePath, const std::string& bytes)
{
    std::ofstream out(nativePath, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& nativePath)
{
    std::error_code ec;
    return fs::exists(nativePath, ec);
}

std::string BinDir()
{
#if defined(_WIN32)
    wchar_t buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return fs::path(std::wstring(buffer, n)).parent_path().string();
#else
    return fs::read_symlink("/proc/self/exe").parent_path().string();
#endif
}

std::string AddonFile()
{
    return (fs::path(BinDir()) / VELMORA_ADDON_FILE_NAME).string();
}

std::string NibbleSwapped(std::string bytes)
{
    for (char& c : bytes) {
        auto b = static_cast<unsigned char>(c);
        c = static_cast<char>(static_cast<unsigned char>((b << 4) | (b >> 4)));
    }
    return bytes;
}

namespace {
const char moduleAnchor = 0;
}

void* TestProgramModule()
{
#if defined(_WIN32)
    return GetModuleHandleW(nullptr);
#else
    return const_cast<char*>(&moduleAnchor);
#endif
}

std::string Utf8(const GS::UniString& text)
{
    char* bytes = text.ToUtf8();
    std::string out = bytes ? bytes : "";
    GS::DeleteArrayOperator(bytes);
    return out;
}

std::u16string U16(const GS::UniString& text)
{
    return std::u16string(text.ToUStr(), text.GetLength());
}

} // namespace velmora::test
