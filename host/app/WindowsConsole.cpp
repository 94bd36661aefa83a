#include "WindowsConsole.hpp"

#if defined(_WIN32)
#include <windows.h>

#include <streambuf>
#include <string>
#endif

namespace velmora::host {

#if defined(_WIN32)

namespace {

std::wstring Wide(const char* text, int bytes)
{
    const int units = MultiByteToWideChar(CP_UTF8, 0, text, bytes, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_UTF8, 0, text, bytes, wide.data(), units);
    return wide;
}

// UTF-8 in, UTF-16 to the console; a character cut at the end of the buffer waits
// for its other bytes.
class OutputBuffer : public std::streambuf {
public:
    explicit OutputBuffer(HANDLE console) : handle(console) {}

protected:
    int_type overflow(int_type c) override
    {
        if (c != traits_type::eof())
            pending += static_cast<char>(c);
        return c == traits_type::eof() ? traits_type::not_eof(c) : c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        pending.append(text, static_cast<std::size_t>(count));
        return count;
    }
    int sync() override
    {
        std::size_t whole = pending.size();
        // Back to the start of a character that is not complete yet.
        std::size_t start = whole;
        while (start > 0 && (static_cast<unsigned char>(pending[start - 1]) & 0xC0) == 0x80)
            --start;
        if (start > 0) {
            const unsigned char lead = static_cast<unsigned char>(pending[start - 1]);
            const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            if (whole - (start - 1) < length)
                whole = start - 1;
        }
        const std::wstring wide = Wide(pending.data(), static_cast<int>(whole));
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        pending.erase(0, whole);
        return 0;
    }

private:
    HANDLE handle;
    std::string pending;
};

// Typed lines as UTF-8.
class InputBuffer : public std::streambuf {
public:
    explicit InputBuffer(HANDLE console) : handle(console) {}

protected:
    int_type underflow() override
    {
        if (gptr() < egptr())
            return traits_type::to_int_type(*gptr());
        wchar_t typed[512];
        DWORD count = 0;
        if (!ReadConsoleW(handle, typed, 512, &count, nullptr) || count == 0)
            return traits_type::eof();
        const int bytes =
            WideCharToMultiByte(CP_UTF8, 0, typed, static_cast<int>(count), nullptr, 0, nullptr, nullptr);
        line.assign(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
        if (bytes > 0)
            WideCharToMultiByte(CP_UTF8, 0, typed, static_cast<int>(count), line.data(), bytes, nullptr,
                                nullptr);
        // Ctrl+Z at the start of a line ends the input, as it does for the C runtime.
        if (line.empty() || line[0] == '\x1a')
            return traits_type::eof();
        setg(line.data(), line.data(), line.data() + line.size());
        return traits_type::to_int_type(*gptr());
    }

private:
    HANDLE handle;
    std::string line;
};

template <typename Stream, typename Buffer> class Owning : public Stream {
public:
    explicit Owning(HANDLE console) : Stream(nullptr), buffer(console) { this->rdbuf(&buffer); }

private:
    Buffer buffer;
};

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

} // namespace

std::unique_ptr<std::ostream> ConsoleOutput()
{
    HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!IsConsole(handle))
        return nullptr;
    return std::make_unique<Owning<std::ostream, OutputBuffer>>(handle);
}

std::unique_ptr<std::istream> ConsoleInput()
{
    HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    if (!IsConsole(handle))
        return nullptr;
    return std::make_unique<Owning<std::istream, InputBuffer>>(handle);
}

#else

std::unique_ptr<std::ostream> ConsoleOutput()
{
    return nullptr;
}

std::unique_ptr<std::istream> ConsoleInput()
{
    return nullptr;
}

#endif

} // namespace velmora::host
