#include "plugin/TessivonApp.h"
#include "settings/Features.h"
#include "sheets/PropSheet.h"

HINSTANCE g_hModuleInstance = nullptr;

// One translation unit keeps the construction order: model, application, unit names.
CFeatures g_ProcessFeatures;
CTessivonApp theApp;
CString g_strUnitName[2] = { CString(L"mm"), CString(L"inch") };

BEGIN_MESSAGE_MAP(CTessivonApp, CWinApp)
END_MESSAGE_MAP()

BOOL CTessivonApp::InitInstance()
{
    CWinApp::InitInstance();
    g_hModuleInstance = AfxGetModuleState()->m_hCurrentInstanceHandle;
    return TRUE;
}

int CTessivonApp::ExitInstance()
{
    if (!AfxGetModuleState()->m_bProcessDetaching)
        ReleaseModuleActCtx();
    return CWinApp::ExitInstance();
}
