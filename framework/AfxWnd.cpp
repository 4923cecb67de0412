#include "framework/AfxWnd.h"

#include <new>
#include <unordered_map>

namespace {

// What the framework keeps per thread: the objects of the thread's windows,
// the temporary wrappers, the message being handled, the creation hook.
struct AFX_THREAD_STATE {
    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, CWnd*> temporary;
    int tempLock = 0;
    MSG current = {};
    HHOOK createHook = nullptr;
    CWnd* pendingCreate = nullptr;

    bool Idle() const
    {
        return permanent.empty() && temporary.empty() && tempLock == 0 && !createHook && !pendingCreate;
    }
};

DWORD g_tls = TlsAlloc();

AFX_THREAD_STATE* PeekState()
{
    if (g_tls == TLS_OUT_OF_INDEXES)
        return nullptr;
    DWORD error = GetLastError();   // TlsGetValue clears it
    auto* state = static_cast<AFX_THREAD_STATE*>(TlsGetValue(g_tls));
    SetLastError(error);
    return state;
}

// Null when the thread has none and none can be made.
AFX_THREAD_STATE* GetState()
{
    AFX_THREAD_STATE* state = PeekState();
    if (!state && g_tls != TLS_OUT_OF_INDEXES) {
        state = new (std::nothrow) AFX_THREAD_STATE;
        if (state)
            TlsSetValue(g_tls, state);
    }
    return state;
}

// A thread with no windows, wrappers or creation in progress keeps no state.
void ReleaseIfIdle(AFX_THREAD_STATE* state)
{
    if (state && state->Idle()) {
        TlsSetValue(g_tls, nullptr);
        delete state;
    }
}

CWnd* Find(const std::unordered_map<HWND, CWnd*>& map, HWND hwnd)
{
    auto it = map.find(hwnd);
    return it == map.end() ? nullptr : it->second;
}

// False when the map could not grow.
bool Insert(std::unordered_map<HWND, CWnd*>& map, HWND hwnd, CWnd* wnd) noexcept
{
    try {
        map[hwnd] = wnd;
        return true;
    } catch (...) {
        return false;
    }
}

// What a window procedure answers for a message whose handler threw: the
// exception ends there, as if the message had been left undone.
LRESULT AnswerAfterThrow(HWND hwnd, UINT message)
{
    if (message == WM_CREATE || message == WM_NCCREATE)
        return message == WM_CREATE ? -1 : FALSE;   // no window
    if (message == WM_PAINT)
        ValidateRect(hwnd, nullptr);   // not painted again and again
    return 0;
}

bool IsImeWindow(HWND hwnd)
{
    WCHAR name[8] = {};
    return GetClassNameW(hwnd, name, 8) && lstrcmpiW(name, L"IME") == 0;
}

} // namespace

void AfxFreeTempObjects()
{
    AFX_THREAD_STATE* state = PeekState();
    if (!state)
        return;
    std::unordered_map<HWND, CWnd*> temps;
    temps.swap(state->temporary);
    for (auto& t : temps) {
        t.second->m_hWnd = nullptr;   // a wrapper never destroys its window
        delete t.second;
    }
}

void AfxTermThread()
{
    AFX_THREAD_STATE* state = PeekState();
    if (!state)
        return;
    AfxFreeTempObjects();
    // Windows that outlive the thread's state get their own procedures back.
    for (auto& p : state->permanent) {
        HWND hwnd = p.first;
        CWnd* wnd = p.second;
        if (wnd->m_pfnSuper && (WNDPROC)GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == &AfxWndProc)
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)wnd->m_pfnSuper);
        wnd->m_pfnSuper = nullptr;
        wnd->m_hWnd = nullptr;
    }
    if (state->createHook)
        UnhookWindowsHookEx(state->createHook);
    TlsSetValue(g_tls, nullptr);
    delete state;
}

void AfxFreeThreadStates()
{
    if (g_tls != TLS_OUT_OF_INDEXES) {
        TlsFree(g_tls);
        g_tls = TLS_OUT_OF_INDEXES;
    }
}

// --- temporary wrappers --------------------------------------------------------

CAfxTempMapLock::CAfxTempMapLock()
{
    if (AFX_THREAD_STATE* state = GetState())
        ++state->tempLock;
}

CAfxTempMapLock::~CAfxTempMapLock()
{
    AFX_THREAD_STATE* state = PeekState();
    if (!state || --state->tempLock > 0)
        return;
    AfxFreeTempObjects();
    ReleaseIfIdle(state);
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd)
{
    AFX_THREAD_STATE* state = hwnd ? PeekState() : nullptr;
    return state ? Find(state->permanent, hwnd) : nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    AFX_THREAD_STATE* state = GetState();
    if (!state)
        return nullptr;
    if (CWnd* wnd = Find(state->permanent, hwnd))
        return wnd;
    if (CWnd* wnd = Find(state->temporary, hwnd))
        return wnd;
    auto* wnd = new (std::nothrow) CWnd;
    if (!wnd)
        return nullptr;
    wnd->m_hWnd = hwnd;
    wnd->m_temporary = true;
    if (!Insert(state->temporary, hwnd, wnd)) {
        wnd->m_hWnd = nullptr;
        delete wnd;
        return nullptr;
    }
    return wnd;
}

// --- attaching -------------------------------------------------------------------

CWnd::~CWnd()
{
    if (m_temporary || !m_hWnd)
        return;
    // Let go first, so that the ending window's messages never reach a
    // half-destroyed object; then the window goes.
    HWND hwnd = m_hWnd;
    bool ownThread = GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
    UnsubclassWindow();
    if (ownThread && ::IsWindow(hwnd))
        ::DestroyWindow(hwnd);
}

BOOL CWnd::Attach(HWND hwnd)
{
    if (!hwnd || m_hWnd)
        return FALSE;
    AFX_THREAD_STATE* state = GetState();
    if (!state || Find(state->permanent, hwnd) || !Insert(state->permanent, hwnd, this)) {
        ReleaseIfIdle(state);
        return FALSE;
    }
    m_hWnd = hwnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hwnd = m_hWnd;
    if (!hwnd)
        return nullptr;
    AFX_THREAD_STATE* state = PeekState();
    if (state) {
        auto it = state->permanent.find(hwnd);
        if (it != state->permanent.end() && it->second == this)
            state->permanent.erase(it);
    }
    m_hWnd = nullptr;
    ReleaseIfIdle(state);
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    if (!hwnd || GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId())
        return FALSE;
    if (!Attach(hwnd))
        return FALSE;
    PreSubclassWindow();
    auto old = (WNDPROC)SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)&AfxWndProc);
    if (!old) {
        Detach();
        return FALSE;
    }
    m_pfnSuper = old == &AfxWndProc ? nullptr : old;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    return parent ? SubclassWindow(::GetDlgItem(parent->m_hWnd, (int)id)) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    if (!m_hWnd)
        return nullptr;
    if (m_pfnSuper)
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    m_pfnSuper = nullptr;
    return Detach();
}

void CWnd::OnFinalNcDestroy()
{
    if (m_pfnSuper && (WNDPROC)GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == &AfxWndProc)
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    m_pfnSuper = nullptr;
    Detach();
    PostNcDestroy();
}

// --- creating ----------------------------------------------------------------------

LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    AFX_THREAD_STATE* state = PeekState();
    if (code == HCBT_CREATEWND && state && state->pendingCreate) {
        auto hwnd = reinterpret_cast<HWND>(wParam);
        if (!IsImeWindow(hwnd)) {
            CWnd* wnd = state->pendingCreate;
            state->pendingCreate = nullptr;
            if (wnd->Attach(hwnd)) {
                auto old = (WNDPROC)SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)&AfxWndProc);
                wnd->m_pfnSuper = old == &AfxWndProc ? nullptr : old;
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

CAfxCreateHook::CAfxCreateHook(CWnd* wnd)
{
    AFX_THREAD_STATE* state = GetState();
    if (!state)
        return;
    m_previous = state->pendingCreate;
    state->pendingCreate = wnd;
    if (!state->createHook) {
        state->createHook = SetWindowsHookExW(WH_CBT, &AfxCbtFilterHook, nullptr, GetCurrentThreadId());
        m_installed = state->createHook != nullptr;
    }
}

CAfxCreateHook::~CAfxCreateHook()
{
    AFX_THREAD_STATE* state = PeekState();
    if (!state)
        return;
    state->pendingCreate = m_previous;
    if (m_installed) {
        UnhookWindowsHookEx(state->createHook);
        state->createHook = nullptr;
    }
    ReleaseIfIdle(state);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU idOrMenu, LPVOID param)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCTW cs = {};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = style;
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = idOrMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs))
        return FALSE;
    HWND hwnd;
    {
        CAfxCreateHook hook(this);
        hwnd = CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                               cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    }
    return hwnd && m_hWnd == hwnd;
}

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(0, className, windowName, style | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>((UINT_PTR)id));
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    HWND hwnd = m_hWnd;
    BOOL ok = ::DestroyWindow(hwnd);
    // An object that never subclassed its window hears no WM_NCDESTROY.
    if (m_hWnd == hwnd && !::IsWindow(hwnd))
        Detach();
    return ok;
}

// --- dispatch ------------------------------------------------------------------------

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    AFX_THREAD_STATE* state = PeekState();
    CWnd* wnd = state ? Find(state->permanent, hwnd) : nullptr;
    if (!wnd)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    CAfxTempMapLock lock;
    MSG saved = state->current;
    state->current.hwnd = hwnd;
    state->current.message = message;
    state->current.wParam = wParam;
    state->current.lParam = lParam;
    LRESULT result;
    // Nothing a handler throws (a full heap, an index past a CArray's end)
    // unwinds through the system's frames.
    try {
        result = wnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        result = AnswerAfterThrow(hwnd, message);
    }
    if (message == WM_NCDESTROY && Find(state->permanent, hwnd) == wnd)
        wnd->OnFinalNcDestroy();
    state->current = saved;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    if (message == WM_COMMAND)
        return OnCommand(wParam, lParam);
    if (message == WM_NOTIFY)
        return OnNotify(wParam, lParam, result);
    UINT key = message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC ? AFX_WM_CTLCOLOR : message;
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(key, 0, 0);
    return entry && entry->pfn(this, message, wParam, lParam, result);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    auto control = reinterpret_cast<HWND>(lParam);
    if (control && control != m_hWnd) {
        CWnd* child = FromHandlePermanent(control);
        if (child && child->ReflectChildNotify(WM_COMMAND, wParam, lParam, &result))
            return TRUE;
    }
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(WM_COMMAND, HIWORD(wParam), LOWORD(wParam));
    return entry && entry->pfn(this, WM_COMMAND, wParam, lParam, &result);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header)
        return FALSE;
    if (header->hwndFrom && header->hwndFrom != m_hWnd) {
        CWnd* child = FromHandlePermanent(header->hwndFrom);
        if (child && child->ReflectChildNotify(WM_NOTIFY, wParam, lParam, result))
            return TRUE;
    }
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(WM_NOTIFY, header->code, (UINT)header->idFrom);
    return entry && entry->pfn(this, WM_NOTIFY, wParam, lParam, result);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    UINT code = message == WM_COMMAND ? HIWORD(wParam) : reinterpret_cast<NMHDR*>(lParam)->code;
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(WM_REFLECT_BASE + message, code, 0);
    if (!entry)
        return FALSE;
    *result = 0;
    return entry->pfn(this, WM_REFLECT_BASE + message, wParam, lParam, result);
}

LRESULT CWnd::Default()
{
    AFX_THREAD_STATE* state = PeekState();
    if (!state)
        return 0;
    return DefWindowProc(state->current.message, state->current.wParam, state->current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
void CWnd::DoDataExchange(CDataExchange*) {}
void CWnd::PreSubclassWindow() {}
BOOL CWnd::PreCreateWindow(CREATESTRUCTW&) { return TRUE; }
void CWnd::PostNcDestroy() {}

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

// --- the rest ----------------------------------------------------------------------------

BOOL CWnd::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (!dx || !dx->m_pDlgWnd || control.m_hWnd)
        return;
    HWND hwnd = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
    if (hwnd)
        control.SubclassWindow(hwnd);
}

CWnd* CWnd::GetOwner() const { return FromHandle(m_hWndOwner ? m_hWndOwner : ::GetParent(m_hWnd)); }

static BOOL ModifyLong(HWND hwnd, int index, DWORD remove, DWORD add, UINT flags)
{
    DWORD style = (DWORD)GetWindowLongPtrW(hwnd, index);
    DWORD changed = (style & ~remove) | add;
    if (style == changed)
        return FALSE;
    SetWindowLongPtrW(hwnd, index, (LONG_PTR)changed);
    if (flags)
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) { return ModifyLong(m_hWnd, GWL_STYLE, remove, add, flags); }

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags)
{
    return ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, flags);
}

void CWnd::ScreenToClient(LPRECT rect) const { ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(rect), 2); }
void CWnd::ClientToScreen(LPRECT rect) const { ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(rect), 2); }

void CWnd::GetWindowText(CString& text) const
{
    int length = ::GetWindowTextLengthW(m_hWnd);
    WCHAR* buffer = text.GetBufferSetLength(length);
    ::GetWindowTextW(m_hWnd, buffer, length + 1);
    text.ReleaseBuffer();
}

int CWnd::GetDlgItemText(int id, CString& text) const
{
    HWND item = ::GetDlgItem(m_hWnd, id);
    if (!item) {
        text.Empty();
        return 0;
    }
    int length = ::GetWindowTextLengthW(item);
    WCHAR* buffer = text.GetBufferSetLength(length);
    ::GetWindowTextW(item, buffer, length + 1);
    text.ReleaseBuffer();
    return text.GetLength();
}
