// Downloads on POSIX systems, through libcurl. The library (and the thirty-odd
// libraries of TLS, Kerberos, LDAP and SSH that it pulls in) is loaded by the first
// transfer, on its worker: a host loads many add-ons at start, and the add-on needs
// the network at most once every 14 days. curl's header gives only the types and
// constants; every function is looked up in the loaded library.
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <curl/curl.h>

#include "velmora/Platform.hpp"

namespace velmora::platform {
namespace {

#ifndef CURL_WRITEFUNC_ERROR
#define CURL_WRITEFUNC_ERROR 0xFFFFFFFF
#endif

// The run-time library of every distribution that ships libcurl's version 4 ABI.
const char* const CurlLibrary = "libcurl.so.4";
// How often a transfer that waits for its server asks its observer whether to end.
constexpr int PollMilliseconds = 100;

// The functions of libcurl a transfer uses, resolved once per loading of the add-on.
struct CurlApi {
    decltype(&curl_global_init) globalInit = nullptr;
    decltype(&curl_easy_init) easyInit = nullptr;
    decltype(&curl_easy_setopt) easySetopt = nullptr;
    decltype(&curl_easy_getinfo) easyGetinfo = nullptr;
    decltype(&curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&curl_multi_init) multiInit = nullptr;
    decltype(&curl_multi_add_handle) multiAdd = nullptr;
    decltype(&curl_multi_remove_handle) multiRemove = nullptr;
    decltype(&curl_multi_perform) multiPerform = nullptr;
    decltype(&curl_multi_poll) multiPoll = nullptr;
    decltype(&curl_multi_info_read) multiInfoRead = nullptr;
    decltype(&curl_multi_cleanup) multiCleanup = nullptr;
};

template <typename F> bool Resolve(void* library, const char* name, F* function)
{
    *function = reinterpret_cast<F>(::dlsym(library, name));
    return *function != nullptr;
}

// Loads libcurl and runs its global set-up, once; null when the library or one of
// its functions is missing (the transfer then fails). The library stays loaded for
// the life of the process: its global set-up must not run twice at once, and its
// clean-up is not safe while any other part of the process uses it.
const CurlApi* Curl()
{
    static std::once_flag once;
    static CurlApi api;
    static bool ready = false;
    std::call_once(once, [] {
        void* library = ::dlopen(CurlLibrary, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr)
            return;
        CurlApi found;
        const bool complete = Resolve(library, "curl_global_init", &found.globalInit) &&
                              Resolve(library, "curl_easy_init", &found.easyInit) &&
                              Resolve(library, "curl_easy_setopt", &found.easySetopt) &&
                              Resolve(library, "curl_easy_getinfo", &found.easyGetinfo) &&
                              Resolve(library, "curl_easy_cleanup", &found.easyCleanup) &&
                              Resolve(library, "curl_multi_init", &found.multiInit) &&
                              Resolve(library, "curl_multi_add_handle", &found.multiAdd) &&
                              Resolve(library, "curl_multi_remove_handle", &found.multiRemove) &&
                              Resolve(library, "curl_multi_perform", &found.multiPerform) &&
                              Resolve(library, "curl_multi_poll", &found.multiPoll) &&
                              Resolve(library, "curl_multi_info_read", &found.multiInfoRead) &&
                              Resolve(library, "curl_multi_cleanup", &found.multiCleanup);
        if (!complete || found.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            ::dlclose(library);
            return;
        }
        api = found;
        ready = true;
    });
    return ready ? &api : nullptr;
}

std::string Utf8Of(const Unit* text)
{
    const int size = WideToMultiByte(65001, text, -1, nullptr, 0);
    if (size <= 0)
        return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    if (WideToMultiByte(65001, text, -1, out.data(), size) != size)
        return {};
    out.resize(static_cast<std::size_t>(size) - 1);
    return out;
}

// The host's Windows form on this system: drive Z: is the root, as under Wine;
// other paths only exchange their separators.
std::string NativePath(const std::string& windowsPath)
{
    std::string path = windowsPath;
    if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':')
        path.erase(0, 2);
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    return path;
}

bool StartsWithHttps(const std::string& address)
{
    static const char https[] = "https:";
    if (address.size() < sizeof https - 1)
        return false;
    for (std::size_t i = 0; i + 1 < sizeof https; ++i) {
        const char c = address[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != https[i])
            return false;
    }
    return true;
}

// A peer that resets the connection while TLS shuts down makes a write raise
// SIGPIPE, whose default action ends the whole host. The transfer's thread keeps
// it blocked while it runs, and takes back a SIGPIPE raised meanwhile.
class SigpipeBlocked {
public:
    SigpipeBlocked()
    {
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        wasPending = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
        restore = pthread_sigmask(SIG_BLOCK, &pipe, &previous) == 0;
    }
    ~SigpipeBlocked()
    {
        if (!restore)
            return;
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        if (!wasPending && sigismember(&previous, SIGPIPE) == 0) {
            const timespec none{0, 0};
            while (sigtimedwait(&pipe, nullptr, &none) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }
    SigpipeBlocked(const SigpipeBlocked&) = delete;
    SigpipeBlocked& operator=(const SigpipeBlocked&) = delete;

private:
    sigset_t previous{};
    bool restore = false;
    bool wasPending = false;
};

// The target file, created by this transfer alone: nothing that existed at its
// path (a file of another host's check, a symbolic link) is opened, followed or
// replaced. Unless kept, it is removed when the transfer ends.
class TargetFile {
public:
    explicit TargetFile(std::string filePath) : path(std::move(filePath))
    {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    }
    ~TargetFile()
    {
        if (fd >= 0)
            ::close(fd);
        if (created() && !kept)
            ::unlink(path.c_str());
    }
    TargetFile(const TargetFile&) = delete;
    TargetFile& operator=(const TargetFile&) = delete;

    bool created() const { return fd >= 0 || closed; }

    bool Write(const char* data, std::size_t size)
    {
        while (size > 0) {
            const ssize_t written = ::write(fd, data, size);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            data += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }
    // The data is the file's: true when it is all on its way to the disk.
    bool Keep()
    {
        const int result = ::close(fd);
        fd = -1;
        closed = true;
        kept = result == 0;
        return kept;
    }

private:
    std::string path;
    int fd = -1;
    bool closed = false;
    bool kept = false;
};

struct Transfer {
    const CurlApi& api;
    TransferObserver& observer;
    CURL* curl;
    TargetFile& file;
    unsigned long long maxBytes;
    unsigned long long received = 0;
    bool begun = false;
    bool aborted = false;
    bool failed = false; // too long, or the file refused the data
};

bool StopAsked(TransferObserver& observer)
{
    return StopRequested() || observer.AbortRequested();
}

std::size_t Receive(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    curl_off_t announced = -1;
    if (transfer.api.easyGetinfo(transfer.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) != CURLE_OK)
        announced = -1;
    const unsigned long long total = announced > 0 ? static_cast<unsigned long long>(announced) : 0;
    if (total > transfer.maxBytes || transfer.received + bytes > transfer.maxBytes) {
        transfer.failed = true;
        return CURL_WRITEFUNC_ERROR;
    }
    if (StopAsked(transfer.observer)) {
        transfer.aborted = true;
        return CURL_WRITEFUNC_ERROR;
    }
    if (!transfer.begun) {
        transfer.begun = true;
        if (transfer.observer.OnBeginData()) {
            transfer.aborted = true;
            return CURL_WRITEFUNC_ERROR;
        }
    }
    if (!transfer.file.Write(data, bytes)) {
        transfer.failed = true;
        return CURL_WRITEFUNC_ERROR;
    }
    transfer.received += bytes;
    if (transfer.observer.OnData(transfer.received, total)) {
        transfer.aborted = true;
        return CURL_WRITEFUNC_ERROR;
    }
    return bytes;
}

// Also called while the server sends nothing, between the waits of the transfer's
// own loop.
int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto& transfer = *static_cast<Transfer*>(user);
    if (!StopAsked(transfer.observer))
        return 0;
    transfer.aborted = true;
    return 1;
}

// Every option is required: a libcurl that lacks one (an older run-time library
// than the headers) would otherwise run the transfer wider than asked, for instance
// with every protocol it knows.
class Options {
public:
    Options(const CurlApi& curlApi, CURL* handle) : api(curlApi), curl(handle) {}
    template <typename T> Options& Set(CURLoption option, T value)
    {
        if (ok)
            ok = api.easySetopt(curl, option, value) == CURLE_OK;
        return *this;
    }
    bool All() const { return ok; }

private:
    const CurlApi& api;
    CURL* curl;
    bool ok = true;
};

// Runs the transfer, asking the observer between waits of at most PollMilliseconds
// whether it is to end. The transfer's own result, or an error of the multi loop.
CURLcode Run(const CurlApi& api, CURL* curl, Transfer& transfer)
{
    CURLM* multi = api.multiInit();
    if (multi == nullptr)
        return CURLE_OUT_OF_MEMORY;
    CURLcode result = CURLE_FAILED_INIT;
    if (api.multiAdd(multi, curl) != CURLM_OK) {
        api.multiCleanup(multi);
        return result;
    }
    for (;;) {
        int running = 0;
        if (api.multiPerform(multi, &running) != CURLM_OK)
            break;
        if (running == 0) {
            int left = 0;
            while (CURLMsg* message = api.multiInfoRead(multi, &left)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == curl)
                    result = message->data.result;
            }
            break;
        }
        if (transfer.aborted || StopAsked(transfer.observer)) {
            transfer.aborted = true;
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (api.multiPoll(multi, nullptr, 0, PollMilliseconds, nullptr) != CURLM_OK)
            break;
    }
    api.multiRemove(multi, curl);
    api.multiCleanup(multi);
    return result;
}

TransferResult Download(const Unit* url, const Unit* targetPath, unsigned long long maxBytes,
                        TransferObserver& observer)
{
    const SigpipeBlocked sigpipe;
    const std::string address = Utf8Of(url);
    const std::string path = NativePath(Utf8Of(targetPath));
    if (address.empty() || path.empty())
        return TransferResult::Failed;
    const CurlApi* api = Curl();
    if (api == nullptr)
        return TransferResult::Failed;
    TargetFile file(path);
    if (!file.created())
        return TransferResult::Failed;
    CURL* curl = api->easyInit();
    if (curl == nullptr)
        return TransferResult::Failed;

    Transfer transfer{*api, observer, curl, file, maxBytes};
    // From https only to https: a redirect must not take the list off TLS.
    const char* const redirects = StartsWithHttps(address) ? "https" : "http,https";
    Options options(*api, curl);
    options.Set(CURLOPT_URL, address.c_str())
        .Set(CURLOPT_PROTOCOLS_STR, "http,https")
        .Set(CURLOPT_REDIR_PROTOCOLS_STR, redirects)
        .Set(CURLOPT_FOLLOWLOCATION, 1L)
        .Set(CURLOPT_MAXREDIRS, 10L)
        // An error page is no version list, and neither is a reply without a status.
        .Set(CURLOPT_FAILONERROR, 1L)
        .Set(CURLOPT_HTTP09_ALLOWED, 0L)
        .Set(CURLOPT_SSL_VERIFYPEER, 1L)
        .Set(CURLOPT_SSL_VERIFYHOST, 2L)
        .Set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes))
        // Signals belong to the host; a worker thread must not use them for time-outs.
        .Set(CURLOPT_NOSIGNAL, 1L)
        // As the Windows transfer gives up on a silent server, so does this one: no
        // connection within 60 s, or less than one byte a second for 60 s.
        .Set(CURLOPT_CONNECTTIMEOUT, 60L)
        .Set(CURLOPT_LOW_SPEED_LIMIT, 1L)
        .Set(CURLOPT_LOW_SPEED_TIME, 60L)
        .Set(CURLOPT_WRITEFUNCTION, Receive)
        .Set(CURLOPT_WRITEDATA, &transfer)
        .Set(CURLOPT_XFERINFOFUNCTION, Progress)
        .Set(CURLOPT_XFERINFODATA, &transfer)
        .Set(CURLOPT_NOPROGRESS, 0L);
    // A file of authorities named for OpenSSL (a company's own authority behind its
    // proxy) is trusted as OpenSSL's own programs trust it; else the system's.
    const char* const authorities = std::getenv("SSL_CERT_FILE");
    if (authorities != nullptr && *authorities != 0)
        options.Set(CURLOPT_CAINFO, authorities);
    if (!options.All()) {
        api->easyCleanup(curl);
        return TransferResult::Failed;
    }
    const CURLcode code = Run(*api, curl, transfer);
    long status = 0;
    if (api->easyGetinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK)
        status = 0;
    api->easyCleanup(curl);

    if (transfer.aborted)
        return TransferResult::Aborted;
    // A redirect that was not followed ends with its 3xx and an empty body.
    if (code != CURLE_OK || transfer.failed || status < 200 || status > 299)
        return TransferResult::Failed;
    if (observer.OnEndData())
        return TransferResult::Aborted;
    return file.Keep() ? TransferResult::Done : TransferResult::Failed;
}

} // namespace

TransferResult DownloadToFile(const Unit* url, const Unit* targetPath, unsigned long long maxBytes,
                              TransferObserver& observer)
{
    // Out of memory for a text (or an observer that throws) is a failed transfer;
    // the target file has already been removed by then.
    try {
        return Download(url, targetPath, maxBytes, observer);
    } catch (...) {
        return TransferResult::Failed;
    }
}

} // namespace velmora::platform
