// The status callback object that URLDownloadToFileA calls during a download. It
// turns urlmon's status reports into the transfer's events, learns the HTTP status
// of the response through IHttpNegotiate (urlmon writes an error page to the file
// and reports success), and stops a body that grows past its bound.
#pragma once

#include <windows.h>

#include <urlmon.h>

#include "velmora/platform.hpp"

// [worker thread] Built on the downloading thread's stack for one transfer, and
// called by urlmon on that thread only. Borrows the observer. The reference count
// is kept for COM's sake and never frees the object.
class WinDownloadFileCallbackImpl final : public IBindStatusCallback, public IHttpNegotiate {
public:
    WinDownloadFileCallbackImpl(velmora::platform::TransferObserver& transferObserver,
                                unsigned long long maxBytes) noexcept
        : observer(transferObserver), limit(maxBytes)
    {
    }
    WinDownloadFileCallbackImpl(const WinDownloadFileCallbackImpl&) = delete;
    WinDownloadFileCallbackImpl& operator=(const WinDownloadFileCallbackImpl&) = delete;

    // IUnknown: IUnknown, IBindStatusCallback and IHttpNegotiate; null and
    // E_NOINTERFACE for every other interface.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    // Never below 0, and never frees the object.
    ULONG STDMETHODCALLTYPE Release() override;

    // IBindStatusCallback
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD reserved, IBinding* binding) override;
    HRESULT STDMETHODCALLTYPE GetPriority(LONG* priority) override; // E_NOTIMPL
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) override;
    // Status 4, 5 and 6 become the begin, data and end events; E_ABORT when the
    // observer asks to abort, or without any event after an HTTP error status or
    // past the bound; S_OK for every other status.
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                         LPCWSTR statusText) override;
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR error) override;
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override; // touches neither
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format,
                                              STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID iid, IUnknown* object) override;

    // IHttpNegotiate: no headers of its own; keeps the response's status code.
    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR url, LPCWSTR headers, DWORD reserved,
                                                   LPWSTR* additionalHeaders) override;
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD responseCode, LPCWSTR responseHeaders, LPCWSTR requestHeaders,
                                         LPWSTR* additionalRequestHeaders) override;

    // The transfer must end as a failure: an HTTP error status, a body past the
    // bound, or one that ended before its announced length.
    bool Failed() const noexcept { return failed; }
    // The observer asked to abort; every later report answers E_ABORT unheard.
    bool AbortAsked() const noexcept { return abortAsked; }
    // The largest total urlmon announced (0: none).
    unsigned long long Announced() const noexcept { return announced; }

private:
    velmora::platform::TransferObserver& observer;
    unsigned long long limit;
    ULONG references = 0;
    DWORD httpStatus = 0;
    unsigned long long announced = 0;
    bool failed = false;
    bool abortAsked = false;
};
