#include "plugin/DllEntry.h"
#include "plugin/OemCF.h"

const CLSID CLSID_OEMUI = { 0xabce80d7, 0x9f46, 0x11d1, { 0x88, 0x2a, 0x00, 0xc0, 0x4f, 0xb9, 0x61, 0xec } };

LONG g_cLiveObjects = 0;
LONG g_cServerLocks = 0;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_OEMUI))
        return CLASS_E_CLASSNOTAVAILABLE;
    IOemCF* factory = new IOemCF;
    if (!factory)
        return E_OUTOFMEMORY;
    // A refused interface makes this Release delete the factory again.
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

STDAPI DllCanUnloadNow()
{
    if (InterlockedCompareExchange(&g_cLiveObjects, 0, 0) != 0 ||
        InterlockedCompareExchange(&g_cServerLocks, 0, 0) != 0)
        return S_FALSE;
    return S_OK;
}
