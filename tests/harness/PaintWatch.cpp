#include "PaintWatch.h"

#include <commctrl.h>

namespace harness {

namespace {

// One watch at a time: the hook procedures find it here.
PaintWatch* g_watch = nullptr;
constexpr UINT_PTR kSubclassId = 0x5057;   // "PW"
constexpr UINT_PTR kTimeoutTimer = 1;
constexpr UINT kFireMessage = WM_APP + 1;
constexpr UINT kCheckMessage = WM_APP + 2;
constexpr wchar_t kNotifyClass[] = L"BqPaintWatchNotify";

BOOL CALLBACK FindPending(HWND hwnd, LPARAM lParam)
{
    if (IsWindowVisible(hwnd) && GetUpdateRect(hwnd, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(lParam) = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

BOOL CALLBACK PaintWatch::DetachChild(HWND hwnd, LPARAM)
{
    RemoveWindowSubclass(hwnd, &Subclass, kSubclassId);
    return TRUE;
}

BOOL CALLBACK PaintWatch::DetachTree(HWND hwnd, LPARAM)
{
    DetachChild(hwnd, 0);
    EnumChildWindows(hwnd, &DetachChild, 0);
    return TRUE;
}

double PaintWatch::Now()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return (double)f.QuadPart;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / frequency;
}

bool PaintWatch::HasPendingPaint(HWND root)
{
    if (!root)
        return false;
    if (GetUpdateRect(root, nullptr, FALSE))
        return true;
    bool pending = false;
    EnumChildWindows(root, &FindPending, reinterpret_cast<LPARAM>(&pending));
    return pending;
}

bool PaintWatch::ThreadHasPendingPaint()
{
    // The window manager makes a WM_PAINT only for a visible window with
    // something to paint; looking leaves it where it is.
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE | PM_NOYIELD) != FALSE;
}

PaintWatch::PaintWatch(Detail detail)
    : m_light(detail == Detail::Light)
{
    g_watch = this;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &NotifyProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kNotifyClass;
    RegisterClassW(&wc);   // fails harmlessly when a watch registered it before
    m_notify = CreateWindowW(kNotifyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    m_hook = SetWindowsHookExW(WH_CBT, &CbtHook, nullptr, GetCurrentThreadId());
    if (m_light)
        m_messageHook = SetWindowsHookExW(WH_GETMESSAGE, &GetMessageHook, nullptr, GetCurrentThreadId());
}

PaintWatch::~PaintWatch()
{
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
    if (m_messageHook)
        UnhookWindowsHookEx(m_messageHook);
    if (m_notify)
        DestroyWindow(m_notify);
    // Windows that outlive the watch lose its subclass.
    EnumThreadWindows(GetCurrentThreadId(), &DetachTree, 0);
    if (g_watch == this)
        g_watch = nullptr;
}

void PaintWatch::start(std::function<void(HWND root)> then, HWND ignore, UINT timeoutMs)
{
    m_then = std::move(then);
    m_ignore = ignore;
    m_painted = -1;
    m_active = -1;
    m_firstCreate = -1;
    m_firstPaint = -1;
    m_painting = 0;
    m_initDialog = 0;
    m_candidate = nullptr;
    m_running = true;
    if (m_notify)
        SetTimer(m_notify, kTimeoutTimer, timeoutMs, nullptr);
    m_start = Now();
}

void PaintWatch::cancel()
{
    m_running = false;
    if (m_notify)
        KillTimer(m_notify, kTimeoutTimer);
}

void PaintWatch::watch(HWND root)
{
    Attach(root);
    EnumChildWindows(
        root,
        [](HWND child, LPARAM self) {
            reinterpret_cast<PaintWatch*>(self)->Attach(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
}

void PaintWatch::Attach(HWND hwnd)
{
    if (m_light)
        return;
    // Subclassing again with the same procedure and id changes nothing.
    SetWindowSubclass(hwnd, &Subclass, kSubclassId, 0);
}

LRESULT CALLBACK PaintWatch::CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    PaintWatch* self = g_watch;
    if (self) {
        HWND hwnd = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_CREATEWND) {
            self->Attach(hwnd);
            if (self->m_running && self->m_firstCreate < 0)
                self->m_firstCreate = Now() - self->m_start;
        }
        else if (code == HCBT_ACTIVATE && self->m_running && self->m_active < 0 &&
                 GetAncestor(hwnd, GA_ROOT) != self->m_ignore)
            self->m_active = Now() - self->m_start;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Detail::Light: a paint taken from the queue names the candidate root, and
// any message taken while the watch runs asks for one check, which comes
// after that message has been handled (a posted message goes before the next
// WM_PAINT), so painting that a handler finishes itself, after the candidate
// was named, still ends the watch.
LRESULT CALLBACK PaintWatch::GetMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    PaintWatch* self = g_watch;
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (self && code == HC_ACTION && wParam == PM_REMOVE && self->m_running && msg->hwnd != self->m_notify) {
        if (msg->message == WM_PAINT) {
            if (self->m_firstPaint < 0)
                self->m_firstPaint = Now() - self->m_start;
            HWND root = GetAncestor(msg->hwnd, GA_ROOT);
            if (root && root != self->m_ignore)
                self->m_candidate = root;
        }
        if (!self->m_checkPosted && PostMessageW(self->m_notify, kCheckMessage, 0, 0))
            self->m_checkPosted = true;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK PaintWatch::Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    PaintWatch* self = g_watch;
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &Subclass, kSubclassId);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    if (self && message == WM_INITDIALOG) {
        bool timing = self->m_initDepth++ == 0 && self->m_running;
        double t0 = timing ? Now() : 0;
        LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        --self->m_initDepth;
        if (timing)
            self->m_initDialog += Now() - t0;
        return result;
    }
    if (!self || (message != WM_PAINT && message != WM_ERASEBKGND))
        return DefSubclassProc(hwnd, message, wParam, lParam);
    bool timing = self->m_paintDepth++ == 0 && self->m_running;
    double t0 = timing ? Now() : 0;
    if (timing && self->m_firstPaint < 0)
        self->m_firstPaint = t0 - self->m_start;
    LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    --self->m_paintDepth;
    if (timing)
        self->m_painting += Now() - t0;
    if (message == WM_PAINT && self->m_paintDepth == 0)
        self->Painted(hwnd);
    return result;
}

void PaintWatch::Painted(HWND hwnd)
{
    if (!m_running || !IsWindow(hwnd))
        return;
    HWND root = GetAncestor(hwnd, GA_ROOT);
    if (root && root != m_ignore)
        m_candidate = root;
    Check();
}

// Fires for the candidate once it is shown and nothing of the thread waits
// to be painted: one look at the queue, not one per window.
void PaintWatch::Check()
{
    if (!m_running || !m_candidate || !IsWindow(m_candidate) || !IsWindowVisible(m_candidate) ||
        ThreadHasPendingPaint())
        return;
    HWND root = m_candidate;
    m_painted = Now() - m_start;
    m_running = false;
    KillTimer(m_notify, kTimeoutTimer);
    PostMessageW(m_notify, kFireMessage, 0, reinterpret_cast<LPARAM>(root));
}

void PaintWatch::Fire(HWND root)
{
    std::function<void(HWND)> then = std::move(m_then);
    m_then = nullptr;
    if (then)
        then(root);
}

LRESULT CALLBACK PaintWatch::NotifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    PaintWatch* self = g_watch;
    if (self && hwnd == self->m_notify) {
        if (message == kCheckMessage) {
            self->m_checkPosted = false;
            self->Check();
            return 0;
        }
        if (message == kFireMessage) {
            self->Fire(reinterpret_cast<HWND>(lParam));
            return 0;
        }
        if (message == WM_TIMER && wParam == kTimeoutTimer) {
            KillTimer(hwnd, kTimeoutTimer);
            if (self->m_running) {
                self->m_running = false;
                self->Fire(nullptr);
            }
            return 0;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace harness
