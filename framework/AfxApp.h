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
// A thread of the process ends: frees the framework's state of that thread.
void AfxTermThread();
// The module is unloaded: gives back the thread-state slot.
void AfxFreeThreadStates();

// --- message maps ------------------------------------------------------------
//
// Each entry carries a small thunk that an ON_* macro generates: it converts
// the message's parameters into the handler's own and calls the handler, and
// answers TRUE when the message was handled (its result in *result).

// Reflected notifications: a control's own entries for what it reports to its
// parent (WM_REFLECT_BASE + WM_COMMAND / WM_NOTIFY).
#define WM_REFLECT_BASE 0xBC00

typedef BOOL (*AFX_MSG_THUNK)(CCmdTarget* target, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;   // window message, or a reflected kind (WM_REFLECT_BASE + ...)
    UINT nCode;      // notification code of WM_COMMAND / WM_NOTIFY entries
    UINT nID;        // first control id of WM_COMMAND / WM_NOTIFY entries
    UINT nLastID;    // last control id
    AFX_MSG_THUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                                \
protected:                                                   \
    static const AFX_MSGMAP* GetThisMessageMap();            \
    const AFX_MSGMAP* GetMessageMap() const override;

// Inside the map, ThisClass names the class whose handlers the entries call.
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

// The map of a class template, written in its header:
// BEGIN_TEMPLATE_MESSAGE_MAP(CNumEdit, T, CEdit) ... END_MESSAGE_MAP().
#define BEGIN_TEMPLATE_MESSAGE_MAP(theClass, typeName, baseClass)             \
    template <typename typeName>                                              \
    const AFX_MSGMAP* theClass<typeName>::GetMessageMap() const               \
    {                                                                         \
        return GetThisMessageMap();                                           \
    }                                                                         \
    template <typename typeName>                                              \
    const AFX_MSGMAP* theClass<typeName>::GetThisMessageMap()                 \
    {                                                                         \
        typedef theClass<typeName> ThisClass;                                 \
        typedef baseClass TheBaseClass;                                       \
        (void)sizeof(ThisClass);                                              \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                     \
            { 0, 0, 0, 0, nullptr }                                           \
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

    // The first entry of this object's maps (its own first, then its bases')
    // for the message; WM_COMMAND and WM_NOTIFY entries (and the reflected
    // kinds) also match by code and control id.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;
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
