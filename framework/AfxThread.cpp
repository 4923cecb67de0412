#include "framework/AfxThread.h"

#include <process.h>

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID param) : m_proc(proc), m_param(param) {}

CWinThread::~CWinThread()
{
    if (m_hThread) {
        if (GetCurrentThreadId() != m_nThreadID)
            Join();
        CloseHandle(m_hThread);
    }
}

unsigned __stdcall CWinThread::Start(void* self)
{
    auto* thread = static_cast<CWinThread*>(self);
    UINT code = thread->m_proc ? thread->m_proc(thread->m_param) : 0;
    if (thread->m_bAutoDelete)
        delete thread;
    return code;
}

BOOL CWinThread::CreateThread(DWORD flags, UINT stackSize)
{
    if (m_hThread)
        return FALSE;
    // Started suspended so that the handle and id are set before it runs
    // (an auto-deleting thread may end and delete the object at once).
    unsigned id = 0;
    auto handle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, stackSize, &Start, this, CREATE_SUSPENDED, &id));
    if (!handle)
        return FALSE;
    m_hThread = handle;
    m_nThreadID = id;
    if (!(flags & CREATE_SUSPENDED))
        ::ResumeThread(handle);
    return TRUE;
}

BOOL CWinThread::Join(DWORD timeoutMs)
{
    if (!m_hThread)
        return TRUE;
    DWORD start = GetTickCount();
    for (;;) {
        DWORD waited = GetTickCount() - start;
        DWORD left = timeoutMs == INFINITE ? INFINITE : (waited >= timeoutMs ? 0 : timeoutMs - waited);
        DWORD r = MsgWaitForMultipleObjects(1, &m_hThread, FALSE, left, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0)
            return TRUE;
        if (r != WAIT_OBJECT_0 + 1)
            return FALSE;
        // Answers what other threads sent; posted messages stay queued.
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize, DWORD flags)
{
    auto* thread = new CWinThread(proc, param);
    thread->m_bAutoDelete = TRUE;
    if (!thread->CreateThread(CREATE_SUSPENDED, stackSize)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(priority);
    if (!(flags & CREATE_SUSPENDED))
        thread->ResumeThread();
    return thread;
}
