// CWinThread: a worker thread of the framework.
//
// Windows belong to the thread that made them: a worker touches none. It hands
// work to a window's thread with PostMessage (never SendMessage), so that the
// owner can always wait for it. Join waits for the thread's end while the
// waiting thread still answers messages that other threads send it, so a
// worker blocked in a SendMessage to the waiting thread cannot deadlock it.
#pragma once

#include <windows.h>

typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID param);

class CWinThread {
public:
    CWinThread(AFX_THREADPROC proc, LPVOID param);
    // Joins a thread that is still running (an auto-deleting one deletes
    // itself and is never destroyed by its owner).
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // CREATE_SUSPENDED in flags: the thread waits for ResumeThread.
    BOOL CreateThread(DWORD flags = 0, UINT stackSize = 0);
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    BOOL SetThreadPriority(int priority) { return ::SetThreadPriority(m_hThread, priority); }
    // TRUE once the thread has ended (or never started).
    BOOL Join(DWORD timeoutMs = INFINITE);

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    // The object deletes itself when the thread ends; the owner keeps no pointer.
    BOOL m_bAutoDelete = FALSE;

private:
    static unsigned __stdcall Start(void* self);
    AFX_THREADPROC m_proc;
    LPVOID m_param;
};

// A thread that runs at once (unless CREATE_SUSPENDED) and deletes its object
// when it ends; null when it could not be started.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD flags = 0);
