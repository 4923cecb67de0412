// Tells when a window of this thread has been painted through, and how long
// that took: the end point of the window benchmarks and the moment the demo
// takes its screenshots.
//
// After start(), it fires once a window other than the ignored one has been
// painted and the thread has nothing left to paint. The reaction runs from a
// posted message, outside any paint, so it may open, switch or close windows.
//
// Detail::Full subclasses every window the thread creates while the watch
// lives (and any tree handed to watch()) to time WM_INITDIALOG and the paint
// handlers; under Wine that costs about a millisecond per window made, so
// timings of whole opens use Detail::Light, which only hooks the thread's
// message retrieval and window creation, and so sees the paints taken from
// the queue (not one sent by UpdateWindow).
//
//   harness::PaintWatch watch;
//   watch.start([&](HWND root) { PropSheet_PressButton(root, PSBTN_CANCEL); });
//   CommonPropertySheetUIW(...);            // returns once the sheet is closed
//   double ms = watch.paintedSeconds() * 1e3;
#pragma once

#include <windows.h>

#include <functional>

namespace harness {

class PaintWatch {
public:
    enum class Detail { Full, Light };
    explicit PaintWatch(Detail detail = Detail::Full);
    ~PaintWatch();
    PaintWatch(const PaintWatch&) = delete;
    PaintWatch& operator=(const PaintWatch&) = delete;

    // Starts the clock. The watch fires once, for the first root painted
    // through other than `ignore`, and then calls `then` with that root; after
    // timeoutMs without it, `then` gets null.
    void start(std::function<void(HWND root)> then, HWND ignore = nullptr, UINT timeoutMs = 10000);
    // Stops without firing.
    void cancel();
    bool running() const { return m_running; }

    // Subclasses a window made before the watch, with its children.
    void watch(HWND root);

    // Seconds from start() to the end of the paint that fired; -1 before.
    double paintedSeconds() const { return m_painted; }
    // Seconds from start() until a window other than `ignore` was activated;
    // -1 when none was.
    double activeSeconds() const { return m_active; }
    // Seconds from start() until the first window was made and until the
    // first WM_ERASEBKGND or WM_PAINT began; -1 when none was.
    double firstCreateSeconds() const { return m_firstCreate; }
    double firstPaintSeconds() const { return m_firstPaint; }
    // Seconds spent inside WM_INITDIALOG since start() (once for a dialog
    // made inside another's); -1 with Detail::Light.
    double initDialogSeconds() const { return m_light ? -1 : m_initDialog; }
    // Seconds spent inside WM_PAINT and WM_ERASEBKGND since start() (a paint
    // inside another is counted once); -1 with Detail::Light.
    double paintingSeconds() const { return m_light ? -1 : m_painting; }

    // Whether the root or a visible window below it has something to paint.
    static bool HasPendingPaint(HWND root);
    // Whether a window of this thread waits for its WM_PAINT.
    static bool ThreadHasPendingPaint();
    // Seconds of a monotonic clock.
    static double Now();

private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);
    static BOOL CALLBACK DetachChild(HWND hwnd, LPARAM);
    static BOOL CALLBACK DetachTree(HWND hwnd, LPARAM);
    static LRESULT CALLBACK NotifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Attach(HWND hwnd);
    void Painted(HWND hwnd);
    void Check();
    void Fire(HWND root);

    bool m_light = false;
    HHOOK m_hook = nullptr;
    HHOOK m_messageHook = nullptr;     // Detail::Light
    bool m_checkPosted = false;
    HWND m_candidate = nullptr;        // root of the last paint that may fire
    HWND m_notify = nullptr;           // message-only window the reaction is posted to
    bool m_running = false;
    double m_start = 0;
    double m_painted = -1;
    double m_active = -1;
    double m_firstCreate = -1;
    double m_firstPaint = -1;
    double m_painting = 0;
    double m_initDialog = 0;
    int m_initDepth = 0;
    int m_paintDepth = 0;
    HWND m_ignore = nullptr;
    std::function<void(HWND)> m_then;
};

} // namespace harness
