#include "ui/UIDialog.h"
#include "plugin/TessivonApp.h"

CUIDialog::CUIDialog(UINT templateId, CWnd* parent) : CDialogEx(templateId, parent) {}

CUIDialog::~CUIDialog() = default;

BEGIN_MESSAGE_MAP(CUIDialog, CDialogEx)
END_MESSAGE_MAP()

BOOL CUIDialog::CreateFromModule(UINT templateId, CWnd* parent, HINSTANCE module)
{
    if (CreateInModule(module, templateId, parent))
        return TRUE;
    return CreateInModule(g_hModuleInstance, templateId, parent);
}

BOOL CUIDialog::CreateInModule(HINSTANCE module, UINT templateId, CWnd* parent)
{
    if (!module)
        return FALSE;
    CAfxResourceScope scope(module);
    if (!FindResourceW(module, MAKEINTRESOURCEW(templateId), RT_DIALOG))
        return FALSE;
    return CDialog::Create(templateId, parent);
}
