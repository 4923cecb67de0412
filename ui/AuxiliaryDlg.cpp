#include "ui/AuxiliaryDlg.h"
#include "device/UsbDevice.h"
#include "plugin/SystemSeams.h"
#include "res/resource.h"
#include "settings/FeatureSettings.h"
#include "settings/Options.h"
#include "settings/PaperList.h"
#include "sheets/PropSheet.h"
#include "sheets/ResourceModule.h"

#include <prsht.h>
#include <string.h>
#include <wchar.h>

namespace {

constexpr int kTextChars = 512;
constexpr char kModelName[] = "Brixom Q2100 Series";
const WCHAR kSleepTimeValue[] = L"SleepTime";
const WCHAR kMuteValue[] = L"MuteVal";
const WCHAR kInstallableInfoValue[] = L"InstallableInfo";

// The integer a display text starts with: white space, a sign, decimal
// digits; 0 without digits.
int LeadingInteger(const WCHAR* text)
{
    if (!text)
        return 0;
    while (iswspace(*text))
        ++text;
    bool negative = false;
    if (*text == L'+' || *text == L'-')
        negative = *text++ == L'-';
    long long value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        value = value * 10 + (*text - L'0');
        if (value > 0x7FFFFFFF)
            value = 0x7FFFFFFF;
    }
    return (int)(negative ? -value : value);
}

// The position a combo box shows, 0 when nothing is selected.
DWORD SelectedPosition(const CComboBox& list)
{
    int selected = list.GetCurSel();
    return selected == CB_ERR ? 0 : (DWORD)selected;
}

} // namespace

CAuxiliaryDlg::CAuxiliaryDlg(PROPSHEET_CONTEXT* context) : CPropDlg(IDD_DEVICE_PAGE), m_context(context) {}

CAuxiliaryDlg::~CAuxiliaryDlg()
{
    // The controls let go of their windows while the dialog still stands.
    if (m_hWnd)
        DestroyWindow();
}

BEGIN_MESSAGE_MAP(CAuxiliaryDlg, CPropDlg)
    ON_BN_CLICKED(IDC_SUPPORT_LINK, &CAuxiliaryDlg::OpenMakerWebPage)
    ON_CBN_SELCHANGE(IDC_SLEEP_TIME, &CAuxiliaryDlg::OnSleepTimeChanged)
    ON_STN_CLICKED(IDC_TRAY1_SWITCH, &CAuxiliaryDlg::OnTray1Clicked)
    ON_STN_CLICKED(IDC_TRAY2_SWITCH, &CAuxiliaryDlg::OnTray2Clicked)
    ON_STN_CLICKED(IDC_MUTE_SWITCH, &CAuxiliaryDlg::OnMuteClicked)
    ON_CBN_SELCHANGE(IDC_TRAY1_PAPER, &CAuxiliaryDlg::OnTrayPaperChanged)
    ON_CBN_SELCHANGE(IDC_TRAY2_PAPER, &CAuxiliaryDlg::OnTrayPaperChanged)
END_MESSAGE_MAP()

void CAuxiliaryDlg::DoDataExchange(CDataExchange* dx)
{
    CPropDlg::DoDataExchange(dx);
    DDX_Control(dx, IDC_SLEEP_TIME, m_sleepTimeList);
    DDX_Control(dx, IDC_TRAY1_SWITCH, m_tray1Switch);
    DDX_Control(dx, IDC_TRAY2_SWITCH, m_tray2Switch);
    DDX_Control(dx, IDC_TRAY1_PAPER, m_tray1PaperList);
    DDX_Control(dx, IDC_TRAY2_PAPER, m_tray2PaperList);
    DDX_Control(dx, IDC_MUTE_SWITCH, m_muteSwitch);
}

BOOL CAuxiliaryDlg::OnInitDialog()
{
    CPropDlg::OnInitDialog();
    if (m_context && m_context->settings && m_context->resources && m_context->resources->module) {
        LoadSleepTime();
        LoadMuteValue();
        LoadInstallableInfo();
        ShowAboutInfo();
        m_loaded = TRUE;
    }
    return TRUE;
}

// --- loading -------------------------------------------------------------------------

BOOL CAuxiliaryDlg::MayChangeDevice()
{
    if (m_mayChange >= 0)
        return m_mayChange;
    m_mayChange = FALSE;
    if (!IsUserAdmin())
        return FALSE;
    HANDLE printer = m_context ? m_context->hPrinter : nullptr;
    // A connection to another computer's printer is named \\server\printer;
    // a printer whose name cannot be read counts as local.
    ProcessHeapPtr<PRINTER_INFO_1W> info(GetPrinterInfo1(printer));
    if (info && info->pName && wcschr(info->pName, L'\\'))
        return FALSE;
    m_mayChange = GetPortKind(printer) == PORT_KIND_USB;
    return m_mayChange;
}

void CAuxiliaryDlg::LoadText(UINT stringId, WCHAR* text)
{
    text[0] = L'\0';
    if (m_context && m_context->resources && m_context->resources->module)
        LoadStringW(m_context->resources->module, stringId, text, kTextChars);
}

void CAuxiliaryDlg::SetItemText(int id, UINT stringId)
{
    WCHAR text[kTextChars];
    LoadText(stringId, text);
    SetDlgItemText(id, text);
}

void CAuxiliaryDlg::GiveSwitchPictures(CPicSwitchButton& button)
{
    button.m_nOnID = IDB_SWITCH_ON;
    button.m_nOffID = IDB_SWITCH_OFF;
    button.m_nOnHoverID = IDB_SWITCH_ON_HOVER;
    button.m_nOffHoverID = IDB_SWITCH_OFF_HOVER;
    button.m_nSwitchImageType = 1;
}

void CAuxiliaryDlg::RefreshSwitch(CPicSwitchButton& button)
{
    button.UpdateSwitch();
    // The switch pictures are painted on white: only the pill of the switch
    // shows, the page's own background around it.
    CRect rect;
    ::GetClientRect(button.m_hWnd, &rect);
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    HRGN pill = ::CreateRoundRectRgn(0, 0, rect.Width() + 1, rect.Height() + 1, rect.Height(), rect.Height());
    if (pill && !::SetWindowRgn(button.m_hWnd, pill, TRUE))
        ::DeleteObject(pill);
}

void CAuxiliaryDlg::LoadSleepTime()
{
    SetItemText(IDC_SLEEP_GROUP, IDS_SLEEP_GROUP);
    SetItemText(IDC_SLEEP_LABEL, IDS_SLEEP_LABEL);
    SetItemText(IDC_SLEEP_NOTE, IDS_SLEEP_NOTE);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SLEEP_NOTE), FALSE);
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_SLEEP_NOTE), SW_SHOW);
    if (!MayChangeDevice()) {
        m_sleepTimeList.EnableWindow(FALSE);
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SLEEP_GROUP), FALSE);
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SLEEP_LABEL), FALSE);
        return;
    }
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_SLEEP_NOTE), SW_HIDE);

    CFeatureSettings* settings = m_context->settings;
    const WORD count = settings->GetSleepTimeCount();
    for (WORD i = 0; i < count; ++i) {
        // A name the model could not resolve to a text (a bare string id)
        // is never read: the option keyword stands in for it.
        const WCHAR* name = settings->GetOptionDisplayName("JCLSleepTime", i);
        CString text;
        if (name && !IsDisplayNameId(name)) {
            text = name;
        } else if (const char* keyword = settings->GetSleepTimeOption(i)) {
            text = keyword;
        }
        int item = m_sleepTimeList.AddString(text);
        if (item >= 0)
            m_sleepTimeList.SetItemData(item, (DWORD_PTR)(INT_PTR)LeadingInteger(text));
    }
    // Without options there is no sleep time to show or store.
    if (m_sleepTimeList.GetCount() <= 0)
        return;
    m_sleepTimeList.SetCurSel(GetSleepTimeIndex());
    DWORD value = 0;
    if (SelectedSleepTime(&value) && m_context->hPrinter)
        WritePrinterDword(kSleepTimeValue, value);
}

int CAuxiliaryDlg::GetSleepTimeIndex()
{
    DWORD value = 0;
    const HANDLE printer = m_context->hPrinter;
    if (SUCCEEDED(AccessDeviceSleepTime(printer, value, FALSE)) || ReadPrinterDword(kSleepTimeValue, &value)) {
        int index = FindComboItemByData(this, (int)value);
        return index < 0 ? 0 : index;
    }

    CFeatureSettings* settings = m_context->settings;
    DWORD size = 0;
    char* preset = settings->GetSleepTimeDefault(&size);
    if (!preset)
        return 0;
    const size_t length = strnlen(preset, size);
    int index = 0;
    for (WORD i = 0; i < settings->GetSleepTimeCount(); ++i) {
        const char* keyword = settings->GetSleepTimeOption(i);
        if (keyword && strlen(keyword) == length && memcmp(keyword, preset, length) == 0) {
            index = i;
            break;
        }
    }
    HeapFree(settings->GetHeap(), 0, preset);
    return index;
}

void CAuxiliaryDlg::LoadMuteValue()
{
    SetItemText(IDC_MUTE_LABEL, IDS_MUTE_LABEL);
    GiveSwitchPictures(m_muteSwitch);
    if (!MayChangeDevice()) {
        m_muteSwitch.m_bOn = 0;
        RefreshSwitch(m_muteSwitch);
        m_muteSwitch.EnableWindow(FALSE);
        return;
    }
    DWORD value = 0;
    BOOL read = SUCCEEDED(AccessDeviceMuteValue(m_context->hPrinter, value, FALSE)) ||
                ReadPrinterDword(kMuteValue, &value);
    m_muteSwitch.m_bOn = read && (LONG)value > 0 ? 1 : 0;
    RefreshSwitch(m_muteSwitch);
    // Kept as the switch shows it: a click back to it is no change.
    if (m_context->hPrinter)
        WritePrinterDword(kMuteValue, m_muteSwitch.m_bOn);
}

void CAuxiliaryDlg::LoadInstallableInfo()
{
    SetItemText(IDC_TRAYS_GROUP, IDS_TRAYS_GROUP);
    SetItemText(IDC_TRAY1_LABEL, IDS_TRAY1_LABEL);
    SetItemText(IDC_TRAY2_LABEL, IDS_TRAY2_LABEL);
    SetItemText(IDC_TRAY1_PAPER_LABEL, IDS_TRAY1_PAPER_LABEL);
    SetItemText(IDC_TRAY2_PAPER_LABEL, IDS_TRAY2_PAPER_LABEL);
    GiveSwitchPictures(m_tray1Switch);
    GiveSwitchPictures(m_tray2Switch);

    memset(&m_traysRead, 0, sizeof m_traysRead);
    if (m_context->hPrinter && ReadInstallableInfo(m_context->hPrinter, &m_traysRead) == ERROR_FILE_NOT_FOUND)
        SetPrinterDataW(m_context->hPrinter, const_cast<LPWSTR>(kInstallableInfoValue), REG_BINARY,
                        reinterpret_cast<BYTE*>(&m_traysRead), sizeof m_traysRead);

    CArray<PAPER_INFO> papers;
    m_context->settings->PaperList().GetTrayPaperList(&papers);
    for (int i = 0; i < papers.GetSize(); ++i) {
        m_tray1PaperList.AddString(papers[i].name);
        m_tray2PaperList.AddString(papers[i].name);
    }
    m_tray1PaperList.SetCurSel(0);
    m_tray2PaperList.SetCurSel(0);
    if (m_traysRead.tray[0].paper < (DWORD)m_tray1PaperList.GetCount())
        m_tray1PaperList.SetCurSel((int)m_traysRead.tray[0].paper);
    if (m_traysRead.tray[1].paper < (DWORD)m_tray2PaperList.GetCount())
        m_tray2PaperList.SetCurSel((int)m_traysRead.tray[1].paper);

    m_tray1Switch.m_bOn = m_traysRead.tray[0].installed ? 1 : 0;
    RefreshSwitch(m_tray1Switch);
    m_tray1PaperList.EnableWindow(m_tray1Switch.m_bOn);
    m_tray2Switch.m_bOn = m_traysRead.tray[1].installed ? 1 : 0;
    RefreshSwitch(m_tray2Switch);
    m_tray2PaperList.EnableWindow(m_tray2Switch.m_bOn);

    for (int id : { IDC_TRAYS_GROUP, IDC_TRAY1_LABEL, IDC_TRAY2_LABEL, IDC_TRAY1_PAPER_LABEL, IDC_TRAY2_PAPER_LABEL,
                    IDC_TRAY1_SWITCH, IDC_TRAY2_SWITCH, IDC_TRAY1_PAPER, IDC_TRAY2_PAPER })
        ::ShowWindow(::GetDlgItem(m_hWnd, id), SW_HIDE);
}

void CAuxiliaryDlg::ShowAboutInfo()
{
    SetItemText(IDC_ABOUT_GROUP, IDS_ABOUT_GROUP);
    ::SetDlgItemTextA(m_hWnd, IDC_ABOUT_MODEL, kModelName);
    SetItemText(IDC_ABOUT_DRIVER, IDS_ABOUT_DRIVER);
    SetItemText(IDC_ABOUT_TEXT, IDS_ABOUT_TEXT);
    SetItemText(IDC_SUPPORT_LINK, IDS_SUPPORT_LINK);
}

// --- changes -------------------------------------------------------------------------

void CAuxiliaryDlg::OpenMakerWebPage()
{
    g_seams.ShellExecuteW(m_hWnd, L"open", MAKER_WEB_PAGE, nullptr, nullptr, SW_SHOWNORMAL);
}

void CAuxiliaryDlg::ReportChange(BOOL changed, BOOL post)
{
    HWND page = ::GetParent(m_hWnd);
    HWND sheet = page ? ::GetParent(page) : nullptr;
    if (!sheet)
        return;
    const UINT message = changed ? PSM_CHANGED : PSM_UNCHANGED;
    if (post)
        ::PostMessageW(sheet, message, (WPARAM)page, 0);
    else
        ::SendMessageW(sheet, message, (WPARAM)page, 0);
}

BOOL CAuxiliaryDlg::SelectedSleepTime(DWORD* value)
{
    int selected = m_sleepTimeList.GetCurSel();
    if (selected == CB_ERR)
        return FALSE;
    *value = (DWORD)(INT_PTR)m_sleepTimeList.GetItemData(selected);
    return TRUE;
}

void CAuxiliaryDlg::OnSleepTimeChanged()
{
    DWORD stored = 0, shown = 0;
    BOOL same = ReadPrinterDword(kSleepTimeValue, &stored) && SelectedSleepTime(&shown) && stored == shown;
    m_sleepTimeChanged = same ? 0 : 1;
    ReportChange(!same);
}

void CAuxiliaryDlg::OnMuteClicked()
{
    m_muteSwitch.m_bOn = m_muteSwitch.m_bOn ? 0 : 1;
    RefreshSwitch(m_muteSwitch);
    DWORD stored = 0;
    BOOL same = ReadPrinterDword(kMuteValue, &stored) && stored == (DWORD)m_muteSwitch.m_bOn;
    m_muteChanged = same ? 0 : 1;
    ReportChange(!same);
}

void CAuxiliaryDlg::FlipTray(CPicSwitchButton& button, CComboBox& papers)
{
    button.m_bOn = button.m_bOn ? 0 : 1;
    RefreshSwitch(button);
    papers.EnableWindow(button.m_bOn);
    ReportChange(InstallableInfoChanged());
}

void CAuxiliaryDlg::OnTray1Clicked() { FlipTray(m_tray1Switch, m_tray1PaperList); }
void CAuxiliaryDlg::OnTray2Clicked() { FlipTray(m_tray2Switch, m_tray2PaperList); }
void CAuxiliaryDlg::OnTrayPaperChanged() { ReportChange(InstallableInfoChanged()); }

BOOL CAuxiliaryDlg::InstallableInfoChanged()
{
    return (m_traysRead.tray[0].installed != 0) != (m_tray1Switch.m_bOn != 0) ||
           (m_traysRead.tray[1].installed != 0) != (m_tray2Switch.m_bOn != 0) ||
           SelectedPosition(m_tray1PaperList) != m_traysRead.tray[0].paper ||
           SelectedPosition(m_tray2PaperList) != m_traysRead.tray[1].paper;
}

// --- apply ---------------------------------------------------------------------------

BOOL CAuxiliaryDlg::DeviceReady()
{
    BYTE info[kDeviceInfoSize] = {};
    return SUCCEEDED(QueryDeviceInfo(m_context->hPrinter, info)) && (info[0] == 1 || info[0] == 3);
}

void CAuxiliaryDlg::ShowNotReady()
{
    WCHAR caption[kTextChars], text[kTextChars];
    LoadText(IDS_QUICKSET_CAPTION, caption);
    LoadText(IDS_DEVICE_NOT_READY, text);
    g_seams.MessageBoxW(m_hWnd, text, caption, MB_OK | MB_ICONWARNING);
}

void CAuxiliaryDlg::SaveSettings()
{
    if (!m_hWnd || !m_loaded)
        return;
    if (InstallableInfoChanged() && m_context->hPrinter) {
        INSTALLABLE_INFO trays = {};
        trays.tray[0].installed = m_tray1Switch.m_bOn ? 1 : 0;
        trays.tray[0].paper = SelectedPosition(m_tray1PaperList);
        trays.tray[1].installed = m_tray2Switch.m_bOn ? 1 : 0;
        trays.tray[1].paper = SelectedPosition(m_tray2PaperList);
        // What is stored now is what the next change compares with.
        if (SetPrinterDataW(m_context->hPrinter, const_cast<LPWSTR>(kInstallableInfoValue), REG_BINARY,
                            reinterpret_cast<BYTE*>(&trays), sizeof trays) == ERROR_SUCCESS)
            m_traysRead = trays;
    }

    BOOL refused = FALSE, notReady = FALSE;
    if (m_sleepTimeChanged) {
        DWORD value = 0;
        if (!DeviceReady()) {
            notReady = TRUE;
        } else if (SelectedSleepTime(&value) && SUCCEEDED(AccessDeviceSleepTime(m_context->hPrinter, value, TRUE))) {
            WritePrinterDword(kSleepTimeValue, value);
            m_sleepTimeChanged = 0;
        } else {
            refused = TRUE;
        }
    }
    if (m_muteChanged && !notReady) {
        DWORD value = m_muteSwitch.m_bOn ? 1 : 0;
        if (!DeviceReady()) {
            notReady = TRUE;
        } else if (SUCCEEDED(AccessDeviceMuteValue(m_context->hPrinter, value, TRUE))) {
            WritePrinterDword(kMuteValue, value);
            m_muteChanged = 0;
        } else {
            refused = TRUE;
        }
    }
    if (notReady || refused)
        ShowNotReady();
    // The sheet turns Apply off after this apply; what is still pending turns it on again.
    if (m_sleepTimeChanged || m_muteChanged)
        ReportChange(TRUE, TRUE);
}

// --- printer data --------------------------------------------------------------------

BOOL CAuxiliaryDlg::ReadPrinterDword(const WCHAR* name, DWORD* value)
{
    if (!m_context || !m_context->hPrinter)
        return FALSE;
    DWORD type = 0, needed = 0, data = 0;
    if (GetPrinterDataW(m_context->hPrinter, const_cast<LPWSTR>(name), &type, reinterpret_cast<BYTE*>(&data),
                        sizeof data, &needed) != ERROR_SUCCESS ||
        needed != sizeof data)
        return FALSE;
    *value = data;
    return TRUE;
}

BOOL CAuxiliaryDlg::WritePrinterDword(const WCHAR* name, DWORD value)
{
    if (!m_context || !m_context->hPrinter)
        return FALSE;
    return SetPrinterDataW(m_context->hPrinter, const_cast<LPWSTR>(name), REG_DWORD, reinterpret_cast<BYTE*>(&value),
                           sizeof value) == ERROR_SUCCESS;
}
