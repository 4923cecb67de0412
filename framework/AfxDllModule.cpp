// The framework's entry of a DLL: runs after the runtime has constructed the
// module's static objects and before it destroys them.
#include "framework/AfxApp.h"

// The statically linked C++ runtime's release of its emergency exception
// pool, which it allocates at load and never frees by itself.
namespace __gnu_cxx {
void __freeres() noexcept;
}

namespace {

// Set when the module is unloaded while the process goes on.
bool g_unloading = false;

// Made before every other static object of the module, so destroyed after
// all of them: once nothing of the module can throw any more, an unload gives
// the runtime's pool back. At the end of the process it stays.
struct RuntimePoolRelease {
    ~RuntimePoolRelease()
    {
        if (g_unloading)
            __gnu_cxx::__freeres();
    }
} g_runtimePoolRelease __attribute__((init_priority(101)));

} // namespace

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
        g_unloading = reserved == nullptr;
        AfxWinTerm(reserved != nullptr);
        break;
    }
    return TRUE;
}
