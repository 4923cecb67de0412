// The constraint rules between the document pages' choices.
#include <gtest/gtest.h>

#include "harness/MessageBoxes.h"
#include "harness/TestPrinter.h"
#include "plugin/SystemSeams.h"
#include "settings/ConstraintState.h"
#include "settings/PaperList.h"
#include "settings/PrivateDevMode.h"
#include "sheets/ResourceModule.h"

#include <string>
#include <vector>

namespace {

PAPER_INFO Paper(int id, DWORD duplex, DWORD slot, DWORD feed, DWORD tray)
{
    PAPER_INFO p = {};
    p.id = id;
    p.flag[PAPER_FLAG_DUPLEX] = duplex;
    p.flag[PAPER_FLAG_INPUT_SLOT] = slot;
    p.flag[PAPER_FLAG_FEED_EDGE] = feed;
    p.flag[PAPER_FLAG_OPTIONAL_TRAY] = tray;
    return p;
}

class Constraints : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok()) << printer.failureText();
        LoadResourceModule(&res, printer.handle());
        ASSERT_NE(nullptr, res.module);
        memset(&block, 0, sizeof block);
        devmode.pPublic = &publicDm;
        devmode.pPrivate = &block;
        // Paper 0 allows everything, paper 1 nothing, paper 2 all but duplex.
        papers.StandardPapers().Add(Paper(0, 1, 1, 1, 1));
        papers.StandardPapers().Add(Paper(1, 0, 0, 0, 0));
        papers.StandardPapers().Add(Paper(2, 0, 1, 1, 1));
    }
    void TearDown() override
    {
        ResetSystemSeams();
        FreeResourceModule(&res);
    }
    std::wstring Text(UINT id)
    {
        WCHAR buf[1024] = {};
        LoadStringW(res.module, id, buf, 1024);
        return buf;
    }

    harness::TestPrinter printer;
    RESOURCE_MODULE res = {};
    CONSTRAINT_STATE state = {};
    PRIVATE_DEVMODE block;
    DEVMODEW publicDm = {};
    DEVMODE_PAIR devmode = {};
    CPaperList papers;
    harness::MessageBoxes boxes;
};

} // namespace

TEST_F(Constraints, ACustomPaperWithDuplexOnIsRefused)
{
    block.duplex = 1;
    state.word[CONSTRAINT_DUPLEX] = 0x2;
    state.word[CONSTRAINT_FEED_EDGE] = 0x1;
    EXPECT_FALSE(CheckPaperConstraints(&state, nullptr, &papers, &devmode, &res, 257));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(Text(5003) + L"\r\n", boxes[0].text);
    EXPECT_EQ(Text(5004), boxes[0].caption);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), boxes[0].type);
    EXPECT_EQ(0u, state.word[CONSTRAINT_PAPER] & 0x1);
    // Nothing else was touched.
    EXPECT_EQ(0x2u, state.word[CONSTRAINT_DUPLEX]);
    EXPECT_EQ(0x1u, state.word[CONSTRAINT_FEED_EDGE]);
    EXPECT_EQ(0u, state.word[CONSTRAINT_INPUT_SLOT]);
    EXPECT_EQ(0u, state.word[CONSTRAINT_TRAY]);
}

TEST_F(Constraints, ACustomPaperWithDuplexOffSetsItsRestrictions)
{
    state.word[CONSTRAINT_INPUT_SLOT] = 0x1 | 0x2;
    state.word[CONSTRAINT_TRAY] = 0x4;
    EXPECT_TRUE(CheckPaperConstraints(&state, nullptr, &papers, &devmode, &res, 257));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(0x1u, state.word[CONSTRAINT_PAPER]);
    EXPECT_EQ(0x1u, state.word[CONSTRAINT_DUPLEX]);
    EXPECT_EQ(0x1u, state.word[CONSTRAINT_FEED_EDGE]);
    // The media rule's bit of the input-slot word stays.
    EXPECT_EQ(0x2u, state.word[CONSTRAINT_INPUT_SLOT]);
    EXPECT_EQ(0u, state.word[CONSTRAINT_TRAY]);
}

TEST_F(Constraints, AStandardPaperSetsAndClearsByItsFlags)
{
    EXPECT_TRUE(CheckPaperConstraints(&state, nullptr, &papers, &devmode, &res, 1));
    EXPECT_EQ(0x1u, state.word[CONSTRAINT_PAPER]);
    EXPECT_EQ(0x1u, state.word[CONSTRAINT_DUPLEX]);
    EXPECT_EQ(0x1u, state.word[CONSTRAINT_FEED_EDGE]);
    EXPECT_EQ(0x1u, state.word[CONSTRAINT_INPUT_SLOT]);
    EXPECT_EQ(0x4u, state.word[CONSTRAINT_TRAY]);
    EXPECT_TRUE(CheckPaperConstraints(&state, nullptr, &papers, &devmode, &res, 0));
    for (int w : { CONSTRAINT_PAPER, CONSTRAINT_DUPLEX, CONSTRAINT_FEED_EDGE, CONSTRAINT_INPUT_SLOT, CONSTRAINT_TRAY })
        EXPECT_EQ(0u, state.word[w]) << w;
}

TEST_F(Constraints, APaperWithoutDuplexIsRefusedWhileDuplexIsOn)
{
    block.duplex = 2;
    EXPECT_FALSE(CheckPaperConstraints(&state, nullptr, &papers, &devmode, &res, 2));
    EXPECT_EQ(1u, boxes.size());
    EXPECT_TRUE(CheckPaperConstraints(&state, nullptr, &papers, &devmode, &res, 0));
    EXPECT_EQ(1u, boxes.size());
}

TEST_F(Constraints, WithoutThePairDuplexCountsAsOff)
{
    EXPECT_TRUE(CheckPaperConstraints(&state, nullptr, &papers, nullptr, &res, 1));
    EXPECT_TRUE(boxes.empty());
    DEVMODE_PAIR half = { &publicDm, nullptr };
    EXPECT_TRUE(CheckPaperConstraints(&state, nullptr, &papers, &half, &res, 1));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Constraints, WithoutAPaperListEverythingIsRestricted)
{
    EXPECT_TRUE(CheckPaperConstraints(&state, nullptr, nullptr, &devmode, &res, 0));
    EXPECT_EQ(0x1u, state.word[CONSTRAINT_PAPER]);
    EXPECT_EQ(0x1u, state.word[CONSTRAINT_INPUT_SLOT]);
    EXPECT_EQ(0x4u, state.word[CONSTRAINT_TRAY]);
    // An id outside the list reads as a paper that allows nothing.
    EXPECT_TRUE(CheckPaperConstraints(&state, nullptr, &papers, &devmode, &res, 7));
    EXPECT_EQ(0x1u, state.word[CONSTRAINT_DUPLEX]);
}

TEST_F(Constraints, ConflictMessagesFollowTheTable)
{
    WCHAR out[1024];
    BuildConflictMessage(&res, 2303, 0x3, out);
    EXPECT_EQ(Text(5016) + L"\r\n" + Text(5017) + L"\r\n", std::wstring(out));
    BuildConflictMessage(&res, 2303, 0x8, out);
    EXPECT_EQ(Text(5015) + L"\r\n", std::wstring(out));
    BuildConflictMessage(&res, 2408, 0x1, out);
    EXPECT_EQ(Text(5004) + L"\r\n", std::wstring(out));
    BuildConflictMessage(&res, 2303, 0x10, out);
    EXPECT_STREQ(L"", out);
    BuildConflictMessage(&res, 9999, 0xFFFFFFFF, out);
    EXPECT_STREQ(L"", out);
    BuildConflictMessage(&res, 2303, 0x1, nullptr);
}

TEST_F(Constraints, MessagesWithoutALanguageModuleAreBlankLines)
{
    RESOURCE_MODULE none = {};
    WCHAR out[1024];
    BuildConflictMessage(&none, 2407, 0x3, out);
    EXPECT_STREQ(L"\r\n\r\n", out);
    ShowWarningBox(&none, nullptr, L"x");
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"", boxes[0].caption);
}

TEST(ConstraintRules, MediaSetsDuplexAndInputSlotBits)
{
    CONSTRAINT_STATE s = {};
    ApplyControlRules(&s, 2302, 6);
    EXPECT_EQ(0x2u, s.word[CONSTRAINT_DUPLEX]);
    EXPECT_EQ(0u, s.word[CONSTRAINT_INPUT_SLOT]);
    ApplyControlRules(&s, 2302, 3);
    EXPECT_EQ(0x2u, s.word[CONSTRAINT_INPUT_SLOT]);
    ApplyControlRules(&s, 2302, 0);
    EXPECT_EQ(0u, s.word[CONSTRAINT_DUPLEX]);
    EXPECT_EQ(0u, s.word[CONSTRAINT_INPUT_SLOT]);
}

TEST(ConstraintRules, EachSourceMovesOnlyItsOwnBit)
{
    CONSTRAINT_STATE s = {};
    s.word[CONSTRAINT_DUPLEX] = 0x1;
    ApplyControlRules(&s, 2405, 1);
    EXPECT_EQ(0x1u, s.word[CONSTRAINT_MEDIA]);
    ApplyControlRules(&s, 2301, 2);
    EXPECT_EQ(0x1u, s.word[CONSTRAINT_SCALE]);
    ApplyControlRules(&s, 2408, 0);
    EXPECT_EQ(0x1u, s.word[CONSTRAINT_PAGE_BORDER]);
    ApplyControlRules(&s, 2408, 2);
    EXPECT_EQ(0u, s.word[CONSTRAINT_PAGE_BORDER]);
    ApplyControlRules(&s, 2414, 1);
    EXPECT_EQ(0x1u, s.word[CONSTRAINT_DENSITY]);
    ApplyControlRules(&s, 2601, 1);
    EXPECT_EQ(0x1u, s.word[CONSTRAINT_SCALE_RULE]);
    ApplyControlRules(&s, 2601, 2);
    EXPECT_EQ(0u, s.word[CONSTRAINT_SCALE_RULE]);
    EXPECT_EQ(0x1u, s.word[CONSTRAINT_DUPLEX]);
    CONSTRAINT_STATE before = s;
    ApplyControlRules(&s, 2300, 1);
    EXPECT_EQ(0, memcmp(&before, &s, sizeof s));
    ApplyControlRules(nullptr, 2302, 1);
}
