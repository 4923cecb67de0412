#include "framework/AfxDialog.h"

namespace {

// Every other message reaches the object through its subclass first. What
// OnInitDialog throws ends here: the dialog stands as far as it got.
INT_PTR CALLBACK AfxDlgProc(HWND hwnd, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* dialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hwnd));
    try {
        return dialog ? dialog->OnInitDialog() : TRUE;
    } catch (...) {
        return TRUE;
    }
}

} // namespace

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_nIDTemplate(templateId), m_hWndParent(parent ? parent->m_hWnd : nullptr)
{
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

BOOL CDialog::CreateIndirect(UINT templateId, HWND parent)
{
    if (m_hWnd)
        return FALSE;
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(templateId), RT_DIALOG) : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    auto* dialogTemplate = loaded ? static_cast<LPCDLGTEMPLATEW>(LockResource(loaded)) : nullptr;
    if (!dialogTemplate)
        return FALSE;
    m_nIDTemplate = templateId;
    HWND hwnd;
    {
        CAfxCreateHook hook(this);
        hwnd = CreateDialogIndirectParamW(module, dialogTemplate, parent, &AfxDlgProc, 0);
    }
    return hwnd && m_hWnd == hwnd;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    return CreateIndirect(templateId, parent ? parent->m_hWnd : m_hWndParent);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    HWND owner = m_hWndParent ? ::GetAncestor(m_hWndParent, GA_ROOT) : nullptr;
    bool reenableOwner = owner && ::IsWindowEnabled(owner);
    if (reenableOwner)
        ::EnableWindow(owner, FALSE);
    m_modalResult = -1;
    m_endModal = FALSE;
    m_inModalLoop = TRUE;
    BOOL created = CreateIndirect(m_nIDTemplate, owner);
    if (created && !m_endModal)
        RunModalLoop();
    m_inModalLoop = FALSE;
    // Hidden before the owner comes back, so that the owner is what activates.
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (reenableOwner)
        ::EnableWindow(owner, TRUE);
    if (owner && m_hWnd && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(owner);
    DestroyWindow();
    return created ? m_modalResult : -1;
}

BOOL CDialog::PreTranslateChain(MSG* msg)
{
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        CWnd* wnd = FromHandlePermanent(hwnd);
        if (wnd && wnd->PreTranslateMessage(msg))
            return TRUE;
        if (hwnd == m_hWnd)
            break;
    }
    return FALSE;
}

void CDialog::RunModalLoop()
{
    if (!(GetStyle() & WS_VISIBLE))
        ShowWindow(SW_SHOWNORMAL);
    MSG msg;
    while (!m_endModal && ::IsWindow(m_hWnd)) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage((int)msg.wParam);   // for the loop outside
            break;
        }
        if (got == -1)
            break;
        CAfxTempMapLock lock;
        if (PreTranslateChain(&msg) || ::IsDialogMessageW(m_hWnd, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void CDialog::EndDialog(int result)
{
    m_modalResult = result;
    if (m_inModalLoop) {
        m_endModal = TRUE;
        if (m_hWnd)
            PostMessage(WM_NULL);   // wakes the loop
    } else if (m_hWnd) {
        ::EndDialog(m_hWnd, result);
    }
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

// --- CDialogEx ------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDialogEx, CDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CDialogEx::~CDialogEx()
{
    FreeBackgroundImage();
    if (m_brBkgr)
        ::DeleteObject(m_brBkgr);
}

void CDialogEx::FreeBackgroundImage()
{
    if (m_hBkgrBitmap && m_bAutoDestroyBmp)
        ::DeleteObject(m_hBkgrBitmap);
    m_hBkgrBitmap = nullptr;
    m_sizeBkgrBitmap = CSize();
}

void CDialogEx::Repaint()
{
    if (m_hWnd) {
        Invalidate();
        UpdateWindow();
    }
}

void CDialogEx::SetBackgroundImage(HBITMAP bitmap, BackgroundLocation, BOOL autoDestroy, BOOL repaint)
{
    if (bitmap != m_hBkgrBitmap)
        FreeBackgroundImage();
    m_hBkgrBitmap = bitmap;
    m_bAutoDestroyBmp = autoDestroy;
    BITMAP info = {};
    if (bitmap && ::GetObjectW(bitmap, sizeof info, &info))
        m_sizeBkgrBitmap = CSize(info.bmWidth, info.bmHeight);
    if (repaint)
        Repaint();
}

void CDialogEx::SetBackgroundColor(COLORREF color, BOOL repaint)
{
    if (m_brBkgr)
        ::DeleteObject(m_brBkgr);
    m_brBkgr = color != (COLORREF)-1 ? ::CreateSolidBrush(color) : nullptr;
    if (repaint)
        Repaint();
}

BOOL CDialogEx::OnEraseBkgnd(CDC* dc)
{
    if (!m_brBkgr && !m_hBkgrBitmap)
        return CDialog::OnEraseBkgnd(dc);
    CRect client;
    GetClientRect(client);
    if (m_brBkgr)
        dc->FillRect(client, m_brBkgr);
    else
        CDialog::OnEraseBkgnd(dc);
    const int w = m_sizeBkgrBitmap.cx, h = m_sizeBkgrBitmap.cy;
    if (m_hBkgrBitmap && w > 0 && h > 0) {
        CDC memory;
        memory.CreateCompatibleDC(dc);
        HGDIOBJ old = memory.SelectObject(m_hBkgrBitmap);
        for (int y = client.top; y < client.bottom; y += h)
            for (int x = client.left; x < client.right; x += w)
                dc->BitBlt(x, y, w, h, &memory, 0, 0, SRCCOPY);
        memory.SelectObject(old);
    }
    return TRUE;
}

HBRUSH CDialogEx::OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor)
{
    if (m_brBkgr || m_hBkgrBitmap) {
        if (ctlColor == CTLCOLOR_DLG && m_brBkgr)
            return m_brBkgr;
        if (ctlColor == CTLCOLOR_STATIC && control) {
            WCHAR name[16] = {};
            ::GetClassNameW(control->m_hWnd, name, 16);
            if (lstrcmpiW(name, L"Button") == 0) {
                dc->SetBkMode(TRANSPARENT);
                return static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH));
            }
            if (lstrcmpiW(name, L"Static") == 0) {
                dc->SetBkMode(TRANSPARENT);
                if (m_brBkgr && IsWindowEnabled())
                    return m_brBkgr;
                return static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH));
            }
        }
    }
    return CDialog::OnCtlColor(dc, control, ctlColor);
}
