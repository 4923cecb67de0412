// CGridCtrl: a report-view list control whose cells are drawn and edited by
// the kind of their column (check box, radio button, drop-down choice, text
// edited in place, percentage bar, plain text), with a validation callback
// of the owner deciding every finished edit.
//
// - The grid learns of its rows and paints its cells through notifications
//   that its parent reflects back to it (LVN_INSERTITEM, NM_CUSTOMDRAW): its
//   parent must be a framework window (a CDialog, or any subclassed CWnd).
// - Rows: insert list items as usual (each insertion adds a row of default
//   cells at the item's index); delete them with DeleteItem, or all of them
//   with DeleteAllRows.
// - An edit that ends sends WM_GRID_CELL_INVALID or WM_GRID_CELL_VALID to
//   the parent; an invalid current cell is flashed by timer GRID_FLASH_TIMER
//   and keeps the warning colour until it validates.
// - Keys: the focus cell is the list's focused item (moved by the list's own
//   Up, Down, Home, End and page keys) in the focus column (moved by Left and
//   Right, and by a click); it is framed while the grid has the focus. F2
//   opens its editor as the double click (text) or the click (choice) does,
//   the choice list not dropped (F4 or Alt+Down drops it). Enter, Tab and
//   Escape are the dialog manager's.
#pragma once

#include "framework/AfxArray.h"
#include "framework/AfxCtrls.h"
#include "framework/AfxString.h"

#include <memory>

class CGridEdit;
class CGridComboBox;

// Column kinds; any other value is a text column aligned as its header.
enum : int {
    GRID_KIND_CHECK = 2,       // check box and text; the owner sets `ticked`
    GRID_KIND_RADIO = 3,       // radio button and text; the owner sets `ticked`
    GRID_KIND_CHOICE = 4,      // text and a drop-down arrow; a click (or F2) opens the choices
    GRID_KIND_EDIT = 5,        // text; a double click (or F2) opens an edit box
    GRID_KIND_PERCENT = 6,     // bar of value / total and its "%.2f%%" text
    GRID_KIND_LEFT_TEXT = 7,   // text, always left-aligned
};

// Sent (wParam 0, lParam 0) to the parent when an in-place edit ended with
// the current cell invalid / valid.
#define WM_GRID_CELL_INVALID (WM_USER + 100)
#define WM_GRID_CELL_VALID (WM_USER + 101)

// The invalid-cell flash: timer 3 of the grid, 8 ticks of 80 ms.
enum : UINT { GRID_FLASH_TIMER = 3, GRID_FLASH_MS = 80, GRID_FLASH_TICKS = 8 };

// Control ids of the in-place editors.
enum : UINT { GRID_EDIT_ID = 1000001, GRID_COMBO_ID = 1000002 };

struct GRID_CELL {
    BYTE enabled = 1;            // 0: drawn inactive (grey), clicks ignored
    BYTE ticked = 0;             // check box / radio ticked; kind 4: arrow drawn pushed
    CArray<CString> choices;     // the drop-down entries of a kind-4 cell, in order
    int image = -1;              // index in the list's small-icon image list; negative: none
    UINT value = 0;              // kind 6: numerator
    UINT total = 100;            // kind 6: denominator
};

// The owner's judgement of the cell {row, column} whose edit just ended (or
// of the current cell): TRUE accepts its text. `owner` is the grid's parent,
// valid during the call only (compare its HWND, never keep the pointer).
typedef BOOL (*GRID_VALIDATE_PROC)(CWnd* owner, const int cell[2]);

class CGridCtrl : public CListCtrl {
public:
    CGridCtrl();
    ~CGridCtrl() override;

    // Inserts a left-aligned column; the new column's index or -1. Every
    // existing row gets a default cell at that index.
    int InsertColumn(int column, LPCWSTR heading, int width, int kind);
    // Deletes the list item and its row. The current cell stays the same
    // cell: a row above it moves it up; deleting its own row clears the
    // invalid state. FALSE (and nothing changed) when the list refuses.
    BOOL DeleteItem(int row);
    // Empties the grid: every row goes, an edit still open is dropped, and
    // the invalid state of the current cell and its flash go too, so that
    // nothing of them is drawn over the rows that come next; no row is
    // selected.
    BOOL DeleteAllRows();
    // Asks the owner about the current cell; a cell outside the rows and
    // columns is valid. Marks and repaints an invalid cell.
    BOOL ValidateCurrentCell();
    // Ends an open in-place edit as a loss of focus does (stored, validated,
    // reported to the parent).
    void CommitEdit();
    // Selects and focuses the row, moves the selection mark to it and scrolls
    // it into view, as a right click on it would; no editor opens. FALSE for
    // a row that does not exist.
    BOOL SimulateRightClick(int row);
    // Restarts the invalid-cell flash of the current cell.
    void StartFlash();
    // The cell the keys act on; FALSE when no item has the list's focus.
    BOOL GetFocusCell(int& row, int& column) const;

    // The cell, or null outside the rows and columns.
    GRID_CELL* GetCell(int row, int column);
    // The kind of a column; 0 outside the columns.
    int GetColumnKind(int column) const;
    // The rectangle of a cell in client coordinates; FALSE when there is none.
    BOOL GetCellRect(int row, int column, CRect& rect) const;
    // The cell under a client point; FALSE when there is none.
    BOOL HitTestCell(CPoint point, int& row, int& column) const;

    // Share of a percentage cell: 1 when value >= total, 0 when either is 0.
    static float PercentRatio(UINT value, UINT total);
    // Its text: "45.00%".
    static CString PercentText(UINT value, UINT total);

    // The editors' windows while they exist (null otherwise).
    HWND GetEditWindow() const;
    HWND GetComboWindow() const;

    int m_nColumnCount = 0;
    int m_nImageListKind = LVSIL_SMALL;
    int m_nCurRow = 0;                      // the cell last opened for editing
    int m_nCurCol = 0;
    BOOL m_bValid = TRUE;                   // result of the last validation of the current cell
    COLORREF m_crWarning = RGB(230, 100, 15);
    GRID_VALIDATE_PROC m_pfnValidate = nullptr;   // null: every cell is valid
    CArray<int> m_arrColumnKinds;           // one per column
    CArray<CArray<GRID_CELL>> m_arrRows;    // one per list item, one cell per column
    int m_nFlashCount = 0;

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    void OnCustomDraw(NMHDR* header, LRESULT* result);
    void OnInsertItem(NMHDR* header, LRESULT* result);
    void OnEndLabelEdit(NMHDR* header, LRESULT* result);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    void OnVScroll(UINT code, UINT pos, CWnd* scrollBar);
    void OnHScroll(UINT code, UINT pos, CWnd* scrollBar);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnSetFocus(CWnd* oldFocus);
    void OnKillFocus(CWnd* newFocus);

    DECLARE_MESSAGE_MAP()

private:
    bool CurrentCellInside() const;
    // The clicked cell when the click may open an editor of that kind; a
    // click on any cell makes its column the focus column.
    bool EditableCellAt(UINT flags, CPoint point, int kind, int& row, int& column);
    // The cell becomes current and its editor opens, when the current cell
    // lets it: a choice cell asks it every time, a text cell when it is
    // another one (the invalid current cell itself opens again to be mended).
    void EditCell(int row, int column, bool byKey);
    void OpenEditor(int row, int column, bool byKey);
    void OpenTextEditor(int row, int column, const CRect& cell, const CString& text, bool byKey);
    void OpenChoiceEditor(int row, int column, const CRect& cell, const CString& text, bool byKey);
    // F2: the editor of the focus cell, when its kind has one.
    void EditFocusCell();
    // The focus column: moved by a click (SetFocusColumn) or a key, which
    // also brings the cell into view.
    void SetFocusColumn(int column);
    void MoveFocusColumn(int column);
    // Scrolls the list sideways until the column is in view, as far as it fits.
    void ScrollColumnIntoView(int column);
    void InvalidateFocusCell();
    // After the list moved its focused item away from `before`: both rows
    // repainted whole, as the list repaints an item only from its margin on
    // and the first cell (and its frame) starts at the row's edge.
    void RepaintFocusedRows(int before);
    // Closes both editors' windows now; an edit still running is first
    // ended (stored) or, when the grid is dying, dropped.
    void CloseEditors(bool dying);
    void HideTextEditor();
    void DrawCell(HDC dc, int row, int column, const CRect& cell);
    // Draws the cell's image, if any; where the rest of the cell begins.
    int DrawCellImage(HDC dc, const CRect& cell, int index);
    void DrawTextCell(HDC dc, const CRect& cell, const GRID_CELL& data, const CString& text, int kind,
                      int column, bool flashing);

    int m_nFocusCol = 0;   // column of the focus cell
    std::unique_ptr<CGridComboBox> m_pComboBox;   // made at the first choice edit
    std::unique_ptr<CGridEdit> m_pEdit;           // made at the first text edit
    // Working colours of the cell being drawn.
    COLORREF m_crText = 0;
    COLORREF m_crBack = 0;
    COLORREF m_crGrey = 0;
};
