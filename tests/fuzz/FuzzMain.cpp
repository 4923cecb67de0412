// bq_fuzz [--kind NAME[,NAME...]|all] [--cases N] [--seconds S] [--seed X] [--first I] [--debugger 1]
//         [--trace 1]
//
// Runs N cases of each kind (or as many as S seconds allow each kind), case I
// first. Without --seed the seed is a fresh one; it is printed first. Prints
// the cases run, the windows opened and the findings per kind, then
// "fuzz: passed" or "fuzz: FAILED". A crash or a hang names its kind, seed and
// case and ends the run at once; with --debugger 1 a crash goes to the
// system's debugger (under Wine, winedbg prints the stack) instead; --trace 1
// names every case as it starts, for a process that ends without a word.
#include "Fuzz.h"

#include "harness/SavedDataFile.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <psapi.h>
#include <signal.h>
#include <set>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <thread>

namespace fuzz {

namespace {

constexpr ULONGLONG kCaseTimeLimitMs = 60000;
// A case that takes this long is timed against the same case over the
// kind's normal input, and fails when it takes this many times as long and
// at least kSlackMs longer.
constexpr ULONGLONG kSlowCaseMs = 1000;
constexpr ULONGLONG kFarLonger = 5;
constexpr ULONGLONG kSlackMs = 2000;
constexpr size_t kCanaryBytes = 64;
constexpr BYTE kCanary = 0xC5;

// What the crash filter and the watchdog report.
std::atomic<const char*> g_kind{ "" };
std::atomic<uint64_t> g_seed{ 0 };
std::atomic<long long> g_case{ -1 };
std::atomic<ULONGLONG> g_caseStart{ 0 };
std::atomic<bool> g_stopWatching{ false };
int g_findings = 0;
int g_windows = 0;

void report(const char* what)
{
    fprintf(stderr, "fuzz: %s in kind %s, case %lld (rerun: --kind %s --seed %llu --first %lld --cases 1)\n", what,
            g_kind.load(), g_case.load(), g_kind.load(), (unsigned long long)g_seed.load(), g_case.load());
    fflush(stderr);
}

DWORD HandleCount()
{
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

// The calls that led here, as module+offset.
void PrintStack()
{
    void* frames[32];
    USHORT n = CaptureStackBackTrace(1, 32, frames, nullptr);
    for (USHORT i = 0; i < n; ++i) {
        HMODULE module = nullptr;
        char name[MAX_PATH] = "?";
        if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               static_cast<LPCSTR>(frames[i]), &module))
            GetModuleFileNameA(module, name, MAX_PATH);
        fprintf(stderr, "fuzz:   %s+0x%llx\n", strrchr(name, '\\') ? strrchr(name, '\\') + 1 : name,
                (unsigned long long)(static_cast<BYTE*>(frames[i]) - reinterpret_cast<BYTE*>(module)));
    }
}

// An end that no exception reports: abort, or an exception no one catches.
void Aborted(int)
{
    PrintStack();
    report("ABORT");
    fprintf(stderr, "fuzz: FAILED\n");
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 6);
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* info)
{
    char what[128];
    snprintf(what, sizeof what, "CRASH (exception %08lx at %p)", info->ExceptionRecord->ExceptionCode,
             info->ExceptionRecord->ExceptionAddress);
    report(what);
    fprintf(stderr, "fuzz: FAILED\n");
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

void Watch()
{
    while (!g_stopWatching) {
        Sleep(200);
        ULONGLONG start = g_caseStart;
        if (start && GetTickCount64() - start > kCaseTimeLimitMs) {
            report("HANG (no end after 60 s)");
            fprintf(stderr, "fuzz: FAILED\n");
            fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 4);
        }
    }
}

uint64_t Mix(uint64_t seed, uint64_t kind, uint64_t index)
{
    Rng rng(seed ^ (kind * 0x9E3779B97F4A7C15ull) ^ (index * 0xD1B54A32D192ED03ull));
    rng.next();
    return rng.next();
}

// A slow case runs over the kind's normal input twice, then again as it was:
// it fails when even its faster run took far longer than the faster normal
// one (two runs of each, so that what one run left the machine to do, such as
// writing back a file, does not decide).
void CompareWithNormal(const Kind& kind, uint64_t caseSeed, ULONGLONG took)
{
    auto timed = [&](bool normalInput) {
        const ULONGLONG start = GetTickCount64();
        g_caseStart = start;
        Rng rng(caseSeed);
        kind.run(rng, normalInput);
        return GetTickCount64() - start;
    };
    const ULONGLONG normal = std::min(timed(true), timed(true));
    const ULONGLONG again = timed(false);
    const ULONGLONG fuzzed = std::min(took, again);
    if (fuzzed > std::max(kFarLonger * normal, normal + kSlackMs))
        finding("SLOW: %.1f s and %.1f s again, the same case over the normal input %.1f s", took / 1000.0,
                again / 1000.0, normal / 1000.0);
}

// A seed of its own for a run that was given none.
uint64_t FreshSeed()
{
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    Rng rng((uint64_t)now.QuadPart ^ ((uint64_t)GetCurrentProcessId() << 32) ^ GetTickCount64());
    return rng.next() % 10000000000ull;
}

bool HeapsValid()
{
    HANDLE heaps[256];
    DWORD n = GetProcessHeaps(256, heaps);
    for (DWORD i = 0; i < n && i < 256; ++i)
        if (!HeapValidate(heaps[i], 0, nullptr))
            return false;
    return true;
}

} // namespace

// --- generators --------------------------------------------------------------------------

uint64_t Rng::next()
{
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint32_t Rng::below(uint32_t n) { return n ? (uint32_t)(next() % n) : 0; }

uint32_t interestingNumber(Rng& rng)
{
    static const uint32_t kNumbers[] = { 0,          1,          2,          0x7F,       0x80,       0xFF,
                                         0x100,      0x7FFF,     0x8000,     0xFFFF,     0x10000,    0x7FFFFFFF,
                                         0x80000000, 0xFFFFFFFE, 0xFFFFFFFF, 112,        113,        3160,
                                         3159,       3161,       20,         21,         256,        257,
                                         276,        277,        1000,       999,        1024,       64 };
    return rng.oneIn(4) ? (uint32_t)rng.next() : kNumbers[rng.below(sizeof kNumbers / sizeof kNumbers[0])];
}

std::string randomBytes(Rng& rng, size_t size)
{
    std::string out(size, '\0');
    for (char& c : out)
        c = (char)rng.below(256);
    return out;
}

void mutateBytes(Rng& rng, std::string& data, int rounds)
{
    for (int r = 0; r < rounds; ++r) {
        size_t at = data.empty() ? 0 : rng.below((uint32_t)data.size());
        switch (rng.below(8)) {
        case 0:  // flip a bit
            if (!data.empty())
                data[at] = (char)(data[at] ^ (1 << rng.below(8)));
            break;
        case 1:  // an interesting byte
            if (!data.empty())
                data[at] = (char)rng.pick(std::vector<int>{ 0, 0xFF, 0x7F, 0x80, '<', '>', '&', '"', '%', '(', ',' });
            break;
        case 2: {  // an interesting number, little-endian
            uint32_t v = interestingNumber(rng);
            for (int b = 0; b < 4 && at + b < data.size(); ++b)
                data[at + b] = (char)(v >> (8 * b));
            break;
        }
        case 3:  // cut the end
            data.resize(at);
            break;
        case 4:  // cut a piece out
            data.erase(at, rng.below(64));
            break;
        case 5:  // repeat a piece
            if (!data.empty())
                data.insert(at, data.substr(at, rng.between(1, 64)));
            break;
        case 6:  // insert random bytes
            data.insert(at, randomBytes(rng, rng.between(1, 32)));
            break;
        default:  // overwrite with random bytes
            for (size_t i = at, end = std::min(data.size(), at + rng.between(1, 16)); i < end; ++i)
                data[i] = (char)rng.below(256);
            break;
        }
    }
}

std::wstring randomText(Rng& rng, size_t most)
{
    size_t length;
    switch (rng.below(4)) {
    case 0: length = 0; break;
    case 1: length = most; break;
    default: length = rng.below((uint32_t)most + 1); break;
    }
    std::wstring out(length, L'\0');
    for (wchar_t& c : out) {
        switch (rng.below(6)) {
        case 0: c = (wchar_t)rng.between(1, 0xFFFF); break;
        case 1: c = rng.pick(std::vector<wchar_t>{ L'(', L')', L',', L'%', L'\\', L'/', L'.', L' ', L'&', L'<' }); break;
        default: c = (wchar_t)rng.between(L'a', L'z'); break;
        }
    }
    return out;
}

// --- guarded buffers --------------------------------------------------------------------

GuardedBuffer::GuardedBuffer(size_t size, BYTE fill) : m_size(size)
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    const size_t used = size + kCanaryBytes;
    const size_t pages = (used + page - 1) / page;
    m_reserved = (pages + 1) * page;
    m_base = static_cast<BYTE*>(VirtualAlloc(nullptr, m_reserved, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!m_base) {
        fprintf(stderr, "fuzz: no memory for a buffer of %zu bytes\n", size);
        TerminateProcess(GetCurrentProcess(), 5);
    }
    DWORD old = 0;
    VirtualProtect(m_base + pages * page, page, PAGE_NOACCESS, &old);
    m_data = m_base + pages * page - size;
    memset(m_base, kCanary, m_data - m_base);
    memset(m_data, fill, size);
}

GuardedBuffer::~GuardedBuffer()
{
    if (m_base)
        VirtualFree(m_base, 0, MEM_RELEASE);
}

bool GuardedBuffer::canaryIntact() const
{
    for (const BYTE* p = m_data - kCanaryBytes; p < m_data; ++p)
        if (*p != kCanary)
            return false;
    return true;
}

void finding(const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    ++g_findings;
    report(text);
}

void windowOpened() { ++g_windows; }

void checkCanary(const GuardedBuffer& buffer, const char* what)
{
    if (!buffer.canaryIntact())
        finding("a write before %s", what);
}

// --- the data folder --------------------------------------------------------------------

bool isBackupName(const std::wstring& name) { return name.find(L".bak") != std::wstring::npos; }

struct DataFolderGuard::Impl {
    harness::SavedDataFile quickSettings{ "bq2100PS_qs.xml" };
    harness::SavedDataFile customPapers{ "bq2100PS_cp.cfg" };
    std::set<std::wstring> before = harness::filesIn(harness::dataFolder());
};

DataFolderGuard::DataFolderGuard() : m_impl(new Impl) {}

DataFolderGuard::~DataFolderGuard()
{
    removeNewBackups();
    delete m_impl;
}

ULONGLONG DataFolderGuard::folderBytes() const
{
    ULONGLONG bytes = 0;
    for (const std::wstring& name : harness::filesIn(harness::dataFolder())) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (GetFileAttributesExW((harness::dataFolder() + L"\\" + name).c_str(), GetFileExInfoStandard, &data))
            bytes += ((ULONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    }
    return bytes;
}

std::vector<std::wstring> DataFolderGuard::newFiles() const
{
    std::vector<std::wstring> out;
    for (const std::wstring& name : harness::filesIn(harness::dataFolder()))
        if (!m_impl->before.count(name))
            out.push_back(name);
    return out;
}

void DataFolderGuard::removeNewBackups()
{
    for (const std::wstring& name : newFiles()) {
        if (!isBackupName(name))
            continue;
        std::wstring path = harness::dataFolder() + L"\\" + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
}

} // namespace fuzz

using namespace fuzz;

int main(int argc, char** argv)
{
    std::string kinds = "all";
    long long cases = 100, first = 0;
    double seconds = 0;
    uint64_t seed = 0;
    bool seeded = false, debugger = false, trace = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i], value = argv[i + 1];
        if (option == "--kind")
            kinds = value;
        else if (option == "--cases")
            cases = atoll(value.c_str());
        else if (option == "--seconds")
            seconds = atof(value.c_str());
        else if (option == "--seed") {
            seed = strtoull(value.c_str(), nullptr, 0);
            seeded = true;
        } else if (option == "--first")
            first = atoll(value.c_str());
        else if (option == "--debugger")
            debugger = value != "0";
        else if (option == "--trace")
            trace = value != "0";
        else {
            fprintf(stderr, "unknown option %s\n", option.c_str());
            return 2;
        }
    }
    if (!debugger) {
        signal(SIGABRT, &Aborted);
        std::set_terminate([] {
            const char* what = "an exception no one catches";
            try {
                if (std::exception_ptr e = std::current_exception())
                    std::rethrow_exception(e);
            } catch (const std::exception& e) {
                fprintf(stderr, "fuzz: uncaught %s\n", e.what());
            } catch (...) {
            }
            report(what);
            fprintf(stderr, "fuzz: FAILED\n");
            fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 7);
        });
        SetUnhandledExceptionFilter(&CrashFilter);
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    }
    if (!seeded)
        seed = FreshSeed();
    printf("fuzz: seed %llu\n", (unsigned long long)seed);
    fflush(stdout);
    std::thread watchdog(&Watch);

    const std::vector<Kind> all = { devModeKind(), quickSettingsKind(), customPapersKind(),
                                    printerDataKind(), deviceKind(),       coreDriverKind() };
    g_seed = seed;
    bool ran = false;
    for (size_t k = 0; k < all.size(); ++k) {
        const Kind& kind = all[k];
        if (kinds != "all" && ("," + kinds + ",").find("," + std::string(kind.name) + ",") == std::string::npos)
            continue;
        ran = true;
        g_kind = kind.name;
        g_case = -1;
        const ULONGLONG setUpStart = GetTickCount64();
        if (!kind.setUp()) {
            fprintf(stderr, "fuzz: kind %s cannot run here\n", kind.name);
            ++g_findings;
            continue;
        }
        const int findingsBefore = g_findings, windowsBefore = g_windows;
        const ULONGLONG start = GetTickCount64();
        const double setUpSeconds = (start - setUpStart) / 1000.0;
        long long run = 0;
        for (long long index = first;; ++index) {
            if (seconds > 0 ? GetTickCount64() - start >= (ULONGLONG)(seconds * 1000) : run >= cases)
                break;
            g_case = index;
            g_caseStart = GetTickCount64();
            if (trace) {
                PROCESS_MEMORY_COUNTERS_EX memory = {};
                GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                     sizeof memory);
                DWORD tls = TlsAlloc();
                TlsFree(tls);
                fprintf(stderr, "fuzz: %s case %lld (%zu MB private, %lu handles, first free TLS slot %lu)\n",
                        kind.name, index, (size_t)(memory.PrivateUsage >> 20), HandleCount(), tls);
                fflush(stderr);
            }
            const uint64_t caseSeed = Mix(seed, k, (uint64_t)index);
            Rng rng(caseSeed);
            const ULONGLONG caseStart = GetTickCount64();
            kind.run(rng, false);
            const ULONGLONG took = GetTickCount64() - caseStart;
            if (kind.hasNormalInput && took >= kSlowCaseMs)
                CompareWithNormal(kind, caseSeed, took);
            g_caseStart = 0;
            if (!HeapsValid())
                finding("a heap does not validate after the case");
            ++run;
        }
        const ULONGLONG end = GetTickCount64();
        kind.tearDown();
        printf("fuzz: %-14s %6lld cases, %4d windows, %d findings, %.1f s (set-up %.1f s, tear-down %.1f s)\n",
               kind.name, run, g_windows - windowsBefore, g_findings - findingsBefore, (end - start) / 1000.0,
               setUpSeconds, (GetTickCount64() - end) / 1000.0);
        fflush(stdout);
    }
    g_stopWatching = true;
    watchdog.join();
    if (!ran) {
        fprintf(stderr, "fuzz: no kind named %s\n", kinds.c_str());
        return 2;
    }
    printf(g_findings ? "fuzz: FAILED\n" : "fuzz: passed\n");
    return g_findings ? 1 : 0;
}
