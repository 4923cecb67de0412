#include "plugin/OemUI2.h"
#include "plugin/DllEntry.h"
#include "settings/DeviceCaps.h"
#include "settings/PrivateDevMode.h"
#include "sheets/OemItems.h"
#include "sheets/PropSheet.h"

IOemUI2::IOemUI2()
{
    m_gdiplusInput.GdiplusVersion = 1;
    m_gdiplusInput.DebugEventCallback = nullptr;
    m_gdiplusInput.SuppressBackgroundThread = FALSE;
    m_gdiplusInput.SuppressExternalCodecs = FALSE;
    InterlockedIncrement(&g_cLiveObjects);
    m_gdiplusStarted = Gdiplus::GdiplusStartup(&m_gdiplusToken, &m_gdiplusInput, nullptr) == Gdiplus::Ok;
}

// The feature model and then the core driver's interface are released by the
// member destructors, after this body.
IOemUI2::~IOemUI2()
{
    InterlockedDecrement(&g_cLiveObjects);
    if (m_gdiplusStarted)
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
}

STDMETHODIMP IOemUI2::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPrintOemUI2) || IsEqualIID(riid, IID_IPrintOemUI)) {
        *ppv = static_cast<IPrintOemUI2*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) IOemUI2::AddRef() { return (ULONG)InterlockedIncrement(&m_cRef); }

STDMETHODIMP_(ULONG) IOemUI2::Release()
{
    LONG n = InterlockedDecrement(&m_cRef);
    if (n == 0)
        delete this;
    return (ULONG)n;
}

STDMETHODIMP IOemUI2::GetInfo(DWORD mode, PVOID buffer, DWORD cbSize, PDWORD pcbNeeded)
{
    if (!pcbNeeded || (mode != OEMGI_GETSIGNATURE && mode != OEMGI_GETVERSION && mode != OEMGI_GETPUBLISHERINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    *pcbNeeded = sizeof(DWORD);
    if (cbSize < sizeof(DWORD) || !buffer) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return E_FAIL;
    }
    switch (mode) {
    case OEMGI_GETSIGNATURE:
        *static_cast<DWORD*>(buffer) = OEM_SIGNATURE;
        return S_OK;
    case OEMGI_GETVERSION:
        *static_cast<DWORD*>(buffer) = OEM_VERSION;
        return S_OK;
    default: // OEMGI_GETPUBLISHERINFO
        *pcbNeeded = 0;
        SetLastError(ERROR_NOT_SUPPORTED);
        return E_FAIL;
    }
}

STDMETHODIMP IOemUI2::DevMode(DWORD mode, POEMDMPARAM param) { return HandleOemDevMode(mode, param); }

STDMETHODIMP IOemUI2::PublishDriverInterface(IUnknown* driver)
{
    if (m_helper.IsHolding())
        return S_OK;
    if (!driver)
        return E_POINTER;
    void* p = nullptr;
    HRESULT hr = driver->QueryInterface(IID_IPrintCoreUI2, &p);
    if (SUCCEEDED(hr) && p) {
        m_helper.Attach(static_cast<IUnknown*>(p), IID_IPrintCoreUI2);
        return hr;
    }
    p = nullptr;
    hr = driver->QueryInterface(IID_IPrintOemDriverUI, &p);
    if (SUCCEEDED(hr) && p)
        m_helper.Attach(static_cast<IUnknown*>(p), IID_IPrintOemDriverUI);
    return hr;
}

STDMETHODIMP IOemUI2::CommonUIProp(DWORD mode, POEMCUIPPARAM param)
{
    switch (mode) {
    case OEMCUIP_DOCPROP:
        return OnDocumentOemItems(param);
    case OEMCUIP_PRNPROP:
        return OnPrinterOemItems(param);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
}

STDMETHODIMP IOemUI2::DocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam)
{
    return OnDocumentPropertySheets(info, lParam, &m_helper, &m_features);
}

STDMETHODIMP IOemUI2::DevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam)
{
    return OnDevicePropertySheets(info, lParam, &m_helper, &m_features, m_bHideStandardUI);
}

STDMETHODIMP IOemUI2::DevQueryPrintEx(POEMUIOBJ, PDEVQUERYPRINT_INFO, PDEVMODEW, PVOID) { return E_NOTIMPL; }

STDMETHODIMP IOemUI2::DeviceCapabilities(POEMUIOBJ poemuiobj, HANDLE hPrinter, PWSTR deviceName, WORD capability,
                                         PVOID output, PDEVMODEW, PVOID, DWORD, DWORD* result)
{
    return OnDeviceCapabilities(poemuiobj, hPrinter, capability, output, result, &m_helper, deviceName);
}

STDMETHODIMP IOemUI2::UpgradePrinter(DWORD, PBYTE) { return E_NOTIMPL; }
STDMETHODIMP IOemUI2::PrinterEvent(PWSTR, INT, DWORD, LPARAM) { return E_NOTIMPL; }
STDMETHODIMP IOemUI2::DriverEvent(DWORD, DWORD, LPBYTE, LPARAM) { return E_NOTIMPL; }
STDMETHODIMP IOemUI2::QueryColorProfile(HANDLE, POEMUIOBJ, PDEVMODEW, PVOID, ULONG, VOID*, ULONG*, FLONG*)
{
    return E_NOTIMPL;
}
STDMETHODIMP IOemUI2::FontInstallerDlgProc(HWND, UINT, WPARAM, LPARAM) { return E_NOTIMPL; }
STDMETHODIMP IOemUI2::UpdateExternalFonts(HANDLE, HANDLE, PWSTR) { return E_NOTIMPL; }
STDMETHODIMP IOemUI2::QueryJobAttributes(HANDLE, PDEVMODEW, DWORD, LPBYTE) { return E_NOTIMPL; }

STDMETHODIMP IOemUI2::HideStandardUI(DWORD mode)
{
    if (mode != OEMCUIP_DOCPROP && mode != OEMCUIP_PRNPROP)
        return E_NOTIMPL;
    m_bHideStandardUI = TRUE;
    return S_OK;
}

STDMETHODIMP IOemUI2::DocumentEvent(HANDLE, HDC, INT, ULONG, PVOID, ULONG, PVOID, INT*) { return E_NOTIMPL; }
