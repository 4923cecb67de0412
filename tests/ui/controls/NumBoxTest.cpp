// The number box: its edit's bounds as a user types, the spin arrows pressed,
// held (their timers driven by their messages) and double-clicked, the owner
// callback, the disabled box, and boxes destroyed while an arrow repeats.
#include <gtest/gtest.h>

#include "PictureTesting.h"
#include "harness/TestWindow.h"
#include "res/resource.h"
#include "ui/PropDlg.h"
#include "ui/controls/PicNumDlg.h"

#include <tlhelp32.h>

#include <memory>
#include <string>
#include <vector>

using namespace harness;
using namespace picturetest;

namespace {

enum : UINT {
    IDD_NUM_HOST = 9700,
    IDC_COPIES_PLACE = 9701,
    IDC_SCALE_PLACE = 9702,
    IDC_OTHER_EDIT = 9703,
};

// What the page's callback saw: the number and the thread, per call.
struct CallbackLog {
    HWND page = nullptr;
    std::vector<int> values;
    std::vector<DWORD> threads;
    std::vector<HWND> owners;
};
CallbackLog g_log;

int ThreadCount()
{
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return -1;
    THREADENTRY32 entry = { sizeof entry };
    int count = 0;
    for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snap);
    return count;
}

class NumBox : public picturetest::GdiPlusSuite {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(s_gdiplus->ok);
        parkPointer();
        g_log = CallbackLog();
        ASSERT_TRUE(page.Create(IDD_NUM_HOST, CWnd::FromHandle(frame.hwnd())));
        page.SetBackgroundColor(RGB(255, 255, 255));
        g_log.page = page.m_hWnd;
        pumpMessages();
    }
    void TearDown() override { parkPointer(); }

    // A scale box as the Advanced page sets it up: 25 to 400, value 100.
    // Unless realTimers, the arrows' timers never fire by themselves: the
    // cases send their WM_TIMER messages.
    std::unique_ptr<CPicNumDlg> makeScaleBox(int value = 100, bool realTimers = false)
    {
        std::unique_ptr<CPicNumDlg> box(new CPicNumDlg(IDD_SCALE_BOX));
        if (!box)
            return box;
        box->m_nImageType = 0;
        box->m_resUpArrow.nCtrlID = IDC_SCALE_UP;
        box->m_resUpArrow.nNormalID = IDR_ARROW_UP;
        box->m_resUpArrow.nHoverID = IDR_ARROW_UP_HOVER;
        box->m_resDownArrow.nCtrlID = IDC_SCALE_DOWN;
        box->m_resDownArrow.nNormalID = IDR_ARROW_DOWN;
        box->m_resDownArrow.nHoverID = IDR_ARROW_DOWN_HOVER;
        box->m_nEditID = IDC_SCALE_EDIT;
        if (!box->CreateFromModule(IDD_SCALE_BOX, &page, nullptr))
            return nullptr;
        if (!realTimers) {
            for (CPicNumButton* arrow : { box->m_pUpArrow, box->m_pDownArrow })
                arrow->m_nDelayMs = arrow->m_nPeriodMs = USER_TIMER_MAXIMUM;
        }
        place(*box, IDC_SCALE_PLACE);
        box->m_pEdit->m_nMin = 25;
        box->m_pEdit->m_nMax = 400;
        box->m_pEdit->LimitText(CountDigits(400));
        box->m_pfnCallback = &NumBox::Changed;
        box->m_pEdit->m_pfnCallback = &CPicNumDlg::OnEditChange;
        box->SetDlgItemInt(IDC_SCALE_EDIT, (UINT)value, TRUE);
        pumpMessages();
        g_log.values.clear();
        g_log.threads.clear();
        g_log.owners.clear();
        return box;
    }
    // As the page does: the box gets the page's pixels under its placeholder
    // as background, then stands over the placeholder.
    void place(CPicNumDlg& box, UINT placeholder)
    {
        pumpMessages();
        CaptureControlBitmap(&page, &box, placeholder);
        box.m_bBackgroundGiven = TRUE;
        CRect rect;
        GetWindowRect(GetDlgItem(page.m_hWnd, (int)placeholder), &rect);
        MapWindowPoints(nullptr, page.m_hWnd, reinterpret_cast<LPPOINT>(&rect), 2);
        box.MoveWindow(rect.left, rect.top, rect.Width(), rect.Height());
        box.ShowWindow(SW_SHOW);
    }
    // The page's callback: records the number it reads from the box.
    static void Changed(CWnd* owner)
    {
        g_log.owners.push_back(owner ? owner->m_hWnd : nullptr);
        g_log.threads.push_back(GetCurrentThreadId());
        g_log.values.push_back(s_current ? (int)s_current->GetDlgItemInt(s_current->m_nEditID, nullptr, TRUE) : -1);
    }
    static int value(const CPicNumDlg& box) { return (int)box.GetDlgItemInt(box.m_nEditID, nullptr, TRUE); }
    static std::wstring text(const CPicNumDlg& box)
    {
        WCHAR buffer[32] = {};
        box.GetDlgItemText((int)box.m_nEditID, buffer, 32);
        return buffer;
    }
    // Typing into the edit: focus, select all, then one WM_CHAR per character.
    static void type(CPicNumDlg& box, const wchar_t* keys)
    {
        box.m_pEdit->SetFocus();
        box.m_pEdit->SendMessage(EM_SETSEL, 0, -1);
        for (const wchar_t* k = keys; *k; ++k)
            box.m_pEdit->SendMessage(WM_CHAR, *k, 1);
        pumpMessages();
    }
    static void pressArrow(CPicNumButton& arrow)
    {
        pointerTo(arrow.m_hWnd, 10, 10);
        press(arrow.m_hWnd, 10, 10);
    }
    static void releaseArrow(CPicNumButton& arrow) { release(arrow.m_hWnd, 10, 10); }
    static void fire(CPicNumButton& arrow, UINT_PTR id)
    {
        arrow.SendMessage(WM_TIMER, id);
        pumpMessages();
    }
    // TRUE when the arrow had that timer running (it is stopped by asking).
    static bool timerWasRunning(CPicNumButton& arrow, UINT_PTR id) { return KillTimer(arrow.m_hWnd, id) != FALSE; }

    static CPicNumDlg* s_current;
    CAfxTempMapLock lock;
    TestFrame frame{ 640, 480, L"Number box" };
    CDialogEx page{ IDD_NUM_HOST };
};
CPicNumDlg* NumBox::s_current = nullptr;

typedef NumBox NumBoxGui;

} // namespace

TEST(NumEdit, CountDigitsCountsTheSign)
{
    EXPECT_EQ(1, CountDigits(0));
    EXPECT_EQ(3, CountDigits(400));
    EXPECT_EQ(3, CountDigits(999));
    EXPECT_EQ(4, CountDigits(1000));
    EXPECT_EQ(2, CountDigits(-5));
    EXPECT_EQ(11, CountDigits(INT_MIN));
}

TEST_F(NumBoxGui, TheScaleBoxStartsAsItsOwnerSetsItUp)
{
    auto box = makeScaleBox(100);
    ASSERT_TRUE(box);
    s_current = box.get();
    EXPECT_EQ(100, value(*box));
    EXPECT_EQ(3, (int)box->m_pEdit->SendMessage(EM_GETLIMITTEXT));
    // The arrows are bound to their controls and sized to their pictures.
    EXPECT_EQ(GetDlgItem(box->m_hWnd, IDC_SCALE_UP), box->m_pUpArrow->m_hWnd);
    EXPECT_EQ(GetDlgItem(box->m_hWnd, IDC_SCALE_DOWN), box->m_pDownArrow->m_hWnd);
    EXPECT_EQ(GetDlgItem(box->m_hWnd, IDC_SCALE_EDIT), box->m_pEdit->m_hWnd);
    CRect up;
    GetClientRect(box->m_pUpArrow->m_hWnd, &up);
    EXPECT_EQ(CRect(0, 0, 23, 23), up);
    EXPECT_EQ((UINT)IDR_ARROW_UP_HOVER, box->m_pUpArrow->m_nHoverID);
    EXPECT_EQ(0u, box->m_pUpArrow->m_nSelectedID);
    // The initial value of the box is written at initialisation.
    CPicNumDlg copies(IDD_COPIES_BOX);
    copies.m_resUpArrow = { IDC_COPIES_UP, IDR_ARROW_UP, 0, IDR_ARROW_UP_HOVER, 0, CString() };
    copies.m_resDownArrow = { IDC_COPIES_DOWN, IDR_ARROW_DOWN, 0, IDR_ARROW_DOWN_HOVER, 0, CString() };
    copies.m_nEditID = IDC_COPIES_EDIT;
    copies.m_nInitValue = 7;
    // Bounds set before creation: the edit bounds the initial value as typed text.
    copies.m_pEdit->m_nMin = 1;
    copies.m_pEdit->m_nMax = 999;
    ASSERT_TRUE(copies.CreateFromModule(IDD_COPIES_BOX, &page, nullptr));
    place(copies, IDC_COPIES_PLACE);
    EXPECT_EQ(7, value(copies));
    saveScreenshot(page.m_hWnd, L"number-boxes");
    s_current = nullptr;
}

TEST_F(NumBoxGui, TypedValuesAreBoundOnceTheTextIsLongEnough)
{
    auto box = makeScaleBox(100);
    ASSERT_TRUE(box);
    s_current = box.get();

    // "5" stays 5 while the edit has the focus, and becomes 25 when it loses it.
    type(*box, L"5");
    EXPECT_EQ(L"5", text(*box));
    EXPECT_EQ(std::vector<int>({ 5 }), g_log.values);
    SetFocus(GetDlgItem(page.m_hWnd, IDC_OTHER_EDIT));
    pumpMessages();
    EXPECT_EQ(L"25", text(*box));
    EXPECT_EQ(25, g_log.values.back());

    // "500" becomes 400 at the third character.
    type(*box, L"50");
    EXPECT_EQ(L"50", text(*box));
    type(*box, L"500");
    EXPECT_EQ(L"400", text(*box));

    // "020" becomes 25 at the third character.
    type(*box, L"02");
    EXPECT_EQ(L"02", text(*box));
    type(*box, L"020");
    EXPECT_EQ(L"25", text(*box));

    // Not a number reads as 0: raised to the minimum on losing the focus.
    box->SetDlgItemText(IDC_SCALE_EDIT, L"");
    SetFocus(box->m_pEdit->m_hWnd);
    SetFocus(GetDlgItem(page.m_hWnd, IDC_OTHER_EDIT));
    pumpMessages();
    EXPECT_EQ(L"25", text(*box));

    // Every callback reached the page, on this thread.
    for (HWND owner : g_log.owners)
        EXPECT_EQ(page.m_hWnd, owner);
    for (DWORD thread : g_log.threads)
        EXPECT_EQ(GetCurrentThreadId(), thread);
    s_current = nullptr;
}

TEST_F(NumBoxGui, AnEditWithoutCallbackIsNotRaisedOnFocusLoss)
{
    auto box = makeScaleBox(100);
    ASSERT_TRUE(box);
    box->m_pEdit->m_pfnCallback = nullptr;
    type(*box, L"5");
    SetFocus(GetDlgItem(page.m_hWnd, IDC_OTHER_EDIT));
    pumpMessages();
    EXPECT_EQ(L"5", text(*box));
}

TEST_F(NumBoxGui, AShortPressStepsOnce)
{
    auto box = makeScaleBox(100);
    ASSERT_TRUE(box);
    s_current = box.get();
    pressArrow(*box->m_pUpArrow);
    EXPECT_EQ(101, value(*box));
    EXPECT_EQ(box->m_pUpArrow->m_hWnd, GetFocus());
    releaseArrow(*box->m_pUpArrow);
    EXPECT_EQ(101, value(*box));
    EXPECT_FALSE(box->m_pUpArrow->m_bRepeating);
    EXPECT_FALSE(timerWasRunning(*box->m_pUpArrow, CPicNumButton::TIMER_DELAY));
    EXPECT_FALSE(timerWasRunning(*box->m_pUpArrow, CPicNumButton::TIMER_REPEAT));

    pressArrow(*box->m_pDownArrow);
    releaseArrow(*box->m_pDownArrow);
    EXPECT_EQ(100, value(*box));
    // The page heard each step, on this thread.
    EXPECT_EQ(std::vector<int>({ 101, 100 }), g_log.values);
    for (DWORD thread : g_log.threads)
        EXPECT_EQ(GetCurrentThreadId(), thread);
    s_current = nullptr;
}

TEST_F(NumBoxGui, HoldingAnArrowRepeatsUntilReleased)
{
    auto box = makeScaleBox(100);
    ASSERT_TRUE(box);
    s_current = box.get();
    CPicNumButton& up = *box->m_pUpArrow;
    pressArrow(up);
    EXPECT_EQ(101, value(*box));
    EXPECT_FALSE(up.m_bRepeating);
    // The delay: the repeat starts with a step.
    fire(up, CPicNumButton::TIMER_DELAY);
    EXPECT_TRUE(up.m_bRepeating);
    EXPECT_EQ(102, value(*box));
    for (int i = 0; i < 5; ++i)
        fire(up, CPicNumButton::TIMER_REPEAT);
    EXPECT_EQ(107, value(*box));
    // A timer of another id is not the arrow's.
    fire(up, 7);
    EXPECT_EQ(107, value(*box));
    releaseArrow(up);
    EXPECT_FALSE(up.m_bRepeating);
    EXPECT_FALSE(timerWasRunning(up, CPicNumButton::TIMER_REPEAT));
    // A late tick of the stopped repeat steps nothing.
    fire(up, CPicNumButton::TIMER_REPEAT);
    EXPECT_EQ(107, value(*box));
    EXPECT_EQ(7u, g_log.values.size());
    s_current = nullptr;
}

TEST_F(NumBoxGui, ThePointerLeavingAHeldArrowStopsTheRepeat)
{
    auto box = makeScaleBox(100);
    ASSERT_TRUE(box);
    CPicNumButton& down = *box->m_pDownArrow;
    pressArrow(down);
    fire(down, CPicNumButton::TIMER_DELAY);
    fire(down, CPicNumButton::TIMER_REPEAT);
    EXPECT_EQ(97, value(*box));
    pointerAway(down.m_hWnd);
    EXPECT_FALSE(down.m_bRepeating);
    EXPECT_FALSE(down.m_bHover);
    EXPECT_FALSE(timerWasRunning(down, CPicNumButton::TIMER_REPEAT));
    fire(down, CPicNumButton::TIMER_REPEAT);
    EXPECT_EQ(97, value(*box));
}

// An arrow that has the focus back (the sheet reactivated) already shows its
// hover look when the pointer comes. Pressed, slid off and released over
// another control, it stops all the same.
TEST_F(NumBoxGui, AFocusedArrowReleasedOffItselfStops)
{
    auto box = makeScaleBox(100);
    ASSERT_TRUE(box);
    CPicNumButton& up = *box->m_pUpArrow;
    SetFocus(frame.hwnd());
    pumpMessages();
    up.SetFocus();
    ASSERT_TRUE(up.m_bHover);
    ASSERT_TRUE(realMouse(up.m_hWnd, { 10, 10 }, { MOUSEEVENTF_LEFTDOWN }));
    EXPECT_EQ(101, value(*box));
    fire(up, CPicNumButton::TIMER_DELAY);
    ASSERT_TRUE(up.m_bRepeating);
    HWND other = GetDlgItem(page.m_hWnd, IDC_OTHER_EDIT);
    ASSERT_TRUE(realMouse(other, { 5, 5 }));
    ASSERT_TRUE(realMouse(other, { 6, 6 }, { MOUSEEVENTF_LEFTUP }));
    EXPECT_FALSE(up.m_bRepeating);
    EXPECT_FALSE(timerWasRunning(up, CPicNumButton::TIMER_REPEAT));
    fire(up, CPicNumButton::TIMER_REPEAT);
    EXPECT_EQ(102, value(*box));
    EXPECT_EQ(nullptr, GetCapture());
}

// The arrow's own timers, as Windows fires them.
TEST_F(NumBoxGui, TheRealTimersRepeatAfterTheDelay)
{
    auto box = makeScaleBox(100, true);
    ASSERT_TRUE(box);
    CPicNumButton& up = *box->m_pUpArrow;
    pressArrow(up);
    DWORD start = GetTickCount();
    while (value(*box) < 106 && GetTickCount() - start < 10000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        pumpMessages();
    }
    EXPECT_GE(value(*box), 106);
    EXPECT_TRUE(up.m_bRepeating);
    releaseArrow(up);
    EXPECT_FALSE(timerWasRunning(up, CPicNumButton::TIMER_DELAY));
    EXPECT_FALSE(timerWasRunning(up, CPicNumButton::TIMER_REPEAT));
}

TEST_F(NumBoxGui, NothingPastABound)
{
    auto box = makeScaleBox(399);
    ASSERT_TRUE(box);
    CPicNumButton& up = *box->m_pUpArrow;
    pressArrow(up);
    EXPECT_EQ(400, value(*box));
    fire(up, CPicNumButton::TIMER_DELAY);
    fire(up, CPicNumButton::TIMER_REPEAT);
    fire(up, CPicNumButton::TIMER_REPEAT);
    EXPECT_EQ(400, value(*box));
    EXPECT_TRUE(up.m_bRepeating);   // still pausing, still stoppable
    releaseArrow(up);

    box->SetDlgItemInt(IDC_SCALE_EDIT, 26, TRUE);
    CPicNumButton& down = *box->m_pDownArrow;
    pressArrow(down);
    fire(down, CPicNumButton::TIMER_DELAY);
    fire(down, CPicNumButton::TIMER_REPEAT);
    EXPECT_EQ(25, value(*box));
    releaseArrow(down);
}

TEST_F(NumBoxGui, PressingAnArrowCorrectsTheEditFirst)
{
    auto box = makeScaleBox(100);
    ASSERT_TRUE(box);
    s_current = box.get();
    type(*box, L"5");
    ASSERT_EQ(box->m_pEdit->m_hWnd, GetFocus());
    g_log.values.clear();
    pressArrow(*box->m_pUpArrow);
    releaseArrow(*box->m_pUpArrow);
    // The focus loss raised 5 to 25 (and told the page) before the step.
    EXPECT_EQ(26, value(*box));
    ASSERT_GE(g_log.values.size(), 2u);
    EXPECT_EQ(25, g_log.values.front());
    EXPECT_EQ(26, g_log.values.back());
    s_current = nullptr;
}

TEST_F(NumBoxGui, ADoubleClickStepsTwice)
{
    auto box = makeScaleBox(100);
    ASSERT_TRUE(box);
    HWND up = box->m_pUpArrow->m_hWnd;
    pointerTo(up, 10, 10);
    SendMessageW(up, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(up, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    SendMessageW(up, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(up, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    pumpMessages();
    EXPECT_EQ(102, value(*box));
    EXPECT_FALSE(timerWasRunning(*box->m_pUpArrow, CPicNumButton::TIMER_DELAY));
}

TEST_F(NumBoxGui, DisablingTheBoxDisablesArrowsAndEdit)
{
    auto box = makeScaleBox(100);
    ASSERT_TRUE(box);
    const COLORREF before = screenPixel(box->m_pUpArrow->m_hWnd, 11, 11);
    box->EnableWindow(FALSE);
    EXPECT_FALSE(IsWindowEnabled(box->m_pUpArrow->m_hWnd));
    EXPECT_FALSE(IsWindowEnabled(box->m_pDownArrow->m_hWnd));
    EXPECT_FALSE(IsWindowEnabled(box->m_pEdit->m_hWnd));
    // The arrows draw lighter.
    const COLORREF after = screenPixel(box->m_pUpArrow->m_hWnd, 11, 11);
    EXPECT_GT(GetRValue(after) + GetGValue(after) + GetBValue(after),
              GetRValue(before) + GetGValue(before) + GetBValue(before));
    saveScreenshot(page.m_hWnd, L"number-box-disabled");
    box->EnableWindow(TRUE);
    EXPECT_TRUE(IsWindowEnabled(box->m_pUpArrow->m_hWnd));
    EXPECT_TRUE(IsWindowEnabled(box->m_pDownArrow->m_hWnd));
    EXPECT_TRUE(IsWindowEnabled(box->m_pEdit->m_hWnd));
    EXPECT_EQ(before, screenPixel(box->m_pUpArrow->m_hWnd, 11, 11));
}

TEST_F(NumBoxGui, BoxesDestroyedWhileAnArrowRepeatsEndCleanly)
{
    pumpMessages();
    const int threadsBefore = ThreadCount();
    ASSERT_GT(threadsBefore, 0);
    for (int i = 0; i < 100; ++i) {
        auto box = makeScaleBox(100);
        ASSERT_TRUE(box) << i;
        CPicNumButton& arrow = i % 2 ? *box->m_pDownArrow : *box->m_pUpArrow;
        pressArrow(arrow);
        fire(arrow, CPicNumButton::TIMER_DELAY);
        ASSERT_TRUE(arrow.m_bRepeating) << i;
        // The repeat timer runs; a tick is queued for the arrow as well.
        arrow.PostMessage(WM_TIMER, CPicNumButton::TIMER_REPEAT);
        box.reset();
        pumpMessages();
    }
    EXPECT_EQ(threadsBefore, ThreadCount());
    EXPECT_EQ(nullptr, GetCapture());
}
