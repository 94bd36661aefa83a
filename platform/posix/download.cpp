// Downloads on POSIX systems, through libcurl.
#include <cstdio>
#include <mutex>
#include <string>
#include <unistd.h>

#include <curl/curl.h>

#include "velmora/platform.hpp"

namespace velmora::platform {
namespace {

#ifndef CURL_WRITEFUNC_ERROR
#define CURL_WRITEFUNC_ERROR 0xFFFFFFFF
#endif

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

struct Transfer {
    TransferObserver& observer;
    CURL* curl;
    std::FILE* file;
    unsigned long long maxBytes;
    unsigned long long received = 0;
    bool begun = false;
    bool aborted = false;
    bool failed = false; // too long, or the file refused the data
};

std::size_t Receive(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    curl_off_t announced = -1;
    curl_easy_getinfo(transfer.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    const unsigned long long total = announced > 0 ? static_cast<unsigned long long>(announced) : 0;
    if (total > transfer.maxBytes || transfer.received + bytes > transfer.maxBytes) {
        transfer.failed = true;
        return CURL_WRITEFUNC_ERROR;
    }
    if (!transfer.begun) {
        transfer.begun = true;
        if (transfer.observer.OnBeginData()) {
            transfer.aborted = true;
            return CURL_WRITEFUNC_ERROR;
        }
    }
    if (std::fwrite(data, 1, bytes, transfer.file) != bytes) {
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

// libcurl's global set-up is not safe to run on two threads at once; it runs once
// and stays for the life of the process.
bool CurlReady()
{
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ready;
}

TransferResult Failure(std::FILE* file, const std::string& path)
{
    if (file != nullptr)
        std::fclose(file);
    ::unlink(path.c_str());
    return TransferResult::Failed;
}

} // namespace

TransferResult DownloadToFile(const Unit* url, const Unit* targetPath, unsigned long long maxBytes,
                              TransferObserver& observer)
{
    const std::string address = Utf8Of(url);
    const std::string path = NativePath(Utf8Of(targetPath));
    if (address.empty() || path.empty() || !CurlReady())
        return TransferResult::Failed;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return TransferResult::Failed;
    CURL* curl = curl_easy_init();
    if (curl == nullptr)
        return Failure(file, path);

    Transfer transfer{observer, curl, file, maxBytes};
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    // An error page is no version list.
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes));
    // Signals belong to the host; a worker thread must not use them for time-outs.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // As the Windows transfer gives up on a silent server, so does this one: no
    // connection within 60 s, or less than one byte a second for 60 s.
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Receive);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_cleanup(curl);

    if (transfer.aborted) {
        std::fclose(file);
        return TransferResult::Aborted;
    }
    if (code != CURLE_OK || transfer.failed)
        return Failure(file, path);
    if (observer.OnEndData()) {
        std::fclose(file);
        return TransferResult::Aborted;
    }
    const bool written = std::fflush(file) == 0;
    if (std::fclose(file) != 0 || !written)
        return Failure(nullptr, path);
    return TransferResult::Done;
}

} // namespace velmora::platform
