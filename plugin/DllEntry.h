// The module's COM entry points and its two counters.
#pragma once

#include <windows.h>
#include <objbase.h>

// {ABCE80D7-9F46-11D1-882A-00C04FB961EC}
extern const CLSID CLSID_OEMUI;

// Changed only by interlocked operations.
extern LONG g_cLiveObjects;   // live plug-in objects
extern LONG g_cServerLocks;   // IClassFactory::LockServer count

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
STDAPI DllCanUnloadNow();
