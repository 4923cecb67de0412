// CPicSwitchButton: an on/off picture. The owner sets the four pictures and
// their image kind once, flips m_bOn and calls UpdateSwitch after every change
// (and once at dialog start); the control takes the size of its picture.
#pragma once

#include "ui/controls/PicButton.h"

class CPicSwitchButton : public CPicButton {
public:
    CPicSwitchButton() { m_bPushButton = FALSE; }

    UINT m_nOnID = 0;
    UINT m_nOffID = 0;
    UINT m_nOnHoverID = 0;
    UINT m_nOffHoverID = 0;
    UINT m_nSwitchImageType = 0;   // image kind of the four pictures
    BYTE m_bOn = 0;                // 0 off, 1 on

    // Shows the on or off pictures (the hover picture also while pressed, no
    // selected picture), sizes the control to the new normal picture and
    // repaints it with the page under it.
    void UpdateSwitch();
};
