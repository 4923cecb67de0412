// IOemUI2: the plug-in object behind IPrintOemUI2.
#pragma once

#include "oem/PrintOemUI.h"
#include "plugin/UIHelper.h"
#include "plugin/ZeroFilled.h"
#include "settings/Features.h"

#include <gdiplus.h>

class IOemUI2 : public IPrintOemUI2, public CZeroFilled {
public:
    IOemUI2();
    virtual ~IOemUI2();
    IOemUI2(const IOemUI2&) = delete;
    IOemUI2& operator=(const IOemUI2&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPrintOemCommon
    STDMETHODIMP GetInfo(DWORD mode, PVOID buffer, DWORD cbSize, PDWORD pcbNeeded) override;
    STDMETHODIMP DevMode(DWORD mode, POEMDMPARAM param) override;

    // IPrintOemUI
    STDMETHODIMP PublishDriverInterface(IUnknown* driver) override;
    STDMETHODIMP CommonUIProp(DWORD mode, POEMCUIPPARAM param) override;
    STDMETHODIMP DocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam) override;
    STDMETHODIMP DevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam) override;
    STDMETHODIMP DevQueryPrintEx(POEMUIOBJ poemuiobj, PDEVQUERYPRINT_INFO info, PDEVMODEW publicDM,
                                 PVOID oemDM) override;
    STDMETHODIMP DeviceCapabilities(POEMUIOBJ poemuiobj, HANDLE hPrinter, PWSTR deviceName, WORD capability,
                                    PVOID output, PDEVMODEW publicDM, PVOID oemDM, DWORD oldResult,
                                    DWORD* result) override;
    STDMETHODIMP UpgradePrinter(DWORD level, PBYTE upgradeInfo) override;
    STDMETHODIMP PrinterEvent(PWSTR printerName, INT driverEvent, DWORD flags, LPARAM lParam) override;
    STDMETHODIMP DriverEvent(DWORD driverEvent, DWORD level, LPBYTE driverInfo, LPARAM lParam) override;
    STDMETHODIMP QueryColorProfile(HANDLE hPrinter, POEMUIOBJ poemuiobj, PDEVMODEW publicDM, PVOID oemDM,
                                   ULONG queryMode, VOID* profileData, ULONG* cbProfileData,
                                   FLONG* flProfileData) override;
    STDMETHODIMP FontInstallerDlgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    STDMETHODIMP UpdateExternalFonts(HANDLE hPrinter, HANDLE hHeap, PWSTR cartridges) override;

    // IPrintOemUI2
    STDMETHODIMP QueryJobAttributes(HANDLE hPrinter, PDEVMODEW devmode, DWORD level, LPBYTE attributeInfo) override;
    STDMETHODIMP HideStandardUI(DWORD mode) override;
    STDMETHODIMP DocumentEvent(HANDLE hPrinter, HDC hdc, INT escape, ULONG cbIn, PVOID in, ULONG cbOut, PVOID out,
                               INT* result) override;

private:
    LONG m_cRef = 1;
    BOOL m_bHideStandardUI = FALSE;
    CUIHelper m_helper;
    CFeatures m_features;
    Gdiplus::GdiplusStartupInput m_gdiplusInput;
    ULONG_PTR m_gdiplusToken = 0;
    bool m_gdiplusStarted = false;
};
