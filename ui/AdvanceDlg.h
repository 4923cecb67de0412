// CAdvanceDlg: the Advanced page of the document sheet (template 1103):
// duplex, pages per sheet, page border, scale, orientation, rotate by 180
// degrees, print quality, toner saving, density and fine graphics. Its
// widgets are public: the page link reads and sets them when it captures or
// applies a quick set and when it shows the constraint indicators.
//
// The sheet's private block is the only store of the settings: the controls
// start from it, every change a user makes is written into it at once (and
// marks the quick set unsaved, and tells the sheet), and the Default button
// and the quick sets change the block first and then the controls.
#pragma once

#include "ui/PropDlg.h"
#include "ui/controls/PicButton.h"
#include "ui/controls/PicFrameButton.h"
#include "ui/controls/PicLogoBtn.h"
#include "ui/controls/PicNumDlg.h"
#include "ui/controls/PicRadioDlg.h"
#include "ui/controls/PicSwitchButton.h"
#include "ui/controls/TipTools.h"

struct PROPSHEET_CONTEXT;
struct PRIVATE_DEVMODE;

class CAdvanceDlg : public CPropDlg {
public:
    explicit CAdvanceDlg(PROPSHEET_CONTEXT* context);
    ~CAdvanceDlg() override;

    // The page's defaults into the private block; fine graphics keeps its value.
    void LoadAdvancedDefaults();
    // The tip of the density slider, when it has one: dark, normal or light.
    void UpdateDensityTip(int density);
    // The duplex pictures and the N-up icons of that orientation (0 portrait,
    // 1 landscape; any other changes nothing). The choices stay.
    void ShowOrientationPictures(int orientation);
    // The block's scale as the scale box shows it: one outside 25..400 (an
    // old job's) becomes the default 100, in the block too.
    int ShownScale();
    // A switch on or off: its state, its pictures and its tip together.
    void ShowSwitch(CPicSwitchButton& button, BOOL on);

    // Owner callbacks of the sub-dialogs; the argument is the page.
    static void OnDuplexChanged(CWnd* page);
    static void OnScaleChanged(CWnd* page);
    static void OnOrientationChanged(CWnd* page);
    static void OnPrintQualityChanged(CWnd* page);

    PROPSHEET_CONTEXT* m_context;              // not owned
    CPicRadioDlg* m_pDuplex = nullptr;         // owned; template 1105 over 2407
    CComboBoxEx m_pagesPerSheet;               // 2301
    CImageList* m_pPortraitIcons = nullptr;    // owned; icons 1201-1206
    CImageList* m_pLandscapeIcons = nullptr;   // owned; icons 1207-1212
    CPicSwitchButton m_border;                 // 2408
    CPicNumDlg* m_pScale = nullptr;            // owned; template 1111 over 2434
    CPicRadioDlg* m_pOrientation = nullptr;    // owned; template 1106 over 2411
    CPicSwitchButton m_rotate;                 // 2412
    CPicSwitchButton m_tonerSaving;            // 2413
    CPicSwitchButton m_fineGraphics;           // 2444
    CPicFrameButton m_density;                 // 2414; frames of values 0, 1, 2
    CPicRadioDlg* m_pPrintQuality = nullptr;   // owned; template 1107 over 2417
    CTipTools m_tip;                           // the page's tips
    CPicButton m_duplexWarn;                   // 2429
    CPicButton m_scaleWarn;                    // 2431
    CPicButton m_densityWarn;                  // 2437
    CPicLogoBtn m_logo;                        // 2441
    CPicButton m_densityScale;                 // 2435
    CBitmap m_background;                      // bitmap 1301

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    void InitDuplexGroup();
    void InitDuplexPicker();
    void InitLayoutGroup();
    HRESULT InitPagesPerSheet();
    void InitBorderSwitch();
    HRESULT InitScaleBox();
    void InitOrientationGroup();
    void InitOrientationPicker();
    void InitRotateSwitch();
    void InitEffectGroup();
    void InitFineGraphicsSwitch();
    void InitTonerSwitch();
    void InitDensitySlider();
    void InitPrintQualityPicker();
    void InitIndicators();

    void OnPagesPerSheetChanged();
    void OnBorderClicked();
    void OnRotateClicked();
    void OnFineGraphicsClicked();
    void OnTonerSavingClicked();
    void OnDensityClicked();
    void OnDefault();
    LRESULT OnHideTip(WPARAM, LPARAM);
    void OnPaint();
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor);
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT mouseMessage);
    BOOL OnEraseBkgnd(CDC* dc);
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    // The page can change settings: context, pair with its private block,
    // page link; and, when asked, the settings and the language module.
    bool CanChange(bool needSettings = false, bool needResources = false) const;
    PRIVATE_DEVMODE* Block() const;
    HMODULE LanguageModule() const;
    void LoadText(UINT stringId, WCHAR* text) const;
    void SetItemText(int id, UINT stringId);
    // A radio group of that template over its placeholder, or null.
    CPicRadioDlg* CreatePicker(UINT templateId, UINT placeholderId, const _RES_CTL_ID* entries, int count);
    void InitSwitch(CPicSwitchButton& button, int labelId, UINT labelString, BYTE on);
    // A click on a switch: focus, flipped, its tip; answers the new state.
    BYTE FlipSwitch(CPicSwitchButton& button);
    // The pages-per-sheet choice into the block, with its rules.
    void TakePagesPerSheet(int selection);

    // How a user action ends: the quick set is no saved set any more, the
    // sheet enables Apply.
    void MarkUnsaved();
    void NotifyChanged();
};
