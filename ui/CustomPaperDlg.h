// CCustomPaperDlg: the modal dialog (template 1110) in which the user defines,
// renames, resizes and deletes the custom papers of the sheet's paper list,
// and may pick one of them as the document's paper.
//
// The dialog starts from the custom papers in the file as it is when the
// dialog opens (another sheet may have changed it), the document's paper
// following its custom paper there. One grid row per custom paper, in
// paper-list order (row n is custom paper n). Every accepted edit, addition
// and deletion changes the sheet's paper list at once; the custom-paper file
// is written when the dialog closes, by OK or Cancel (Enter, Escape and the
// close box do the same), unless the papers are still as the dialog found or
// last wrote them. A deletion is written at once and also rewrites the quick
// sets and the private block that name the deleted paper or a later one
// (custom papers are numbered by position), the two files in one step under
// the paper file's lock. A write never replaces a file
// that another sheet changed since the dialog read or wrote it: the dialog
// then shows the file's papers again and stays open.
#pragma once

#include "framework/AfxArray.h"
#include "framework/AfxString.h"
#include "settings/PaperInfo.h"
#include "ui/PropDlg.h"
#include "ui/controls/GridCtrl.h"
#include "ui/controls/PicButton.h"
#include "ui/controls/TipTools.h"

struct PROPSHEET_CONTEXT;
class CPaperList;

// Grid columns of the dialog.
enum CUSTOM_PAPER_COLUMN {
    CUSTOM_COLUMN_NAME = 0,
    CUSTOM_COLUMN_WIDTH = 1,
    CUSTOM_COLUMN_HEIGHT = 2,
    CUSTOM_COLUMN_UNIT = 3,
    CUSTOM_COLUMN_COUNT = 4
};

class CCustomPaperDlg : public CPropDlg {
public:
    explicit CCustomPaperDlg(CWnd* parent);
    ~CCustomPaperDlg() override;

    // The grid's judgement of the cell {row, column} just edited: TRUE takes
    // the text into the paper of that row, FALSE marks the cell invalid.
    static BOOL ValidateCell(CWnd* owner, const int cell[2]);
    // Every character a digit or a point; TRUE for the empty text.
    static BOOL IsNumberText(const CString& text);
    // The number the text starts with (digits with at most one point); 0
    // when it starts with none. "1.2.3" reads 1.2.
    static double ReadLeadingNumber(const CString& text);
    // A size as its unit shows it: "%.1f" for millimetres, "%.2f" for inches.
    static CString FormatSize(float value, DWORD unit);

    PROPSHEET_CONTEXT* m_context = nullptr;   // set by the Basic page before DoModal; not owned

    CGridCtrl m_grid;           // 2800
    CPicButton m_addButton;     // 2425
    CPicButton m_deleteButton;  // 2426
    CPicButton m_infoPicture;   // 2438
    CPicButton m_warnPicture;   // 2439, shown while an edited cell is invalid
    CTipTools m_tip;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Enter, Escape and the close box: as the OK and Cancel buttons. Both
    // keep an edit still open; in a cell's editor the two keys end that
    // edit only (Escape drops it).
    void OnOK() override;
    void OnCancel() override;

    void OnClickOk();
    void OnClickCancel();
    void OnAddPaper();
    void OnDeletePaper();
    LRESULT OnShowHint(WPARAM, LPARAM);
    LRESULT OnHideHint(WPARAM, LPARAM);
    LRESULT OnPictureLeft(WPARAM, LPARAM);
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    BOOL OnHelpInfo(HELPINFO* info);
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    CPaperList* Papers() const;
    HINSTANCE LanguageModule() const;
    CString LoadText(UINT stringId) const;
    // A warning box with the language module's text, or the fixed English
    // one where the module has none.
    void Warn(UINT stringId, const WCHAR* fallback);
    // The custom papers from the file, the document's custom paper followed
    // to its number there (ReadCustomPapersAgain).
    void StartFromFile();
    enum class SaveResult { Written, Failed, ChangedElsewhere };
    // Writes the custom papers unless the file holds them already. A file
    // that is not as the dialog last read or wrote it is left alone.
    SaveResult SavePapers();
    // After a write refused for another sheet's change: the papers of the
    // file shown again, the paper the user had selected still selected
    // (followed into the file as the document's paper is) or none, and the
    // user told.
    void ShowFileAgain();
    // The document's paper, when it is a custom one, becomes the selected row.
    void SelectDocumentRow();
    // Rows for every custom paper, after the grid is emptied.
    void FillGrid();
    // Appends the row of a paper: name, sizes, unit choices and unit.
    void AppendRow(const PAPER_INFO& paper);
    void SetSizeCells(int row, const PAPER_INFO& paper);
    // The judgement of one cell (ValidateCell once the dialog is found).
    BOOL Validate(int row, int column);
    // After custom paper `deletedId` went and the paper file was written:
    // every quick set that named it or a later custom paper, then the
    // private paper; E_FAIL (nothing changed) when the quick sets are not written.
    HRESULT FollowDeletion(int deletedId, const CString& deletedName);
    void ShowPicture(CPicButton& picture, UINT normal, UINT hover);
    // The custom papers written before the dialog ends (a failed write
    // told); false, with the file's papers shown again, when another sheet
    // changed them meanwhile: the dialog stays open.
    bool SaveToClose();

    CArray<CString> m_unitChoices;   // the unit names, as the unit cells offer them
    CArray<PAPER_INFO> m_stored;     // the custom papers as the file was last read or written
};
