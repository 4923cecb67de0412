// CUIHelper: holds the core driver's helper interface and forwards each call
// to it unchanged.
#pragma once

#include "oem/PrintOemUI.h"

class CUIHelper {
public:
    CUIHelper() = default;
    virtual ~CUIHelper();
    CUIHelper(const CUIHelper&) = delete;
    CUIHelper& operator=(const CUIHelper&) = delete;

    // IPrintOemDriverUI (also offered through IPrintCoreUI2)
    virtual HRESULT DrvGetDriverSetting(PVOID pci, PCSTR feature, PVOID output, DWORD cbSize, PDWORD pcbNeeded,
                                        PDWORD pdwOptionsReturned);
    virtual HRESULT DrvUpgradeRegistrySetting(HANDLE hPrinter, PCSTR feature, PCSTR option);
    virtual HRESULT DrvUpdateUISetting(PVOID pci, PVOID optItem, DWORD previousSelection, DWORD mode);

    // IPrintCoreUI2 only
    virtual HRESULT GetOptions(POEMUIOBJ poemuiobj, DWORD flags, PCSTR featuresRequested, DWORD cbIn,
                               PSTR featureOptionBuf, DWORD cbSize, PDWORD pcbNeeded);
    virtual HRESULT SetOptions(POEMUIOBJ poemuiobj, DWORD flags, PCSTR featureOptionBuf, DWORD cbIn,
                               PDWORD pdwResult);
    virtual HRESULT EnumConstrainedOptions(POEMUIOBJ poemuiobj, DWORD flags, PCSTR featureKeyword,
                                           PSTR constrainedOptionList, DWORD cbSize, PDWORD pcbNeeded);
    virtual HRESULT WhyConstrained(POEMUIOBJ poemuiobj, DWORD flags, PCSTR featureKeyword, PCSTR optionKeyword,
                                   PSTR reasonList, DWORD cbSize, PDWORD pcbNeeded);
    virtual HRESULT GetGlobalAttribute(POEMUIOBJ poemuiobj, DWORD flags, PCSTR attribute, PDWORD pdwDataType,
                                       PBYTE data, DWORD cbSize, PDWORD pcbNeeded);
    virtual HRESULT GetFeatureAttribute(POEMUIOBJ poemuiobj, DWORD flags, PCSTR featureKeyword, PCSTR attribute,
                                        PDWORD pdwDataType, PBYTE data, DWORD cbSize, PDWORD pcbNeeded);
    virtual HRESULT GetOptionAttribute(POEMUIOBJ poemuiobj, DWORD flags, PCSTR featureKeyword, PCSTR optionKeyword,
                                       PCSTR attribute, PDWORD pdwDataType, PBYTE data, DWORD cbSize,
                                       PDWORD pcbNeeded);
    virtual HRESULT EnumFeatures(POEMUIOBJ poemuiobj, DWORD flags, PSTR featureList, DWORD cbSize,
                                 PDWORD pcbNeeded);
    virtual HRESULT EnumOptions(POEMUIOBJ poemuiobj, DWORD flags, PCSTR featureKeyword, PSTR optionList,
                                DWORD cbSize, PDWORD pcbNeeded);
    virtual HRESULT QuerySimulationSupport(HANDLE hPrinter, DWORD level, PBYTE caps, DWORD cbSize,
                                           PDWORD pcbNeeded);

    // Takes an interface pointer (with the reference its QueryInterface gave)
    // and its id, releasing what was held.
    void Attach(IUnknown* unknown, REFIID iid);
    // Releases the held interface once and forgets its id.
    void Release();

    bool IsHolding() const { return m_unknown != nullptr; }
    const IID& HeldId() const { return m_iid; }

private:
    IPrintOemDriverUI* DriverUI() const;
    IPrintCoreUI2* CoreUI() const;

    IUnknown* m_unknown = nullptr;
    IID m_iid = GUID_NULL;
};
