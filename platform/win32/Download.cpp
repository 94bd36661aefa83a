// Downloads on Windows: an asynchronous urlmon binding whose notifications the
// downloading thread dispatches itself, so that it can look at the caller's abort
// between them and end a binding that brings none. The body is written by the
// status callback object into a file created here, exclusively.
//
// urlmon and wininet are loaded on the first transfer, not with the add-on: a host
// loads its add-ons at start, and the check runs at most once in 14 days.
#include <cstdio>
#include <cstdlib>
#include <windows.h>

#include <urlmon.h>
#include <wininet.h>

#include "WinDownloadFileCallbackImpl.hpp"
#include "velmora/Platform.hpp"

namespace velmora::platform {
namespace {

// After the binding was asked to end, how long its stop is waited for.
constexpr ULONGLONG EndWait = 5000;
// After the binding, how long urlmon is given to let go of the callback object.
constexpr ULONGLONG ReleaseWait = 1000;
// The longest wait for a notification; the caller's abort is asked between two.
constexpr DWORD PollInterval = 100;

struct Api {
    decltype(&::CreateURLMoniker) createMoniker = nullptr;
    decltype(&::CreateAsyncBindCtx) createBindContext = nullptr;
    decltype(&::DeleteUrlCacheEntryW) deleteCacheEntry = nullptr;
    decltype(&::CoInitializeEx) initializeCom = nullptr;
    decltype(&::CoUninitialize) uninitializeCom = nullptr;
};

HMODULE LoadSystemLibrary(const wchar_t* name)
{
    HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Systems without the safe search flag refuse it; they look in the system
    // folder first for these known libraries anyway.
    if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER)
        module = ::LoadLibraryW(name);
    return module;
}

template <typename Function> bool Find(HMODULE module, const char* name, Function* out)
{
    if (module == nullptr)
        return false;
    *out = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return *out != nullptr;
}

// The libraries stay loaded for the life of the process: urlmon and wininet keep
// threads and caches of their own that a later unload would pull from under them.
const Api* LoadApi()
{
    static const Api api = [] {
        Api found;
        const HMODULE urlmon = LoadSystemLibrary(L"urlmon.dll");
        const HMODULE wininet = LoadSystemLibrary(L"wininet.dll");
        const HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
        if (!Find(urlmon, "CreateURLMoniker", &found.createMoniker) ||
            !Find(urlmon, "CreateAsyncBindCtx", &found.createBindContext) ||
            !Find(wininet, "DeleteUrlCacheEntryW", &found.deleteCacheEntry) ||
            !Find(ole32, "CoInitializeEx", &found.initializeCom) ||
            !Find(ole32, "CoUninitialize", &found.uninitializeCom))
            return Api{};
        return found;
    }();
    return api.createMoniker != nullptr ? &api : nullptr;
}

// Removes the file through its handle: whatever may have been put at its path
// since, only this file goes.
void Discard(HANDLE file, const wchar_t* path)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    const bool marked =
        ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
    ::CloseHandle(file);
    if (!marked)
        ::DeleteFileW(path);
}

// Runs the binding to its end on this thread: its notifications come as window
// messages of this thread.
void RunBinding(const Api& api, const wchar_t* url, WinDownloadFileCallbackImpl& callback)
{
    IMoniker* moniker = nullptr;
    IBindCtx* context = nullptr;
    if (FAILED(api.createMoniker(nullptr, url, &moniker)) ||
        FAILED(api.createBindContext(0, &callback, nullptr, &context))) {
        callback.Fail();
    } else {
        IStream* stream = nullptr;
        const HRESULT started =
            moniker->BindToStorage(context, nullptr, IID_IStream, reinterpret_cast<void**>(&stream));
        if (stream != nullptr)
            stream->Release();
        if (FAILED(started) && !callback.Stopped())
            callback.Fail();
        ULONGLONG endAskedAt = 0;
        while (SUCCEEDED(started) && !callback.Stopped()) {
            ::MsgWaitForMultipleObjectsEx(0, nullptr, PollInterval, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
            callback.Poll();
            if (callback.EndAsked()) {
                const ULONGLONG now = ::GetTickCount64();
                if (endAskedAt == 0)
                    endAskedAt = now;
                else if (now - endAskedAt > EndWait)
                    break; // the outcome is decided; urlmon may stop on its own later
            }
        }
    }
    callback.Detach();
    if (context != nullptr)
        context->Release();
    if (moniker != nullptr)
        moniker->Release();
    // urlmon lets go of the binding's objects through this thread's messages: they
    // are dispatched for a short while, so that nothing stays behind with the thread.
    const ULONGLONG start = ::GetTickCount64();
    while (callback.HeldElsewhere() && ::GetTickCount64() - start < ReleaseWait) {
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

} // namespace

TransferResult DownloadToFile(const Unit* url, const Unit* targetPath, unsigned long long maxBytes,
                              TransferObserver& observer)
{
    static_assert(sizeof(Unit) == sizeof(wchar_t));
    const auto* address = reinterpret_cast<const wchar_t*>(url);
    const auto* path = reinterpret_cast<const wchar_t*>(targetPath);
    if (address == nullptr || path == nullptr || *address == L'\0' || *path == L'\0')
        return TransferResult::Failed;
    const Api* api = LoadApi();
    if (api == nullptr)
        return TransferResult::Failed;
    // Created new, never opened through a link that was put there, and not handed
    // to child processes (no inheritable security attributes).
    const HANDLE file = ::CreateFileW(path, GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return TransferResult::Failed;
    WinDownloadFileCallbackImpl* callback =
        WinDownloadFileCallbackImpl::Create(observer, maxBytes, file, address);
    if (callback == nullptr) {
        Discard(file, path);
        return TransferResult::Failed;
    }
    // urlmon's notifications go through a window of this thread's apartment.
    const HRESULT com = api->initializeCom(nullptr, COINIT_APARTMENTTHREADED);
    api->deleteCacheEntry(address); // the list is always fetched anew
    RunBinding(*api, address, *callback);
    if (SUCCEEDED(com))
        api->uninitializeCom();
    const WinDownloadFileCallbackImpl::Outcome outcome = callback->Result();
    callback->Release(); // urlmon may hold it a little longer
    if (outcome == WinDownloadFileCallbackImpl::Outcome::Done && ::CloseHandle(file))
        return TransferResult::Done;
    if (outcome == WinDownloadFileCallbackImpl::Outcome::Done) {
        ::DeleteFileW(path);
        return TransferResult::Failed;
    }
    Discard(file, path);
    return outcome == WinDownloadFileCallbackImpl::Outcome::Aborted ? TransferResult::Aborted
                                                                    : TransferResult::Failed;
}

} // namespace velmora::platform
