// DEFAULT_SETTINGS: the constant defaults of the document settings.
#pragma once

#include "settings/PaperInfo.h"

struct DEFAULT_PAPER {
    DWORD paperId;     // "PageSize" option index
    DWORD paperCode;   // DEVMODE dmPaperSize
    WCHAR name[256];
    float width;
    float height;
    DWORD unit;        // 1 = inches, 0 = millimetres
};

struct DEFAULT_ITEM {
    DWORD optionIndex;  // default option of the driver feature behind the setting
    DWORD publicValue;  // default of the public DEVMODE field
    DWORD value;        // default of the private block and the control
    DWORD nameId;       // language-module string naming the default choice; 0 = none
};

enum DEFAULT_ITEM_INDEX {
    DEFAULT_MEDIA_TYPE = 0,
    DEFAULT_INPUT_SLOT = 1,
    DEFAULT_FEED_EDGE = 2,
    DEFAULT_COPIES = 3,
    DEFAULT_COLLATE = 4,
    DEFAULT_DUPLEX = 5,
    DEFAULT_PAGES_PER_SHEET = 6,
    DEFAULT_PAGE_BORDER = 7,
    DEFAULT_SCALE = 8,
    DEFAULT_ORIENTATION = 9,
    DEFAULT_ROTATE180 = 10,
    DEFAULT_RESOLUTION = 11,
    DEFAULT_TONER_SAVING = 12,
    DEFAULT_DENSITY = 13,
    DEFAULT_FINE_GRAPHICS = 14,
    DEFAULT_ITEM_COUNT = 15
};

struct DEFAULT_SETTINGS {
    DEFAULT_PAPER letter;   // countries of the Letter default (see IsMetricLocale)
    DEFAULT_PAPER metric;   // every other country
    DEFAULT_ITEM items[DEFAULT_ITEM_COUNT];
};

// Fills the whole record with the constants and returns it.
DEFAULT_SETTINGS* LoadDefaultSettings(DEFAULT_SETTINGS* out);
// The half of the defaults for the user's country.
const DEFAULT_PAPER& LocaleDefaultPaper(const DEFAULT_SETTINGS& defaults);
// TRUE when the user's country takes the metric (A4) default paper.
BOOL IsMetricLocale();
// Sets the size fields of a paper from a size in inches or millimetres at a
// resolution in dots per inch; the caller sets the unit field.
void SetPaperSize(PAPER_INFO* paper, float width, float height, BOOL inInches, int dpi);
