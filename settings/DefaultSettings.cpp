#include "settings/DefaultSettings.h"
#include "device/PrinterUtils.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace {

const DEFAULT_ITEM kItems[DEFAULT_ITEM_COUNT] = {
    { 0, 1, 0, 0 },        // media type: dmMediaType 1
    { 0, 0, 0, 0 },        // input slot: dmDefaultSource 0
    { 0, 0, 0, 0 },        // feed edge
    { 0, 1, 1, 0 },        // copies
    { 0, 0, 0, 0 },        // collate
    { 0, 1, 0, 4005 },     // duplex: dmDuplex 1
    { 0, 0, 0, 0 },        // pages per sheet
    { 0, 0, 0, 0 },        // page border
    { 0, 100, 100, 0 },    // scale (percent)
    { 0, 1, 0, 4011 },     // orientation
    { 0, 0, 0, 0 },        // rotate 180
    { 0, 600, 600, 0 },    // resolution: dmPrintQuality, dmYResolution
    { 0, 0, 0, 0 },        // toner saving
    { 1, 0, 1, 0 },        // density
    { 0, 0, 0, 0 },        // fine graphics
};

void FillPaper(DEFAULT_PAPER* p, DWORD id, DWORD code, const WCHAR* name, float w, float h, DWORD unit)
{
    p->paperId = id;
    p->paperCode = code;
    wcsncpy(p->name, name, 255);
    p->width = w;
    p->height = h;
    p->unit = unit;
}

} // namespace

DEFAULT_SETTINGS* LoadDefaultSettings(DEFAULT_SETTINGS* out)
{
    if (!out)
        return out;
    memset(out, 0, sizeof *out);
    FillPaper(&out->letter, 0, DMPAPER_LETTER, L"Letter", 8.5f, 11.0f, PAPER_UNIT_INCH);
    FillPaper(&out->metric, 1, DMPAPER_A4, L"A4", 210.0f, 297.0f, PAPER_UNIT_MM);
    memcpy(out->items, kItems, sizeof kItems);
    return out;
}

const DEFAULT_PAPER& LocaleDefaultPaper(const DEFAULT_SETTINGS& defaults)
{
    return IsMetricLocale() ? defaults.metric : defaults.letter;
}

BOOL IsMetricLocale()
{
    int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, nullptr, 0);
    if (n <= 0)
        return FALSE;
    ProcessHeapPtr<WCHAR> wide(static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(WCHAR) * n)));
    ProcessHeapPtr<char> bytes(static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (size_t)n + 1)));
    if (!wide || !bytes)
        return FALSE;
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, wide.p, n) <= 0)
        return FALSE;
    WideCharToMultiByte(CP_OEMCP, 0, wide.p, -1, bytes.p, n, nullptr, nullptr);
    long country = strtol(bytes.p, nullptr, 10);
    bool letter = country == 1 || country == 2 || (country >= 50 && country <= 59) ||
                  (country >= 500 && country <= 599);
    return letter ? FALSE : TRUE;
}

void SetPaperSize(PAPER_INFO* paper, float width, float height, BOOL inInches, int dpi)
{
    if (!paper)
        return;
    const float dots = (float)dpi;
    if (inInches) {
        paper->width = (INT32)(dots * width);
        paper->height = (INT32)(dots * height);
        paper->widthMm = width * 25.4f;
        paper->heightMm = height * 25.4f;
        paper->widthInch = width;
        paper->heightInch = height;
    } else {
        paper->width = (INT32)((dots * width) / 25.4f);
        paper->height = (INT32)((dots * height) / 25.4f);
        paper->widthMm = width;
        paper->heightMm = height;
        paper->widthInch = width / 25.4f;
        paper->heightInch = height / 25.4f;
    }
}
