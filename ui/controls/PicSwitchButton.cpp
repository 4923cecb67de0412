#include "ui/controls/PicSwitchButton.h"

void CPicSwitchButton::UpdateSwitch()
{
    m_nImageType = m_nSwitchImageType;
    m_nNormalID = m_bOn ? m_nOnID : m_nOffID;
    m_nHoverID = m_nPressedID = m_bOn ? m_nOnHoverID : m_nOffHoverID;
    m_nSelectedID = 0;
    UINT width = 0, height = 0;
    GetImageSize(m_nNormalID, width, height, m_nImageType);
    SizeToImage(width, height);
    // Moving to the same place and size repaints nothing: the new picture
    // must show at once, also while the pointer is still over the switch.
    InvalidateBackground();
}
