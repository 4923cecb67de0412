#include "ui/controls/GridCtrl.h"

#include "ui/controls/GridComboBox.h"
#include "ui/controls/GridEdit.h"

#include <new>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kUnselectedGrey = RGB(192, 192, 192);
const COLORREF kSelectedBar = RGB(56, 86, 10);
const int kChoiceDropHeight = 400;   // the drop-down list below the cell

// Text of a cell, vertically centred on one line, in the given colour; the
// DC's text colour and background mode come back afterwards.
void DrawCellText(HDC dc, RECT rect, const CString& text, UINT align, COLORREF colour)
{
    if (rect.right <= rect.left)
        return;
    COLORREF oldColour = ::SetTextColor(dc, colour);
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, text, text.GetLength(), &rect, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    ::SetBkMode(dc, oldMode);
    ::SetTextColor(dc, oldColour);
}

void FillCell(HDC dc, const RECT& rect, COLORREF colour)
{
    COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

enum EndMode {
    END_COMMIT,          // as a loss of focus: stored and judged
    END_DROP,            // nothing stored; the focus goes to the grid
    END_DROP_DYING,      // nothing stored; the grid is going, the focus is left alone
};

// Ends an edit still running. With close, the window goes now rather than at
// its pending WM_CLOSE, so that nothing of that edit lingers over the grid.
template <class Editor>
void EndEditor(CWnd& grid, Editor* editor, EndMode mode, bool close)
{
    if (!editor)
        return;
    if (editor->IsEditing()) {
        if (mode != END_COMMIT)
            editor->m_bCancelled = TRUE;
        if (mode != END_DROP_DYING && grid.m_hWnd && ::GetFocus() == editor->m_hWnd)
            grid.SetFocus();
        editor->End();   // when the focus was elsewhere
    }
    if (close && editor->m_hWnd)
        editor->DestroyWindow();
}

} // namespace

BEGIN_MESSAGE_MAP(CGridCtrl, CListCtrl)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CGridCtrl::OnCustomDraw)
    ON_NOTIFY_REFLECT(LVN_INSERTITEM, &CGridCtrl::OnInsertItem)
    ON_NOTIFY_REFLECT(LVN_ENDLABELEDITW, &CGridCtrl::OnEndLabelEdit)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_MOUSEWHEEL()
    ON_WM_VSCROLL()
    ON_WM_HSCROLL()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_WM_KEYDOWN()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

CGridCtrl::CGridCtrl() = default;

CGridCtrl::~CGridCtrl()
{
    // Editor windows go while every member is still whole; what they held is
    // dropped. The list's own window goes with the base object.
    CloseEditors(true);
}

BOOL CGridCtrl::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style &= ~(DWORD)(LVS_SMALLICON | LVS_SORTASCENDING | LVS_SORTDESCENDING);
    cs.style |= LVS_REPORT | LVS_SHOWSELALWAYS;
    return CListCtrl::PreCreateWindow(cs);
}

// --- columns, rows and cells ---------------------------------------------------------

int CGridCtrl::InsertColumn(int column, LPCWSTR heading, int width, int kind)
{
    int index = CListCtrl::InsertColumn(column, heading, LVCFMT_LEFT, width);
    if (index < 0)
        return -1;
    m_arrColumnKinds.InsertAt(index, kind);
    for (INT_PTR row = 0; row < m_arrRows.GetSize(); ++row)
        m_arrRows[row].InsertAt(index, GRID_CELL());
    ++m_nColumnCount;
    return index;
}

BOOL CGridCtrl::DeleteItem(int row)
{
    if (!CListCtrl::DeleteItem(row))
        return FALSE;
    if (row >= 0 && row < m_arrRows.GetSize())
        m_arrRows.RemoveAt(row);
    if (row == m_nCurRow)
        m_bValid = TRUE;
    else if (row < m_nCurRow)
        --m_nCurRow;
    // An edit of the deleted row is dropped; one below follows its row.
    if (m_pEdit && m_pEdit->IsEditing()) {
        if (m_pEdit->m_nRow == row)
            EndEditor(*this, m_pEdit.get(), END_DROP, true);
        else if (m_pEdit->m_nRow > row)
            --m_pEdit->m_nRow;
    }
    if (m_pComboBox && m_pComboBox->IsEditing()) {
        if (m_pComboBox->m_nRow == row)
            EndEditor(*this, m_pComboBox.get(), END_DROP, true);
        else if (m_pComboBox->m_nRow > row)
            --m_pComboBox->m_nRow;
    }
    return TRUE;
}

BOOL CGridCtrl::DeleteAllRows()
{
    EndEditor(*this, m_pEdit.get(), END_DROP, true);
    EndEditor(*this, m_pComboBox.get(), END_DROP, true);
    if (m_hWnd)
        KillTimer(GRID_FLASH_TIMER);
    m_bValid = TRUE;
    m_nCurRow = 0;
    m_nCurCol = 0;
    const BOOL deleted = DeleteAllItems();
    m_arrRows.RemoveAll();
    SetSelectionMark(-1);
    return deleted;
}

GRID_CELL* CGridCtrl::GetCell(int row, int column)
{
    if (row < 0 || row >= m_arrRows.GetSize())
        return nullptr;
    CArray<GRID_CELL>& cells = m_arrRows[row];
    if (column < 0 || column >= cells.GetSize())
        return nullptr;
    return &cells[column];
}

int CGridCtrl::GetColumnKind(int column) const
{
    if (column < 0 || column >= m_arrColumnKinds.GetSize())
        return 0;
    return m_arrColumnKinds[column];
}

BOOL CGridCtrl::GetCellRect(int row, int column, CRect& rect) const
{
    if (column != 0)
        return GetSubItemRect(row, column, LVIR_BOUNDS, rect);
    // The first column's sub-item bounds are the whole row.
    if (!GetItemRect(row, &rect, LVIR_BOUNDS))
        return FALSE;
    if (m_nColumnCount > 1) {
        CRect next;
        if (!GetSubItemRect(row, 1, LVIR_BOUNDS, next))
            return FALSE;
        rect.right = next.left;
    }
    return TRUE;
}

BOOL CGridCtrl::HitTestCell(CPoint point, int& row, int& column) const
{
    LVHITTESTINFO info = {};
    info.pt = point;
    SubItemHitTest(&info);
    if (info.iItem < 0 || m_nColumnCount <= 0)
        return FALSE;
    for (int c = 0; c < m_nColumnCount; ++c) {
        CRect cell;
        if (GetCellRect(info.iItem, c, cell) && cell.PtInRect(point)) {
            row = info.iItem;
            column = c;
            return TRUE;
        }
    }
    return FALSE;
}

bool CGridCtrl::CurrentCellInside() const
{
    return m_nCurRow >= 0 && m_nCurRow < GetItemCount() && m_nCurCol >= 0 && m_nCurCol < m_nColumnCount;
}

// --- validation and the flash ------------------------------------------------------

BOOL CGridCtrl::ValidateCurrentCell()
{
    if (!CurrentCellInside()) {
        m_bValid = TRUE;
        return TRUE;
    }
    BOOL wasValid = m_bValid;
    BOOL valid = !m_pfnValidate;
    HWND parent = ::GetParent(m_hWnd);
    if (m_pfnValidate && parent) {
        CAfxTempMapLock lock;
        const int cell[2] = { m_nCurRow, m_nCurCol };
        valid = m_pfnValidate(CWnd::FromHandle(parent), cell);
    }
    m_bValid = valid ? TRUE : FALSE;
    CRect rect;
    // An invalid cell shows the warning colour; a cell that was, shows it no more.
    if ((!m_bValid || !wasValid) && CurrentCellInside() && GetCellRect(m_nCurRow, m_nCurCol, rect))
        InvalidateRect(rect, TRUE);
    return m_bValid;
}

void CGridCtrl::StartFlash()
{
    m_nFlashCount = 0;
    SetTimer(GRID_FLASH_TIMER, GRID_FLASH_MS);
}

void CGridCtrl::OnTimer(UINT_PTR id)
{
    if (id != GRID_FLASH_TIMER) {
        Default();   // the list's own timers
        return;
    }
    if (m_nFlashCount < (int)GRID_FLASH_TICKS) {
        CRect rect;
        if (CurrentCellInside() && GetCellRect(m_nCurRow, m_nCurCol, rect))
            InvalidateRect(rect, TRUE);
        // Counted also when the cell is gone, so that the flash always ends.
        ++m_nFlashCount;
    } else {
        KillTimer(GRID_FLASH_TIMER);
    }
}

// --- editing ---------------------------------------------------------------------------

HWND CGridCtrl::GetEditWindow() const { return m_pEdit ? m_pEdit->m_hWnd : nullptr; }
HWND CGridCtrl::GetComboWindow() const { return m_pComboBox ? m_pComboBox->m_hWnd : nullptr; }

void CGridCtrl::CommitEdit()
{
    EndEditor(*this, m_pEdit.get(), END_COMMIT, false);
    EndEditor(*this, m_pComboBox.get(), END_COMMIT, false);
}

void CGridCtrl::CloseEditors(bool dying)
{
    EndEditor(*this, m_pEdit.get(), dying ? END_DROP_DYING : END_COMMIT, true);
    EndEditor(*this, m_pComboBox.get(), dying ? END_DROP_DYING : END_COMMIT, true);
}

void CGridCtrl::HideTextEditor()
{
    if (m_pEdit && m_pEdit->m_hWnd && ::IsWindow(m_pEdit->m_hWnd))
        m_pEdit->ShowWindow(SW_HIDE);
}

bool CGridCtrl::EditableCellAt(UINT flags, CPoint point, int kind, int& row, int& column)
{
    if (!HitTestCell(point, row, column))
        return false;
    // The keys go on from the clicked cell.
    SetFocusColumn(column);
    if ((flags & (MK_SHIFT | MK_CONTROL)) || ::GetKeyState(VK_MENU) < 0)
        return false;
    GRID_CELL* cell = GetCell(row, column);
    if (!cell || !cell->enabled)
        return false;
    EnsureVisible(row, TRUE);
    if (GetColumnKind(column) != kind)
        return false;
    // An edit still running ends (stored and judged) before the click is.
    CloseEditors(false);
    return true;
}

void CGridCtrl::OnLButtonDown(UINT flags, CPoint point)
{
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    Default();
    RepaintFocusedRows(focused);
    int row = 0, column = 0;
    if (EditableCellAt(flags, point, GRID_KIND_CHOICE, row, column))
        EditCell(row, column, false);
}

void CGridCtrl::OnLButtonDblClk(UINT flags, CPoint point)
{
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    Default();
    RepaintFocusedRows(focused);
    int row = 0, column = 0;
    if (EditableCellAt(flags, point, GRID_KIND_EDIT, row, column))
        EditCell(row, column, false);
}

void CGridCtrl::EditCell(int row, int column, bool byKey)
{
    if (GetColumnKind(column) == GRID_KIND_CHOICE || row != m_nCurRow || column != m_nCurCol) {
        if (!ValidateCurrentCell()) {
            StartFlash();
            return;
        }
        m_nCurRow = row;
        m_nCurCol = column;
    } else {
        m_bValid = TRUE;
    }
    OpenEditor(row, column, byKey);
}

void CGridCtrl::OpenEditor(int row, int column, bool byKey)
{
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= m_nColumnCount)
        return;
    CRect cell;
    if (!GetCellRect(row, column, cell))
        return;
    CString text = GetItemText(row, column);
    if (GetColumnKind(column) == GRID_KIND_CHOICE)
        OpenChoiceEditor(row, column, cell, text, byKey);
    else
        OpenTextEditor(row, column, cell, text, byKey);
}

void CGridCtrl::OpenTextEditor(int row, int column, const CRect& cell, const CString& text, bool byKey)
{
    if (!m_pEdit)
        m_pEdit.reset(new (std::nothrow) CGridEdit);
    if (!m_pEdit)
        return;
    if (m_pEdit->m_hWnd)
        m_pEdit->DestroyWindow();
    m_pEdit->Begin(row, column);
    if (!m_pEdit->Create(WS_CHILD | WS_BORDER | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_NOHIDESEL, cell, this,
                         GRID_EDIT_ID)) {
        m_pEdit->End();
        return;
    }
    m_pEdit->SetWindowText(text);
    // As F2 on a list's label: what is typed replaces the text.
    if (byKey)
        m_pEdit->SetSel(0, -1);
}

void CGridCtrl::OpenChoiceEditor(int row, int column, const CRect& cell, const CString& text, bool byKey)
{
    if (!m_pComboBox)
        m_pComboBox.reset(new (std::nothrow) CGridComboBox);
    if (!m_pComboBox)
        return;
    CGridComboBox& combo = *m_pComboBox;
    if (combo.m_hWnd)
        combo.DestroyWindow();
    combo.Begin(row, column);
    CRect dropped = cell;
    dropped.bottom += kChoiceDropHeight;
    if (!combo.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | CBS_DROPDOWNLIST | CBS_AUTOHSCROLL | CBS_OEMCONVERT |
                          CBS_DISABLENOSCROLL,
                      dropped, this, GRID_COMBO_ID)) {
        combo.End();
        return;
    }
    combo.ResetContent();
    if (const GRID_CELL* data = GetCell(row, column)) {
        for (INT_PTR i = 0; i < data->choices.GetSize(); ++i)
            combo.AddString(data->choices[i]);
    }
    if (!text.IsEmpty()) {
        combo.SetWindowText(text);
        // The entry that is the cell's text, not one that merely begins with it.
        combo.SetCurSel(combo.FindStringExact(-1, text));
    }
    // A click on the arrow drops the list; F2 leaves that to the combo's own keys.
    if (!byKey)
        combo.PostMessage(CB_SHOWDROPDOWN, TRUE);
    Invalidate(FALSE);
    UpdateWindow();
}

BOOL CGridCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    bool fromEditor = header && header->hwndFrom &&
                      (header->hwndFrom == GetEditWindow() || header->hwndFrom == GetComboWindow());
    if (!fromEditor || header->code != LVN_ENDLABELEDITW)
        return CListCtrl::OnNotify(wParam, lParam, result);

    auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
    SetItemText(info->item.iItem, info->item.iSubItem, info->item.pszText ? info->item.pszText : L"");
    HWND parent = ::GetParent(m_hWnd);
    if (!ValidateCurrentCell()) {
        ::SendMessageW(parent, WM_GRID_CELL_INVALID, 0, 0);
        StartFlash();
    } else {
        ::SendMessageW(parent, WM_GRID_CELL_VALID, 0, 0);
    }
    CListCtrl::OnNotify(wParam, lParam, result);
    *result = 0;
    return TRUE;
}

void CGridCtrl::OnEndLabelEdit(NMHDR* header, LRESULT* result)
{
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
    if (info->item.pszText)
        SetItemText(info->item.iItem, info->item.iSubItem, info->item.pszText);
    *result = 0;
}

void CGridCtrl::OnInsertItem(NMHDR* header, LRESULT* result)
{
    auto* info = reinterpret_cast<NMLISTVIEW*>(header);
    CArray<GRID_CELL> row;
    for (int c = 0; c < m_nColumnCount; ++c)
        row.Add(GRID_CELL());
    if (info->iItem >= 0)
        m_arrRows.InsertAt(info->iItem, row);
    *result = 0;
}

// --- keys ---------------------------------------------------------------------------------

BOOL CGridCtrl::GetFocusCell(int& row, int& column) const
{
    row = GetNextItem(-1, LVNI_FOCUSED);
    column = m_nFocusCol;
    return row >= 0 && row < GetItemCount() && column >= 0 && column < m_nColumnCount;
}

void CGridCtrl::OnKeyDown(UINT key, UINT, UINT)
{
    // Up, Down, Home, End and the page keys are the list's: they move the focused item.
    const bool plain = ::GetKeyState(VK_CONTROL) >= 0 && ::GetKeyState(VK_SHIFT) >= 0;
    if (plain && (key == VK_LEFT || key == VK_RIGHT)) {
        MoveFocusColumn(m_nFocusCol + (key == VK_LEFT ? -1 : 1));
        return;
    }
    if (plain && key == VK_F2) {
        EditFocusCell();
        return;
    }
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    Default();
    RepaintFocusedRows(focused);
}

void CGridCtrl::RepaintFocusedRows(int before)
{
    const int after = GetNextItem(-1, LVNI_FOCUSED);
    if (after == before)
        return;
    for (int row : { before, after }) {
        CRect rect;
        if (row >= 0 && GetItemRect(row, rect, LVIR_BOUNDS))
            InvalidateRect(rect, FALSE);
    }
}

void CGridCtrl::EditFocusCell()
{
    int row = 0, column = 0;
    if (!GetFocusCell(row, column))
        return;
    const GRID_CELL* cell = GetCell(row, column);
    const int kind = GetColumnKind(column);
    if (!cell || !cell->enabled || (kind != GRID_KIND_EDIT && kind != GRID_KIND_CHOICE))
        return;
    EnsureVisible(row, FALSE);
    ScrollColumnIntoView(column);
    CloseEditors(false);
    EditCell(row, column, true);
}

void CGridCtrl::SetFocusColumn(int column)
{
    if (column == m_nFocusCol)
        return;
    InvalidateFocusCell();
    m_nFocusCol = column;
    InvalidateFocusCell();
}

void CGridCtrl::MoveFocusColumn(int column)
{
    if (column < 0 || column >= m_nColumnCount)
        return;
    // Scrolled first: the frame is drawn where the cells then stand.
    ScrollColumnIntoView(column);
    SetFocusColumn(column);
}

void CGridCtrl::ScrollColumnIntoView(int column)
{
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    CRect cell, client;
    if (GetItemCount() <= 0 || !GetCellRect(focused >= 0 ? focused : 0, column, cell))
        return;
    GetClientRect(client);
    int dx = 0;
    if (cell.right > client.right)
        dx = cell.right - client.right;
    // A column wider than the list shows its start.
    if (cell.left - dx < client.left)
        dx = cell.left - client.left;
    if (dx)
        SendMessage(LVM_SCROLL, (WPARAM)dx, 0);
}

void CGridCtrl::InvalidateFocusCell()
{
    int row = 0, column = 0;
    CRect rect;
    if (m_hWnd && GetFocusCell(row, column) && GetCellRect(row, column, rect))
        InvalidateRect(rect, FALSE);
}

void CGridCtrl::OnSetFocus(CWnd*)
{
    Default();
    InvalidateFocusCell();
}

void CGridCtrl::OnKillFocus(CWnd*)
{
    Default();
    InvalidateFocusCell();
}

// --- scrolling and the end ------------------------------------------------------------

BOOL CGridCtrl::OnMouseWheel(UINT flags, short delta, CPoint point)
{
    HideTextEditor();
    return CListCtrl::OnMouseWheel(flags, delta, point);
}

void CGridCtrl::OnVScroll(UINT code, UINT pos, CWnd* scrollBar)
{
    HideTextEditor();
    CListCtrl::OnVScroll(code, pos, scrollBar);
}

void CGridCtrl::OnHScroll(UINT code, UINT pos, CWnd* scrollBar)
{
    HideTextEditor();
    CListCtrl::OnHScroll(code, pos, scrollBar);
}

void CGridCtrl::OnDestroy()
{
    KillTimer(GRID_FLASH_TIMER);
    CloseEditors(true);
    m_arrColumnKinds.RemoveAll();
    m_arrRows.RemoveAll();
    m_nColumnCount = 0;
    CListCtrl::OnDestroy();
}

// --- selection by code -------------------------------------------------------------------

BOOL CGridCtrl::SimulateRightClick(int row)
{
    if (row < 0 || row >= GetItemCount())
        return FALSE;
    // As a right click on the row: it alone is selected and focused, the
    // selection mark moves to it, no editor opens.
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    SetItemState(-1, 0, LVIS_SELECTED);
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    RepaintFocusedRows(focused);
    SetSelectionMark(row);
    EnsureVisible(row, TRUE);
    return TRUE;
}

// --- drawing -------------------------------------------------------------------------------

float CGridCtrl::PercentRatio(UINT value, UINT total)
{
    if (value >= total)
        return 1.0f;
    if (value == 0 || total == 0)
        return 0.0f;
    return (float)value / (float)total;
}

CString CGridCtrl::PercentText(UINT value, UINT total)
{
    CString text;
    text.Format(L"%.2f%%", PercentRatio(value, total) * 100.0f);
    return text;
}

void CGridCtrl::OnCustomDraw(NMHDR* header, LRESULT* result)
{
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
    case CDDS_ITEMPREPAINT:
        *result = CDRF_NOTIFYSUBITEMDRAW;
        return;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        CRect cell;
        int row = (int)draw->nmcd.dwItemSpec;
        if (!GetCellRect(row, draw->iSubItem, cell)) {
            *result = 0;
            return;
        }
        DrawCell(draw->nmcd.hdc, row, draw->iSubItem, cell);
        *result = CDRF_SKIPDEFAULT;
        return;
    }
    default:
        *result = 0;
    }
}

namespace {
// How a cell without data is drawn; made when the module is loaded (a guarded
// local static would keep a TLS slot after each unload of the module).
const GRID_CELL kDefaultCell;
} // namespace

void CGridCtrl::DrawCell(HDC dc, int row, int column, const CRect& cell)
{
    CString text = GetItemText(row, column);
    const bool selected = (GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    m_crText = ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    m_crBack = ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    m_crGrey = selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : kUnselectedGrey;

    const GRID_CELL* found = GetCell(row, column);
    const GRID_CELL& data = found ? *found : kDefaultCell;
    const COLORREF textColour = data.enabled ? m_crText : m_crGrey;
    const int height = cell.Height();
    const int kind = GetColumnKind(column);

    switch (kind) {
    case GRID_KIND_CHECK:
    case GRID_KIND_RADIO: {
        FillCell(dc, cell, m_crBack);
        const int side = height - 2;
        CRect box(cell.left + 7, cell.top + 1, cell.left + 7 + side, cell.top + 1 + side);
        UINT state = kind == GRID_KIND_CHECK ? DFCS_BUTTONCHECK : DFCS_BUTTONRADIO;
        if (data.ticked)
            state |= DFCS_CHECKED;
        if (!data.enabled)
            state |= DFCS_INACTIVE;
        if (kind == GRID_KIND_CHECK && selected)
            state |= DFCS_HOT;
        ::DrawFrameControl(dc, box, DFC_BUTTON, state);
        DrawCellText(dc, CRect(box.right + 3, cell.top, cell.right, cell.bottom), text, DT_LEFT, textColour);
        break;
    }
    case GRID_KIND_CHOICE: {
        FillCell(dc, cell, m_crBack);
        CRect arrow(cell.right - 2 - height, cell.top, cell.right - 2, cell.bottom);
        UINT state = DFCS_SCROLLCOMBOBOX;
        if (data.ticked)
            state |= DFCS_CHECKED;
        if (selected)
            state |= DFCS_HOT;
        if (!data.enabled)
            state |= DFCS_INACTIVE;
        ::DrawFrameControl(dc, arrow, DFC_SCROLL, state);
        DrawCellText(dc, CRect(cell.left + 2, cell.top, arrow.left - 3, cell.bottom), text, DT_LEFT, textColour);
        break;
    }
    case GRID_KIND_PERCENT: {
        FillCell(dc, cell, m_crBack);
        CRect area(DrawCellImage(dc, cell, data.image) + 3, cell.top, cell.right, cell.bottom);
        const float ratio = PercentRatio(data.value, data.total);
        CRect bar(area.left + 1, cell.top + 1, area.left + (int)(area.Width() * ratio + 0.5f), cell.bottom - 1);
        if (bar.right > cell.right - 1)
            bar.right = cell.right - 1;
        if (bar.right > bar.left)
            FillCell(dc, bar, selected ? kSelectedBar : m_crGrey);
        DrawCellText(dc, area, PercentText(data.value, data.total), DT_CENTER, m_crText);
        break;
    }
    default:
        DrawTextCell(dc, cell, data, text, kind, column,
                     !m_bValid && row == m_nCurRow && column == m_nCurCol);
    }
    int focusRow = 0, focusColumn = 0;
    if (::GetFocus() == m_hWnd && GetFocusCell(focusRow, focusColumn) && row == focusRow && column == focusColumn)
        ::DrawFocusRect(dc, &cell);
}

void CGridCtrl::DrawTextCell(HDC dc, const CRect& cell, const GRID_CELL& data, const CString& text, int kind,
                             int column, bool flashing)
{
    // An invalid current cell alternates white and the warning colour at
    // every tick and rests in the warning colour.
    COLORREF back = m_crBack;
    if (flashing)
        back = (m_nFlashCount & 1) ? kWhite : m_crWarning;
    FillCell(dc, cell, back);
    const int left = DrawCellImage(dc, cell, data.image);
    UINT align = DT_LEFT;
    if (kind != GRID_KIND_LEFT_TEXT) {
        LVCOLUMNW info = {};
        info.mask = LVCF_FMT;
        if (GetColumn(column, &info)) {
            int format = info.fmt & LVCFMT_JUSTIFYMASK;
            align = format == LVCFMT_LEFT ? DT_LEFT : format == LVCFMT_RIGHT ? DT_RIGHT : DT_CENTER;
        }
    }
    DrawCellText(dc, CRect(left + 3, cell.top, cell.right, cell.bottom), text, align,
                 data.enabled ? m_crText : m_crGrey);
}

int CGridCtrl::DrawCellImage(HDC dc, const CRect& cell, int index)
{
    HIMAGELIST images = GetImageList(m_nImageListKind);
    if (index < 0 || !images)
        return cell.left;
    // A square of the cell's height at its top-left, on the cell's background.
    const int side = cell.Height();
    IMAGELISTDRAWPARAMS image = {};
    image.cbSize = sizeof image;
    image.himl = images;
    image.i = index;
    image.hdcDst = dc;
    image.x = cell.left;
    image.y = cell.top;
    image.cx = side;
    image.cy = side;
    image.rgbBk = m_crBack;
    image.rgbFg = m_crBack;
    image.fStyle = ILD_NORMAL;
    image.dwRop = SRCCOPY;
    image.crEffect = CLR_DEFAULT;
    ImageList_DrawIndirect(&image);
    return cell.left + side;
}
