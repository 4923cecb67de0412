// CAdvanceDlg: the Advanced page of the document sheet (template 1103):
// duplex, pages per sheet, page border, scale, orientation, rotate by 180
// degrees, print quality, toner saving, density and fine graphics. Its
// widgets are public: the page link reads and sets them when it captures or
// applies a quick set and when it shows the constraint indicators.
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

class CAdvanceDlg : public CPropDlg {
public:
    explicit CAdvanceDlg(PROPSHEET_CONTEXT* context);
    ~CAdvanceDlg() override;

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
    DECLARE_MESSAGE_MAP()
};
