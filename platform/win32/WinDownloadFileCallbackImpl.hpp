// The status callback object of one urlmon binding. urlmon binds asynchronously
// and delivers the body through OnDataAvailable; the object writes it into the
// transfer's file itself, so that nothing reaches that file unless an HTTP status
// was seen and it is a 2xx, and the body is stopped as it passes its bound. It
// learns the status through IHttpNegotiate::OnResponse, follows the redirects
// urlmon reports (at most 10, only to http or https, never from https to http), and
// ends the binding through the IBinding that OnStartBinding hands over.
#pragma once

#include <windows.h>

#include <urlmon.h>

#include <atomic>
#include <string>

#include "velmora/Platform.hpp"

// [worker thread] Created on the heap by the downloading thread with one reference,
// which that thread releases when the transfer has ended; urlmon holds its own
// references and may keep the object past that, so it frees itself at the last
// Release. urlmon calls it on the downloading thread (the binding's notifications
// are dispatched by that thread's message loop); only the reference count is shared
// with other threads. The observer and the file are borrowed until Detach: after
// it every slot answers E_ABORT and touches neither.
class WinDownloadFileCallbackImpl final : public IBindStatusCallback, public IHttpNegotiate {
public:
    enum class Outcome { Running, Done, Failed, Aborted };

    // `file` receives the body (a handle open for writing, or INVALID_HANDLE_VALUE to
    // count it only); `url` (borrowed for the call) is the address first asked for.
    static WinDownloadFileCallbackImpl* Create(velmora::platform::TransferObserver& observer,
                                               unsigned long long maxBytes, HANDLE file, const wchar_t* url);

    // [any thread] The number of these objects alive in the process.
    static long Live() noexcept { return live.load(); }

    // IUnknown: IUnknown, IBindStatusCallback and IHttpNegotiate; null and
    // E_NOINTERFACE for every other interface.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    // Frees the object when the count reaches zero.
    ULONG STDMETHODCALLTYPE Release() override;

    // IBindStatusCallback. Every slot answers E_ABORT once the transfer is to end
    // (the observer or the workers' stop asked for it, or it failed).
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD reserved, IBinding* binding) override; // keeps `binding`
    HRESULT STDMETHODCALLTYPE GetPriority(LONG* priority) override;                       // E_NOTIMPL
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) override;
    // Counts and checks redirects; the begin of the data becomes the begin event
    // once a 2xx status was seen; an announced total past the bound fails.
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                         LPCWSTR statusText) override;
    // Decides the outcome: Done only after a 2xx status and a body that ended
    // whole (as long as announced); the end event comes just before.
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR error) override;
    // An asynchronous binding whose data is pulled, never from a cache.
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override;
    // Reads what the stream holds into the file and reports it as data events.
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format,
                                              STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID iid, IUnknown* object) override;

    // IHttpNegotiate: no headers of its own; keeps the response's status.
    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR url, LPCWSTR headers, DWORD reserved,
                                                   LPWSTR* additionalHeaders) override;
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD responseCode, LPCWSTR responseHeaders, LPCWSTR requestHeaders,
                                         LPWSTR* additionalRequestHeaders) override;

    // [worker thread] Called by the downloading thread's wait at least every 250 ms:
    // asks the observer and the workers' stop, and ends the binding through its
    // IBinding when the transfer is to end (also when the server sends nothing).
    void Poll();
    // True once the binding has stopped (OnStopBinding came).
    bool Stopped() const noexcept { return stopped; }
    // True once the binding was asked to end.
    bool EndAsked() const noexcept { return endAsked; }
    Outcome Result() const noexcept { return outcome; }
    // [any thread] True while someone besides the creator holds a reference.
    bool HeldElsewhere() const noexcept { return references.load() > 1; }

    // Fails the transfer (a failure of the binding's start or of the file).
    void Fail() noexcept;
    // Ends the borrowing of the observer and the file, and lets go of the binding.
    void Detach() noexcept;

private:
    WinDownloadFileCallbackImpl(velmora::platform::TransferObserver& observer, unsigned long long maxBytes,
                                HANDLE file, const wchar_t* url);
    ~WinDownloadFileCallbackImpl();

    // True when the transfer is to end: asked, stopped, failed or detached.
    bool Ending();
    HRESULT Stop(Outcome why);
    // Writes what `stream` holds for now into the file; S_OK to go on.
    HRESULT Take(IStream* stream);
    bool StatusOk() const noexcept { return httpStatus >= 200 && httpStatus < 300; }

    static std::atomic<long> live;
    std::atomic<ULONG> references{1};
    velmora::platform::TransferObserver* observer;
    HANDLE file;
    unsigned long long limit;
    IBinding* binding = nullptr;
    std::wstring address; // the address the next redirect starts from
    DWORD httpStatus = 0;
    unsigned long long announced = 0;
    unsigned long long received = 0;
    int redirects = 0;
    bool begun = false;
    bool stopped = false;
    bool endAsked = false;
    Outcome outcome = Outcome::Running;
};
