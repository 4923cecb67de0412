// CAuxiliaryDlg: the device page of the printer sheet (template 1114): the
// printer's sleep time and mute switch, sent over USB; the two optional trays
// with their papers, kept in the printer data (a hidden group); the about box.
#pragma once

#include "device/PrinterUtils.h"
#include "framework/AfxCtrls.h"
#include "ui/PropDlg.h"
#include "ui/controls/PicSwitchButton.h"

struct PROPSHEET_CONTEXT;

// The address the support button opens.
#define MAKER_WEB_PAGE L"https://www.brixom.com/support"

class CAuxiliaryDlg : public CPropDlg {
public:
    explicit CAuxiliaryDlg(PROPSHEET_CONTEXT* context);
    ~CAuxiliaryDlg() override;

    // PSN_APPLY: writes the changed trays, then sends a changed sleep time and
    // mute to the printer and stores what it accepted. A printer that is not
    // ready or refuses a value gets the warning; that value stays pending.
    void SaveSettings();

    // 1 while the shown value differs from the stored "SleepTime" / "MuteVal".
    DWORD SleepTimeChanged() const { return m_sleepTimeChanged; }
    DWORD MuteChanged() const { return m_muteChanged; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    void LoadSleepTime();
    // The list position of the printer's sleep time, else of the stored one,
    // else of the driver's default option; 0 when none matches.
    int GetSleepTimeIndex();
    void LoadMuteValue();
    void LoadInstallableInfo();
    void ShowAboutInfo();
    // The tray controls differ from the value read (or last written).
    BOOL InstallableInfoChanged();

    void OpenMakerWebPage();
    void OnSleepTimeChanged();
    void OnTray1Clicked();
    void OnTray2Clicked();
    void OnMuteClicked();
    void OnTrayPaperChanged();

    CComboBox m_sleepTimeList;
    PROPSHEET_CONTEXT* m_context;   // not owned
    DWORD m_sleepTimeChanged = 0;
    DWORD m_muteChanged = 0;
    INSTALLABLE_INFO m_traysRead = {};
    CPicSwitchButton m_tray1Switch;
    CPicSwitchButton m_tray2Switch;
    CPicSwitchButton m_muteSwitch;
    CComboBox m_tray1PaperList;
    CComboBox m_tray2PaperList;

    DECLARE_MESSAGE_MAP()

private:
    // An administrator, a local printer, a USB port.
    BOOL MayChangeDevice();
    void SetItemText(int id, UINT stringId);
    void LoadText(UINT stringId, WCHAR* text);
    void GiveSwitchPictures(CPicSwitchButton& button);
    // UpdateSwitch, and the switch's outline as its window's shape.
    void RefreshSwitch(CPicSwitchButton& button);
    // Sleep time the list's selected item stands for; FALSE without a selection.
    BOOL SelectedSleepTime(DWORD* value);
    void FlipTray(CPicSwitchButton& button, CComboBox& papers);
    // PSM_CHANGED or PSM_UNCHANGED for the page, to the sheet.
    void ReportChange(BOOL changed, BOOL post = FALSE);
    // Device state byte 1 or 3: the printer takes settings.
    BOOL DeviceReady();
    void ShowNotReady();
    BOOL ReadPrinterDword(const WCHAR* name, DWORD* value);
    BOOL WritePrinterDword(const WCHAR* name, DWORD value);

    int m_mayChange = -1;   // MayChangeDevice, once known
    BOOL m_loaded = FALSE;  // the controls were filled
};
