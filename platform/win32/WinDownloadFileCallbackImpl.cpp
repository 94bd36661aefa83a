#include "WinDownloadFileCallbackImpl.hpp"

#include <cwchar>
#include <cwctype>
#include <new>

#include "velmora/Platform.hpp"

namespace {

constexpr int MaxRedirects = 10;

bool StartsWithNoCase(const wchar_t* text, const wchar_t* prefix)
{
    for (; *prefix != L'\0'; ++text, ++prefix)
        if (*text == L'\0' || std::towlower(*text) != *prefix)
            return false;
    return true;
}

// The value of the header `name` (lower case, with its colon) in a block of
// CR LF lines, as a number; 0 when it is absent or no number.
unsigned long long HeaderNumber(const wchar_t* headers, const wchar_t* name)
{
    if (headers == nullptr)
        return 0;
    for (const wchar_t* line = headers; *line != L'\0';) {
        if (StartsWithNoCase(line, name)) {
            const wchar_t* digit = line + std::wcslen(name);
            while (*digit == L' ' || *digit == L'\t')
                ++digit;
            unsigned long long value = 0;
            for (; *digit >= L'0' && *digit <= L'9' && value < (1ull << 60); ++digit)
                value = value * 10 + static_cast<unsigned>(*digit - L'0');
            return value;
        }
        const wchar_t* end = std::wcschr(line, L'\n');
        if (end == nullptr)
            break;
        line = end + 1;
    }
    return 0;
}

// wininet takes a reply without a status line (HTTP/0.9: any bytes at all) for
// "HTTP/1.0 200 OK" without a single header line. Every HTTP/1 server sends at
// least one (its date, the length or the framing of the body), so a reply is taken
// for HTTP only with its status line and a header line after it.
bool IsHttpReply(const wchar_t* headers)
{
    if (headers == nullptr || !StartsWithNoCase(headers, L"http/1."))
        return false;
    const wchar_t* end = std::wcschr(headers, L'\n');
    if (end == nullptr)
        return false;
    const wchar_t* next = end + 1;
    while (*next == L'\r')
        ++next;
    for (const wchar_t* c = next; *c != L'\0' && *c != L'\r' && *c != L'\n'; ++c)
        if (*c == L':')
            return true;
    return false;
}

} // namespace

std::atomic<long> WinDownloadFileCallbackImpl::live{0};

WinDownloadFileCallbackImpl*
WinDownloadFileCallbackImpl::Create(velmora::platform::TransferObserver& observer,
                                    unsigned long long maxBytes, HANDLE file, const wchar_t* url)
{
    return new (std::nothrow) WinDownloadFileCallbackImpl(observer, maxBytes, file, url);
}

WinDownloadFileCallbackImpl::WinDownloadFileCallbackImpl(
    velmora::platform::TransferObserver& transferObserver, unsigned long long maxBytes, HANDLE target,
    const wchar_t* url)
    : observer(&transferObserver), file(target), limit(maxBytes), address(url != nullptr ? url : L"")
{
    ++live;
}

WinDownloadFileCallbackImpl::~WinDownloadFileCallbackImpl()
{
    if (binding != nullptr)
        binding->Release();
    --live;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
        *object = static_cast<IBindStatusCallback*>(this);
    } else if (IsEqualIID(iid, IID_IHttpNegotiate)) {
        *object = static_cast<IHttpNegotiate*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE WinDownloadFileCallbackImpl::AddRef()
{
    return ++references;
}

ULONG STDMETHODCALLTYPE WinDownloadFileCallbackImpl::Release()
{
    const ULONG left = --references;
    if (left == 0)
        delete this;
    return left;
}

bool WinDownloadFileCallbackImpl::Ending()
{
    if (observer == nullptr || outcome != Outcome::Running)
        return true;
    if (velmora::platform::StopRequested() || observer->AbortRequested()) {
        outcome = Outcome::Aborted;
        return true;
    }
    return false;
}

HRESULT WinDownloadFileCallbackImpl::Stop(Outcome why)
{
    if (outcome == Outcome::Running)
        outcome = why;
    return E_ABORT;
}

void WinDownloadFileCallbackImpl::Fail() noexcept
{
    if (outcome == Outcome::Running)
        outcome = Outcome::Failed;
}

void WinDownloadFileCallbackImpl::Poll()
{
    if (!Ending() || stopped || endAsked)
        return;
    endAsked = true;
    // urlmon's own callbacks would end it only when one comes; a server that says
    // nothing brings none, so the binding is ended from here.
    if (binding != nullptr)
        binding->Abort();
}

void WinDownloadFileCallbackImpl::Detach() noexcept
{
    observer = nullptr;
    file = INVALID_HANDLE_VALUE;
    Fail();
    if (binding != nullptr) {
        IBinding* held = binding;
        binding = nullptr;
        held->Release();
    }
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::OnStartBinding(DWORD, IBinding* newBinding)
{
    if (newBinding != nullptr && binding == nullptr && observer != nullptr) {
        binding = newBinding;
        binding->AddRef();
    }
    return Ending() ? E_ABORT : S_OK;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::GetPriority(LONG*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::OnLowResource(DWORD)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::OnProgress(ULONG, ULONG, ULONG statusCode,
                                                                  LPCWSTR statusText)
{
    if (Ending())
        return E_ABORT;
    if (statusCode == BINDSTATUS_REDIRECTING) {
        // Where the redirect leads: only the web's own schemes, and a secure
        // connection never continues in the clear.
        const wchar_t* target = statusText != nullptr ? statusText : L"";
        const bool secure = StartsWithNoCase(target, L"https://");
        if (++redirects > MaxRedirects || !(secure || StartsWithNoCase(target, L"http://")) ||
            (!secure && StartsWithNoCase(address.c_str(), L"https://")))
            return Stop(Outcome::Failed);
        address = target;
        httpStatus = 0; // the next response's own status decides
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::OnStopBinding(HRESULT result, LPCWSTR)
{
    stopped = true;
    if (binding != nullptr) {
        IBinding* held = binding;
        binding = nullptr;
        held->Release();
    }
    if (Ending())
        return S_OK;
    // urlmon ends a body cut short in its framing, or a reply without any status,
    // as a success of its own: the status and the length decide here.
    if (FAILED(result) || !StatusOk() || (announced != 0 && received != announced)) {
        outcome = Outcome::Failed;
        return S_OK;
    }
    if (!begun) {
        begun = true;
        if (observer->OnBeginData()) {
            outcome = Outcome::Aborted;
            return S_OK;
        }
    }
    outcome = observer->OnEndData() ? Outcome::Aborted : Outcome::Done;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::GetBindInfo(DWORD* flags, BINDINFO* info)
{
    if (flags == nullptr || info == nullptr)
        return E_INVALIDARG;
    *flags = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA | BINDF_GETNEWESTVERSION |
             BINDF_NOWRITECACHE | BINDF_PRAGMA_NO_CACHE | BINDF_NO_UI | BINDF_SILENTOPERATION;
    const ULONG size = info->cbSize;
    ZeroMemory(info, size);
    info->cbSize = size;
    info->dwBindVerb = BINDVERB_GET;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::OnDataAvailable(DWORD, DWORD, FORMATETC*,
                                                                       STGMEDIUM* medium)
{
    IStream* stream = medium != nullptr && medium->tymed == TYMED_ISTREAM ? medium->pstm : nullptr;
    const HRESULT answer = Take(stream);
    // urlmon keeps the binding (and this object) until its stream has been read as
    // far as it goes, also when the transfer ends: what is left is read and dropped.
    if (answer != S_OK && stream != nullptr) {
        char buffer[4096];
        ULONG count = 0;
        while (stream->Read(buffer, sizeof buffer, &count) == S_OK && count > 0)
            count = 0;
    }
    return answer;
}

HRESULT WinDownloadFileCallbackImpl::Take(IStream* stream)
{
    if (Ending())
        return E_ABORT;
    // Data before a 2xx status is an error page or a reply that is not HTTP.
    if (!StatusOk() || stream == nullptr)
        return Stop(Outcome::Failed);
    if (!begun) {
        begun = true;
        if (observer->OnBeginData())
            return Stop(Outcome::Aborted);
    }
    // The stream is read until urlmon has no more for now; only then does it tell
    // of the next piece.
    char buffer[16384];
    for (;;) {
        ULONG count = 0;
        const HRESULT read = stream->Read(buffer, sizeof buffer, &count);
        if (count > 0) {
            received += count;
            if (received > limit)
                return Stop(Outcome::Failed);
            for (ULONG done = 0; done < count && file != INVALID_HANDLE_VALUE;) {
                DWORD written = 0;
                if (!::WriteFile(file, buffer + done, count - done, &written, nullptr) || written == 0)
                    return Stop(Outcome::Failed);
                done += written;
            }
            if (observer->OnData(received, announced))
                return Stop(Outcome::Aborted);
            if (Ending())
                return E_ABORT;
        }
        if (read == E_PENDING || read == S_FALSE || (read == S_OK && count == 0))
            return S_OK;
        if (FAILED(read))
            return Stop(Outcome::Failed);
    }
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::OnObjectAvailable(REFIID, IUnknown*)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                                            LPWSTR* additionalHeaders)
{
    if (additionalHeaders != nullptr)
        *additionalHeaders = nullptr;
    return Ending() ? E_ABORT : S_OK;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::OnResponse(DWORD responseCode, LPCWSTR responseHeaders,
                                                                  LPCWSTR, LPWSTR* additionalRequestHeaders)
{
    if (additionalRequestHeaders != nullptr)
        *additionalRequestHeaders = nullptr;
    if (Ending())
        return E_ABORT;
    httpStatus = IsHttpReply(responseHeaders) ? responseCode : 0;
    announced = HeaderNumber(responseHeaders, L"content-length:");
    if (!StatusOk() || announced > limit)
        return Stop(Outcome::Failed);
    return S_OK;
}
