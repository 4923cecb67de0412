// The framework's string and array: the behaviour the plug-in relies on.
#include <gtest/gtest.h>

#include "framework/Afx.h"

TEST(AfxString, FormatUsesWideStringsForPercentS)
{
    CString s;
    s.Format(L"%s%d", L"Paper", 3);
    EXPECT_STREQ(L"Paper3", s);
}

TEST(AfxString, FormatPrintsFloatsWithAPoint)
{
    CString s;
    s.Format(L"%.1f %.2f", 210.0, 8.2677);
    EXPECT_STREQ(L"210.0 8.27", s);
}

TEST(AfxString, ConvertsAnsiText)
{
    CString s("Letter");
    EXPECT_EQ(6, s.GetLength());
    EXPECT_TRUE(s == L"Letter");
}

TEST(AfxString, BufferRoundTrip)
{
    CString s;
    wchar_t* p = s.GetBuffer(10);
    wcscpy(p, L"abc");
    s.ReleaseBuffer();
    EXPECT_EQ(3, s.GetLength());
    EXPECT_STREQ(L"abc", s);
}

TEST(AfxString, TrimFindAndMid)
{
    CString s(L"  A4 (210)  ");
    s.Trim();
    EXPECT_STREQ(L"A4 (210)", s);
    EXPECT_EQ(3, s.Find(L'('));
    EXPECT_STREQ(L"A4 ", s.Left(3));
    EXPECT_STREQ(L"210)", s.Mid(4));
    EXPECT_EQ(-1, s.Find(L'x'));
}

TEST(AfxString, LoadStringOfAMissingIdIsEmpty)
{
    CString s(L"old");
    EXPECT_FALSE(s.LoadString(GetModuleHandleW(nullptr), 65000));
    EXPECT_TRUE(s.IsEmpty());
}

TEST(AfxArray, AddInsertRemove)
{
    CArray<int> a;
    EXPECT_EQ(0, a.Add(1));
    EXPECT_EQ(1, a.Add(3));
    a.InsertAt(1, 2);
    ASSERT_EQ(3, a.GetSize());
    EXPECT_EQ(2, a[1]);
    a.RemoveAt(0);
    EXPECT_EQ(2, a[0]);
    EXPECT_EQ(1, a.GetUpperBound());
    a.SetSize(4);
    EXPECT_EQ(0, a[3]);
    EXPECT_THROW(a.RemoveAt(3, 2), std::out_of_range);
    EXPECT_THROW(a[-1], std::out_of_range);
}

TEST(AfxApp, ResourceScopeRestoresTheHandle)
{
    HINSTANCE before = AfxGetResourceHandle();
    {
        CAfxResourceScope scope(reinterpret_cast<HINSTANCE>(0x1234));
        EXPECT_EQ(reinterpret_cast<HINSTANCE>(0x1234), AfxGetResourceHandle());
    }
    EXPECT_EQ(before, AfxGetResourceHandle());
}

TEST(AfxApp, StartUpRecordedTheModule)
{
    EXPECT_EQ(GetModuleHandleW(nullptr), AfxGetInstanceHandle());
    ASSERT_NE(nullptr, AfxGetApp());
    EXPECT_EQ(GetModuleHandleW(nullptr), AfxGetApp()->m_hInstance);
}
