#include "ui/controls/TipTools.h"
#include "plugin/SystemSeams.h"
#include "res/resource.h"
#include "ui/controls/PicButton.h"

#include <algorithm>
#include <cwchar>

namespace {

// One show or one fade at a time in the process: 1 while one runs.
volatile LONG s_tipBusy = 0;

BOOL TakeBusy() { return InterlockedCompareExchange(&s_tipBusy, 1, 0) == 0; }
void ReleaseBusy() { InterlockedExchange(&s_tipBusy, 0); }

} // namespace

BOOL CTipTools::IsBusy() { return InterlockedCompareExchange(&s_tipBusy, 0, 0) != 0; }

CTipTools::CTipTools() : CUIDialog(IDD_TIP_POPUP, nullptr) {}

CTipTools::~CTipTools()
{
    // Destroyed here, while the object is whole, so that OnDestroy ends a fade.
    if (m_hWnd && GetWindowThreadProcessId(m_hWnd, nullptr) == GetCurrentThreadId())
        DestroyWindow();
    if (m_bFading) {
        m_bFading = FALSE;
        ReleaseBusy();
    }
}

BEGIN_MESSAGE_MAP(CTipTools, CUIDialog)
    ON_WM_CTLCOLOR()
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

void CTipTools::DoDataExchange(CDataExchange* dx)
{
    CUIDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_TIP_PICTURE, m_picture);
}

BOOL CTipTools::OnInitDialog()
{
    CUIDialog::OnInitDialog();
    // The text is measured as written: an ampersand is a character, not a prefix.
    if (HWND text = ::GetDlgItem(m_hWnd, IDC_TIP_TEXT))
        ::SetWindowLongPtrW(text, GWL_STYLE, ::GetWindowLongPtrW(text, GWL_STYLE) | SS_NOPREFIX);
    ShowWindow(SW_HIDE);
    return TRUE;
}

// --- entries -------------------------------------------------------------------

INT_PTR CTipTools::FindIndex(HWND control) const
{
    if (!control)
        return -1;
    for (INT_PTR i = 0; i < m_entries.GetSize(); ++i)
        if (m_entries[i].hCtrl == control)
            return i;
    return -1;
}

TipToolMap* CTipTools::FindTool(HWND control)
{
    const INT_PTR index = FindIndex(control);
    return index < 0 ? nullptr : &m_entries[index];
}

BOOL CTipTools::AddTool(HWND control, LPCWSTR text)
{
    if (!control)
        return FALSE;
    if (TipToolMap* entry = FindTool(control)) {
        entry->strText = text;
        entry->nPictureID = 0;
        return TRUE;
    }
    TipToolMap entry;
    entry.nCtrlID = (UINT)::GetDlgCtrlID(control);
    entry.hCtrl = control;
    entry.strText = text;
    m_entries.Add(entry);
    return TRUE;
}

TipToolMap* CTipTools::GetCurrentTool()
{
    if (m_nCurrent < 0 || m_nCurrent >= m_entries.GetSize())
        return nullptr;
    return &m_entries[m_nCurrent];
}

// --- tracking --------------------------------------------------------------------

void CTipTools::Track(HWND control)
{
    const INT_PTR index = FindIndex(control);
    if (index >= 0) {
        m_nCurrent = index;
        if (m_hWnd)
            SetTimer(TIMER_SHOW, m_entries[index].nDelay);   // replaces a running delay
        return;
    }
    if (!m_hWnd)
        return;
    KillTimer(TIMER_SHOW);
    if (IsWindowVisible())
        Request(FALSE);
}

void CTipTools::TrackSetCursor(HWND window, UINT mouseMessage)
{
    if (!m_hWnd)
        return;
    if (window != m_hTracked) {
        m_hTracked = window;
        Track(window);
    } else if (mouseMessage != WM_MOUSEMOVE) {
        Track((HWND) nullptr);
    }
}

void CTipTools::PictureLeft()
{
    if (!m_hWnd || !m_hTracked)
        return;
    m_hTracked = nullptr;
    Track((HWND) nullptr);
}

void CTipTools::OnTimer(UINT_PTR id)
{
    if (id == TIMER_SHOW) {
        KillTimer(TIMER_SHOW);
        TipToolMap* entry = GetCurrentTool();
        POINT cursor;
        CRect control;
        // A control hidden during the delay (its page left) shows no tip.
        if (entry && ::IsWindowVisible(entry->hCtrl) && g_seams.GetCursorPos(&cursor) &&
            ::GetWindowRect(entry->hCtrl, &control) && control.PtInRect(cursor))
            ShowTip(TRUE, entry);
    } else if (id == TIMER_FADE) {
        StepFade();
    }
    Default();
}

void CTipTools::OnMouseMove(UINT, CPoint)
{
    Request(FALSE);
    m_hTracked = nullptr;
    Default();
}

// --- showing ------------------------------------------------------------------------

void CTipTools::ShowTip(BOOL show, TipToolMap* entry)
{
    if (!m_hWnd)
        return;
    if (show && entry) {
        INT_PTR index = m_entries.GetSize() - 1;
        while (index >= 0 && &m_entries[index] != entry)
            --index;
        if (index < 0)
            return;   // not one of this popup's entries
        m_nCurrent = index;
        if (entry->strText.IsEmpty())
            return;
        SetBackgroundColor(entry->crBack, TRUE);
        SetDlgItemText(IDC_TIP_TEXT, entry->strText);
        m_picture.m_nImageType = 0;
        m_picture.m_nImageID = entry->nPictureID;
        UINT width = 0, height = 0;
        if (entry->nPictureID)
            CPicButton::GetImageSize(entry->nPictureID, width, height, 0);
        m_picture.SizeTo((int)width, (int)height);
        POINT cursor = {};
        g_seams.GetCursorPos(&cursor);
        Layout(cursor, entry);
    }
    Request(show);
}

void CTipTools::Request(BOOL show)
{
    if (!m_hWnd || !TakeBusy())
        return;   // another show or hide runs: dropped
    if (!ShowOrHide(show))
        ReleaseBusy();
}

BOOL CTipTools::ShowOrHide(BOOL show)
{
    TipToolMap* entry = GetCurrentTool();
    if (!entry || !m_hWnd)
        return FALSE;
    HWND text = ::GetDlgItem(m_hWnd, IDC_TIP_TEXT);
    if (show) {
        ShowWindow(SW_SHOWNA);
        ::ShowWindow(text, SW_SHOW);
        m_picture.ShowWindow(SW_SHOW);
        m_picture.DrawPicture((WORD)m_picture.m_nImageID);
        return FALSE;
    }
    ::ShowWindow(text, SW_HIDE);
    m_picture.ShowWindow(SW_HIDE);
    if (!IsWindowVisible())
        return FALSE;
    // From here the fade holds the flag, and EndFade gives it back, also when
    // the popup goes while any of this runs.
    m_bFading = TRUE;
    m_nFadeTime = entry->nFadeTime;
    m_nFadeTicks = 0;
    m_fadeStart = GetTickCount64();
    ModifyStyleEx(0, WS_EX_LAYERED);
    if (!m_hWnd || !m_nFadeTime || !::SetLayeredWindowAttributes(m_hWnd, 0, 255, LWA_ALPHA) ||
        !SetTimer(TIMER_FADE, std::max(m_nFadeTime / FADE_STEPS, 1u)))
        EndFade(TRUE);
    return TRUE;
}

void CTipTools::StepFade()
{
    if (!m_bFading) {
        KillTimer(TIMER_FADE);
        return;
    }
    // Whichever is further on: the ticks counted or the time gone by.
    ++m_nFadeTicks;
    const ULONGLONG elapsed = GetTickCount64() - m_fadeStart;
    const ULONGLONG byTime = m_nFadeTime ? elapsed * FADE_STEPS / m_nFadeTime : FADE_STEPS;
    const ULONGLONG done = std::max<ULONGLONG>(m_nFadeTicks, byTime);
    if (done >= FADE_STEPS) {
        EndFade(TRUE);
        return;
    }
    const BYTE alpha = (BYTE)(255 * (FADE_STEPS - done) / FADE_STEPS);
    ::SetLayeredWindowAttributes(m_hWnd, 0, alpha, LWA_ALPHA);
}

void CTipTools::EndFade(BOOL hide)
{
    if (!m_bFading)
        return;
    if (m_hWnd) {
        KillTimer(TIMER_FADE);
        if (hide) {
            ShowWindow(SW_HIDE);
            ModifyStyleEx(WS_EX_LAYERED, 0);
        }
    }
    m_bFading = FALSE;
    ReleaseBusy();
}

void CTipTools::OnDestroy()
{
    KillTimer(TIMER_SHOW);
    EndFade(FALSE);
    Default();
}

HBRUSH CTipTools::OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor)
{
    HBRUSH brush = CUIDialog::OnCtlColor(dc, control, ctlColor);
    if (ctlColor == CTLCOLOR_STATIC && control && ::GetDlgCtrlID(control->m_hWnd) == IDC_TIP_TEXT) {
        dc->SetBkMode(TRANSPARENT);
        if (TipToolMap* entry = GetCurrentTool())
            dc->SetTextColor(entry->crText);
    }
    return brush;
}

// --- geometry ------------------------------------------------------------------------

void CTipTools::FindLongestLine(HDC dc, LPCWSTR text, int* lineCount, CString* longestLine, SIZE* lineSize)
{
    const wchar_t* line = text ? text : L"";
    int count = 0;
    LONG widest = -1, height = 0;
    CString longest;
    for (;;) {
        const wchar_t* end = wcschr(line, L'\n');
        const int length = end ? (int)(end - line) : (int)wcslen(line);
        SIZE size = {};
        if (dc)
            ::GetTextExtentPoint32W(dc, line, length, &size);
        ++count;
        if (size.cx > widest) {
            widest = size.cx;
            longest = CString(line, length);
        }
        height = std::max(height, size.cy);
        if (!end)
            break;
        line = end + 1;
    }
    TEXTMETRICW metrics = {};
    if (!height && dc && ::GetTextMetricsW(dc, &metrics))
        height = metrics.tmHeight;
    if (lineCount)
        *lineCount = count;
    if (longestLine)
        *longestLine = longest;
    if (lineSize) {
        lineSize->cx = std::max(widest, 0L);
        lineSize->cy = height;
    }
}

void CTipTools::MeasureTip(TipToolMap* entry)
{
    if (!entry || !m_hWnd)
        return;
    int lines = 0;
    SIZE line = {};
    {
        CClientDC dc(this);
        HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
        HGDIOBJ old = font ? dc.SelectObject(font) : nullptr;
        FindLongestLine(dc, entry->strText, &lines, nullptr, &line);
        if (old)
            dc.SelectObject(old);
    }
    const int mx = entry->nMarginX, my = entry->nMarginY;
    m_rcPicture = CRect();
    if (entry->nPictureID && m_picture.m_hWnd) {
        CRect picture;
        m_picture.GetWindowRect(picture);
        m_rcPicture = CRect(mx, my, mx + picture.Width(), my + picture.Height());
    }
    m_rcText.left = mx + m_rcPicture.right;
    m_rcText.top = my;
    m_rcText.right = m_rcText.left + line.cx;
    m_rcText.bottom = my + line.cy * lines;
    m_rcPopup.right = m_rcPopup.left + m_rcText.right + mx;
    m_rcPopup.bottom = m_rcPopup.top + std::max(m_rcText.bottom, m_rcPicture.bottom) + my;
}

void CTipTools::Layout(POINT cursor, TipToolMap* entry)
{
    if (!entry || !m_hWnd)
        return;
    MeasureTip(entry);
    const int width = m_rcPopup.Width(), height = m_rcPopup.Height();
    CRect popup(cursor.x, cursor.y + (int)entry->nOffset, cursor.x + width, cursor.y + (int)entry->nOffset + height);

    CRect work;
    MONITORINFO monitor = { sizeof monitor };
    HMONITOR under = ::MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST);
    if (under && ::GetMonitorInfoW(under, &monitor))
        work = monitor.rcWork;
    else
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (popup.right > work.right)
        popup.OffsetRect(work.right - popup.right, 0);
    if (popup.bottom > work.bottom)
        popup.OffsetRect(0, cursor.y - popup.bottom);   // above the pointer
    // Wider or taller than the room there: its left and top edges stay in.
    if (popup.left < work.left)
        popup.OffsetRect(work.left - popup.left, 0);
    if (popup.top < work.top)
        popup.OffsetRect(0, work.top - popup.top);
    m_rcPopup = popup;

    MoveWindow(m_rcPopup, TRUE);
    if (HWND text = ::GetDlgItem(m_hWnd, IDC_TIP_TEXT))
        ::MoveWindow(text, m_rcText.left, m_rcText.top, m_rcText.Width(), m_rcText.Height(), TRUE);
    if (m_picture.m_hWnd)
        m_picture.MoveWindow(m_rcPicture, TRUE);
}
