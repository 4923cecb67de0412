// The tooltip popup in a real owner dialog: the delay, the placement, the
// size from the text, hiding by click, leave and touch, the process-wide
// one-at-a-time rule, and popups destroyed while they fade.
#include <gtest/gtest.h>

#include "PictureTesting.h"
#include "TipTesting.h"
#include "harness/ProcessResources.h"
#include "harness/TestWindow.h"
#include "res/resource.h"
#include "ui/controls/PicButton.h"
#include "ui/controls/TipTools.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

using namespace harness;
using picturetest::GdiPlusSession;
using tiptest::centerOf;
using tiptest::FakePointer;

static void PrintTo(const CRect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}

namespace {

enum : UINT {
    IDD_TIP_HOST = 9770,
    IDC_PICTURE_A = 9771,
    IDC_PICTURE_B = 9772,
    IDC_NO_TIP = 9773,
    IDC_PICTURE_C = 9774,
};

// A page-like owner that does the owner side of the tooltip.
class CTipHost : public CUIDialog {
public:
    CTipHost() : CUIDialog(IDD_TIP_HOST) {}
    ~CTipHost() override
    {
        if (m_hWnd)
            DestroyWindow();
    }
    HWND item(int id) const { return ::GetDlgItem(m_hWnd, id); }

    CTipTools tip;

protected:
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT mouseMessage)
    {
        tip.TrackSetCursor(window, mouseMessage);
        return CUIDialog::OnSetCursor(window, hitTest, mouseMessage);
    }
    LRESULT OnPictureLeft(WPARAM, LPARAM)
    {
        tip.PictureLeft();
        return 0;
    }
    void OnDestroy()
    {
        if (tip.m_hWnd)
            tip.DestroyWindow();
        Default();
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTipHost, CUIDialog)
    ON_WM_SETCURSOR()
    ON_MESSAGE(WM_PICTURE_LEFT, &CTipHost::OnPictureLeft)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

LPARAM clientPoint(HWND window, POINT screen)
{
    ScreenToClient(window, &screen);
    return MAKELPARAM(screen.x, screen.y);
}

// The pointer comes to rest on a window: what the system sends it.
void pointerTo(HWND window, POINT where)
{
    FakePointer::at = where;
    SendMessageW(window, WM_SETCURSOR, (WPARAM)window, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    SendMessageW(window, WM_MOUSEMOVE, 0, clientPoint(window, where));
}
void pointerTo(HWND window) { pointerTo(window, centerOf(window)); }

// A click with the pointer on the window.
void clickOn(HWND window)
{
    const LPARAM at = clientPoint(window, centerOf(window));
    SendMessageW(window, WM_SETCURSOR, (WPARAM)window, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(window, WM_LBUTTONUP, 0, at);
}

// The show delay ends as its timer would, when it runs; TRUE when it did.
bool elapseDelay(CTipTools& tip)
{
    if (!KillTimer(tip.m_hWnd, CTipTools::TIMER_SHOW))
        return false;
    SendMessageW(tip.m_hWnd, WM_TIMER, CTipTools::TIMER_SHOW, 0);
    return true;
}

// One tick of the fade timer.
void fadeTick(CTipTools& tip) { SendMessageW(tip.m_hWnd, WM_TIMER, CTipTools::TIMER_FADE, 0); }

// The fade runs out tick by tick; the number of ticks it took.
UINT finishFade(CTipTools& tip)
{
    UINT ticks = 0;
    while (tip.IsFading() && ticks < 10 * CTipTools::FADE_STEPS) {
        fadeTick(tip);
        ++ticks;
    }
    return ticks;
}

BYTE alphaOf(HWND window)
{
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (!GetLayeredWindowAttributes(window, &key, &alpha, &flags))
        return 255;
    return alpha;
}

bool visible(HWND window) { return IsWindowVisible(window) != FALSE; }

std::wstring textOf(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// The size of a text in the popup's font.
SIZE extentIn(HWND popup, const wchar_t* text)
{
    HDC dc = GetDC(popup);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageW(popup, WM_GETFONT, 0, 0));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, (int)wcslen(text), &size);
    SelectObject(dc, old);
    ReleaseDC(popup, dc);
    return size;
}

RECT workAreaAt(POINT p)
{
    MONITORINFO info = { sizeof info };
    GetMonitorInfoW(MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

RECT windowRect(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

// Creates an owner with tips on pictures A and B (C has none yet) and its popup.
bool makeHost(CTipHost& host, HWND parent, int x = 0, int y = 0)
{
    if (!host.CreateFromModule(IDD_TIP_HOST, CWnd::FromHandle(parent), nullptr))
        return false;
    SetWindowPos(host.m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    host.tip.AddTool(host.item(IDC_PICTURE_A), L"First tip");
    host.tip.AddTool(host.item(IDC_PICTURE_B), L"a\nbcd");
    return host.tip.CreateFromModule(IDD_TIP_POPUP, &host, nullptr) != FALSE;
}

class TipTools : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(CTipTools::IsBusy());
        ASSERT_TRUE(makeHost(host, frame.hwnd()));
        pumpMessages();
        popup = host.tip.m_hWnd;
        a = host.item(IDC_PICTURE_A);
        b = host.item(IDC_PICTURE_B);
        c = host.item(IDC_PICTURE_C);
        none = host.item(IDC_NO_TIP);
    }
    void TearDown() override
    {
        finishFade(host.tip);
        EXPECT_FALSE(CTipTools::IsBusy());
    }
    // The pointer rests on a control until its tip shows.
    void showTipOf(HWND control)
    {
        pointerTo(control);
        ASSERT_TRUE(elapseDelay(host.tip));
        ASSERT_TRUE(visible(popup));
    }
    HWND tipText() const { return ::GetDlgItem(popup, IDC_TIP_TEXT); }

    FakePointer pointer;   // before any window
    CAfxTempMapLock lock;
    TestFrame frame;
    CTipHost host;
    HWND popup = nullptr, a = nullptr, b = nullptr, c = nullptr, none = nullptr;
};

typedef TipTools TipToolsGui;

} // namespace

TEST_F(TipToolsGui, ShowsAfterTheDelayTwentyPixelsBelowThePointer)
{
    EXPECT_FALSE(visible(popup));
    EXPECT_EQ(frame.hwnd(), GetWindow(popup, GW_OWNER));   // the top-level window owns it
    EXPECT_EQ(500u, host.tip.FindTool(a)->nDelay);
    const POINT at = centerOf(a);
    pointerTo(a);
    EXPECT_EQ(a, host.tip.GetTrackedControl());
    EXPECT_FALSE(visible(popup));

    // The real timer: the tip cannot show before the delay has passed.
    const DWORD start = GetTickCount();
    while (!visible(popup) && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        pumpMessages();
    }
    const DWORD waited = GetTickCount() - start;
    ASSERT_TRUE(visible(popup));
    EXPECT_GE(waited, 480u);   // GetTickCount steps by up to ~16 ms

    const RECT r = windowRect(popup);
    EXPECT_EQ(at.x, r.left);
    EXPECT_EQ(at.y + 20, r.top);
    EXPECT_TRUE(visible(tipText()));
    EXPECT_EQ(L"First tip", textOf(tipText()));
    EXPECT_FALSE(CTipTools::IsBusy());   // a show holds the flag only while it runs

    // Dark background, light text.
    EXPECT_EQ(RGB(0x42, 0x42, 0x45), screenPixel(popup, 2, 2));
    const CRect text = host.tip.GetTextRect();
    std::vector<COLORREF> pixels = screenPixels(popup, text);
    bool light = false;
    for (COLORREF p : pixels)
        light = light || (GetRValue(p) > 0xC0 && GetGValue(p) > 0xC0 && GetBValue(p) > 0xC0);
    EXPECT_TRUE(light);
    saveScreenshot(popup, L"tooltip-popup");
    saveScreenshot(frame.hwnd(), L"tooltip-over-its-owner");
}

TEST_F(TipToolsGui, NothingShowsWhenThePointerLeavesFirst)
{
    pointerTo(a);
    pointerTo(none);   // an unregistered control stops the delay
    EXPECT_EQ(none, host.tip.GetTrackedControl());
    EXPECT_FALSE(elapseDelay(host.tip));
    EXPECT_FALSE(visible(popup));

    // Off the owner altogether (no message reaches it): the delay ends with
    // the pointer elsewhere and shows nothing.
    pointerTo(a);
    FakePointer::at = { 1000, 700 };
    EXPECT_TRUE(elapseDelay(host.tip));
    EXPECT_FALSE(visible(popup));

    // Leaving a picture (its leave message) stops the delay and forgets it.
    pointerTo(none);
    pointerTo(a);
    FakePointer::at = { 1000, 700 };
    PostMessageW(host.m_hWnd, WM_PICTURE_LEFT, 0, 0);
    pumpMessages();
    EXPECT_EQ(nullptr, host.tip.GetTrackedControl());
    EXPECT_FALSE(elapseDelay(host.tip));
    EXPECT_FALSE(visible(popup));
}

// Ctrl+Tab to the other page during the delay: the owner is hidden with
// its controls, the pointer still where the control was.
TEST_F(TipToolsGui, NoTipForAControlHiddenDuringTheDelay)
{
    pointerTo(a);
    host.ShowWindow(SW_HIDE);
    EXPECT_TRUE(elapseDelay(host.tip));
    EXPECT_FALSE(visible(popup));
}

TEST_F(TipToolsGui, TheTipIsAsLargeAsItsLines)
{
    showTipOf(b);
    const SIZE bcd = extentIn(popup, L"bcd");
    RECT r = windowRect(popup);
    EXPECT_EQ(bcd.cx + 10, r.right - r.left);
    EXPECT_EQ(2 * bcd.cy + 10, r.bottom - r.top);
    EXPECT_EQ(CRect(5, 5, 5 + bcd.cx, 5 + 2 * bcd.cy), host.tip.GetTextRect());
    EXPECT_TRUE(host.tip.GetPictureRect().IsRectEmpty());

    // The widest line in pixels, not the one with most characters.
    const SIZE narrow = extentIn(popup, L"iiiiiiiiii"), wide = extentIn(popup, L"WWWW");
    ASSERT_GT(wide.cx, narrow.cx);
    host.tip.AddTool(a, L"iiiiiiiiii\nWWWW\n");
    pointerTo(none);
    finishFade(host.tip);
    showTipOf(a);
    r = windowRect(popup);
    EXPECT_EQ(wide.cx + 10, r.right - r.left);
    EXPECT_EQ(3 * wide.cy + 10, r.bottom - r.top);   // the last line is empty
}

TEST_F(TipToolsGui, APictureStandsLeftOfTheText)
{
    GdiPlusSession gdiplus;
    ASSERT_TRUE(gdiplus.ok);
    TipToolMap* entry = host.tip.FindTool(b);
    ASSERT_NE(nullptr, entry);
    entry->nPictureID = IDR_ARROW_UP;   // 23 x 23
    showTipOf(b);
    const SIZE bcd = extentIn(popup, L"bcd");
    EXPECT_EQ(CRect(5, 5, 28, 28), host.tip.GetPictureRect());
    EXPECT_EQ(CRect(33, 5, 33 + bcd.cx, 5 + 2 * bcd.cy), host.tip.GetTextRect());
    const RECT r = windowRect(popup);
    EXPECT_EQ(33 + bcd.cx + 5, r.right - r.left);
    EXPECT_EQ(std::max(28L, 5 + 2 * bcd.cy) + 5, r.bottom - r.top);
    HWND picture = GetDlgItem(popup, IDC_TIP_PICTURE);
    EXPECT_TRUE(visible(picture));
    RECT placed = {};
    GetWindowRect(picture, &placed);
    MapWindowPoints(nullptr, popup, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(host.tip.GetPictureRect(), CRect(placed));
    // The arrow's pixels differ from the tip's background somewhere.
    bool drawn = false;
    for (COLORREF p : screenPixels(popup, host.tip.GetPictureRect()))
        drawn = drawn || p != RGB(0x42, 0x42, 0x45);
    EXPECT_TRUE(drawn);
    saveScreenshot(popup, L"tooltip-with-picture");

    // AddTool on the entry takes the picture away again.
    host.tip.AddTool(b, L"bcd");
    pointerTo(none);
    finishFade(host.tip);
    showTipOf(b);
    EXPECT_TRUE(host.tip.GetPictureRect().IsRectEmpty());
    EXPECT_EQ(5, host.tip.GetTextRect().left);
}

TEST_F(TipToolsGui, LinesAreCountedAndMeasuredInPixels)
{
    HDC dc = GetDC(popup);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageW(popup, WM_GETFONT, 0, 0));
    int lines = 0;
    CString longest;
    SIZE size = {};
    const SIZE wide = extentIn(popup, L"WWWW"), one = extentIn(popup, L"x");

    CTipTools::FindLongestLine(dc, L"iiiiiiiiii\nWWWW", &lines, &longest, &size);
    EXPECT_EQ(2, lines);
    EXPECT_EQ(CString(L"WWWW"), longest);
    EXPECT_EQ(wide.cx, size.cx);
    EXPECT_EQ(wide.cy, size.cy);

    CTipTools::FindLongestLine(dc, L"", &lines, &longest, &size);
    EXPECT_EQ(1, lines);   // an empty text is one empty line
    EXPECT_EQ(0, size.cx);
    EXPECT_EQ(one.cy, size.cy);
    CTipTools::FindLongestLine(dc, nullptr, &lines, &longest, &size);
    EXPECT_EQ(1, lines);
    CTipTools::FindLongestLine(dc, L"x\n\n", &lines, &longest, &size);
    EXPECT_EQ(3, lines);
    // Of equal widths the first wins; a carriage return is part of its line.
    CTipTools::FindLongestLine(dc, L"ab\nba", &lines, &longest, &size);
    EXPECT_EQ(CString(L"ab"), longest);
    CTipTools::FindLongestLine(dc, L"x\r\nx", &lines, &longest, &size);
    EXPECT_EQ(2, lines);
    EXPECT_EQ(CString(L"x\r"), longest);

    SelectObject(dc, old);
    ReleaseDC(popup, dc);
}

TEST_F(TipToolsGui, ThePopupStaysInsideTheWorkArea)
{
    TipToolMap* entry = host.tip.FindTool(a);
    ASSERT_NE(nullptr, entry);
    entry->strText = L"A tip that needs some room";
    const SIZE line = extentIn(popup, entry->strText);
    const int width = line.cx + 10, height = line.cy + 10;
    const RECT work = workAreaAt({ 100, 100 });

    // Near the right edge: it ends at the edge, still below the pointer.
    host.tip.Layout({ work.right - 3, 200 }, entry);
    EXPECT_EQ(CRect(work.right - width, 220, work.right, 220 + height), CRect(windowRect(popup)));
    // Near the bottom: it stands above the pointer, its bottom at the pointer.
    host.tip.Layout({ 100, work.bottom - 5 }, entry);
    EXPECT_EQ(CRect(100, work.bottom - 5 - height, 100 + width, work.bottom - 5), CRect(windowRect(popup)));
    // Room enough: where it belongs.
    host.tip.Layout({ 100, 100 }, entry);
    EXPECT_EQ(CRect(100, 120, 100 + width, 120 + height), CRect(windowRect(popup)));

    // The whole way, with the pointer resting on a picture in the corner.
    const POINT inside = centerOf(a);
    RECT frameRect = windowRect(frame.hwnd());
    const POINT corner = { work.right - 4, work.bottom - 4 };
    SetWindowPos(frame.hwnd(), nullptr, frameRect.left + corner.x - inside.x, frameRect.top + corner.y - inside.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    pumpMessages();
    ASSERT_EQ(corner.x, centerOf(a).x);
    showTipOf(a);
    EXPECT_EQ(CRect(work.right - width, corner.y - height, work.right, corner.y), CRect(windowRect(popup)));
    saveScreenshot(popup, L"tooltip-in-the-corner");
}

TEST_F(TipToolsGui, AClickHidesTheTipUntilThePointerComesBack)
{
    showTipOf(a);
    clickOn(a);
    EXPECT_TRUE(host.tip.IsFading());
    EXPECT_TRUE(CTipTools::IsBusy());
    EXPECT_TRUE(visible(popup));       // fading out
    EXPECT_FALSE(visible(tipText()));
    fadeTick(host.tip);
    EXPECT_LT(alphaOf(popup), 255);
    EXPECT_LE(finishFade(host.tip), CTipTools::FADE_STEPS - 1);
    EXPECT_FALSE(visible(popup));
    EXPECT_FALSE(CTipTools::IsBusy());
    EXPECT_EQ(0, GetWindowLongPtrW(popup, GWL_EXSTYLE) & WS_EX_LAYERED);

    // Still tracked: resting on it again shows nothing ...
    EXPECT_EQ(a, host.tip.GetTrackedControl());
    pointerTo(a);
    EXPECT_FALSE(elapseDelay(host.tip));
    EXPECT_FALSE(visible(popup));
    // ... until the pointer has been elsewhere.
    pointerTo(none);
    showTipOf(a);
    EXPECT_EQ(L"First tip", textOf(tipText()));
    EXPECT_TRUE(visible(tipText()));
}

TEST_F(TipToolsGui, TouchingThePopupHidesItAndForgetsTheControl)
{
    showTipOf(a);
    SendMessageW(popup, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(host.tip.IsFading());
    EXPECT_EQ(nullptr, host.tip.GetTrackedControl());
    finishFade(host.tip);
    EXPECT_FALSE(visible(popup));
    showTipOf(a);   // the same control again
}

TEST_F(TipToolsGui, AnotherControlsTipReplacesTheShownOneAfterItsDelay)
{
    showTipOf(a);
    const RECT first = windowRect(popup);
    pointerTo(b);
    EXPECT_TRUE(visible(popup));
    EXPECT_EQ(L"First tip", textOf(tipText()));
    ASSERT_TRUE(elapseDelay(host.tip));
    EXPECT_EQ(L"a\nbcd", textOf(tipText()));
    EXPECT_NE(CRect(first), CRect(windowRect(popup)));
    EXPECT_FALSE(host.tip.IsFading());
}

TEST_F(TipToolsGui, AddingAnExistingControlChangesOnlyItsText)
{
    TipToolMap* entry = host.tip.FindTool(a);
    ASSERT_NE(nullptr, entry);
    entry->nPictureID = 1400;
    entry->nDelay = 300;
    EXPECT_TRUE(host.tip.AddTool(a, L"Changed"));
    EXPECT_EQ(2, host.tip.GetToolCount());
    entry = host.tip.FindTool(a);
    EXPECT_EQ(host.tip.FindTool(a), host.tip.FindTool(CWnd::FromHandle(a)));
    EXPECT_EQ(CString(L"Changed"), entry->strText);
    EXPECT_EQ(0u, entry->nPictureID);
    EXPECT_EQ(300u, entry->nDelay);
    EXPECT_EQ((UINT)IDC_PICTURE_A, entry->nCtrlID);
    EXPECT_EQ(host.tip.FindTool(b) - 1, entry);   // keeps its place

    // A new entry gets the defaults.
    EXPECT_TRUE(host.tip.AddTool(c, nullptr));
    TipToolMap* added = host.tip.FindTool(c);
    ASSERT_NE(nullptr, added);
    EXPECT_TRUE(added->strText.IsEmpty());
    EXPECT_EQ((UINT)IDC_PICTURE_C, added->nCtrlID);
    EXPECT_EQ(500u, added->nFadeTime);
    EXPECT_EQ(20u, added->nOffset);
    EXPECT_EQ(5, added->nMarginX);
    EXPECT_EQ(5, added->nMarginY);
    EXPECT_EQ((COLORREF)0x454242, added->crBack);
    EXPECT_EQ((COLORREF)0xF1F1F1, added->crText);
    EXPECT_FALSE(host.tip.AddTool((HWND) nullptr, L"x"));
    EXPECT_EQ(nullptr, host.tip.FindTool((HWND) nullptr));

    // An empty text never shows.
    pointerTo(c);
    EXPECT_TRUE(elapseDelay(host.tip));
    EXPECT_FALSE(visible(popup));
}

TEST_F(TipToolsGui, EntriesAddedWhileTipsAreInUseStayValid)
{
    std::vector<HWND> more;
    auto addControls = [&](int count) {
        for (int i = 0; i < count; ++i) {
            const int id = 9800 + (int)more.size();
            HWND control = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY,
                                           10 + 4 * (int)(more.size() % 64), 100 + 4 * (int)(more.size() / 64), 3, 3,
                                           host.m_hWnd, (HMENU)(INT_PTR)id, nullptr, nullptr);
            ASSERT_NE(nullptr, control);
            more.push_back(control);
            host.tip.AddTool(control, (L"Tip " + std::to_wstring(id)).c_str());
        }
    };
    pointerTo(a);   // the delay runs for A while the entries grow
    addControls(30);
    ASSERT_NE(nullptr, host.tip.GetCurrentTool());
    EXPECT_EQ(a, host.tip.GetCurrentTool()->hCtrl);
    ASSERT_TRUE(elapseDelay(host.tip));
    EXPECT_EQ(L"First tip", textOf(tipText()));

    addControls(40);   // while shown
    pointerTo(b);
    addControls(30);   // while the next delay runs
    ASSERT_TRUE(elapseDelay(host.tip));
    EXPECT_EQ(L"a\nbcd", textOf(tipText()));
    EXPECT_EQ(b, host.tip.GetCurrentTool()->hCtrl);

    clickOn(b);   // fading while more come
    addControls(20);
    finishFade(host.tip);
    EXPECT_FALSE(visible(popup));

    pointerTo(more[77]);
    ASSERT_TRUE(elapseDelay(host.tip));
    EXPECT_EQ(L"Tip 9877", textOf(tipText()));
    EXPECT_EQ(2 + 120, host.tip.GetToolCount());
}

TEST_F(TipToolsGui, WhileOnePopupFadesARequestOnAnotherIsDropped)
{
    CTipHost other;
    ASSERT_TRUE(makeHost(other, frame.hwnd(), 0, 250));
    HWND otherPopup = other.tip.m_hWnd;
    HWND otherA = other.item(IDC_PICTURE_A);

    showTipOf(a);
    pointerTo(none);   // hides: the fade holds the flag
    ASSERT_TRUE(host.tip.IsFading());

    pointerTo(otherA);
    ASSERT_TRUE(elapseDelay(other.tip));
    EXPECT_FALSE(visible(otherPopup));   // dropped
    // Another hide or show on the fading popup itself is dropped too.
    pointerTo(b);
    ASSERT_TRUE(elapseDelay(host.tip));
    EXPECT_TRUE(host.tip.IsFading());

    finishFade(host.tip);
    EXPECT_FALSE(CTipTools::IsBusy());
    EXPECT_FALSE(visible(popup));
    EXPECT_FALSE(visible(otherPopup));   // not until tracked again

    pointerTo(other.item(IDC_NO_TIP));
    pointerTo(otherA);
    ASSERT_TRUE(elapseDelay(other.tip));
    EXPECT_TRUE(visible(otherPopup));
    EXPECT_FALSE(visible(popup));
    pointerTo(other.item(IDC_NO_TIP));
    finishFade(other.tip);
}

TEST_F(TipToolsGui, PopupsDestroyedWhileTheyFadeLeaveNothingBehind)
{
    // One round: a tip shows, starts to fade, and its popup goes in one of
    // four ways: with its page's window, by itself, with its page's object, or
    // with its own object. A popup of its own stands on the fixture's page.
    auto round = [&](int way) {
        const bool ownPage = way == 0 || way == 2;
        std::unique_ptr<CTipHost> page;
        std::unique_ptr<CTipTools> loose;
        CTipTools* tip = nullptr;
        HWND control = nullptr;
        if (ownPage) {
            page = std::make_unique<CTipHost>();
            ASSERT_TRUE(makeHost(*page, frame.hwnd(), 0, 250));
            tip = &page->tip;
            control = page->item(IDC_PICTURE_A);
        } else {
            loose.reset(new CTipTools);
            ASSERT_TRUE(loose);
            control = c;
            loose->AddTool(control, L"Loose");
            ASSERT_TRUE(loose->CreateFromModule(IDD_TIP_POPUP, &host, nullptr));
            tip = loose.get();
        }
        HWND tipWindow = tip->m_hWnd;
        tip->Track(control);
        FakePointer::at = centerOf(control);
        ASSERT_TRUE(elapseDelay(*tip));
        ASSERT_TRUE(visible(tipWindow));
        tip->Track((HWND) nullptr);
        ASSERT_TRUE(tip->IsFading());
        fadeTick(*tip);
        switch (way) {
        case 0: page->DestroyWindow(); break;
        case 1: loose->DestroyWindow(); break;
        case 2: page.reset(); break;
        case 3: loose.reset(); break;
        }
        // The popup's end released the flag, whatever object remains.
        EXPECT_FALSE(IsWindow(tipWindow));
        EXPECT_FALSE(CTipTools::IsBusy());
        page.reset();
        loose.reset();
    };
    for (int way = 0; way < 4; ++way)
        round(way);   // first use of everything a round makes
    pumpMessages();
    const int threads = threadCount(), gdi = gdiObjectCount(), windows = threadWindowCount();
    ASSERT_GT(gdi, 0);

    for (int i = 0; i < 100 && !HasFatalFailure(); ++i)
        round(i % 4);
    pumpMessages();
    EXPECT_EQ(threads, threadCount());
    EXPECT_EQ(gdi, gdiObjectCount());
    EXPECT_EQ(windows, threadWindowCount());
    EXPECT_FALSE(CTipTools::IsBusy());

    // The flag is free for the others.
    showTipOf(a);
}
