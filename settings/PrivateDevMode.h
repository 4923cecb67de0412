// PRIVATE_DEVMODE: the plug-in's private part of the DEVMODE (3160 bytes,
// stored with the printer's defaults and with every job), and the handler
// behind IPrintOemUI2::DevMode.
#pragma once

#include "oem/PrintOemUI.h"

#define PRIVATE_DEVMODE_SIZE 3160

// The block's signature, "KWRZ" as a multi-character constant (the bytes
// "ZRWK" in memory); GetInfo answers the same value.
constexpr DWORD OEM_SIGNATURE = ('K' << 24) | ('W' << 16) | ('R' << 8) | 'Z';
constexpr DWORD OEM_VERSION = 1;

#pragma pack(push, 1)
struct PRIVATE_DEVMODE {
    OEM_DMEXTRAHEADER header;   // {3160, "ZRWK", 1}
    DWORD reservedValue;        // 0..100
    DWORD oemItemValue;         // 0..100: the plug-in's up-down item of the document sheet
    INT32 quickSetId;           // last applied or saved quick set; -1 = none
    INT16 paperId;              // "PageSize" option index, or a custom paper 257..276
    INT16 mediaType;            // "JCLMediaType" option index
    BYTE reserved1[516];
    INT16 inputSlot;            // "JCLInputSlot"; 0 = automatic
    BYTE reserved2[518];
    INT16 feedEdge;             // "JCLFeedEdge"; 65535 when no feed-edge picture is selected
    BYTE reserved3[518];
    DWORD copies;
    WORD collate;               // 0 or 1
    INT16 duplex;               // "Duplex"; 0 = one-sided
    INT16 pagesPerSheet;        // "%PagePerSheet"
    BYTE pageBorder;            // 0 or 1
    BYTE reserved4;
    DWORD scale;                // percent, 25..400
    INT16 orientation;          // "%Orientation"
    BYTE rotate180;             // 0 or 1
    BYTE tonerSaving;           // 0 or 1 ("JCLTonerMode")
    BYTE reserved5[516];
    BYTE fineGraphics;          // 0 or 1 ("JCLGraphFine"); not part of a quick set
    BYTE reserved6;
    WORD density;               // "JCLDensity" 0..2
    BYTE reserved7[516];
    INT16 printQuality;         // "JCLPrintQuality"
    BYTE reserved8[518];
};
#pragma pack(pop)

static_assert(sizeof(PRIVATE_DEVMODE) == PRIVATE_DEVMODE_SIZE, "PRIVATE_DEVMODE is a stored 3160-byte block");
static_assert(offsetof(PRIVATE_DEVMODE, reservedValue) == 12 && offsetof(PRIVATE_DEVMODE, oemItemValue) == 16 &&
                  offsetof(PRIVATE_DEVMODE, quickSetId) == 20 && offsetof(PRIVATE_DEVMODE, paperId) == 24 &&
                  offsetof(PRIVATE_DEVMODE, mediaType) == 26 && offsetof(PRIVATE_DEVMODE, inputSlot) == 544 &&
                  offsetof(PRIVATE_DEVMODE, feedEdge) == 1064 && offsetof(PRIVATE_DEVMODE, copies) == 1584 &&
                  offsetof(PRIVATE_DEVMODE, collate) == 1588 && offsetof(PRIVATE_DEVMODE, duplex) == 1590 &&
                  offsetof(PRIVATE_DEVMODE, pagesPerSheet) == 1592 && offsetof(PRIVATE_DEVMODE, pageBorder) == 1594 &&
                  offsetof(PRIVATE_DEVMODE, scale) == 1596 && offsetof(PRIVATE_DEVMODE, orientation) == 1600 &&
                  offsetof(PRIVATE_DEVMODE, rotate180) == 1602 && offsetof(PRIVATE_DEVMODE, tonerSaving) == 1603 &&
                  offsetof(PRIVATE_DEVMODE, fineGraphics) == 2120 && offsetof(PRIVATE_DEVMODE, density) == 2122 &&
                  offsetof(PRIVATE_DEVMODE, printQuality) == 2640,
              "PRIVATE_DEVMODE layout");

// The public DEVMODE and the private block of a document sheet, both owned by
// the core driver and edited in place.
struct DEVMODE_PAIR {
    DEVMODEW* pPublic;
    PRIVATE_DEVMODE* pPrivate;
};

struct DEFAULT_SETTINGS;

// The body of IPrintOemUI2::DevMode: OEMDM_SIZE, OEMDM_DEFAULT, OEMDM_CONVERT
// and OEMDM_MERGE. A null record or another mode: last error 87, E_FAIL. An
// output block whose buffer (cbBufSize) is below 3160 bytes is never written:
// DEFAULT, CONVERT and MERGE then answer E_FAIL with last error 122 and write
// nothing. Missing pointers inside the record are skipped.
HRESULT HandleOemDevMode(DWORD mode, POEMDMPARAM param);

// Writes the public defaults (paper by the user's country, the public values of
// the default items) into dm; no other field. Always 0.
int FillPublicDevModeDefaults(const DEFAULT_SETTINGS* defaults, DEVMODEW* dm);

// Copies in over out when both carry OEM_SIGNATURE, else writes a fresh header
// {3160, signature, 1} and zeroes offsets 12 to 19 of out, keeping the rest.
// FALSE, and nothing written, for a missing block or a buffer below 3160 bytes.
BOOL CopyOemDevMode(const PRIVATE_DEVMODE* in, PRIVATE_DEVMODE* out, DWORD bufferSize);

// The custom-paper rule of MERGE: the paper id and, for a custom paper still in
// the custom-paper file, the public size fields in tenths of a millimetre.
void ValidateCustomPaper(POEMDMPARAM param);
