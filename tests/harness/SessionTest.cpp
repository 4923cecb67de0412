#include "Files.h"
#include "Session.h"

#include <gtest/gtest.h>

using namespace harness;

namespace {

ULONGLONG CreationTime(HANDLE process)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (ULONGLONG(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

} // namespace

TEST(WineSession, TheKeeperHoldsTheDesktop)
{
    FileHandle ready(OpenEventW(SYNCHRONIZE, FALSE, kDesktopKeeperEvent));
    ASSERT_TRUE(ready) << "no desktop keeper: boot the session with wine-session";
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready.get(), 0));
}

// Had this program started the desktop process, that process would hold its output.
TEST(WineSession, TheDesktopIsOlderThanTheTest)
{
    DWORD pid = 0;
    ASSERT_NE(0u, GetWindowThreadProcessId(GetDesktopWindow(), &pid));
    FileHandle desktop(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    ASSERT_TRUE(desktop) << "error " << GetLastError();
    ULONGLONG started = CreationTime(desktop.get());
    ASSERT_NE(0u, started);
    EXPECT_LT(started, CreationTime(GetCurrentProcess()));
}
