#include "ui/PageLink.h"
#include "framework/Afx.h"
#include "settings/QuickSetting.h"

#include <prsht.h>

// The operations below the comment are placeholders, filled with the pages.

void NotifyPageChanged(CWnd* dialog)
{
    if (!dialog || !dialog->GetSafeHwnd())
        return;
    HWND page = ::GetParent(dialog->GetSafeHwnd());
    HWND sheet = page ? ::GetParent(page) : nullptr;
    if (sheet)
        ::SendMessageW(sheet, PSM_CHANGED, (WPARAM)page, 0);
}

void CaptureQuickSetting(PAGE_LINK*, _QS_STRUCK*) {}
void ApplyQuickSetting(PAGE_LINK*, _QS_STRUCK) {}
void UpdateConstraintState(PAGE_LINK*) {}
void ApplySettingsToPages(PAGE_LINK*) {}
void MarkQuickSetUnsaved(PAGE_LINK*) {}
void UpdateQuickSetButtons(PAGE_LINK*, BOOL, BOOL) {}
void ShowConstraintIndicators(PAGE_LINK*) {}
BOOL IsValidQuickSetName(const WCHAR* name) { return name != nullptr; }
WCHAR* StripRefusedNameChars(WCHAR* name) { return name; }
int GetComboIndexByData(CWnd*, int) { return 0; }
