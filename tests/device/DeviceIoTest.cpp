// The real device I/O behind the seams, on a named pipe in place of a USB
// printing device: every request ends within its time limit.
#include <gtest/gtest.h>

#include "plugin/SystemSeams.h"

#include <string>

namespace {

struct Pipe {
    std::wstring name = L"\\\\.\\pipe\\bq2100ps-io-" + std::to_wstring(GetCurrentProcessId());
    HANDLE server = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096,
                                     0, nullptr);
    HANDLE client = INVALID_HANDLE_VALUE;
    Pipe()
    {
        ResetSystemSeams();
        client = g_seams.OpenDevice(name.c_str());
    }
    ~Pipe()
    {
        if (client != INVALID_HANDLE_VALUE)
            g_seams.CloseDevice(client);
        if (server != INVALID_HANDLE_VALUE)
            CloseHandle(server);
    }
    bool ok() const { return server != INVALID_HANDLE_VALUE && client != INVALID_HANDLE_VALUE; }
};

} // namespace

TEST(DeviceIo, AMissingDeviceCannotBeOpened)
{
    ResetSystemSeams();
    HANDLE h = g_seams.OpenDevice(L"\\\\?\\usb#vid_2f1c&pid_0a21#none#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);
    EXPECT_NE(0u, GetLastError());
}

TEST(DeviceIo, WritesAndReadsCarryTheBytes)
{
    Pipe pipe;
    ASSERT_TRUE(pipe.ok());
    DWORD n = 0;
    ASSERT_TRUE(g_seams.WriteDevice(pipe.client, "ping", 4, &n, 1000));
    EXPECT_EQ(4u, n);
    char got[8] = {};
    DWORD m = 0;
    ASSERT_TRUE(ReadFile(pipe.server, got, 4, &m, nullptr));
    EXPECT_EQ(std::string("ping"), std::string(got, m));

    ASSERT_TRUE(WriteFile(pipe.server, "pong!", 5, &m, nullptr));
    char reply[16] = {};
    ASSERT_TRUE(g_seams.ReadDevice(pipe.client, reply, sizeof reply, &n, 1000));
    EXPECT_EQ(std::string("pong!"), std::string(reply, n));
}

TEST(DeviceIo, AReadWithoutAnswerEndsAtItsTimeLimit)
{
    Pipe pipe;
    ASSERT_TRUE(pipe.ok());
    char reply[16];
    DWORD n = 99;
    ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(g_seams.ReadDevice(pipe.client, reply, sizeof reply, &n, 300));
    ULONGLONG elapsed = GetTickCount64() - start;
    EXPECT_EQ(static_cast<DWORD>(ERROR_SEM_TIMEOUT), GetLastError());
    EXPECT_EQ(0u, n);
    EXPECT_GE(elapsed, 280u);
    EXPECT_LT(elapsed, 1300u);

    // The cancelled read took nothing: a later answer is read whole.
    DWORD m = 0;
    ASSERT_TRUE(WriteFile(pipe.server, "late", 4, &m, nullptr));
    ASSERT_TRUE(g_seams.ReadDevice(pipe.client, reply, sizeof reply, &n, 1000));
    EXPECT_EQ(std::string("late"), std::string(reply, n));
}

TEST(DeviceIo, AControlRequestTheDeviceDoesNotKnowFails)
{
    Pipe pipe;
    ASSERT_TRUE(pipe.ok());
    const BYTE request[3] = {};
    BYTE reply[256];
    DWORD n = 99;
    EXPECT_FALSE(g_seams.ControlDevice(pipe.client, 0x22003C, request, 3, reply, sizeof reply, &n, 1000));
    EXPECT_NE(0u, GetLastError());
    EXPECT_EQ(0u, n);
}
