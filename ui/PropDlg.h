// CPropDlg: the base of the dialogs that fill a property page or stand in for
// one, and two small helpers of the page dialogs.
#pragma once

#include "ui/UIDialog.h"

class CPropDlg : public CUIDialog {
public:
    explicit CPropDlg(UINT templateId, CWnd* parent = nullptr) : CUIDialog(templateId, parent) {}

protected:
    // Context help: the help topic of the control, then the framework's
    // default WM_HELP handling, whose answer it returns.
    BOOL OnHelpInfo(HELPINFO* info);

    DECLARE_MESSAGE_MAP()
};

// Gives the target dialog, as its tiled background, a copy of the pixels that
// the host's control shows (a placeholder the target is placed over).
void CaptureControlBitmap(CWnd* host, CDialogEx* target, UINT controlId);

// Stands the sub-dialog over the host's placeholder control and shows it. It
// takes the placeholder's place in the tab order too: right after it.
void PlaceOverPlaceholder(CWnd* host, CWnd* subDialog, UINT placeholderId);

// The index of the first item of the dialog's combo box 2201 whose item data
// is the value; -1 when there is no such control, item or value.
int FindComboItemByData(CWnd* dialog, int value);
