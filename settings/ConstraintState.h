// CONSTRAINT_STATE: the restrictions between the document pages' choices,
// kept as bits, with the fixed rule and message tables.
#pragma once

#include <windows.h>

struct RESOURCE_MODULE;
struct DEVMODE_PAIR;
class CPaperList;

enum CONSTRAINT_WORD {
    CONSTRAINT_PAPER = 0,
    CONSTRAINT_DUPLEX = 1,
    CONSTRAINT_MEDIA = 2,
    CONSTRAINT_FEED_EDGE = 3,
    CONSTRAINT_SCALE = 5,
    CONSTRAINT_INPUT_SLOT = 6,
    CONSTRAINT_PAGE_BORDER = 7,
    CONSTRAINT_DENSITY = 8,
    CONSTRAINT_SCALE_RULE = 9,
    CONSTRAINT_TRAY = 10,
    CONSTRAINT_WORDS = 11
};

// A set bit means that the choice is restricted; all zero when made.
struct CONSTRAINT_STATE {
    DWORD word[CONSTRAINT_WORDS];
};

// Message box with caption string 5004, the text, MB_OK | MB_ICONWARNING.
void ShowWarningBox(const RESOURCE_MODULE* res, HWND owner, const WCHAR* text);
// out (1024 characters) receives, for each message row of the control whose
// bit is in mask, its string and "\r\n"; the empty text when none matches.
void BuildConflictMessage(const RESOURCE_MODULE* res, UINT controlId, UINT mask, WCHAR* out);
// Updates the paper-dependent bits for the paper with that id; FALSE when the
// paper was refused with a warning because duplex is on.
BOOL CheckPaperConstraints(CONSTRAINT_STATE* state, HWND owner, CPaperList* papers, DEVMODE_PAIR* devmode,
                           const RESOURCE_MODULE* res, int paperId);
// Applies every rule whose source is the control, in table order.
void ApplyControlRules(CONSTRAINT_STATE* state, UINT controlId, int value);
