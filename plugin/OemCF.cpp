#include "plugin/OemCF.h"
#include "plugin/DllEntry.h"
#include "plugin/OemUI2.h"

STDMETHODIMP IOemCF::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) IOemCF::AddRef() { return (ULONG)InterlockedIncrement(&m_cRef); }

STDMETHODIMP_(ULONG) IOemCF::Release()
{
    LONG n = InterlockedDecrement(&m_cRef);
    if (n == 0)
        delete this;
    return (ULONG)n;
}

STDMETHODIMP IOemCF::CreateInstance(IUnknown* outer, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    IOemUI2* object = new IOemUI2;
    if (!object)
        return E_OUTOFMEMORY;
    // A refused interface destroys the new object at once.
    HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

STDMETHODIMP IOemCF::LockServer(BOOL lock)
{
    if (lock)
        InterlockedIncrement(&g_cServerLocks);
    else
        InterlockedDecrement(&g_cServerLocks);
    return S_OK;
}
