// CBaseDlg: the Basic page of the document sheet (template 1101): paper size
// with custom papers, media type, input slot, feed edge, copies, collate and
// the quick sets. Its widgets are public: the page link reads and sets them
// when it captures or applies a quick set and when it shows the constraint
// indicators.
#pragma once

#include "ui/PropDlg.h"
#include "ui/controls/ComboDlg.h"
#include "ui/controls/PicButton.h"
#include "ui/controls/PicLogoBtn.h"
#include "ui/controls/PicNumDlg.h"
#include "ui/controls/PicRadioDlg.h"
#include "ui/controls/PicSwitchButton.h"
#include "ui/controls/TipTools.h"

struct PROPSHEET_CONTEXT;

class CBaseDlg : public CPropDlg {
public:
    explicit CBaseDlg(PROPSHEET_CONTEXT* context);
    ~CBaseDlg() override;

    // Before the sheet's apply: with an automatic input slot, the optional
    // tray that holds the current paper becomes the input slot (tray 1 first);
    // the feed edge is taken from the feed-edge group.
    void SelectTrayByInstallableInfo();
    // The collate switch on or off, with its tip.
    void ShowCollate(BOOL on);

    PROPSHEET_CONTEXT* m_context;          // not owned
    CPicButton m_saveQuickSet;             // 2421
    CPicButton m_deleteQuickSet;           // 2422
    CPicButton m_customPaper;              // 2423
    CComboBox m_quickSets;                 // 2200; item data = quick-set id
    CPicNumDlg* m_pCopies = nullptr;       // owned; template 1104 over 2402
    CPicSwitchButton m_collate;            // 2403
    CComboBoxEx m_mediaType;               // 2302; row = option index
    CComboBoxEx m_inputSlot;               // 2303; item data = option index
    CPicRadioDlg* m_pFeedEdge = nullptr;   // owned; template 1108 over 2420
    CComboDlg* m_pPaperPopup = nullptr;    // owned; template 1109
    CComboBtn m_paperSize;                 // 2300
    CTipTools m_tip;                       // the page's tips
    CPicButton m_mediaTypeWarn;            // 2428
    CPicButton m_inputSlotWarn;            // 2427
    CPicButton m_feedEdgeWarn;             // 2430
    CPicLogoBtn m_logo;                    // 2440; hidden
    CBitmap m_background;                  // bitmap 1300

protected:
    // The feed edge chosen in the feed-edge group: its selected picture, 65535
    // when none is selected. FALSE when the page has no window or no feed-edge
    // group to ask: the private feed edge then stays as it is.
    BOOL GetFeedEdgeChoice(INT16* feedEdge) const;

    DECLARE_MESSAGE_MAP()
};
