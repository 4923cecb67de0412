#include "settings/ConstraintState.h"
#include "plugin/SystemSeams.h"
#include "settings/PaperList.h"
#include "settings/PrivateDevMode.h"
#include "sheets/ResourceModule.h"

#include <wchar.h>

namespace {

constexpr UINT kEnd = 0xFFFFFFFF;
constexpr int kMessageChars = 1024;
constexpr UINT kWarningCaption = 5004;

struct CONSTRAINT_MESSAGE {
    UINT controlId;
    UINT bit;
    UINT stringId;
};

const CONSTRAINT_MESSAGE kMessages[] = {
    { 2300, 0x1, 5003 }, { 2303, 0x1, 5016 }, { 2303, 0x2, 5017 }, { 2303, 0x4, 5014 }, { 2303, 0x8, 5015 },
    { 2302, 0x1, 5007 }, { 2420, 0x1, 5006 }, { 2407, 0x1, 5009 }, { 2407, 0x2, 5008 }, { 2601, 0x1, 5011 },
    { 2408, 0x1, 5004 }, { 2414, 0x1, 5012 }, { 2301, 0x1, 5013 }, { kEnd, 0, 0 },
};

struct CONSTRAINT_RULE {
    UINT controlId;
    UINT action;
};

const CONSTRAINT_RULE kRules[] = {
    { 2405, 0 }, { 2302, 1 }, { 2302, 2 }, { 2301, 3 }, { 2408, 4 }, { 2414, 5 }, { 2601, 6 }, { kEnd, 0 },
};

void SetBit(CONSTRAINT_STATE* state, int word, DWORD bit, bool on)
{
    if (on)
        state->word[word] |= bit;
    else
        state->word[word] &= ~bit;
}

HMODULE ModuleOf(const RESOURCE_MODULE* res) { return res ? res->module : nullptr; }

// The four capability flags of a paper, as the constraints read them.
struct PaperFlags {
    bool duplex, inputSlot, feedEdge, tray;
};

} // namespace

void ShowWarningBox(const RESOURCE_MODULE* res, HWND owner, const WCHAR* text)
{
    WCHAR caption[kMessageChars] = {};
    if (HMODULE m = ModuleOf(res))
        LoadStringW(m, kWarningCaption, caption, kMessageChars);
    g_seams.MessageBoxW(owner, text ? text : L"", caption, MB_OK | MB_ICONWARNING);
}

void BuildConflictMessage(const RESOURCE_MODULE* res, UINT controlId, UINT mask, WCHAR* out)
{
    if (!out)
        return;
    WCHAR text[kMessageChars] = {};
    size_t used = 0;
    auto append = [&](const WCHAR* part) {
        for (; *part && used + 1 < kMessageChars; ++part)
            text[used++] = *part;
        text[used] = 0;
    };
    for (const CONSTRAINT_MESSAGE* row = kMessages; row->controlId != kEnd; ++row) {
        if (row->controlId != controlId || !(row->bit & mask))
            continue;
        WCHAR line[kMessageChars] = {};
        if (HMODULE m = ModuleOf(res))
            LoadStringW(m, row->stringId, line, kMessageChars);
        append(line);
        append(L"\r\n");
    }
    wcsncpy(out, text, kMessageChars - 1);
    out[kMessageChars - 1] = 0;
}

BOOL CheckPaperConstraints(CONSTRAINT_STATE* state, HWND owner, CPaperList* papers, DEVMODE_PAIR* devmode,
                           const RESOURCE_MODULE* res, int paperId)
{
    if (!state)
        return TRUE;
    // Without the block, duplex counts as off.
    bool duplexOn = devmode && devmode->pPrivate && devmode->pPrivate->duplex != 0;
    PaperFlags flags = { false, false, false, false };
    if (paperId >= FIRST_CUSTOM_PAPER_ID) {
        flags = { false, true, false, true };
        SetBit(state, CONSTRAINT_PAPER, 0x1, true);
    } else if (papers) {
        flags = { papers->GetPaperField(paperId, PAPER_FLAG_DUPLEX) != 0,
                  papers->GetPaperField(paperId, PAPER_FLAG_INPUT_SLOT) != 0,
                  papers->GetPaperField(paperId, PAPER_FLAG_FEED_EDGE) != 0,
                  papers->GetPaperField(paperId, PAPER_FLAG_OPTIONAL_TRAY) != 0 };
        SetBit(state, CONSTRAINT_PAPER, 0x1, !flags.duplex);
    } else {
        SetBit(state, CONSTRAINT_PAPER, 0x1, true);
    }

    if (duplexOn && !flags.duplex) {
        WCHAR message[kMessageChars];
        BuildConflictMessage(res, 2300, state->word[CONSTRAINT_PAPER], message);
        ShowWarningBox(res, owner, message);
        SetBit(state, CONSTRAINT_PAPER, 0x1, false);
        return FALSE;
    }
    SetBit(state, CONSTRAINT_INPUT_SLOT, 0x1, !flags.inputSlot);
    SetBit(state, CONSTRAINT_TRAY, 0x4, !flags.tray);
    SetBit(state, CONSTRAINT_FEED_EDGE, 0x1, !flags.feedEdge);
    SetBit(state, CONSTRAINT_DUPLEX, 0x1, !flags.duplex);
    return TRUE;
}

void ApplyControlRules(CONSTRAINT_STATE* state, UINT controlId, int value)
{
    if (!state)
        return;
    for (const CONSTRAINT_RULE* row = kRules; row->controlId != kEnd; ++row) {
        if (row->controlId != controlId)
            continue;
        switch (row->action) {
        case 0: SetBit(state, CONSTRAINT_MEDIA, 0x1, value != 0); break;
        case 1: SetBit(state, CONSTRAINT_DUPLEX, 0x2, value != 0); break;
        case 2: SetBit(state, CONSTRAINT_INPUT_SLOT, 0x2, value != 0 && value != 6); break;
        case 3: SetBit(state, CONSTRAINT_SCALE, 0x1, value != 0); break;
        case 4: SetBit(state, CONSTRAINT_PAGE_BORDER, 0x1, value == 0); break;
        case 5: SetBit(state, CONSTRAINT_DENSITY, 0x1, value != 0); break;
        case 6: SetBit(state, CONSTRAINT_SCALE_RULE, 0x1, value == 1); break;
        }
    }
}
