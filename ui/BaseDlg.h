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

struct PAGE_LINK;
struct PRIVATE_DEVMODE;
struct PROPSHEET_CONTEXT;

class CBaseDlg : public CPropDlg {
public:
    explicit CBaseDlg(PROPSHEET_CONTEXT* context);
    ~CBaseDlg() override;

    // Before the sheet's apply: a paper number the paper list lacks takes
    // the paper the page shows; the feed edge is taken from the feed-edge
    // group. Answers the input slot the driver gets: the private one, or,
    // when that is automatic, the optional tray that holds the current paper
    // and that the tray rules allow (tray 1 first; automatic when none). The
    // private input slot stays automatic.
    INT16 SelectTrayByInstallableInfo();
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

    // Rebuilds the paper popup's rows and the paper combo from the paper
    // list and selects the private paper (the locale's default paper when
    // the list lacks it).
    void FillPaperList();
    // The paper, media, input-slot, feed-edge, copies and collate fields of
    // the private block from the default settings.
    void LoadBasicDefaults();
    // The paper list's index of the paper the page shows: the private paper,
    // or the locale's default paper when the list lacks it (else the first).
    // Needs the settings and the private block.
    int ShownPaperIndex() const;

    // After the document's paper changed and the constraint state took it,
    // as a choice of that paper does: a paper without a free input slot
    // takes slot 1; an optional tray the paper may not lie in gives way to
    // automatic, with the warning; then the indicators of both pages.
    void FollowPaperRules();

    // Owner callbacks of the copies box and the feed-edge group.
    static void OnCopiesChanged(CWnd* page);
    static void OnFeedEdgeChanged(CWnd* page);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    // The feed edge chosen in the feed-edge group: its selected picture, 65535
    // when none is selected. FALSE when the page has no window or no feed-edge
    // group to ask: the private feed edge then stays as it is.
    BOOL GetFeedEdgeChoice(INT16* feedEdge) const;

    HRESULT InitQuickSetGroup();
    void InitPaperSize();
    void InitMediaType();
    void InitInputSlot();
    void InitFeedEdge();
    HRESULT InitCopies();
    void InitCollate();
    void InitCustomPaperButton();

    void OnCollateClicked();
    void OnMediaTypeChanged();
    void OnInputSlotChanged();
    void OnSaveQuickSet();
    void OnDeleteQuickSet();
    void DeleteQuickSet(BOOL markUnsaved, int index);
    void OnQuickSetSelChange();
    void OnQuickSetEditChange();
    void OnQuickSetEditUpdate();
    LRESULT OnPaperChosen(WPARAM, LPARAM lParam);
    LRESULT OnHideTips(WPARAM, LPARAM);
    void OnCustomPaper();
    void OnDefault();
    void OnPaint();
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor);
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT mouseMessage);
    BOOL OnEraseBkgnd(CDC* dc);
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    // What every handler needs: the private block and the page link.
    bool Ready() const;
    PRIVATE_DEVMODE* Block() const;
    PAGE_LINK* Link() const;
    HINSTANCE LanguageModule() const;
    void LoadText(UINT id, WCHAR* text) const;
    void SetLabel(int controlId, UINT stringId);
    // A picture button sized to its normal image and drawn.
    void InitPicture(CPicButton& button, UINT normal, UINT hover, UINT pressed);
    // The conflict bit (4 or 8) that refuses an optional tray as the input
    // slot with the block's paper and that feed edge; 0 for any other slot
    // or a tray the rules allow.
    UINT OptionalTrayConflict(int slot, INT16 feedEdge) const;
    // The conflict text of the input slot for the bit, in the warning box;
    // the input slot then shows automatic.
    void WarnInputSlot(UINT bit);
    // Shows the row of the input-slot combo at that position.
    void SelectInputSlotRow(int row);
    void ShowMessage(UINT textId, UINT captionId, UINT type, int* answer = nullptr);
    // The quick-set combo lists the store's sets in order, the private quick
    // set chosen (string 4017 in the field when the settings are no saved set).
    HRESULT FillQuickSetList();
    // A failed write of the quick sets, told with the language module's text
    // or, where the module has none, the fixed English one.
    void TellQuickSetFailure(UINT textId, const WCHAR* fallback);
    // The chosen set is no longer in the file: the list shows the file's
    // sets, the settings that were that set are unsaved, and the user is told.
    void ForgetGoneQuickSet(int id);
};
