// The plug-in's changes to the driver's DeviceCapabilities answers: its own
// paper list in place of the core driver's for DC_PAPERS, DC_PAPERNAMES and
// DC_PAPERSIZE, a first resolution of 1200 x 1200, no print rate, no colour.
//
// The paper path works from process-wide state (g_ProcessFeatures, the
// process-wide language module and the core-paper table below), guarded by
// the re-entrant CResourceModuleLock: queries may come on any thread, and the
// spooler fetch of the core driver's names re-enters on the same thread.
#pragma once

#include "oem/PrintOemUI.h"

#include <limits.h>

class CPaperList;
class CUIHelper;

#define CORE_PAPER_ROWS 128
#define CORE_PAPER_NAME_CHARS 64  // also the width of a DC_PAPERNAMES entry

// One of the core driver's papers as it first answered: the name cut before
// its first "(", or "Sys:" and the name when it has none; its DC_PAPERS number.
struct CORE_PAPER_NAME {
    WCHAR name[CORE_PAPER_NAME_CHARS];
    DWORD id;
};

typedef WCHAR PAPER_NAME_ENTRY[CORE_PAPER_NAME_CHARS];

// *result holds the core driver's answer on entry and the plug-in's on return.
// Always S_OK; what fails inside leaves the core driver's answer in place.
//
// A paper or resolution answer with output never holds more entries than the
// answer the same printer (by its device name) gave for the same capability
// without output, or, when it gave none, than the core driver's count; a
// paper answer's count says how many entries were written. Without a device
// name nothing is remembered.
HRESULT OnDeviceCapabilities(POEMUIOBJ poemuiobj, HANDLE hPrinter, WORD capability, PVOID output, DWORD* result,
                             CUIHelper* core, PCWSTR deviceName = nullptr);

// The paper list of one query, for the caller to delete; null when it cannot
// be allocated. Loads the process-wide language module for the printer and
// fills the process-wide feature model once. Call with the lock held.
CPaperList* BuildPaperListForPrinter(HANDLE hPrinter, POEMUIOBJ poemuiobj, CUIHelper* core);

// Records the core driver's names (DC_PAPERNAMES) or numbers (DC_PAPERS) of
// its first answer with output, at most CORE_PAPER_ROWS of them; once each.
void RecordCorePapers(const void* coreOutput, int count, WORD capability);

// The plug-in's papers over an answer that the core driver filled with count
// entries: standard papers (at most count of them), then at most 20 custom
// papers; every other entry up to the answer, max(count, papers), is zero.
// No entry at or beyond room is written; the output must hold the smaller of
// room and the answer. FillPaperIds keeps the core driver's numbers of the
// standard papers while the table has no names.
void FillPaperIds(WORD* output, CPaperList* list, int count, int room = INT_MAX);
void FillPaperNames(PAPER_NAME_ENTRY* output, CPaperList* list, int count, int room = INT_MAX);
void FillPaperSizes(POINT* output, CPaperList* list, int count, int room = INT_MAX);

// The number of papers the plug-in answers: standard ones and at most 20 custom ones.
int CountAnsweredPapers(const CPaperList* list);

// The table as recorded; read it with the CResourceModuleLock held.
const CORE_PAPER_NAME* GetCorePaperTable();
