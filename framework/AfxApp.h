// The framework's module state, command targets with message maps, and the
// application object of a module.
#pragma once

#include <windows.h>

class CCmdTarget;
class CWinApp;

// The framework's record of the module it serves.
struct AFX_MODULE_STATE {
    CWinApp* m_pCurrentWinApp;
    HINSTANCE m_hCurrentInstanceHandle;
    HINSTANCE m_hCurrentResourceHandle;
    LPCWSTR m_lpszCurrentAppName;
    // TRUE while the module is detached because the process ends (the loader
    // lock is held and other modules may already be gone).
    BOOL m_bProcessDetaching;
};

AFX_MODULE_STATE* AfxGetModuleState();
CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE resource);

// Start-up and exit of the framework for a module: records the instance
// handle and runs the application object's InitInstance / ExitInstance.
BOOL AfxWinInit(HINSTANCE instance);
void AfxWinTerm(BOOL processDetaching);

// --- message maps ------------------------------------------------------------

typedef void (CCmdTarget::*AFX_PMSG)();

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;   // window message
    UINT nCode;      // notification code
    UINT nID;        // first control id
    UINT nLastID;    // last control id
    UINT_PTR nSig;   // handler signature
    AFX_PMSG pfn;    // handler
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                                \
protected:                                                   \
    static const AFX_MSGMAP* GetThisMessageMap();            \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                \
    const AFX_MSGMAP* theClass::GetMessageMap() const                         \
    {                                                                         \
        return GetThisMessageMap();                                           \
    }                                                                         \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                           \
    {                                                                         \
        typedef theClass ThisClass;                                           \
        typedef baseClass TheBaseClass;                                       \
        (void)sizeof(ThisClass);                                              \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                     \
            { 0, 0, 0, 0, 0, nullptr }                                        \
        };                                                                    \
        static const AFX_MSGMAP map = { &TheBaseClass::GetThisMessageMap, &entries[0] }; \
        return &map;                                                          \
    }

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    virtual const AFX_MSGMAP* GetMessageMap() const;
    // The root map: no base and no entries.
    static const AFX_MSGMAP* GetThisMessageMap();
};

// --- the application object --------------------------------------------------

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    HINSTANCE m_hInstance = nullptr;
    LPCWSTR m_pszAppName = nullptr;

    DECLARE_MESSAGE_MAP()
};

// Makes a module the framework's current resource module for one scope and
// restores the previous one when the scope ends.
class CAfxResourceScope {
public:
    explicit CAfxResourceScope(HINSTANCE resource) : m_prev(AfxGetResourceHandle())
    {
        AfxSetResourceHandle(resource);
    }
    ~CAfxResourceScope() { AfxSetResourceHandle(m_prev); }
    CAfxResourceScope(const CAfxResourceScope&) = delete;
    CAfxResourceScope& operator=(const CAfxResourceScope&) = delete;

private:
    HINSTANCE m_prev;
};
