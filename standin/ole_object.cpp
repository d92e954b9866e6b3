#include "standin/ole_object.h"

#include "standin/stage.h"

namespace kelvor::standin {

using Microsoft::WRL::ComPtr;

HRESULT OleObject::SetClientSite(IOleClientSite* site) {
    site_ = site;
    LogQuietly(site ? "SetClientSite" : "SetClientSite null");
    return S_OK;
}

HRESULT OleObject::GetClientSite(IOleClientSite** site) {
    if (!site)
        return E_POINTER;
    // An unsited control answers S_OK with no site, as containers expect.
    ComPtr<IOleClientSite> copy = site_;
    *site = copy.Detach();
    return S_OK;
}

HRESULT OleObject::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

// The host lets go of the site itself, right after.
HRESULT OleObject::Close(DWORD) {
    LogQuietly("Close");
    return S_OK;
}

HRESULT OleObject::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

HRESULT OleObject::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT OleObject::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

HRESULT OleObject::GetClipboardData(DWORD, IDataObject** data) {
    if (data)
        *data = nullptr;
    return E_NOTIMPL;
}

HRESULT OleObject::DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) {
    return E_NOTIMPL;
}

HRESULT OleObject::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs)
        *verbs = nullptr;
    return OLEOBJ_E_NOVERBS;
}

HRESULT OleObject::Update() {
    return S_OK;
}

HRESULT OleObject::IsUpToDate() {
    return S_OK;
}

// The registry holds each class's description.
HRESULT OleObject::GetUserType(DWORD, LPOLESTR* userType) {
    if (userType)
        *userType = nullptr;
    return OLE_S_USEREG;
}

HRESULT OleObject::SetExtent(DWORD, SIZEL*) {
    return E_NOTIMPL;
}

HRESULT OleObject::GetExtent(DWORD, SIZEL*) {
    return E_NOTIMPL;
}

HRESULT OleObject::Advise(IAdviseSink*, DWORD* connection) {
    if (connection)
        *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT OleObject::Unadvise(DWORD) {
    return OLE_E_NOCONNECTION;
}

HRESULT OleObject::EnumAdvise(IEnumSTATDATA** advises) {
    if (advises)
        *advises = nullptr;
    return E_NOTIMPL;
}

HRESULT OleObject::GetMiscStatus(DWORD, DWORD* status) {
    if (!status)
        return E_POINTER;
    *status = MiscStatus;
    LogQuietly("GetMiscStatus");
    return S_OK;
}

HRESULT OleObject::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

HWND OleObject::SiteWindow() const {
    if (!site_)
        return nullptr;
    ComPtr<IOleWindow> window;
    ComPtr<IOleInPlaceSite> inPlace;
    if (SUCCEEDED(site_.As(&inPlace)))
        window = inPlace;
    else if (FAILED(site_.As(&window)))
        return nullptr;
    HWND handle = nullptr;
    if (FAILED(window->GetWindow(&handle)) || !IsWindow(handle))
        return nullptr;
    return handle;
}

} // namespace kelvor::standin
