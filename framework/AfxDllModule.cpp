// The framework's entry of a DLL: runs after the runtime has constructed the
// module's static objects and before it destroys them.
#include "framework/AfxApp.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return AfxWinInit(instance);
    case DLL_THREAD_DETACH:
        AfxTermThread();
        break;
    case DLL_PROCESS_DETACH:
        // A non-null reserved argument: the process is ending.
        AfxWinTerm(reserved != nullptr);
        break;
    }
    return TRUE;
}
