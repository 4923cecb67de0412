// CPicLogoBtn: the module's logo picture, which opens a web address when
// clicked. The pointer over it is the hand, set by the control itself (the
// Static class's cursor, shared by every static of the process, stays as it is).
#pragma once

#include "ui/controls/PicButton.h"

class CPicLogoBtn : public CPicButton {
public:
    ~CPicLogoBtn() override;

    CString m_strUrl;   // the address the click opens; set by the owner

    // Makes the bound static a clickable logo: SS_NOTIFY and SS_BITMAP, the
    // logo picture 1464 (PNG) for every state but pressed, and its size.
    void InitLogo();

protected:
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    void OnClicked();

    DECLARE_MESSAGE_MAP()
};
