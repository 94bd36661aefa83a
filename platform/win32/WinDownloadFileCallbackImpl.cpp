#include "WinDownloadFileCallbackImpl.hpp"

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
    if (references > 0)
        --references;
    return references;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::OnStartBinding(DWORD, IBinding*)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::GetPriority(LONG*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::OnLowResource(DWORD)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::OnProgress(ULONG progress, ULONG progressMax,
                                                                  ULONG statusCode, LPCWSTR)
{
    if (statusCode != BINDSTATUS_BEGINDOWNLOADDATA && statusCode != BINDSTATUS_DOWNLOADINGDATA &&
        statusCode != BINDSTATUS_ENDDOWNLOADDATA)
        return S_OK;
    // An error page is no download: it is stopped before the caller hears of data.
    if (httpStatus >= 400)
        failed = true;
    if (progress > limit || progressMax > limit)
        failed = true;
    if (progressMax > announced)
        announced = progressMax;
    // Some urlmon versions go on after an abort asked at the begin of the data; the
    // caller has been told nothing more comes, so nothing more is reported.
    if (failed || abortAsked)
        return E_ABORT;

    if (statusCode == BINDSTATUS_BEGINDOWNLOADDATA)
        abortAsked = observer.OnBeginData();
    else if (statusCode == BINDSTATUS_DOWNLOADINGDATA)
        abortAsked = observer.OnData(progress, progressMax);
    else
        abortAsked = observer.OnEndData();
    return abortAsked ? E_ABORT : S_OK;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::OnStopBinding(HRESULT, LPCWSTR)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::GetBindInfo(DWORD*, BINDINFO*)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*)
{
    return S_OK;
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
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WinDownloadFileCallbackImpl::OnResponse(DWORD responseCode, LPCWSTR, LPCWSTR,
                                                                  LPWSTR* additionalRequestHeaders)
{
    httpStatus = responseCode;
    if (additionalRequestHeaders != nullptr)
        *additionalRequestHeaders = nullptr;
    return S_OK;
}
