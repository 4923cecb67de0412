#include "settings/PaperInfo.h"

#include <string.h>
#include <wchar.h>

void SetPaperName(PAPER_INFO* paper, const WCHAR* name)
{
    if (!paper)
        return;
    memset(paper->name, 0, sizeof paper->name);
    if (name)
        wcsncpy(paper->name, name, PAPER_NAME_CHARS - 1);
}

void CopyPaperInfo(PAPER_INFO* to, const PAPER_INFO* from)
{
    if (!to || !from || to == from)
        return;
    WCHAR name[PAPER_NAME_CHARS];
    wcsncpy(name, from->name, PAPER_NAME_CHARS - 1);
    name[PAPER_NAME_CHARS - 1] = 0;
    memcpy(to, from, sizeof *to);
    SetPaperName(to, name);
}

bool SamePaperSize(const PAPER_INFO& a, const PAPER_INFO& b)
{
    return a.width == b.width && a.height == b.height && a.widthMm == b.widthMm && a.heightMm == b.heightMm &&
           a.widthInch == b.widthInch && a.heightInch == b.heightInch;
}
