// The module's application object and its process-wide state.
#pragma once

#include "framework/Afx.h"

class CFeatures;

class CTessivonApp : public CWinApp {
public:
    CTessivonApp() : CWinApp(nullptr) {}
    BOOL InitInstance() override;
    // At an unload (not at the end of the process) releases the module's
    // activation context.
    int ExitInstance() override;

    DECLARE_MESSAGE_MAP()
};

// The plug-in module's instance handle, recorded at start-up: the instance of
// its property pages and the fallback module of its dialog templates.
extern HINSTANCE g_hModuleInstance;

// Static objects, constructed at load in this order.
extern CFeatures g_ProcessFeatures;   // serves the device-capability queries only
extern CTessivonApp theApp;
extern CString g_strUnitName[2];      // unit names: [0] millimetres, [1] inches
