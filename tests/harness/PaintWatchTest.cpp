// The paint watch: when it fires, nothing of that window is left to paint.
#include "PaintWatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace harness;

namespace {

// Windows of a class that logs its paints; a painted window may invalidate
// another once (what a page does when it captures its background).
struct PaintLog {
    std::vector<HWND> painted;
    HWND invalidateOnce = nullptr;
};
PaintLog* g_log = nullptr;

LRESULT CALLBACK LoggingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        if (g_log) {
            g_log->painted.push_back(hwnd);
            if (g_log->invalidateOnce && g_log->invalidateOnce != hwnd) {
                InvalidateRect(g_log->invalidateOnce, nullptr, TRUE);
                g_log->invalidateOnce = nullptr;
            }
        }
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

const wchar_t* LoggingClass()
{
    static const wchar_t* name = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &LoggingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"BqPaintWatchTest";
        RegisterClassW(&wc);
        return L"BqPaintWatchTest";
    }();
    return name;
}

HWND MakeFrame(bool visible = false)
{
    return CreateWindowW(LoggingClass(), L"frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0),
                         10, 10, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

HWND MakeChild(HWND parent, int x, bool visible = true)
{
    return CreateWindowW(LoggingClass(), L"", WS_CHILD | (visible ? WS_VISIBLE : 0), x, 10, 60, 40, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// Handles messages until the flag is set (the watch's time-out sets it at the latest).
void PumpUntil(const bool& done)
{
    MSG msg;
    while (!done && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool Contains(const std::vector<HWND>& v, HWND h) { return std::find(v.begin(), v.end(), h) != v.end(); }

// Both kinds of watch must fire at the same moment; the light one only
// leaves the dialog and paint timings out.
class PaintWatchGui : public ::testing::TestWithParam<PaintWatch::Detail> {
protected:
    void SetUp() override { g_log = &log; }
    void TearDown() override
    {
        for (HWND w : windows)
            DestroyWindow(w);
        g_log = nullptr;
    }
    HWND Keep(HWND w)
    {
        windows.push_back(w);
        return w;
    }

    PaintWatch::Detail detail() const { return GetParam(); }

    PaintLog log;
    std::vector<HWND> windows;
};

const char* DetailName(const ::testing::TestParamInfo<PaintWatch::Detail>& info)
{
    return info.param == PaintWatch::Detail::Full ? "Full" : "Light";
}

} // namespace

TEST_P(PaintWatchGui, FiresForANewWindowOnceItAndItsChildrenArePainted)
{
    PaintWatch watch(detail());
    bool done = false;
    HWND firedRoot = nullptr;
    bool pendingAtFire = true;
    size_t paintsAtFire = 0;
    watch.start([&](HWND root) {
        firedRoot = root;
        pendingAtFire = PaintWatch::HasPendingPaint(root);
        paintsAtFire = log.painted.size();
        done = true;
    });
    HWND frame = Keep(MakeFrame());
    HWND left = MakeChild(frame, 10);
    HWND right = MakeChild(frame, 100);
    ShowWindow(frame, SW_SHOW);
    PumpUntil(done);

    EXPECT_EQ(frame, firedRoot);
    EXPECT_FALSE(pendingAtFire);
    EXPECT_TRUE(Contains(log.painted, frame));
    EXPECT_TRUE(Contains(log.painted, left));
    EXPECT_TRUE(Contains(log.painted, right));
    EXPECT_EQ(log.painted.size(), paintsAtFire) << "nothing painted between the end and the reaction";
    EXPECT_FALSE(watch.running());
    EXPECT_GE(watch.paintedSeconds(), 0.0);
    EXPECT_GE(watch.paintedSeconds(), watch.firstPaintSeconds());
    EXPECT_GE(watch.firstPaintSeconds(), watch.firstCreateSeconds());
    EXPECT_GE(watch.firstCreateSeconds(), 0.0);
    EXPECT_GE(watch.activeSeconds(), 0.0) << "the shown frame was activated";
    if (detail() == PaintWatch::Detail::Full) {
        EXPECT_GT(watch.paintingSeconds(), 0.0);
        EXPECT_LE(watch.paintingSeconds(), watch.paintedSeconds());
    }
    else {
        EXPECT_LT(watch.paintingSeconds(), 0.0) << "the light watch does not time the handlers";
        EXPECT_LT(watch.initDialogSeconds(), 0.0);
    }
}

TEST_P(PaintWatchGui, AWindowInvalidatedByAnotherPaintIsWaitedFor)
{
    PaintWatch watch(detail());
    HWND frame = Keep(MakeFrame());
    HWND first = MakeChild(frame, 10);
    HWND second = MakeChild(frame, 100);
    bool done = false;
    size_t secondPaints = 0;
    watch.start([&](HWND) {
        secondPaints = std::count(log.painted.begin(), log.painted.end(), second);
        done = true;
    });
    // Whichever child paints first invalidates the other once more.
    log.invalidateOnce = second;
    ShowWindow(frame, SW_SHOW);
    PumpUntil(done);
    (void)first;

    EXPECT_GE(secondPaints, 1u);
    EXPECT_FALSE(PaintWatch::HasPendingPaint(frame));
}

TEST_P(PaintWatchGui, HiddenChildrenDoNotHoldItBack)
{
    PaintWatch watch(detail());
    HWND frame = Keep(MakeFrame());
    HWND hidden = MakeChild(frame, 10, false);
    InvalidateRect(hidden, nullptr, TRUE);
    bool done = false;
    HWND firedRoot = nullptr;
    watch.start([&](HWND root) {
        firedRoot = root;
        done = true;
    }, nullptr, 3000);
    ShowWindow(frame, SW_SHOW);
    PumpUntil(done);

    EXPECT_EQ(frame, firedRoot);
    EXPECT_FALSE(Contains(log.painted, hidden));
}

TEST_P(PaintWatchGui, TheIgnoredRootDoesNotFireAndAnotherDoes)
{
    PaintWatch watch(detail());
    bool done = false;
    HWND firstRoot = nullptr;
    watch.start([&](HWND root) {
        firstRoot = root;
        done = true;
    });
    HWND owner = Keep(MakeFrame(true));
    PumpUntil(done);
    ASSERT_EQ(owner, firstRoot);
    ASSERT_FALSE(PaintWatch::HasPendingPaint(owner));

    done = false;
    HWND firedRoot = nullptr;
    watch.start([&](HWND root) {
        firedRoot = root;
        done = true;
    }, owner);
    InvalidateRect(owner, nullptr, TRUE);
    HWND popup = Keep(CreateWindowW(LoggingClass(), L"popup", WS_POPUP | WS_CAPTION, 50, 50, 200, 100, owner, nullptr,
                                    GetModuleHandleW(nullptr), nullptr));
    MakeChild(popup, 10);
    ShowWindow(popup, SW_SHOW);
    PumpUntil(done);

    EXPECT_EQ(popup, firedRoot);
}

TEST_P(PaintWatchGui, WithoutAPaintTheTimeOutGivesNull)
{
    PaintWatch watch(detail());
    bool done = false;
    HWND firedRoot = reinterpret_cast<HWND>(1);
    watch.start([&](HWND root) {
        firedRoot = root;
        done = true;
    }, nullptr, 50);
    PumpUntil(done);

    EXPECT_EQ(nullptr, firedRoot);
    EXPECT_FALSE(watch.running());
    EXPECT_LT(watch.paintedSeconds(), 0.0);
}

TEST_P(PaintWatchGui, AWindowMadeBeforeTheWatchIsWatchedOnceHandedToIt)
{
    HWND frame = Keep(MakeFrame(true));
    HWND child = MakeChild(frame, 10);
    UpdateWindow(frame);
    PaintWatch watch(detail());
    watch.watch(frame);
    bool done = false;
    HWND firedRoot = nullptr;
    watch.start([&](HWND root) {
        firedRoot = root;
        done = true;
    }, nullptr, 3000);
    InvalidateRect(child, nullptr, TRUE);
    PumpUntil(done);

    EXPECT_EQ(frame, firedRoot);
    EXPECT_GE(watch.paintedSeconds(), 0.0);
}

TEST_P(PaintWatchGui, TheReactionMayDestroyTheWindowAndTheWatchMayEndBeforeIt)
{
    HWND survivor = nullptr;
    {
        PaintWatch watch(detail());
        bool done = false;
        watch.start([&](HWND root) {
            DestroyWindow(root);
            done = true;
        });
        HWND frame = MakeFrame();
        MakeChild(frame, 10);
        ShowWindow(frame, SW_SHOW);
        PumpUntil(done);
        EXPECT_FALSE(IsWindow(frame));
        survivor = Keep(MakeFrame(true));
    }
    // The watch is gone; the window it subclassed still paints and closes.
    InvalidateRect(survivor, nullptr, TRUE);
    UpdateWindow(survivor);
    EXPECT_TRUE(Contains(log.painted, survivor));
}

INSTANTIATE_TEST_SUITE_P(Details, PaintWatchGui,
                         ::testing::Values(PaintWatch::Detail::Full, PaintWatch::Detail::Light), DetailName);
