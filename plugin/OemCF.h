// IOemCF: the class factory of the plug-in object.
#pragma once

#include "plugin/ZeroFilled.h"
#include <objbase.h>

class IOemCF : public IClassFactory, public CZeroFilled {
public:
    IOemCF() = default;
    virtual ~IOemCF() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    LONG m_cRef = 1;
};
