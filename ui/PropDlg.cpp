#include "ui/PropDlg.h"
#include "sheets/Help.h"

namespace {
constexpr int kDataComboId = 2201;
}

BEGIN_MESSAGE_MAP(CPropDlg, CUIDialog)
    ON_WM_HELPINFO()
END_MESSAGE_MAP()

BOOL CPropDlg::OnHelpInfo(HELPINFO* info)
{
    if (info)
        ShowHelpTopic((UINT)info->iCtrlId);
    return CUIDialog::OnHelpInfo(info);
}

void CaptureControlBitmap(CWnd* host, CDialogEx* target, UINT controlId)
{
    if (!host || !target)
        return;
    HWND control = ::GetDlgItem(host->m_hWnd, (int)controlId);
    if (!control)
        return;
    CRect rect;
    ::GetClientRect(control, rect);
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    CBitmap bitmap;
    {
        CClientDC dc(CWnd::FromHandle(control));
        CDC memory;
        if (!dc.GetSafeHdc() || !memory.CreateCompatibleDC(&dc) ||
            !bitmap.CreateCompatibleBitmap(&dc, rect.Width(), rect.Height()))
            return;
        HGDIOBJ old = memory.SelectObject(bitmap);
        memory.BitBlt(0, 0, rect.Width(), rect.Height(), &dc, 0, 0, SRCCOPY);
        // Deselected, and both DCs released, before the target owns it.
        memory.SelectObject(old);
    }
    target->SetBackgroundImage(bitmap.Detach(), BACKGR_TILE, TRUE, TRUE);
}

void PlaceOverPlaceholder(CWnd* host, CWnd* subDialog, UINT placeholderId)
{
    HWND placeholder = host ? ::GetDlgItem(host->m_hWnd, (int)placeholderId) : nullptr;
    if (!subDialog || !subDialog->m_hWnd || !placeholder)
        return;
    CRect rect;
    ::GetWindowRect(placeholder, &rect);
    ::MapWindowPoints(nullptr, host->m_hWnd, reinterpret_cast<LPPOINT>(&rect), 2);
    ::SetWindowPos(subDialog->m_hWnd, placeholder, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    subDialog->MoveWindow(&rect, TRUE);
    subDialog->ShowWindow(SW_SHOW);
}

int FindComboItemByData(CWnd* dialog, int value)
{
    HWND combo = dialog ? ::GetDlgItem(dialog->m_hWnd, kDataComboId) : nullptr;
    if (!combo || SendMessageW(combo, CB_GETCOUNT, 0, 0) < 1)
        return -1;
    const auto wanted = (DWORD_PTR)(INT_PTR)value;
    for (int i = 0; i < (int)SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
        if ((DWORD_PTR)SendMessageW(combo, CB_GETITEMDATA, (WPARAM)i, 0) == wanted)
            return i;
    }
    return -1;
}
