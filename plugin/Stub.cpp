#include <windows.h>
#include <objbase.h>
STDAPI DllGetClassObject(REFCLSID, REFIID, void**) { return E_FAIL; }
STDAPI DllCanUnloadNow() { return S_OK; }
void SetError(char*, unsigned long, char*, char*, char*, const char*, ...) {}
void SetMsg(char*, char*, char*, const char*, ...) {}
