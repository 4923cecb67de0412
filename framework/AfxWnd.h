// CWnd: a window object over an HWND, its message map, and the ON_* macros.
//
// Objects and windows
// - A permanent object is attached to its window by Create/CreateEx, by
//   SubclassWindow / SubclassDlgItem / DDX_Control, or by Attach; it is found
//   through a map of the thread that owns the window. CWnd::FromHandle answers
//   the permanent object or a temporary wrapper that lives until the
//   outermost framework dispatch on the thread returns (or the last
//   CAfxTempMapLock of the thread ends): compare HWNDs, never keep or compare
//   the pointers FromHandle, GetDlgItem, GetParent or a handler's CWnd*
//   argument give.
// - At WM_NCDESTROY the object lets go of its window (the original window
//   procedure is put back, the object leaves the map, m_hWnd becomes null),
//   then PostNcDestroy runs. An object deleted while its window lives first
//   lets go of it, then destroys it: the window's last messages then reach
//   the original procedure only (no OnDestroy of the object).
//
// Dispatch
// - WM_COMMAND from a control and WM_NOTIFY go first to the control's own
//   object as reflected notifications (ON_CONTROL_REFLECT / ON_NOTIFY_REFLECT);
//   when it has an entry, the parent never sees the notification. Otherwise
//   the parent's entries by code and control id (ON_BN_CLICKED, ON_NOTIFY ...).
// - Every other message goes to the entry for that message; unhandled ones,
//   and Default() inside a handler, go to the window's original procedure.
// - A handler's result is the window procedure's result, also for dialogs
//   (the framework sits in front of the dialog manager), so custom-draw flags
//   and WM_CTLCOLOR* brushes are simply returned.
// - No exception leaves a window procedure: a handler that throws ends its
//   message there (WM_CREATE then fails, WM_PAINT is validated, anything else
//   answers 0).
#pragma once

#include "framework/AfxApp.h"
#include "framework/AfxGdi.h"
#include "framework/AfxString.h"
#include "framework/AfxTypes.h"

class CDataExchange;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // --- objects and windows ---
    static CWnd* FromHandle(HWND hwnd);
    static CWnd* FromHandlePermanent(HWND hwnd);
    BOOL Attach(HWND hwnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    virtual BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                          int width, int height, HWND parent, HMENU idOrMenu, LPVOID param = nullptr);
    virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                        UINT id);
    BOOL DestroyWindow();

    // --- data exchange ---
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // --- the window ---
    DWORD GetStyle() const { return (DWORD)::GetWindowLongPtrW(m_hWnd, GWL_STYLE); }
    DWORD GetExStyle() const { return (DWORD)::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    // The window the framework reports to: the one SetOwner named, else the parent.
    CWnd* GetOwner() const;
    void SetOwner(CWnd* owner) { m_hWndOwner = owner ? owner->GetSafeHwnd() : nullptr; }

    BOOL ShowWindow(int show) { return ::ShowWindow(m_hWnd, show); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE)
    {
        ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    void MoveWindow(LPCRECT rect, BOOL repaint = TRUE)
    {
        MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
    }
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags)
    {
        return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->GetSafeHwnd() : nullptr, x, y, cx, cy, flags);
    }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void SetRedraw(BOOL redraw = TRUE) { ::SendMessageW(m_hWnd, WM_SETREDRAW, redraw, 0); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
    void ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }
    void ScreenToClient(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
    void ClientToScreen(LPRECT rect) const;
    void MapWindowPoints(CWnd* to, LPRECT rect) const
    {
        ::MapWindowPoints(m_hWnd, to ? to->GetSafeHwnd() : nullptr, reinterpret_cast<LPPOINT>(rect), 2);
    }
    void MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const
    {
        ::MapWindowPoints(m_hWnd, to ? to->GetSafeHwnd() : nullptr, points, count);
    }

    void SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }
    int GetWindowText(LPWSTR text, int maxChars) const { return ::GetWindowTextW(m_hWnd, text, maxChars); }
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }
    void SetDlgItemText(int id, LPCWSTR text) { ::SetDlgItemTextW(m_hWnd, id, text); }
    int GetDlgItemText(int id, LPWSTR text, int maxChars) const
    {
        return (int)::GetDlgItemTextW(m_hWnd, id, text, maxChars);
    }
    int GetDlgItemText(int id, CString& text) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) { ::SetDlgItemInt(m_hWnd, id, value, isSigned); }
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const
    {
        return ::GetDlgItemInt(m_hWnd, id, translated, isSigned);
    }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendDlgItemMessageW(m_hWnd, id, message, wParam, lParam);
    }

    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc = nullptr)
    {
        return ::SetTimer(m_hWnd, id, elapseMs, proc);
    }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    static CWnd* GetCapture() { return FromHandle(::GetCapture()); }

    // --- messages ---
    // Default processing of the message being handled: the window's original procedure.
    LRESULT Default();
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs for a message of a modal loop before the dialog manager sees it,
    // from the target window up to the dialog; TRUE consumes the message.
    virtual BOOL PreTranslateMessage(MSG* msg);

protected:
    virtual void DoDataExchange(CDataExchange* dx);
    // Before a window made elsewhere (a template's control) is subclassed.
    virtual void PreSubclassWindow();
    // Before CreateEx makes the window; FALSE stops the creation.
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    // After the window is gone and the object has let go of it.
    virtual void PostNcDestroy();
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Default handlers of the ON_WM_* entries: each does Default().
    void OnPaint() { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return (BOOL)Default(); }
    HBRUSH OnCtlColor(CDC*, CWnd*, UINT) { return (HBRUSH)Default(); }
    BOOL OnSetCursor(CWnd*, UINT, UINT) { return (BOOL)Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    void OnMouseLeave() { Default(); }
    BOOL OnMouseWheel(UINT, short, CPoint) { return (BOOL)Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    void OnKeyDown(UINT, UINT, UINT) { Default(); }
    void OnKeyUp(UINT, UINT, UINT) { Default(); }
    void OnSysKeyDown(UINT, UINT, UINT) { Default(); }
    UINT OnGetDlgCode() { return (UINT)Default(); }
    void OnCaptureChanged(CWnd*) { Default(); }
    void OnCancelMode() { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnEnable(BOOL) { Default(); }
    void OnSetFocus(CWnd*) { Default(); }
    void OnKillFocus(CWnd*) { Default(); }
    BOOL OnHelpInfo(HELPINFO*) { return (BOOL)Default(); }
    void OnDestroy() { Default(); }
    int OnCreate(LPCREATESTRUCTW) { return (int)Default(); }
    void OnShowWindow(BOOL, UINT) { Default(); }
    int OnMouseActivate(CWnd*, UINT, UINT) { return (int)Default(); }
    void OnActivate(UINT, CWnd*, BOOL) { Default(); }
    void OnHScroll(UINT, UINT, CWnd*) { Default(); }
    void OnVScroll(UINT, UINT, CWnd*) { Default(); }

    WNDPROC m_pfnSuper = nullptr;   // the window's original procedure
    HWND m_hWndOwner = nullptr;     // SetOwner's window

    DECLARE_MESSAGE_MAP()

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK AfxCbtFilterHook(int, WPARAM, LPARAM);
    friend class CDataExchange;
    friend void AfxFreeTempObjects();
    friend void AfxTermThread();
    // The child's own entries for a notification it sent; TRUE when it had one.
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void OnFinalNcDestroy();
    bool m_temporary = false;
};

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Keeps the thread's temporary wrappers alive for a scope that is not a
// framework dispatch (a plain dialog procedure, a test).
class CAfxTempMapLock {
public:
    CAfxTempMapLock();
    ~CAfxTempMapLock();
    CAfxTempMapLock(const CAfxTempMapLock&) = delete;
    CAfxTempMapLock& operator=(const CAfxTempMapLock&) = delete;
};

// Creation of an object's window: the next window this thread creates is
// attached to the object and subclassed before its first message.
class CAfxCreateHook {
public:
    explicit CAfxCreateHook(CWnd* wnd);
    ~CAfxCreateHook();
    CAfxCreateHook(const CAfxCreateHook&) = delete;
    CAfxCreateHook& operator=(const CAfxCreateHook&) = delete;

private:
    bool m_installed = false;
    CWnd* m_previous = nullptr;
};

// --- dialog data exchange ----------------------------------------------------

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds the object to the dialog's control of that id (subclassing it) once;
// a missing control leaves the object without a window.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

// --- message-map entries -------------------------------------------------------
//
// Handlers are named as &Class::Handler. Signatures follow the framework:
//   ON_WM_PAINT             void OnPaint()
//   ON_WM_ERASEBKGND        BOOL OnEraseBkgnd(CDC* dc)
//   ON_WM_CTLCOLOR          HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor)  (CTLCOLOR_*)
//   ON_WM_SETCURSOR         BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT mouseMessage)
//   ON_WM_MOUSEMOVE / ON_WM_LBUTTONDOWN / ON_WM_LBUTTONUP / ON_WM_LBUTTONDBLCLK
//                           void OnXxx(UINT flags, CPoint point)   (client coordinates)
//   ON_WM_MOUSELEAVE        void OnMouseLeave()
//   ON_WM_KEYDOWN / ON_WM_KEYUP / ON_WM_SYSKEYDOWN
//                           void OnXxx(UINT key, UINT repeat, UINT flags)   (flags: HIWORD(lParam), KF_*)
//   ON_WM_GETDLGCODE        UINT OnGetDlgCode()                 (DLGC_*)
//   ON_WM_CAPTURECHANGED    void OnCaptureChanged(CWnd* newCapture)
//   ON_WM_CANCELMODE        void OnCancelMode()
//   ON_WM_MOUSEWHEEL        BOOL OnMouseWheel(UINT flags, short delta, CPoint point)  (screen)
//   ON_WM_TIMER             void OnTimer(UINT_PTR id)
//   ON_WM_ENABLE            void OnEnable(BOOL enable)
//   ON_WM_SETFOCUS          void OnSetFocus(CWnd* oldFocus)
//   ON_WM_KILLFOCUS         void OnKillFocus(CWnd* newFocus)
//   ON_WM_HELPINFO          BOOL OnHelpInfo(HELPINFO* info)
//   ON_WM_DESTROY           void OnDestroy()
//   ON_WM_CREATE            int OnCreate(LPCREATESTRUCTW cs)
//   ON_WM_SHOWWINDOW        void OnShowWindow(BOOL show, UINT status)
//   ON_WM_MOUSEACTIVATE     int OnMouseActivate(CWnd* topLevel, UINT hitTest, UINT mouseMessage)
//   ON_WM_ACTIVATE          void OnActivate(UINT state, CWnd* other, BOOL minimized)
//   ON_WM_HSCROLL / ON_WM_VSCROLL  void OnXScroll(UINT code, UINT pos, CWnd* scrollBar)
//   ON_MESSAGE(msg, fn)     LRESULT fn(WPARAM, LPARAM)
//   ON_COMMAND(id, fn), ON_CONTROL(code, id, fn), ON_BN_CLICKED, ON_STN_CLICKED,
//   ON_CBN_SELCHANGE, ON_CBN_EDITCHANGE, ON_CBN_EDITUPDATE     void fn()
//   ON_NOTIFY(code, id, fn) void fn(NMHDR* header, LRESULT* result)
//   ON_CONTROL_REFLECT(code, fn)   void fn()                  (the control's own map)
//   ON_NOTIFY_REFLECT(code, fn)    void fn(NMHDR*, LRESULT*)  (the control's own map)

#define AFX_MSG_HANDLER(body)                                                                     \
    [](CCmdTarget * target_, UINT message_, WPARAM wParam_, LPARAM lParam_, LRESULT * result_) -> BOOL { \
        ThisClass* self_ = static_cast<ThisClass*>(target_);                                      \
        (void)self_;                                                                              \
        (void)message_;                                                                           \
        (void)wParam_;                                                                            \
        (void)lParam_;                                                                            \
        (void)result_;                                                                            \
        body                                                                                      \
    }

#define AFX_POINT_ARG CPoint((short)LOWORD(lParam_), (short)HIWORD(lParam_))
#define AFX_WM_CTLCOLOR 0x0019   // every WM_CTLCOLOR* message

#define ON_WM_PAINT() { WM_PAINT, 0, 0, 0, AFX_MSG_HANDLER(self_->OnPaint(); return TRUE;) },
#define ON_WM_ERASEBKGND()                                                                        \
    { WM_ERASEBKGND, 0, 0, 0, AFX_MSG_HANDLER(CDC dc_(reinterpret_cast<HDC>(wParam_));            \
                                              *result_ = self_->OnEraseBkgnd(&dc_); return TRUE;) },
#define ON_WM_CTLCOLOR()                                                                          \
    { AFX_WM_CTLCOLOR, 0, 0, 0,                                                                   \
      AFX_MSG_HANDLER(CDC dc_(reinterpret_cast<HDC>(wParam_));                                    \
                      *result_ = reinterpret_cast<LRESULT>(self_->OnCtlColor(                     \
                          &dc_, CWnd::FromHandle(reinterpret_cast<HWND>(lParam_)), message_ - WM_CTLCOLORMSGBOX)); \
                      return TRUE;) },
#define ON_WM_SETCURSOR()                                                                         \
    { WM_SETCURSOR, 0, 0, 0,                                                                      \
      AFX_MSG_HANDLER(*result_ = self_->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam_)), \
                                                    LOWORD(lParam_), HIWORD(lParam_));            \
                      return TRUE;) },
#define ON_WM_MOUSEMOVE()                                                                         \
    { WM_MOUSEMOVE, 0, 0, 0, AFX_MSG_HANDLER(self_->OnMouseMove((UINT)wParam_, AFX_POINT_ARG); return TRUE;) },
#define ON_WM_MOUSELEAVE() { WM_MOUSELEAVE, 0, 0, 0, AFX_MSG_HANDLER(self_->OnMouseLeave(); return TRUE;) },
#define ON_WM_MOUSEWHEEL()                                                                        \
    { WM_MOUSEWHEEL, 0, 0, 0,                                                                     \
      AFX_MSG_HANDLER(*result_ = self_->OnMouseWheel(GET_KEYSTATE_WPARAM(wParam_),                \
                                                     GET_WHEEL_DELTA_WPARAM(wParam_), AFX_POINT_ARG); \
                      return TRUE;) },
#define ON_WM_LBUTTONDOWN()                                                                       \
    { WM_LBUTTONDOWN, 0, 0, 0, AFX_MSG_HANDLER(self_->OnLButtonDown((UINT)wParam_, AFX_POINT_ARG); return TRUE;) },
#define ON_WM_LBUTTONUP()                                                                         \
    { WM_LBUTTONUP, 0, 0, 0, AFX_MSG_HANDLER(self_->OnLButtonUp((UINT)wParam_, AFX_POINT_ARG); return TRUE;) },
#define ON_WM_LBUTTONDBLCLK()                                                                     \
    { WM_LBUTTONDBLCLK, 0, 0, 0,                                                                  \
      AFX_MSG_HANDLER(self_->OnLButtonDblClk((UINT)wParam_, AFX_POINT_ARG); return TRUE;) },
#define AFX_KEY_HANDLER(message, handler)                                                         \
    { message, 0, 0, 0,                                                                           \
      AFX_MSG_HANDLER(self_->handler((UINT)wParam_, LOWORD(lParam_), HIWORD(lParam_)); return TRUE;) },
#define ON_WM_KEYDOWN() AFX_KEY_HANDLER(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() AFX_KEY_HANDLER(WM_KEYUP, OnKeyUp)
#define ON_WM_SYSKEYDOWN() AFX_KEY_HANDLER(WM_SYSKEYDOWN, OnSysKeyDown)
#define ON_WM_GETDLGCODE() { WM_GETDLGCODE, 0, 0, 0, AFX_MSG_HANDLER(*result_ = self_->OnGetDlgCode(); return TRUE;) },
#define ON_WM_CAPTURECHANGED()                                                                    \
    { WM_CAPTURECHANGED, 0, 0, 0,                                                                 \
      AFX_MSG_HANDLER(self_->OnCaptureChanged(CWnd::FromHandle(reinterpret_cast<HWND>(lParam_))); return TRUE;) },
#define ON_WM_CANCELMODE() { WM_CANCELMODE, 0, 0, 0, AFX_MSG_HANDLER(self_->OnCancelMode(); return TRUE;) },
#define ON_WM_TIMER() { WM_TIMER, 0, 0, 0, AFX_MSG_HANDLER(self_->OnTimer((UINT_PTR)wParam_); return TRUE;) },
#define ON_WM_ENABLE() { WM_ENABLE, 0, 0, 0, AFX_MSG_HANDLER(self_->OnEnable((BOOL)wParam_); return TRUE;) },
#define ON_WM_SETFOCUS()                                                                          \
    { WM_SETFOCUS, 0, 0, 0,                                                                       \
      AFX_MSG_HANDLER(self_->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam_))); return TRUE;) },
#define ON_WM_KILLFOCUS()                                                                         \
    { WM_KILLFOCUS, 0, 0, 0,                                                                      \
      AFX_MSG_HANDLER(self_->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam_))); return TRUE;) },
#define ON_WM_HELPINFO()                                                                          \
    { WM_HELP, 0, 0, 0,                                                                           \
      AFX_MSG_HANDLER(*result_ = self_->OnHelpInfo(reinterpret_cast<HELPINFO*>(lParam_)); return TRUE;) },
#define ON_WM_DESTROY() { WM_DESTROY, 0, 0, 0, AFX_MSG_HANDLER(self_->OnDestroy(); return TRUE;) },
#define ON_WM_CREATE()                                                                            \
    { WM_CREATE, 0, 0, 0,                                                                         \
      AFX_MSG_HANDLER(*result_ = self_->OnCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam_)); return TRUE;) },
#define ON_WM_SHOWWINDOW()                                                                        \
    { WM_SHOWWINDOW, 0, 0, 0, AFX_MSG_HANDLER(self_->OnShowWindow((BOOL)wParam_, (UINT)lParam_); return TRUE;) },
#define ON_WM_MOUSEACTIVATE()                                                                     \
    { WM_MOUSEACTIVATE, 0, 0, 0,                                                                  \
      AFX_MSG_HANDLER(*result_ = self_->OnMouseActivate(CWnd::FromHandle(reinterpret_cast<HWND>(wParam_)), \
                                                        LOWORD(lParam_), HIWORD(lParam_));        \
                      return TRUE;) },
#define ON_WM_ACTIVATE()                                                                          \
    { WM_ACTIVATE, 0, 0, 0,                                                                       \
      AFX_MSG_HANDLER(self_->OnActivate(LOWORD(wParam_), CWnd::FromHandle(reinterpret_cast<HWND>(lParam_)), \
                                        (BOOL)HIWORD(wParam_));                                   \
                      return TRUE;) },
#define ON_WM_HSCROLL()                                                                           \
    { WM_HSCROLL, 0, 0, 0,                                                                        \
      AFX_MSG_HANDLER(self_->OnHScroll(LOWORD(wParam_), HIWORD(wParam_),                          \
                                       CWnd::FromHandle(reinterpret_cast<HWND>(lParam_)));        \
                      return TRUE;) },
#define ON_WM_VSCROLL()                                                                           \
    { WM_VSCROLL, 0, 0, 0,                                                                        \
      AFX_MSG_HANDLER(self_->OnVScroll(LOWORD(wParam_), HIWORD(wParam_),                          \
                                       CWnd::FromHandle(reinterpret_cast<HWND>(lParam_)));        \
                      return TRUE;) },

#define ON_MESSAGE(message, memberFxn)                                                            \
    { (UINT)(message), 0, 0, 0,                                                                   \
      AFX_MSG_HANDLER(*result_ = (self_->*(memberFxn))(wParam_, lParam_); return TRUE;) },

#define ON_CONTROL(code, id, memberFxn)                                                           \
    { WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(id), AFX_MSG_HANDLER((self_->*(memberFxn))(); return TRUE;) },
#define ON_COMMAND(id, memberFxn) ON_CONTROL(0, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_EDITUPDATE(id, memberFxn) ON_CONTROL(CBN_EDITUPDATE, id, memberFxn)

#define ON_NOTIFY(code, id, memberFxn)                                                            \
    { WM_NOTIFY, (UINT)(code), (UINT)(id), (UINT)(id),                                            \
      AFX_MSG_HANDLER((self_->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam_), result_); return TRUE;) },

#define ON_CONTROL_REFLECT(code, memberFxn)                                                       \
    { WM_REFLECT_BASE + WM_COMMAND, (UINT)(code), 0, 0, AFX_MSG_HANDLER((self_->*(memberFxn))(); return TRUE;) },
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                        \
    { WM_REFLECT_BASE + WM_NOTIFY, (UINT)(code), 0, 0,                                            \
      AFX_MSG_HANDLER((self_->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam_), result_); return TRUE;) },
