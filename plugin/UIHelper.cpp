#include "plugin/UIHelper.h"

CUIHelper::~CUIHelper() { Release(); }

void CUIHelper::Attach(IUnknown* unknown, REFIID iid)
{
    Release();
    m_unknown = unknown;
    m_iid = iid;
}

void CUIHelper::Release()
{
    if (m_unknown) {
        IUnknown* held = m_unknown;
        m_unknown = nullptr;
        held->Release();
    }
    m_iid = GUID_NULL;
}

// The pointer was asked for by this id, so it is a pointer to that interface.
IPrintOemDriverUI* CUIHelper::DriverUI() const
{
    if (!m_unknown || !(IsEqualIID(m_iid, IID_IPrintOemDriverUI) || IsEqualIID(m_iid, IID_IPrintCoreUI2)))
        return nullptr;
    return reinterpret_cast<IPrintOemDriverUI*>(m_unknown);
}

IPrintCoreUI2* CUIHelper::CoreUI() const
{
    if (!m_unknown || !IsEqualIID(m_iid, IID_IPrintCoreUI2))
        return nullptr;
    return reinterpret_cast<IPrintCoreUI2*>(m_unknown);
}

HRESULT CUIHelper::DrvGetDriverSetting(PVOID pci, PCSTR feature, PVOID output, DWORD cbSize, PDWORD pcbNeeded,
                                       PDWORD pdwOptionsReturned)
{
    IPrintOemDriverUI* ui = DriverUI();
    return ui ? ui->DrvGetDriverSetting(pci, feature, output, cbSize, pcbNeeded, pdwOptionsReturned)
              : E_NOINTERFACE;
}

HRESULT CUIHelper::DrvUpgradeRegistrySetting(HANDLE hPrinter, PCSTR feature, PCSTR option)
{
    IPrintOemDriverUI* ui = DriverUI();
    return ui ? ui->DrvUpgradeRegistrySetting(hPrinter, feature, option) : E_NOINTERFACE;
}

HRESULT CUIHelper::DrvUpdateUISetting(PVOID pci, PVOID optItem, DWORD previousSelection, DWORD mode)
{
    IPrintOemDriverUI* ui = DriverUI();
    return ui ? ui->DrvUpdateUISetting(pci, optItem, previousSelection, mode) : E_NOINTERFACE;
}

HRESULT CUIHelper::GetOptions(POEMUIOBJ poemuiobj, DWORD flags, PCSTR featuresRequested, DWORD cbIn,
                              PSTR featureOptionBuf, DWORD cbSize, PDWORD pcbNeeded)
{
    IPrintCoreUI2* ui = CoreUI();
    return ui ? ui->GetOptions(poemuiobj, flags, featuresRequested, cbIn, featureOptionBuf, cbSize, pcbNeeded)
              : E_NOINTERFACE;
}

HRESULT CUIHelper::SetOptions(POEMUIOBJ poemuiobj, DWORD flags, PCSTR featureOptionBuf, DWORD cbIn,
                              PDWORD pdwResult)
{
    IPrintCoreUI2* ui = CoreUI();
    return ui ? ui->SetOptions(poemuiobj, flags, featureOptionBuf, cbIn, pdwResult) : E_NOINTERFACE;
}

HRESULT CUIHelper::EnumConstrainedOptions(POEMUIOBJ poemuiobj, DWORD flags, PCSTR featureKeyword,
                                          PSTR constrainedOptionList, DWORD cbSize, PDWORD pcbNeeded)
{
    IPrintCoreUI2* ui = CoreUI();
    return ui ? ui->EnumConstrainedOptions(poemuiobj, flags, featureKeyword, constrainedOptionList, cbSize,
                                           pcbNeeded)
              : E_NOINTERFACE;
}

HRESULT CUIHelper::WhyConstrained(POEMUIOBJ poemuiobj, DWORD flags, PCSTR featureKeyword, PCSTR optionKeyword,
                                  PSTR reasonList, DWORD cbSize, PDWORD pcbNeeded)
{
    IPrintCoreUI2* ui = CoreUI();
    return ui ? ui->WhyConstrained(poemuiobj, flags, featureKeyword, optionKeyword, reasonList, cbSize, pcbNeeded)
              : E_NOINTERFACE;
}

HRESULT CUIHelper::GetGlobalAttribute(POEMUIOBJ poemuiobj, DWORD flags, PCSTR attribute, PDWORD pdwDataType,
                                      PBYTE data, DWORD cbSize, PDWORD pcbNeeded)
{
    IPrintCoreUI2* ui = CoreUI();
    return ui ? ui->GetGlobalAttribute(poemuiobj, flags, attribute, pdwDataType, data, cbSize, pcbNeeded)
              : E_NOINTERFACE;
}

HRESULT CUIHelper::GetFeatureAttribute(POEMUIOBJ poemuiobj, DWORD flags, PCSTR featureKeyword, PCSTR attribute,
                                       PDWORD pdwDataType, PBYTE data, DWORD cbSize, PDWORD pcbNeeded)
{
    IPrintCoreUI2* ui = CoreUI();
    return ui ? ui->GetFeatureAttribute(poemuiobj, flags, featureKeyword, attribute, pdwDataType, data, cbSize,
                                        pcbNeeded)
              : E_NOINTERFACE;
}

HRESULT CUIHelper::GetOptionAttribute(POEMUIOBJ poemuiobj, DWORD flags, PCSTR featureKeyword, PCSTR optionKeyword,
                                      PCSTR attribute, PDWORD pdwDataType, PBYTE data, DWORD cbSize,
                                      PDWORD pcbNeeded)
{
    IPrintCoreUI2* ui = CoreUI();
    return ui ? ui->GetOptionAttribute(poemuiobj, flags, featureKeyword, optionKeyword, attribute, pdwDataType,
                                       data, cbSize, pcbNeeded)
              : E_NOINTERFACE;
}

HRESULT CUIHelper::EnumFeatures(POEMUIOBJ poemuiobj, DWORD flags, PSTR featureList, DWORD cbSize,
                                PDWORD pcbNeeded)
{
    IPrintCoreUI2* ui = CoreUI();
    return ui ? ui->EnumFeatures(poemuiobj, flags, featureList, cbSize, pcbNeeded) : E_NOINTERFACE;
}

HRESULT CUIHelper::EnumOptions(POEMUIOBJ poemuiobj, DWORD flags, PCSTR featureKeyword, PSTR optionList,
                               DWORD cbSize, PDWORD pcbNeeded)
{
    IPrintCoreUI2* ui = CoreUI();
    return ui ? ui->EnumOptions(poemuiobj, flags, featureKeyword, optionList, cbSize, pcbNeeded) : E_NOINTERFACE;
}

HRESULT CUIHelper::QuerySimulationSupport(HANDLE hPrinter, DWORD level, PBYTE caps, DWORD cbSize,
                                          PDWORD pcbNeeded)
{
    IPrintCoreUI2* ui = CoreUI();
    return ui ? ui->QuerySimulationSupport(hPrinter, level, caps, cbSize, pcbNeeded) : E_NOINTERFACE;
}
