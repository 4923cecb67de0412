// CToolPic: the picture at the left of a tooltip's text.
#pragma once

#include "framework/Afx.h"

class CToolPic : public CStatic {
public:
    CToolPic() = default;
    ~CToolPic() override;

    UINT m_nImageType = 1;   // 0 a "PNG" resource, 1 a bitmap resource of the plug-in module
    UINT m_nImageID = 0;     // 0: no picture

    // Draws the picture of that id (the control's image kind) at the client
    // origin in its own size; nothing for a picture that does not load.
    void DrawPicture(WORD id);
    // Gives the control that size where it stands in its parent, repainting.
    void SizeTo(int width, int height);

protected:
    void OnPaint();

    DECLARE_MESSAGE_MAP()
};
