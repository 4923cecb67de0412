#include "framework/AfxApp.h"

namespace {
AFX_MODULE_STATE g_moduleState;
}

AFX_MODULE_STATE* AfxGetModuleState() { return &g_moduleState; }
CWinApp* AfxGetApp() { return g_moduleState.m_pCurrentWinApp; }
HINSTANCE AfxGetInstanceHandle() { return g_moduleState.m_hCurrentInstanceHandle; }
HINSTANCE AfxGetResourceHandle() { return g_moduleState.m_hCurrentResourceHandle; }
void AfxSetResourceHandle(HINSTANCE resource) { g_moduleState.m_hCurrentResourceHandle = resource; }

BOOL AfxWinInit(HINSTANCE instance)
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    state->m_hCurrentInstanceHandle = instance;
    state->m_hCurrentResourceHandle = instance;
    state->m_bProcessDetaching = FALSE;
    CWinApp* app = state->m_pCurrentWinApp;
    if (!app)
        return TRUE;
    app->m_hInstance = instance;
    return app->InitInstance();
}

void AfxWinTerm(BOOL processDetaching)
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    state->m_bProcessDetaching = processDetaching;
    if (state->m_pCurrentWinApp)
        state->m_pCurrentWinApp->ExitInstance();
    // At process exit other threads may still run: leave their state alone.
    if (!processDetaching) {
        AfxTermThread();
        AfxFreeThreadStates();
    }
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, UINT code, UINT id) const
{
    const bool byControl = message == WM_COMMAND || message == WM_NOTIFY;
    const bool byCode = byControl || message == WM_REFLECT_BASE + WM_COMMAND || message == WM_REFLECT_BASE + WM_NOTIFY;
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
            if (e->nMessage != message)
                continue;
            if (byCode && e->nCode != code)
                continue;
            if (byControl && (id < e->nID || id > e->nLastID))
                continue;
            return e;
        }
    }
    return nullptr;
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = { { 0, 0, 0, 0, nullptr } };
    static const AFX_MSGMAP map = { nullptr, &entries[0] };
    return &map;
}

CWinApp::CWinApp(LPCWSTR appName) : m_pszAppName(appName)
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    state->m_pCurrentWinApp = this;
    state->m_lpszCurrentAppName = appName;
}

CWinApp::~CWinApp()
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    if (state->m_pCurrentWinApp == this)
        state->m_pCurrentWinApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()
