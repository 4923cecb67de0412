#include "settings/PrivateDevMode.h"

#include "settings/DefaultSettings.h"
#include "settings/PaperList.h"

#include <string.h>
#include <wchar.h>

namespace {

constexpr WORD kPublicDevModeSize = 220;  // sizeof(DEVMODEW)
constexpr DWORD kMaxItemValue = 100;
constexpr DWORD kCustomSizeFields = DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;

static_assert(sizeof(DEVMODEW) == kPublicDevModeSize, "DEVMODEW is 220 bytes");

PRIVATE_DEVMODE* Block(PVOID p) { return static_cast<PRIVATE_DEVMODE*>(p); }

// The header of a block and its reserved and OEM item values, as a fresh block has them.
void WriteFreshHeader(PRIVATE_DEVMODE* block)
{
    block->header.dwSize = PRIVATE_DEVMODE_SIZE;
    block->header.dwSignature = OEM_SIGNATURE;
    block->header.dwVersion = OEM_VERSION;
    block->reservedValue = 0;
    block->oemItemValue = 0;
}

// A size of a default paper in tenths of a millimetre.
short TenthsOfMillimetre(float size, DWORD unit)
{
    float tenths = unit == PAPER_UNIT_INCH ? size * 254.0f : size * 10.0f;
    return (short)(int)((double)tenths + 0.5);
}

// A size in points in tenths of a millimetre: the product in single
// precision, the half added in double precision, the sum truncated.
short PointsToTenths(INT32 points)
{
    float tenths = (float)points * 25.4f / 72.0f * 10.0f;
    return (short)(int)((double)tenths + 0.5);
}

bool IsCustomPaperNumber(int paper) { return paper >= FIRST_CUSTOM_PAPER_ID && paper <= LAST_CUSTOM_PAPER_ID; }

// CONVERT and MERGE: the public default source.
void ApplyDefaultSourceRule(const OEMDMPARAM* param)
{
    const DEVMODEW* in = param->pPublicDMIn;
    DEVMODEW* out = param->pPublicDMOut;
    if (!in || !out || in->dmSize != kPublicDevModeSize || out->dmSize != kPublicDevModeSize)
        return;
    if ((in->dmFields & DM_DEFAULTSOURCE) && (INT16)in->dmDefaultSource > 0)
        out->dmDefaultSource = in->dmDefaultSource;
    else
        out->dmDefaultSource = 1;
}

void WriteDefaultBlock(const DEFAULT_SETTINGS& defaults, PRIVATE_DEVMODE* block)
{
    WriteFreshHeader(block);
    block->copies = defaults.items[DEFAULT_COPIES].value;
    block->pageBorder = defaults.items[DEFAULT_PAGE_BORDER].value ? 1 : 0;
    block->scale = defaults.items[DEFAULT_SCALE].value;
    block->tonerSaving = defaults.items[DEFAULT_TONER_SAVING].value ? 1 : 0;
    block->density = (WORD)defaults.items[DEFAULT_DENSITY].value;
}

} // namespace

int FillPublicDevModeDefaults(const DEFAULT_SETTINGS* defaults, DEVMODEW* dm)
{
    if (!defaults || !dm)
        return 0;
    const DEFAULT_PAPER& paper = LocaleDefaultPaper(*defaults);
    const DEFAULT_ITEM* items = defaults->items;
    dm->dmSpecVersion = 0x0401;
    dm->dmDriverVersion = 0x0600;
    dm->dmSize = kPublicDevModeSize;
    dm->dmDriverExtra = PRIVATE_DEVMODE_SIZE;
    dm->dmPaperSize = (short)paper.paperCode;
    dm->dmPaperLength = TenthsOfMillimetre(paper.height, paper.unit);
    dm->dmPaperWidth = TenthsOfMillimetre(paper.width, paper.unit);
    // The whole field: the name, then NULs.
    wcsncpy(dm->dmFormName, paper.name, CCHFORMNAME - 1);
    dm->dmFormName[CCHFORMNAME - 1] = 0;
    dm->dmPrintQuality = (short)items[DEFAULT_RESOLUTION].publicValue;
    dm->dmYResolution = (short)items[DEFAULT_RESOLUTION].publicValue;
    dm->dmScale = (short)items[DEFAULT_SCALE].publicValue;
    dm->dmCopies = (short)items[DEFAULT_COPIES].publicValue;
    dm->dmDefaultSource = (short)items[DEFAULT_INPUT_SLOT].publicValue;
    dm->dmDuplex = (short)items[DEFAULT_DUPLEX].publicValue;
    dm->dmCollate = (short)items[DEFAULT_COLLATE].publicValue;
    dm->dmMediaType = items[DEFAULT_MEDIA_TYPE].publicValue;
    dm->dmColor = DMCOLOR_MONOCHROME;
    return 0;
}

BOOL CopyOemDevMode(const PRIVATE_DEVMODE* in, PRIVATE_DEVMODE* out, DWORD bufferSize)
{
    if (!in || !out || bufferSize < PRIVATE_DEVMODE_SIZE)
        return FALSE;
    // Only a block of ours is copied; any other pair gets a fresh header.
    if (in->header.dwSignature != OEM_SIGNATURE || out->header.dwSignature != OEM_SIGNATURE) {
        WriteFreshHeader(out);
        return TRUE;
    }
    out->reservedValue = 0;
    out->oemItemValue = 0;
    // Never more than the block: a size field claiming more would read past it.
    DWORD n = in->header.dwSize < PRIVATE_DEVMODE_SIZE ? in->header.dwSize : PRIVATE_DEVMODE_SIZE;
    if (out->header.dwSize < n)
        n = out->header.dwSize;
    if (bufferSize < n)
        n = bufferSize;
    if (in != out)
        memmove(out, in, n);
    out->header.dwVersion = OEM_VERSION;
    out->header.dwSize = PRIVATE_DEVMODE_SIZE;
    return TRUE;
}

void ValidateCustomPaper(POEMDMPARAM param)
{
    if (!param || !param->pPublicDMIn || !param->pPublicDMOut || !param->pOEMDMIn || !param->pOEMDMOut)
        return;
    const DEVMODEW* in = param->pPublicDMIn;
    DEVMODEW* out = param->pPublicDMOut;
    PRIVATE_DEVMODE* block = Block(param->pOEMDMOut);

    int paper = in->dmPaperSize;
    if (IsCustomPaperNumber(paper)) {
        block->paperId = (INT16)paper;
        out->dmPaperSize = DMPAPER_CUSTOM_SIZE;
    } else if (paper != DMPAPER_CUSTOM_SIZE) {
        block->paperId = 0;
    }
    if (out->dmPaperSize != DMPAPER_CUSTOM_SIZE)
        return;

    // A bare list: no feature model, so only the custom papers of the file.
    CPaperList list;
    list.LoadCustomPapers();
    PAPER_INFO* found = list.GetPaper(list.FindPaperById(block->paperId));
    if (!found)
        return;
    PAPER_INFO size;
    CopyPaperInfo(&size, found);
    CPaperList::ClampPaperSize(&size);
    out->dmPaperWidth = PointsToTenths(size.width);
    out->dmPaperLength = PointsToTenths(size.height);
    out->dmFields |= kCustomSizeFields;
}

HRESULT HandleOemDevMode(DWORD mode, POEMDMPARAM param)
{
    if (!param || mode < OEMDM_SIZE || mode > OEMDM_MERGE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    if (mode == OEMDM_SIZE) {
        param->cbBufSize = PRIVATE_DEVMODE_SIZE;
        return S_OK;
    }
    // An output block in a buffer too small for it is never written, nor anything else.
    if (param->pOEMDMOut && param->cbBufSize < PRIVATE_DEVMODE_SIZE) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return E_FAIL;
    }

    PRIVATE_DEVMODE* out = Block(param->pOEMDMOut);
    switch (mode) {
    case OEMDM_DEFAULT: {
        DEFAULT_SETTINGS defaults;
        LoadDefaultSettings(&defaults);
        if (param->pPublicDMIn)
            FillPublicDevModeDefaults(&defaults, param->pPublicDMIn);
        if (out)
            WriteDefaultBlock(defaults, out);
        break;
    }
    case OEMDM_CONVERT:
        CopyOemDevMode(Block(param->pOEMDMIn), out, param->cbBufSize);
        ApplyDefaultSourceRule(param);
        break;
    case OEMDM_MERGE:
        CopyOemDevMode(Block(param->pOEMDMIn), out, param->cbBufSize);
        if (out) {
            out->header.dwSize = PRIVATE_DEVMODE_SIZE;
            out->header.dwSignature = OEM_SIGNATURE;
            out->header.dwVersion = OEM_VERSION;
            if (out->reservedValue > kMaxItemValue)
                out->reservedValue = 0;
            if (out->oemItemValue > kMaxItemValue)
                out->oemItemValue = 0;
        }
        ApplyDefaultSourceRule(param);
        ValidateCustomPaper(param);
        break;
    }
    return S_OK;
}
