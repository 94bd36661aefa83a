#include "E2eSupport.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "velmora/PathForm.hpp"

#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace velmora::e2e {

#if defined(_WIN32)

namespace {

// One argument quoted as the C runtime's command-line parser reads it back.
std::wstring QuoteArgument(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos)
        return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
        } else {
            out.append(backslashes, L'\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

} // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& outputFile, double seconds)
{
    ProgramRun run;
    std::wstring commandLine = QuoteArgument(fs::path(program).wstring());
    for (const std::string& arg : arguments)
        // The tests' texts are UTF-8 (the host's text form), whatever the ANSI code page.
        commandLine += L" " + QuoteArgument(fs::path(std::u8string(arg.begin(), arg.end())).wstring());

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    // A program run just before may hold the file for a moment after its end: Wine
    // tears a process down after its handle is signalled (longer while sockets of
    // an ended transfer close).
    HANDLE output = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 50 && output == INVALID_HANDLE_VALUE; ++attempt) {
        output = CreateFileW(fs::path(outputFile).wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (output == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION)
            break;
        if (output == INVALID_HANDLE_VALUE)
            Sleep(100);
    }
    HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE)
        return run;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process{};
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    if (CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
        if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(seconds * 1000)) == WAIT_TIMEOUT) {
            TerminateProcess(process.hProcess, 255);
            WaitForSingleObject(process.hProcess, 10000);
            run.timedOut = true;
            ADD_FAILURE() << program << " still ran after " << seconds << " seconds and was killed";
        }
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(output);
    if (input != INVALID_HANDLE_VALUE)
        CloseHandle(input);
    // Standard output in text mode ends lines with CR LF.
    std::string bytes = velmora::test::ReadFileBytes(outputFile);
    for (char c : bytes)
        if (c != '\r')
            run.output += c;
    return run;
}

#else

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& outputFile, double seconds)
{
    ProgramRun run;
    std::vector<char*> argv;
    std::vector<std::string> all{program};
    all.insert(all.end(), arguments.begin(), arguments.end());
    for (std::string& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t child = fork();
    if (child < 0)
        return run;
    if (child == 0) {
        int output = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int input = open("/dev/null", O_RDONLY);
        if (output < 0 || input < 0)
            _exit(127);
        dup2(input, 0);
        dup2(output, 1);
        dup2(output, 2);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    pid_t ended = 0;
    for (;;) {
        ended = waitpid(child, &status, WNOHANG);
        if (ended < 0 && errno == EINTR)
            continue;
        if (ended != 0 || std::chrono::steady_clock::now() >= limit)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0); // a killed child ends at once
        run.timedOut = true;
        ADD_FAILURE() << program << " still ran after " << seconds << " seconds and was killed";
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.output = velmora::test::ReadFileBytes(outputFile);
    return run;
}

#endif

std::string HostProgram()
{
#if defined(_WIN32)
    return (fs::path(velmora::test::BinDir()) / "velmora-host.exe").string();
#else
    return (fs::path(velmora::test::BinDir()) / "velmora-host").string();
#endif
}

std::string WindowsForm(const std::string& nativePath)
{
#if defined(_WIN32)
    return nativePath;
#else
    return velmora::pathform::ToWindows(nativePath);
#endif
}

std::string ScriptText(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::size_t CountOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

std::string PercentEncoded(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '.' || c == '_' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

ProgramRun HostTest::Host(const std::string& script, const std::vector<std::string>& arguments)
{
    test::WriteFileBytes(work.File("script.vhs"), script);
    std::vector<std::string> all{"--user-folder",
                                 otherUserFolder.empty() ? userFolder.Native() : otherUserFolder, "--script",
                                 work.File("script.vhs")};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProgram(HostProgram(), all, work.File("output.txt"));
}

void HostTest::WriteConfig(const std::string& records)
{
    test::WriteFileBytes(userFolder.File("VelmoraLibrary_190.cfg"), test::NibbleSwapped(records));
}

std::string HostTest::Config() const
{
    return test::NibbleSwapped(test::ReadFileBytes(userFolder.File("VelmoraLibrary_190.cfg")));
}

void HostTest::ChooseLanguage(const std::string& code)
{
    WriteConfig("$AutoUpdate: 0\r\n$Language_str: " + code + "\r\n");
}

} // namespace velmora::e2e
