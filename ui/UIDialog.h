// CUIDialog: the base of every dialog of the plug-in.
#pragma once

#include "framework/AfxDialog.h"
#include "plugin/ZeroFilled.h"

// Objects made with new come zero-filled from the process heap, and a failed
// allocation yields null; delete them through their virtual destructors.
class CUIDialog : public CDialogEx, public CZeroFilled {
public:
    // The parent here only matters for DoModal; a modeless dialog takes the
    // parent given to CreateFromModule.
    explicit CUIDialog(UINT templateId, CWnd* parent = nullptr);
    ~CUIDialog() override;

    // Creates the window, modeless, with that parent (a child or a popup, as
    // the template's style says): from the template in the given module
    // (the sheet's language module), else from the plug-in's own. The window
    // is not shown here.
    virtual BOOL CreateFromModule(UINT templateId, CWnd* parent, HINSTANCE module);
    // One attempt in one module: while the window is made (OnInitDialog
    // included) that module is the framework's resource module; the previous
    // one is back on every path. FALSE for a null module or a missing template.
    BOOL CreateInModule(HINSTANCE module, UINT templateId, CWnd* parent);

    DECLARE_MESSAGE_MAP()
};
