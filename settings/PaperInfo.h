// PAPER_INFO: one paper, 112 bytes; also the record of the custom-paper file.
#pragma once

#include <windows.h>
#include <stddef.h>

#define FIRST_CUSTOM_PAPER_ID 257
#define LAST_CUSTOM_PAPER_ID 276
#define MAX_CUSTOM_PAPERS 20
#define PAPER_NAME_CHARS 32
// The dmPaperSize that stands for a custom paper in a public DEVMODE.
#define DMPAPER_CUSTOM_SIZE 32767

enum PAPER_UNIT { PAPER_UNIT_MM = 0, PAPER_UNIT_INCH = 1 };

enum PAPER_FLAG {
    PAPER_FLAG_DUPLEX = 0,       // duplex printing allowed
    PAPER_FLAG_INPUT_SLOT = 1,   // the input slot may be chosen freely
    PAPER_FLAG_FEED_EDGE = 2,    // the feed edge may be chosen
    PAPER_FLAG_OPTIONAL_TRAY = 3 // may be loaded in an optional tray
};

struct PAPER_INFO {
    INT32 id;        // standard: "PageSize" option index; custom: 257 + position; tray "*": -1
    DWORD unit;      // PAPER_UNIT
    INT32 width;     // dots: 600 dpi for standard papers, 72 dpi (points) for custom ones
    INT32 height;
    WCHAR name[PAPER_NAME_CHARS];
    float widthMm;
    float heightMm;
    float widthInch;
    float heightInch;
    DWORD flag[4];   // 0 or 1, indexed by PAPER_FLAG
};

static_assert(sizeof(PAPER_INFO) == 112, "PAPER_INFO is a stored 112-byte record");
static_assert(offsetof(PAPER_INFO, unit) == 4 && offsetof(PAPER_INFO, width) == 8 &&
                  offsetof(PAPER_INFO, height) == 12 && offsetof(PAPER_INFO, name) == 16 &&
                  offsetof(PAPER_INFO, widthMm) == 80 && offsetof(PAPER_INFO, heightMm) == 84 &&
                  offsetof(PAPER_INFO, widthInch) == 88 && offsetof(PAPER_INFO, heightInch) == 92 &&
                  offsetof(PAPER_INFO, flag) == 96,
              "PAPER_INFO layout");

// Copies every field; the name with at most 31 characters and its NUL.
void CopyPaperInfo(PAPER_INFO* to, const PAPER_INFO* from);
// Writes a name of at most 31 characters and its NUL into a paper.
void SetPaperName(PAPER_INFO* paper, const WCHAR* name);
// The same size in dots, millimetres and inches (whatever the unit shown).
bool SamePaperSize(const PAPER_INFO& a, const PAPER_INFO& b);
