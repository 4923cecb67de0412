// CComboBtn: the paper-size combo box, whose own list never opens: a click,
// F4 or Alt+Down (Alt+Up) opens or closes the paper popup (CComboDlg) instead.
#pragma once

#include "framework/AfxCtrls.h"

class CComboDlg;

class CComboBtn : public CComboBox {
public:
    CComboBtn() = default;
    ~CComboBtn() override;

    // A press on the box arms it; the release toggles the popup unless the
    // pointer moved more than 5 pixels away in between.
    int m_bArmed = 0;
    // Not owned: the popup stores itself here when its dialog is initialised
    // and takes itself away when it goes.
    CComboDlg* m_pPopup = nullptr;
    CPoint m_ptPress;

    // The popup, when it has its window.
    CComboDlg* Popup() const;

protected:
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnSysKeyDown(UINT key, UINT repeat, UINT flags);
    void OnSelChange();

    DECLARE_MESSAGE_MAP()

private:
    // A press on the box: focus, press point, armed. FALSE when the press
    // closed the open popup (it then arms nothing).
    BOOL Press(CPoint point);
};
