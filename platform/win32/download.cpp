// Downloads on Windows: the URL moniker service's URLDownloadToFileA, with the
// address's Internet cache entry removed first so that the list is always fresh.
#include <windows.h>

#include <urlmon.h>
#include <wininet.h>

#include <string>

#include "WinDownloadFileCallbackImpl.hpp"
#include "velmora/platform.hpp"

namespace velmora::platform {
namespace {

std::string AnsiOf(const Unit* text)
{
    const int size = WideToMultiByte(0, text, -1, nullptr, 0);
    if (size <= 0)
        return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    if (WideToMultiByte(0, text, -1, out.data(), size) != size)
        return {};
    out.resize(static_cast<std::size_t>(size) - 1);
    return out;
}

TransferResult Failure(const std::string& path)
{
    ::DeleteFileA(path.c_str());
    return TransferResult::Failed;
}

} // namespace

TransferResult DownloadToFile(const Unit* url, const Unit* targetPath, unsigned long long maxBytes,
                              TransferObserver& observer)
{
    const std::string address = AnsiOf(url);
    const std::string path = AnsiOf(targetPath);
    if (address.empty() || path.empty())
        return TransferResult::Failed;
    WinDownloadFileCallbackImpl callback(observer, maxBytes);
    ::DeleteUrlCacheEntryA(address.c_str());
    const HRESULT result = ::URLDownloadToFileA(nullptr, address.c_str(), path.c_str(), 0, &callback);
    if (callback.Failed())
        return Failure(path);
    if (callback.AbortAsked() || result == E_ABORT)
        return TransferResult::Aborted;
    if (result != S_OK && result != MK_S_ASYNCHRONOUS)
        return Failure(path);
    // urlmon reports success for a connection that closed early; the file tells.
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes))
        return Failure(path);
    const unsigned long long size =
        (static_cast<unsigned long long>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
    if (size > maxBytes || (callback.Announced() != 0 && size != callback.Announced()))
        return Failure(path);
    return TransferResult::Done;
}

} // namespace velmora::platform
