#include "settings/DeviceCaps.h"

#include "device/PrinterUtils.h"
#include "plugin/SystemSeams.h"
#include "plugin/TessivonApp.h"
#include "settings/Features.h"
#include "settings/PaperList.h"
#include "sheets/ResourceModule.h"

#include <algorithm>
#include <limits.h>
#include <math.h>
#include <memory>
#include <new>
#include <stdio.h>
#include <string>
#include <wchar.h>

namespace {

constexpr LONG kFirstResolution = 1200;
constexpr WCHAR kSystemPrefix[] = L"Sys:";

// Zero at load; recorded once, never cleared. Guarded by CResourceModuleLock.
CORE_PAPER_NAME g_corePapers[CORE_PAPER_ROWS];
// Set while this thread fetches the core driver's names through the spooler,
// with the entries of the fetch's own output.
bool g_fetching = false;
int g_fetchRows = 0;

// The last answer without output, per printer and capability: the most
// entries the caller sized its output for. Guarded by CResourceModuleLock.
struct SIZED_ANSWER {
    std::wstring device;
    WORD capability;
    DWORD answer;
    ULONGLONG used;
};
constexpr size_t kSizedAnswers = 32;
SIZED_ANSWER g_sized[kSizedAnswers];
ULONGLONG g_sizedClock = 0;

SIZED_ANSWER* FindSized(PCWSTR device, WORD capability)
{
    for (SIZED_ANSWER& row : g_sized)
        if (row.used && row.capability == capability && _wcsicmp(row.device.c_str(), device) == 0)
            return &row;
    return nullptr;
}

void RememberSized(PCWSTR device, WORD capability, DWORD answer)
{
    if (!device || !device[0])
        return;
    SIZED_ANSWER* row = FindSized(device, capability);
    if (!row) {
        row = &g_sized[0];
        for (SIZED_ANSWER& r : g_sized)
            if (r.used < row->used)
                row = &r;
        try {
            row->device = device;
        } catch (...) {
            row->used = 0;
            return;
        }
        row->capability = capability;
    }
    row->answer = answer;
    row->used = ++g_sizedClock;
}

// How many entries an output may take: what the same query answered without
// output, else the core driver's count.
int RoomFor(PCWSTR device, WORD capability, int count)
{
    if (device && device[0])
        if (const SIZED_ANSWER* row = FindSized(device, capability))
            return row->answer > (DWORD)INT_MAX ? INT_MAX : (int)row->answer;
    return count;
}

bool HasCoreNames() { return g_corePapers[0].name[0] != 0; }
bool HasCoreIds() { return g_corePapers[0].id != 0; }

// Where the papers of one answer go: standard papers in [0, standard), custom
// papers in [standard, standard + custom), zeros up to entries.
struct PaperLayout {
    int standard;
    int custom;
    int entries;  // the answer: max(count, every standard paper + custom)
};

PaperLayout LayoutFor(const CPaperList* list, int count, int room)
{
    count = std::max(count, 0);
    room = std::max(room, 0);
    int standard = (int)list->GetStandardCount();
    int custom = (int)std::min<INT_PTR>(list->GetCustomCount(), MAX_CUSTOM_PAPERS);
    int written = std::min({ standard, count, room });
    return { written, std::min(custom, room - written), std::min(std::max(count, standard + custom), room) };
}

const PAPER_INFO& StandardPaper(const CPaperList* list, int i) { return list->StandardPapers()[i]; }
const PAPER_INFO& CustomPaper(const CPaperList* list, int j) { return list->CustomPapers()[j]; }

// A paper's name with its NUL, also when a stored record's field lacks one.
void CopyPaperName(WCHAR* to, const PAPER_INFO& paper)
{
    wmemset(to, 0, PAPER_NAME_CHARS);
    wcsncpy(to, paper.name, PAPER_NAME_CHARS - 1);
}

// The number of the first recorded row, among the core driver's count, named exactly so; 0 when none.
WORD FindCoreId(const PAPER_INFO& paper, int count)
{
    WCHAR name[PAPER_NAME_CHARS];
    CopyPaperName(name, paper);
    int rows = std::min(count, CORE_PAPER_ROWS);
    for (int i = 0; i < rows; ++i)
        if (wcscmp(g_corePapers[i].name, name) == 0)
            return (WORD)g_corePapers[i].id;
    return 0;
}

// Millimetres to tenths, in single precision, truncated; 0 for what no LONG holds.
LONG ToTenths(float mm)
{
    float tenths = mm * 10.0f;
    if (!(tenths > -2147483648.0f && tenths < 2147483648.0f))
        return 0;
    return (LONG)tenths;
}

POINT SizeOf(const PAPER_INFO& paper) { return { ToTenths(paper.widthMm), ToTenths(paper.heightMm) }; }

// Asks the core driver for its paper names through the spooler, which passes
// the query through the driver back into OnDeviceCapabilities on this thread;
// that records the names before it replaces them. Lock held.
void FetchCoreNames(HANDLE hPrinter, int count, int standard)
{
    ProcessHeapPtr<PRINTER_INFO_2W> info(GetPrinterInfo2(hPrinter));
    if (!info || !info->pPrinterName)
        return;
    WCHAR* name = info->pPrinterName;
    LONG size = DocumentPropertiesW(nullptr, hPrinter, name, nullptr, nullptr, 0);
    if (size <= 0)
        return;
    ProcessHeapPtr<DEVMODEW> devmode(static_cast<DEVMODEW*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size)));
    if (!devmode || DocumentPropertiesW(nullptr, hPrinter, name, devmode.p, nullptr, DM_OUT_BUFFER) != IDOK)
        return;

    // Sized from the answer without output, and for the most the nested
    // query can write whatever changes meanwhile: the core driver's count,
    // or every standard paper and the most custom papers there can be.
    g_fetching = true;
    g_fetchRows = 0;
    int rows = g_seams.DeviceCapabilitiesW(name, info->pPortName, DC_PAPERNAMES, nullptr, devmode.p);
    rows = std::max({ rows, count, standard + MAX_CUSTOM_PAPERS });
    g_fetchRows = rows;
    ProcessHeapPtr<WCHAR> scratch(
        rows > 0 ? static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                                 (SIZE_T)rows * CORE_PAPER_NAME_CHARS * sizeof(WCHAR)))
                 : nullptr);
    if (scratch)
        g_seams.DeviceCapabilitiesW(name, info->pPortName, DC_PAPERNAMES, scratch.p, devmode.p);
    g_fetching = false;
    g_fetchRows = 0;
}

void AnswerPapers(POEMUIOBJ poemuiobj, HANDLE hPrinter, WORD capability, PVOID output, DWORD* result,
                  CUIHelper* core, PCWSTR device)
{
    // A failed core answer (GDI_ERROR) stands, and so does a count no buffer holds.
    if (*result > (DWORD)INT_MAX)
        return;
    int count = (int)*result;

    CResourceModuleLock hold;
    std::unique_ptr<CPaperList> list(BuildPaperListForPrinter(hPrinter, poemuiobj, core));
    // Without the driver's papers (no list, or a model the driver did not
    // give) the core driver's answer is kept whole.
    int total = list && list->GetStandardCount() > 0 ? CountAnsweredPapers(list.get()) : 0;
    int answer = std::max(count, total);
    // The fetch's own queries neither change what a caller was answered nor
    // are held to it: their output is the fetch's.
    if (!output) {
        if (!g_fetching)
            RememberSized(device, capability, (DWORD)answer);
        if (total)
            *result = (DWORD)answer;
        return;
    }
    if (!total)
        return;

    int room = g_fetching ? g_fetchRows : RoomFor(device, capability, count);
    switch (capability) {
    case DC_PAPERNAMES:
        RecordCorePapers(output, std::min(count, room), DC_PAPERNAMES);
        FillPaperNames(static_cast<PAPER_NAME_ENTRY*>(output), list.get(), count, room);
        break;
    case DC_PAPERSIZE:
        FillPaperSizes(static_cast<POINT*>(output), list.get(), count, room);
        break;
    case DC_PAPERS:
        if (!HasCoreNames()) {
            if (count > CORE_PAPER_ROWS)
                return;
            if (!g_fetching)
                FetchCoreNames(hPrinter, count, (int)list->GetStandardCount());
        }
        RecordCorePapers(output, std::min(count, room), DC_PAPERS);
        FillPaperIds(static_cast<WORD*>(output), list.get(), count, room);
        break;
    }
    *result = (DWORD)std::min(answer, room);
}

} // namespace

HRESULT OnDeviceCapabilities(POEMUIOBJ poemuiobj, HANDLE hPrinter, WORD capability, PVOID output, DWORD* result,
                             CUIHelper* core, PCWSTR deviceName)
{
    if (!result)
        return S_OK;
    switch (capability) {
    case DC_PAPERS:
    case DC_PAPERSIZE:
    case DC_PAPERNAMES:
        AnswerPapers(poemuiobj, hPrinter, capability, output, result, core, deviceName);
        break;
    case DC_ENUMRESOLUTIONS: {
        // Only over a pair the output holds: the core driver gave one, and the
        // caller's answer without output counted one.
        if (*result > (DWORD)INT_MAX)
            break;
        CResourceModuleLock hold;
        if (!output) {
            RememberSized(deviceName, capability, *result);
        } else if (std::min((int)*result, RoomFor(deviceName, capability, (int)*result)) >= 1) {
            LONG* first = static_cast<LONG*>(output);
            first[0] = kFirstResolution;
            first[1] = kFirstResolution;
        }
        break;
    }
    case DC_PRINTRATEPPM:
    case DC_COLORDEVICE:
        *result = 0;
        break;
    default:
        break;
    }
    return S_OK;
}

CPaperList* BuildPaperListForPrinter(HANDLE hPrinter, POEMUIOBJ poemuiobj, CUIHelper* core)
{
    // The model's names come from this printer's module.
    CProcessLanguage language(hPrinter);
    g_ProcessFeatures.Acquire(GetProcessHeap(), core, poemuiobj, TRUE);
    OEMUIPSPARAM param = {};
    param.cbSize = sizeof param;
    param.poemuiobj = poemuiobj;
    try {
        return new (std::nothrow) CPaperList(&g_ProcessFeatures, core, &param);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void RecordCorePapers(const void* coreOutput, int count, WORD capability)
{
    if (!coreOutput || count < 1)
        return;
    int rows = std::min(count, CORE_PAPER_ROWS);
    CResourceModuleLock hold;
    // Row 0 last: the table counts as recorded only once every row is.
    if (capability == DC_PAPERNAMES && !HasCoreNames()) {
        const PAPER_NAME_ENTRY* names = static_cast<const PAPER_NAME_ENTRY*>(coreOutput);
        for (int i = CORE_PAPER_ROWS - 1; i >= 0; --i) {
            WCHAR* row = g_corePapers[i].name;
            wmemset(row, 0, CORE_PAPER_NAME_CHARS);
            if (i >= rows)
                continue;
            WCHAR name[CORE_PAPER_NAME_CHARS] = {};
            wcsncpy(name, names[i], CORE_PAPER_NAME_CHARS - 1);
            if (WCHAR* open = wcschr(name, L'(')) {
                *open = 0;
                wcscpy(row, name);
            } else {
                _snwprintf(row, CORE_PAPER_NAME_CHARS - 1, L"%s%s", kSystemPrefix, name);
                row[CORE_PAPER_NAME_CHARS - 1] = 0;
            }
        }
    } else if (capability == DC_PAPERS && !HasCoreIds()) {
        const WORD* ids = static_cast<const WORD*>(coreOutput);
        for (int i = CORE_PAPER_ROWS - 1; i >= 0; --i)
            g_corePapers[i].id = i < rows ? ids[i] : 0;
    }
}

void FillPaperIds(WORD* output, CPaperList* list, int count, int room)
{
    if (!output || !list)
        return;
    CResourceModuleLock hold;
    PaperLayout layout = LayoutFor(list, count, room);
    bool names = HasCoreNames();
    // Without names the standard papers keep the core driver's numbers.
    for (int i = names ? 0 : layout.standard; i < layout.entries; ++i)
        output[i] = 0;
    if (names)
        for (int i = 0; i < layout.standard; ++i)
            output[i] = FindCoreId(StandardPaper(list, i), count);
    for (int j = 0; j < layout.custom; ++j)
        output[layout.standard + j] = (WORD)CustomPaper(list, j).id;
}

void FillPaperNames(PAPER_NAME_ENTRY* output, CPaperList* list, int count, int room)
{
    if (!output || !list)
        return;
    PaperLayout layout = LayoutFor(list, count, room);
    for (int i = 0; i < layout.entries; ++i)
        wmemset(output[i], 0, CORE_PAPER_NAME_CHARS);
    for (int i = 0; i < layout.standard; ++i)
        CopyPaperName(output[i], StandardPaper(list, i));
    for (int j = 0; j < layout.custom; ++j)
        CopyPaperName(output[layout.standard + j], CustomPaper(list, j));
}

void FillPaperSizes(POINT* output, CPaperList* list, int count, int room)
{
    if (!output || !list)
        return;
    PaperLayout layout = LayoutFor(list, count, room);
    for (int i = 0; i < layout.entries; ++i)
        output[i] = POINT{ 0, 0 };
    for (int i = 0; i < layout.standard; ++i)
        output[i] = SizeOf(StandardPaper(list, i));
    for (int j = 0; j < layout.custom; ++j)
        output[layout.standard + j] = SizeOf(CustomPaper(list, j));
}

int CountAnsweredPapers(const CPaperList* list)
{
    if (!list)
        return 0;
    return (int)list->GetStandardCount() + (int)std::min<INT_PTR>(list->GetCustomCount(), MAX_CUSTOM_PAPERS);
}

const CORE_PAPER_NAME* GetCorePaperTable() { return g_corePapers; }
