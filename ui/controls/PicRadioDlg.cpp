#include "ui/controls/PicRadioDlg.h"
#include "res/resource.h"

#include <algorithm>
#include <memory>
#include <new>

BEGIN_MESSAGE_MAP(CPicRadioButton, CPicButton)
    ON_WM_GETDLGCODE()
    ON_WM_KEYDOWN()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_SETFOCUS()
    ON_MESSAGE(WM_UPDATEUISTATE, &CPicRadioButton::OnUpdateUIState)
END_MESSAGE_MAP()

UINT CPicRadioButton::OnGetDlgCode() { return DLGC_BUTTON | DLGC_WANTARROWS; }

void CPicRadioButton::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    const int step = key == VK_RIGHT || key == VK_DOWN ? 1 : key == VK_LEFT || key == VK_UP ? -1 : 0;
    if (!step) {
        CPicButton::OnKeyDown(key, repeat, flags);
        return;
    }
    if (auto* group = dynamic_cast<CPicRadioDlg*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd))))
        group->MoveChoice(m_hWnd, step);
}

// As on a radio button, the press takes the focus: the arrows go on from it.
void CPicRadioButton::OnLButtonDown(UINT flags, CPoint point)
{
    SetFocus();
    CPicButton::OnLButtonDown(flags, point);
}

void CPicRadioButton::OnLButtonDblClk(UINT flags, CPoint point) { OnLButtonDown(flags, point); }

// The hover look, and the cue drawn with the picture (no frame on the parent).
void CPicRadioButton::OnSetFocus(CWnd*)
{
    Default();
    m_bHover = TRUE;
    Redraw();
}

// Focus cues shown or hidden for the window: the focused picture repaints.
LRESULT CPicRadioButton::OnUpdateUIState(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    if (::GetFocus() == m_hWnd)
        InvalidateBackground();
    return result;
}

CPicRadioDlg::CPicRadioDlg(UINT templateId, CWnd* parent) : CUIDialog(templateId, parent) {}

CPicRadioDlg::~CPicRadioDlg()
{
    // Destroyed while the object is whole: the buttons let go of their
    // windows and the tooltip goes in OnDestroy.
    if (m_hWnd && GetWindowThreadProcessId(m_hWnd, nullptr) == GetCurrentThreadId())
        DestroyWindow();
    for (INT_PTR i = 0; i < m_buttons.GetSize(); ++i)
        delete m_buttons[i];
    m_buttons.RemoveAll();
    m_entries.RemoveAll();
}

BEGIN_MESSAGE_MAP(CPicRadioDlg, CUIDialog)
    ON_WM_ENABLE()
    ON_WM_SETCURSOR()
    ON_MESSAGE(WM_PICTURE_LEFT, &CPicRadioDlg::OnPictureLeft)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

void CPicRadioDlg::DoDataExchange(CDataExchange* dx)
{
    CUIDialog::DoDataExchange(dx);
    if (!m_buttons.IsEmpty())
        return;   // bound once
    for (INT_PTR i = 0; i < m_entries.GetSize(); ++i) {
        std::unique_ptr<CPicButton> button(new (std::nothrow) CPicRadioButton);
        if (!button)
            break;
        DDX_Control(dx, (int)m_entries[i].nCtrlID, *button);
        m_buttons.Add(button.get());
        button.release();
    }
}

BOOL CPicRadioDlg::OnInitDialog()
{
    CUIDialog::OnInitDialog();
    LayoutButtons();
    UpdateTabStop();
    m_tip.CreateFromModule(IDD_TIP_POPUP, this, nullptr);
    return TRUE;
}

void CPicRadioDlg::LayoutButtons()
{
    for (INT_PTR i = 0; i < m_entries.GetSize() && i < m_buttons.GetSize(); ++i) {
        const _RES_CTL_ID& entry = m_entries[i];
        CPicButton* button = m_buttons[i];
        button->m_nImageType = m_nImageType;
        button->m_nNormalID = entry.nNormalID;
        button->m_nSelectedID = entry.nSelectedID;
        button->m_nHoverID = entry.nHoverID;
        button->m_nPressedID = 0;
        UINT width = 0, height = 0;
        CPicButton::GetImageSize(entry.nNormalID, width, height, m_nImageType);
        button->SizeToImage(width, height);
        Invalidate(TRUE);
        SetDlgItemText((int)entry.nLabelID, entry.strLabel);
    }
}

void CPicRadioDlg::SetCheck(int index)
{
    for (INT_PTR i = 0; i < m_buttons.GetSize(); ++i) {
        m_buttons[i]->m_bSelected = i == index;
        m_buttons[i]->InvalidateBackground();
    }
    UpdateTabStop();
}

void CPicRadioDlg::UpdateTabStop()
{
    const int chosen = std::max(GetCheck(), 0);
    for (INT_PTR i = 0; i < m_buttons.GetSize(); ++i)
        if (m_buttons[i]->m_hWnd)
            m_buttons[i]->ModifyStyle(i == chosen ? 0 : WS_TABSTOP, i == chosen ? WS_TABSTOP : 0);
}

int CPicRadioDlg::GetCheck() const
{
    for (INT_PTR i = 0; i < m_buttons.GetSize(); ++i)
        if (m_buttons[i]->m_bSelected)
            return (int)i;
    return -1;
}

void CPicRadioDlg::GetCheckedText(LPWSTR buffer, int maxChars) const
{
    const int chosen = GetCheck();
    if (!buffer || maxChars <= 0 || chosen < 0 || chosen >= m_entries.GetSize())
        return;
    GetDlgItemText((int)m_entries[chosen].nLabelID, buffer, maxChars);
}

int CPicRadioDlg::IndexOfButton(HWND control) const
{
    if (!control)
        return -1;
    for (INT_PTR i = 0; i < m_buttons.GetSize(); ++i)
        if (m_buttons[i]->m_hWnd == control)
            return (int)i;
    return -1;
}

BOOL CPicRadioDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // The picture that reports the click is the one chosen (another one may
    // still show its hover look while it has the keyboard focus).
    if (HIWORD(wParam) == STN_CLICKED) {
        const int index = IndexOfButton(reinterpret_cast<HWND>(lParam));
        if (index >= 0) {
            OnButtonClicked(index);
            return TRUE;
        }
    }
    return CUIDialog::OnCommand(wParam, lParam);
}

void CPicRadioDlg::OnButtonClicked(int index)
{
    if (index < 0 || index >= m_buttons.GetSize())
        return;
    const HWND focus = ::GetFocus();
    const bool focusInGroup = m_hWnd && focus && ::IsChild(m_hWnd, focus);
    for (INT_PTR i = 0; i < m_buttons.GetSize(); ++i) {
        CPicButton* button = m_buttons[i];
        if (i == index && !button->m_bSelected) {
            button->m_bSelected = TRUE;
            button->DrawImage(button->m_nSelectedID);
        } else if (i != index && button->m_bSelected) {
            button->m_bSelected = FALSE;
            button->InvalidateBackground();
        }
    }
    UpdateTabStop();
    if (m_pfnCallback && m_hWnd) {
        if (HWND parent = ::GetParent(m_hWnd))
            m_pfnCallback(CWnd::FromHandle(parent));
    }
    // The owner's callback may have moved the focus away: the user goes on
    // from the chosen picture.
    HWND chosen = index < m_buttons.GetSize() ? m_buttons[index]->m_hWnd : nullptr;
    if (focusInGroup && chosen && ::IsWindow(chosen) && ::GetFocus() != chosen)
        ::SetFocus(chosen);
}

void CPicRadioDlg::MoveChoice(HWND from, int step)
{
    const int count = (int)m_buttons.GetSize();
    const int index = IndexOfButton(from);
    if (index < 0 || count < 1)
        return;
    const int next = ((index + step) % count + count) % count;
    ::SetFocus(m_buttons[next]->m_hWnd);
    OnButtonClicked(next);
}

void CPicRadioDlg::OnEnable(BOOL enable)
{
    Default();
    for (INT_PTR i = 0; i < m_buttons.GetSize(); ++i)
        if (m_buttons[i]->m_hWnd)
            m_buttons[i]->EnableWindow(enable);
}

BOOL CPicRadioDlg::OnSetCursor(CWnd* window, UINT hitTest, UINT mouseMessage)
{
    m_tip.TrackSetCursor(window, mouseMessage);
    return CUIDialog::OnSetCursor(window, hitTest, mouseMessage);
}

LRESULT CPicRadioDlg::OnPictureLeft(WPARAM, LPARAM)
{
    m_tip.PictureLeft();
    return 0;
}

void CPicRadioDlg::OnDestroy()
{
    // The popup belongs to the top-level window, not to this group.
    if (m_tip.m_hWnd)
        m_tip.DestroyWindow();
    Default();
}
