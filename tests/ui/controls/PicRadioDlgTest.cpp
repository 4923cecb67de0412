// The picture radio group on the duplex template: one choice at a time, the
// owner hearing of every click, the label of the choice, the disabled look and
// the group's tooltip.
#include <gtest/gtest.h>

#include "PictureTesting.h"
#include "TipTesting.h"
#include "harness/Keys.h"
#include "harness/TestWindow.h"
#include "res/resource.h"
#include "ui/controls/PicRadioDlg.h"

#include <string>
#include <vector>

using namespace harness;
using picturetest::GdiPlusSession;
using tiptest::centerOf;
using tiptest::FakePointer;

namespace {

// What the owner callback saw.
struct CallbackLog {
    int calls = 0;
    HWND owner = nullptr;
    int checkAtCall = -2;
    CPicRadioDlg* group = nullptr;
};
CallbackLog g_log;
// Where the owner puts the focus when told, as the pages do (null: nowhere).
HWND g_focusOnChoice = nullptr;

void RecordChoice(CWnd* owner)
{
    ++g_log.calls;
    g_log.owner = owner ? owner->m_hWnd : nullptr;
    g_log.checkAtCall = g_log.group ? g_log.group->GetCheck() : -2;
    if (g_focusOnChoice)
        SetFocus(g_focusOnChoice);
}

const UINT kPictures[3] = { IDC_DUPLEX_NONE, IDC_DUPLEX_LONG, IDC_DUPLEX_SHORT };

class PicRadioDlg : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gdiplus.ok);
        g_log = CallbackLog();
        g_focusOnChoice = nullptr;
        group = new CPicRadioDlg(IDD_DUPLEX_PICKER, CWnd::FromHandle(frame.hwnd()));
        ASSERT_NE(nullptr, group);
        group->m_entries.Add({ IDC_DUPLEX_NONE, IDR_DUPLEX_NONE_PORTRAIT, IDR_DUPLEX_NONE_PORTRAIT_SELECTED,
                               IDR_DUPLEX_NONE_PORTRAIT_HOVER, IDC_DUPLEX_NONE_LABEL, L"One-sided" });
        group->m_entries.Add({ IDC_DUPLEX_LONG, IDR_DUPLEX_LONG_PORTRAIT, IDR_DUPLEX_LONG_PORTRAIT_SELECTED,
                               IDR_DUPLEX_LONG_PORTRAIT_HOVER, IDC_DUPLEX_LONG_LABEL, L"Long edge" });
        group->m_entries.Add({ IDC_DUPLEX_SHORT, IDR_DUPLEX_SHORT_PORTRAIT, IDR_DUPLEX_SHORT_PORTRAIT_SELECTED,
                               IDR_DUPLEX_SHORT_PORTRAIT_HOVER, IDC_DUPLEX_SHORT_LABEL, L"Short edge" });
        group->m_nImageType = 0;
        ASSERT_TRUE(group->CreateFromModule(IDD_DUPLEX_PICKER, CWnd::FromHandle(frame.hwnd()), nullptr));
        group->SetWindowPos(nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        group->m_pfnCallback = &RecordChoice;
        g_log.group = group;
        pumpMessages();
    }
    void TearDown() override
    {
        g_log.group = nullptr;
        delete group;
        EXPECT_FALSE(CTipTools::IsBusy());
    }
    HWND picture(int i) const { return ::GetDlgItem(group->m_hWnd, (int)kPictures[i]); }
    // What a user's click on a picture sends it.
    void click(int i)
    {
        HWND p = picture(i);
        SendMessageW(p, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        SendMessageW(p, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(p, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    int chosenCount() const
    {
        int n = 0;
        for (INT_PTR i = 0; i < group->m_buttons.GetSize(); ++i)
            n += group->m_buttons[i]->m_bSelected ? 1 : 0;
        return n;
    }
    std::vector<COLORREF> pixelsOf(int i)
    {
        RECT client = {};
        GetClientRect(picture(i), &client);
        return screenPixels(picture(i), client);
    }

    GdiPlusSession gdiplus;
    FakePointer pointer;
    CAfxTempMapLock lock;
    TestFrame frame;
    CPicRadioDlg* group = nullptr;
};

typedef PicRadioDlg PicRadioDlgGui;

} // namespace

TEST_F(PicRadioDlgGui, EachPictureHasItsImagesSizeAndLabel)
{
    ASSERT_EQ(3, group->m_buttons.GetSize());
    const wchar_t* labels[3] = { L"One-sided", L"Long edge", L"Short edge" };
    const UINT labelIds[3] = { IDC_DUPLEX_NONE_LABEL, IDC_DUPLEX_LONG_LABEL, IDC_DUPLEX_SHORT_LABEL };
    for (int i = 0; i < 3; ++i) {
        CPicButton* button = group->m_buttons[i];
        EXPECT_EQ(picture(i), button->m_hWnd);
        EXPECT_EQ(0u, button->m_nImageType);
        EXPECT_EQ(group->m_entries[i].nSelectedID, button->m_nSelectedID);
        EXPECT_EQ(0u, button->m_nPressedID);
        RECT r = {};
        GetWindowRect(picture(i), &r);
        EXPECT_EQ(40, r.right - r.left);
        EXPECT_EQ(40, r.bottom - r.top);
        wchar_t text[64] = {};
        GetDlgItemTextW(group->m_hWnd, (int)labelIds[i], text, 64);
        EXPECT_STREQ(labels[i], text);
    }
    EXPECT_TRUE(IsWindow(group->m_tip.m_hWnd));
    EXPECT_FALSE(IsWindowVisible(group->m_tip.m_hWnd));
}

TEST_F(PicRadioDlgGui, NothingIsChosenBeforeTheOwnerSetsAChoice)
{
    EXPECT_EQ(-1, group->GetCheck());
    wchar_t text[100] = L"unchanged";
    group->GetCheckedText(text);
    EXPECT_STREQ(L"unchanged", text);

    group->SetCheck(1);
    EXPECT_EQ(1, group->GetCheck());
    EXPECT_EQ(1, chosenCount());
    group->GetCheckedText(text);
    EXPECT_STREQ(L"Long edge", text);
    wchar_t shortBuffer[5] = {};
    group->GetCheckedText(shortBuffer, 5);
    EXPECT_STREQ(L"Long", shortBuffer);
    EXPECT_EQ(0, g_log.calls);   // setting by code tells nobody

    group->SetCheck(3);   // outside: nothing chosen
    EXPECT_EQ(-1, group->GetCheck());
    EXPECT_EQ(0, chosenCount());
    group->SetCheck(-1);
    EXPECT_EQ(-1, group->GetCheck());
}

TEST_F(PicRadioDlgGui, AClickChoosesExactlyOneAndThenTellsTheOwner)
{
    group->SetCheck(0);
    pumpMessages();
    const std::vector<COLORREF> chosenLook = pixelsOf(0), plainLook = pixelsOf(2);

    click(2);
    EXPECT_EQ(2, group->GetCheck());
    EXPECT_EQ(1, chosenCount());
    EXPECT_EQ(1, g_log.calls);
    EXPECT_EQ(frame.hwnd(), g_log.owner);
    EXPECT_EQ(2, g_log.checkAtCall);   // after the choice was made
    pumpMessages();
    EXPECT_NE(plainLook, pixelsOf(2));   // the selected picture
    EXPECT_NE(chosenLook, pixelsOf(0));  // no longer selected

    // The chosen one again: still chosen, still told.
    click(2);
    EXPECT_EQ(2, group->GetCheck());
    EXPECT_EQ(2, g_log.calls);
    EXPECT_EQ(2, g_log.checkAtCall);

    // Another picture holding the keyboard focus (it looks hovered) is not
    // chosen with the one clicked.
    SetFocus(picture(0));
    ASSERT_TRUE(group->m_buttons[0]->m_bHover);
    click(1);
    EXPECT_EQ(1, group->GetCheck());
    EXPECT_EQ(1, chosenCount());
    EXPECT_EQ(3, g_log.calls);

    // Without a callback the choice still changes.
    group->m_pfnCallback = nullptr;
    click(0);
    EXPECT_EQ(0, group->GetCheck());
    EXPECT_EQ(3, g_log.calls);

    // The pointer and the focus go elsewhere.
    for (int i = 0; i < 3; ++i)
        SendMessageW(picture(i), WM_MOUSELEAVE, 0, 0);
    SetFocus(frame.hwnd());
    group->SetCheck(1);
    pumpMessages();
    saveScreenshot(group->m_hWnd, L"picture-radio-group");
}

TEST_F(PicRadioDlgGui, ADisabledGroupDrawsItsPicturesLighter)
{
    group->SetCheck(1);
    pumpMessages();
    const std::vector<COLORREF> normal = pixelsOf(0), chosen = pixelsOf(1);
    ASSERT_FALSE(normal.empty());

    group->EnableWindow(FALSE);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(IsWindowEnabled(picture(i)));
    pumpMessages();
    for (const auto& pair : { std::make_pair(0, &normal), std::make_pair(1, &chosen) }) {
        const std::vector<COLORREF> disabled = pixelsOf(pair.first);
        ASSERT_EQ(pair.second->size(), disabled.size());
        int lighter = 0, darker = 0;
        for (size_t p = 0; p < disabled.size(); ++p) {
            const COLORREF before = (*pair.second)[p], after = disabled[p];
            const int sumBefore = GetRValue(before) + GetGValue(before) + GetBValue(before);
            const int sumAfter = GetRValue(after) + GetGValue(after) + GetBValue(after);
            lighter += sumAfter > sumBefore + 6 ? 1 : 0;
            darker += sumAfter + 6 < sumBefore ? 1 : 0;
        }
        EXPECT_GT(lighter, (int)disabled.size() / 10) << "picture " << pair.first;
        EXPECT_EQ(0, darker) << "picture " << pair.first;
    }
    saveScreenshot(group->m_hWnd, L"picture-radio-group-disabled");

    group->EnableWindow(TRUE);
    pumpMessages();
    EXPECT_TRUE(IsWindowEnabled(picture(2)));
    EXPECT_EQ(normal, pixelsOf(0));
}

TEST_F(PicRadioDlgGui, ThePicturesTipsShowAndHideWithThePointer)
{
    CTipTools& tip = group->m_tip;
    tip.AddTool(picture(0), L"Print on one side");
    tip.AddTool(picture(1), L"Turn over on the long edge");
    HWND popup = tip.m_hWnd;

    const POINT at = centerOf(picture(0));
    FakePointer::at = at;
    SendMessageW(picture(0), WM_SETCURSOR, (WPARAM)picture(0), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(picture(0), tip.GetTrackedControl());
    ASSERT_TRUE(KillTimer(popup, CTipTools::TIMER_SHOW));   // the delay ran
    SendMessageW(popup, WM_TIMER, CTipTools::TIMER_SHOW, 0);
    ASSERT_TRUE(IsWindowVisible(popup));
    RECT r = {};
    GetWindowRect(popup, &r);
    EXPECT_EQ(at.x, r.left);
    EXPECT_EQ(at.y + 20, r.top);
    saveScreenshot(frame.hwnd(), L"picture-radio-group-tip");

    // The pointer leaves the picture: it reports so, and the tip fades.
    SendMessageW(picture(0), WM_MOUSELEAVE, 0, 0);
    pumpMessages();
    EXPECT_EQ(nullptr, tip.GetTrackedControl());
    EXPECT_TRUE(tip.IsFading());

    // The page goes while the tip fades: nothing hangs, the flag is free.
    delete group;
    group = nullptr;
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_FALSE(CTipTools::IsBusy());
}

TEST_F(PicRadioDlgGui, AClickOnThePictureUnderTheTipHidesIt)
{
    CTipTools& tip = group->m_tip;
    tip.AddTool(picture(2), L"Turn over on the short edge");
    const POINT at = centerOf(picture(2));
    FakePointer::at = at;
    SendMessageW(picture(2), WM_SETCURSOR, (WPARAM)picture(2), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    SendMessageW(tip.m_hWnd, WM_TIMER, CTipTools::TIMER_SHOW, 0);
    ASSERT_TRUE(IsWindowVisible(tip.m_hWnd));

    SendMessageW(picture(2), WM_SETCURSOR, (WPARAM)picture(2), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    click(2);
    EXPECT_TRUE(tip.IsFading());
    EXPECT_EQ(picture(2), tip.GetTrackedControl());
    EXPECT_EQ(2, group->GetCheck());
    for (UINT i = 0; i < CTipTools::FADE_STEPS && tip.IsFading(); ++i)
        SendMessageW(tip.m_hWnd, WM_TIMER, CTipTools::TIMER_FADE, 0);
    EXPECT_FALSE(IsWindowVisible(tip.m_hWnd));
}

// As radio buttons: one tab stop, on the choice (the first while there is
// none); the arrows move the choice round the row and the focus stays on it,
// whatever the owner did with the focus.
TEST_F(PicRadioDlgGui, TheArrowsMoveTheChoiceRoundTheRowWithTheFocus)
{
    auto tabStop = [&](int i) { return (GetWindowLongPtrW(picture(i), GWL_STYLE) & WS_TABSTOP) != 0; };
    EXPECT_TRUE(tabStop(0) && !tabStop(1) && !tabStop(2));
    g_focusOnChoice = frame.hwnd();
    SetFocus(frame.hwnd());
    pumpMessages();
    group->SetCheck(2);
    SetFocus(picture(2));
    pressKey(dialogLoop(group->m_hWnd), VK_RIGHT);
    EXPECT_EQ(0, group->GetCheck());
    EXPECT_EQ(picture(0), GetFocus());
    EXPECT_TRUE(tabStop(0) && !tabStop(2));
    EXPECT_EQ(1, g_log.calls);
}

// The focused choice draws its focus cue itself: the cue follows the arrows
// and a repaint of the group keeps it.
TEST_F(PicRadioDlgGui, TheFocusedChoiceKeepsItsCueThroughARepaint)
{
    group->SetCheck(1);
    pumpMessages();
    const std::vector<COLORREF> unfocused = pixelsOf(1);
    SetFocus(picture(0));
    pressKey(dialogLoop(group->m_hWnd), VK_RIGHT);
    group->Invalidate(TRUE);
    pumpMessages();
    EXPECT_NE(unfocused, pixelsOf(1));
    saveScreenshot(group->m_hWnd, L"picture-radio-group-focus");
}

// A click leaves the focus on the clicked picture, whatever the owner did
// with it, and the arrows go on from there.
TEST_F(PicRadioDlgGui, AClickLeavesTheFocusOnTheClickedPicture)
{
    g_focusOnChoice = frame.hwnd();
    click(1);
    EXPECT_EQ(picture(1), GetFocus());
    pressKey(dialogLoop(group->m_hWnd), VK_RIGHT);
    EXPECT_EQ(2, group->GetCheck());
}
