// The seeded mutation test of what the plug-in reads from outside: private
// DEVMODE blocks of old jobs, the quick-settings and custom-paper files,
// printer-data values, the USB printer's replies and the core driver's
// answers. Every case is made from (seed, kind, case number) alone, so a
// finding is replayed with the same three numbers.
//
// A case passes when the process survives it (no access violation: buffers
// handed to the plug-in end at a page nobody may touch), it ends in time,
// the heaps still validate, the canaries before the buffers are intact and
// the user's files are neither unreadable nor lost. Where a kind knows a
// normal input, a case also fails when it takes far longer than the same case
// over that input, and where a kind writes a data file or printer data, when
// the data folder grows far beyond its input or a backup beyond the bound of
// its file is written.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fuzz {

// splitmix64.
class Rng {
public:
    explicit Rng(uint64_t seed) : m_state(seed) {}
    uint64_t next();
    // 0 .. n-1 (0 when n is 0).
    uint32_t below(uint32_t n);
    uint32_t between(uint32_t least, uint32_t most) { return least + below(most - least + 1); }
    bool oneIn(uint32_t n) { return below(n) == 0; }
    template <class T>
    const T& pick(const std::vector<T>& items)
    {
        return items[below((uint32_t)items.size())];
    }

private:
    uint64_t m_state;
};

// Numbers that find off-by-one and overflow mistakes.
uint32_t interestingNumber(Rng& rng);
// A few byte mutations: bit flips, interesting values, cuts, copies, inserts.
void mutateBytes(Rng& rng, std::string& data, int rounds);
std::string randomBytes(Rng& rng, size_t size);
// Text of one of many forms: empty, huge, without NUL, odd characters.
std::wstring randomText(Rng& rng, size_t most);

// A buffer handed to the plug-in: it ends where a page that nobody may touch
// begins (a write past it faults at once) and a canary stands before it.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t size, BYTE fill = 0);
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    BYTE* data() const { return m_data; }
    size_t size() const { return m_size; }
    template <class T>
    T* as() const
    {
        return reinterpret_cast<T*>(m_data);
    }
    // False when something was written before the buffer.
    bool canaryIntact() const;

private:
    BYTE* m_base = nullptr;
    SIZE_T m_reserved = 0;
    BYTE* m_data = nullptr;
    size_t m_size = 0;
};

// Records a finding of the running case (the run goes on, and fails at the end).
void finding(const char* format, ...);
// Counts a window of the plug-in that a case opened (the run tells how many).
void windowOpened();
// Checks a buffer's canary and records a finding when it is broken.
void checkCanary(const GuardedBuffer& buffer, const char* what);

// One kind of input.
struct Kind {
    const char* name;
    // Makes what the cases share; false when the kind cannot run here.
    std::function<bool()> setUp;
    // One case from its generator; with normalInput, the same case (the same
    // operations) over the kind's normal input instead of the generated one.
    std::function<void(Rng&, bool normalInput)> run;
    std::function<void()> tearDown;
    // Whether run knows a normal input: a slow case is then timed against it.
    bool hasNormalInput = false;
};

// The kinds, each defined in its own file.
Kind devModeKind();
Kind quickSettingsKind();
Kind customPapersKind();
Kind printerDataKind();
Kind deviceKind();
Kind coreDriverKind();

// The data files kept aside for a kind's cases, and the backups its cases
// made removed after each case.
class DataFolderGuard {
public:
    DataFolderGuard();
    ~DataFolderGuard();
    // Files of the data folder that were not there when the guard began.
    std::vector<std::wstring> newFiles() const;
    void removeNewBackups();
    // The sizes of the data folder's files, added (holes of sparse files included).
    ULONGLONG folderBytes() const;

private:
    struct Impl;
    Impl* m_impl;
};

// The name of a backup file ("<data file>.bak<n>").
bool isBackupName(const std::wstring& name);

} // namespace fuzz
