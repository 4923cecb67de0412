// What the settings tests share: the core-driver double behind a
// CUIHelper, a private heap that can be checked for leaks, the sheet
// parameters, the language module stood in for by the test program, and the
// machine-wide data files kept aside.
#pragma once

#include <gtest/gtest.h>

#include "harness/CoreDriver.h"
#include "harness/MultiSz.h"
#include "harness/SavedDataFile.h"
#include "plugin/UIHelper.h"
#include "sheets/DataFiles.h"
#include "sheets/ResourceModule.h"

#include <memory>
#include <string>
#include <vector>

namespace settings_test {

// A private heap, destroyed with its blocks at the end.
class PrivateHeap {
public:
    PrivateHeap() : m_heap(HeapCreate(0, 0, 0)) {}
    ~PrivateHeap()
    {
        if (m_heap)
            HeapDestroy(m_heap);
    }
    PrivateHeap(const PrivateHeap&) = delete;
    PrivateHeap& operator=(const PrivateHeap&) = delete;
    HANDLE get() const { return m_heap; }

    // Blocks allocated and not yet freed.
    int busyBlocks() const
    {
        int n = 0;
        PROCESS_HEAP_ENTRY entry = {};
        HeapLock(m_heap);
        while (HeapWalk(m_heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                ++n;
        HeapUnlock(m_heap);
        return n;
    }

private:
    HANDLE m_heap;
};

// A CUIHelper holding the double's IPrintCoreUI2.
inline void attach(CUIHelper& helper, harness::CoreDriver& core)
{
    void* p = nullptr;
    ASSERT_EQ(S_OK, core.QueryInterface(IID_IPrintCoreUI2, &p));
    helper.Attach(static_cast<IUnknown*>(p), IID_IPrintCoreUI2);
}

// The process-wide language module replaced by the test program, which holds
// the strings of LanguageNames.rc; by nothing; or by a module given.
class LanguageModule {
public:
    explicit LanguageModule(bool present = true) : LanguageModule(present ? GetModuleHandleW(nullptr) : nullptr) {}
    explicit LanguageModule(HMODULE module)
    {
        CResourceModuleLock hold;
        m_saved = GetResourceModule()->module;
        GetResourceModule()->module = module;
    }
    ~LanguageModule()
    {
        CResourceModuleLock hold;
        GetResourceModule()->module = m_saved;
    }
    LanguageModule(const LanguageModule&) = delete;
    LanguageModule& operator=(const LanguageModule&) = delete;

private:
    HMODULE m_saved = nullptr;
};

// A data file kept aside for the test (see harness::SavedDataFile), at the
// path that the plug-in builds for it.
class KeptDataFile : public harness::SavedDataFile {
public:
    explicit KeptDataFile(const char* name) : SavedDataFile(name)
    {
        EXPECT_TRUE(ok()) << "the data file cannot be kept aside";
        char p[MAX_PATH] = {};
        EXPECT_EQ(S_OK, BuildDataFilePath(p, name));
        EXPECT_EQ(std::string(p), harness::narrow(path()));
    }
};

// Holds the file open without sharing it, as another sheet's save or a lock
// does, until released; the data files' wait between two tries can release it.
class FileLock {
public:
    explicit FileLock(const std::wstring& path)
        : m_handle(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr))
    {
        s_current = this;
    }
    ~FileLock()
    {
        release();
        s_current = nullptr;
    }
    bool held() const { return m_handle != INVALID_HANDLE_VALUE; }
    void release()
    {
        if (held())
            CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

    // Waits the data files ask for: counted; the first releases the lock when asked to.
    static void releaseAtFirstWait(bool release) { s_release = release; }
    static int waits() { return s_waits; }
    static DWORD waitedMs() { return s_waitedMs; }
    static void WINAPI Wait(DWORD ms)
    {
        ++s_waits;
        s_waitedMs += ms;
        if (s_release && s_current)
            s_current->release();
    }
    static void reset()
    {
        s_waits = 0;
        s_waitedMs = 0;
        s_release = false;
    }

private:
    HANDLE m_handle;
    static inline FileLock* s_current = nullptr;
    static inline bool s_release = false;
    static inline int s_waits = 0;
    static inline DWORD s_waitedMs = 0;
};

// The data files' creation of files, refusing every new one (temporary
// files and backups) as a folder that cannot be written does.
inline HANDLE WINAPI NoNewFiles(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE templateFile)
{
    if (disposition == CREATE_NEW) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return ::CreateFileW(path, access, share, security, disposition, flags, templateFile);
}

inline WCHAR* stringId(WORD id) { return reinterpret_cast<WCHAR*>(static_cast<ULONG_PTR>(id)); }

// A string of the common property-sheet UI's module, empty when it lacks it.
inline std::wstring compstuiString(UINT id)
{
    HMODULE m = LoadLibraryExW(L"compstui.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!m)
        return {};
    WCHAR text[260] = {};
    int n = LoadStringW(m, id, text, 260);
    FreeLibrary(m);
    return std::wstring(text, n > 0 ? (size_t)n : 0);
}

inline std::string bytes(const char* data, size_t size) { return std::string(data, size); }

// The double over the printer's PPD with a helper and sheet parameters on a private heap.
class DriverFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        core = harness::CoreDriver::fromDefaultPpd();
        ASSERT_TRUE(core) << "bq2100PS.ppd beside the test program cannot be read";
        ASSERT_TRUE(heap.get());
        attach(helper, *core);
        param.cbSize = sizeof param;
        param.poemuiobj = core->uiObject();
        param.hOEMHeap = heap.get();
    }
    void TearDown() override { helper.Release(); }

    std::vector<harness::CoreCall> calls(harness::CoreMethod m) const { return core->calls(m); }

    std::unique_ptr<harness::CoreDriver> core;
    PrivateHeap heap;
    CUIHelper helper;
    OEMUIPSPARAM param = {};
    LanguageModule language;
};

} // namespace settings_test
