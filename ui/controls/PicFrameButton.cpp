#include "ui/controls/PicFrameButton.h"
#include "settings/PrivateDevMode.h"
#include "sheets/PropSheet.h"

BEGIN_MESSAGE_MAP(CPicFrameButton, CPicButton)
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_GETDLGCODE()
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

namespace {

bool InRange(int x, int from, int to) { return x >= from && x <= to; }

} // namespace

void CPicFrameButton::ShowFrame()
{
    if (m_nCurFrame < 0 || m_nCurFrame >= (int)m_arrFrames.GetSize())
        return;
    const _PIC_FRAME_DATA& frame = m_arrFrames[m_nCurFrame];
    m_nNormalID = (UINT)frame.nImageID;
    m_nHoverID = (UINT)frame.nHoverID;
    m_nImageType = (UINT)frame.nImageType;
    m_nSelectedID = 0;
    m_nPressedID = 0;
    UINT width = 0, height = 0;
    GetImageSize(m_nNormalID, width, height, m_nImageType);
    SizeToImage(width, height);
    InvalidateBackground();
}

HRESULT CPicFrameButton::SetFrame(int index)
{
    if (index < 0 || index >= (int)m_arrFrames.GetSize())
        return E_INVALIDARG;
    m_nCurFrame = index;
    ShowFrame();
    return S_OK;
}

HRESULT CPicFrameButton::SetFrameByValue(int value)
{
    for (INT_PTR i = 0; i < m_arrFrames.GetSize(); ++i)
        if (m_arrFrames[i].nValue == value)
            return SetFrame((int)i);
    return E_FAIL;
}

int CPicFrameButton::GetFrameValue() const
{
    if (m_nCurFrame < 0 || m_nCurFrame >= (int)m_arrFrames.GetSize())
        return 0;
    return m_arrFrames[m_nCurFrame].nValue;
}

void CPicFrameButton::StepFrame()
{
    const int count = (int)m_arrFrames.GetSize();
    if (m_nZone == ZONE_FORWARD && m_nCurFrame < count - 1)
        ++m_nCurFrame;
    else if (m_nZone == ZONE_BACK && m_nCurFrame > 0)
        --m_nCurFrame;
    ShowFrame();
}

int CPicFrameButton::ZoneAt(int x) const
{
    if (m_nCurFrame < 0 || m_nCurFrame >= (int)m_arrFrames.GetSize())
        return ZONE_OTHER;
    const _PIC_FRAME_DATA& frame = m_arrFrames[m_nCurFrame];
    if (InRange(x, frame.nForwardFrom, frame.nForwardTo))
        return ZONE_FORWARD;
    if (InRange(x, frame.nBackFrom, frame.nBackTo))
        return ZONE_BACK;
    return ZONE_OTHER;
}

void CPicFrameButton::OnMouseMove(UINT flags, CPoint point)
{
    const int count = (int)m_arrFrames.GetSize();
    if (m_bDragging && HoldsCapture()) {
        for (int i = 0; i < count; ++i)
            if (InRange(point.x, m_arrFrames[i].nFrameFrom, m_arrFrames[i].nFrameTo)) {
                if (i != m_nCurFrame)
                    SetFrame(i);
                break;
            }
        WriteValue();
    } else {
        m_nZone = ZoneAt(point.x);
    }
    TrackLeave();
    CPicButton::OnMouseMove(flags, point);
}

void CPicFrameButton::OnLButtonDown(UINT, CPoint point)
{
    // The click steps by where it is, whatever the last move reported.
    m_nZone = ZoneAt(point.x);
    if (m_nZone == ZONE_OTHER) {
        m_bDragging = TRUE;
        m_nDragFrom = m_nCurFrame;
        SetCapture();
    } else {
        m_bDragging = FALSE;
    }
    // As a slider, it acts on the press: the static's own STN_CLICKED.
    DrawPressed();
    Default();
}

void CPicFrameButton::OnLButtonUp(UINT, CPoint)
{
    bool moved = false;
    if (HoldsCapture()) {
        moved = m_bDragging && m_nCurFrame != m_nDragFrom;
        m_bDragging = FALSE;
        ReleaseCapture();
    }
    DrawReleased();
    Default();
    if (moved)
        NotifyClicked();
}

void CPicFrameButton::WriteValue()
{
    DEVMODE_PAIR* pair = m_pContext ? m_pContext->devmode : nullptr;
    if (pair && pair->pPrivate && m_arrFrames.GetSize() > 0)
        pair->pPrivate->density = (WORD)(GetFrameValue() & 0xFFFF);
}

// A slider's code: the arrows are its own.
UINT CPicFrameButton::OnGetDlgCode() { return DLGC_BUTTON | DLGC_WANTARROWS; }

void CPicFrameButton::OnKeyDown(UINT key, UINT, UINT)
{
    const int last = (int)m_arrFrames.GetSize() - 1;
    int target;
    switch (key) {
    case VK_LEFT:
    case VK_UP:
        target = m_nCurFrame - 1;
        break;
    case VK_RIGHT:
    case VK_DOWN:
        target = m_nCurFrame + 1;
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_END:
        target = last;
        break;
    default:
        Default();   // Space too: a slider has no click
        return;
    }
    if (target < 0 || target > last || target == m_nCurFrame)
        return;
    SetFrame(target);
    WriteValue();
    // The owner takes the value as after a drag: a click without a step.
    m_nZone = ZONE_OTHER;
    NotifyClicked();
}
