#include <gtest/gtest.h>
#include <windows.h>
TEST(Smoke, LoadsPlugin) { HMODULE m = LoadLibraryW(L"bq2100PSui.dll"); ASSERT_NE(nullptr, m); EXPECT_NE(nullptr, GetProcAddress(m, "DllGetClassObject")); }
