// PAGE_LINK: joins the Basic and Advanced pages of a document sheet, and the
// operations between the pages, the private block and the quick sets.
#pragma once

#include "framework/AfxArray.h"
#include "settings/PaperInfo.h"

#include <windows.h>

struct CONSTRAINT_STATE;
struct DEVMODE_PAIR;
struct RESOURCE_MODULE;
struct _QS_STRUCK;
class CFeatureSettings;
class CPaperList;
class CBaseDlg;
class CAdvanceDlg;
class CWnd;

struct PAGE_LINK {
    BYTE busy;                       // set while a page is created or set from the block
    CONSTRAINT_STATE* constraints;   // owned
    CBaseDlg* basicPage;             // owned; null until the page is first shown
    CAdvanceDlg* advancedPage;       // owned; null until the page is first shown
    DEVMODE_PAIR* devmode;           // the sheet's, or null
    RESOURCE_MODULE* resources;      // the sheet context's language module
    CFeatureSettings* settings;      // the sheet's settings
    BYTE quickSetChosen;             // a quick set was put into the block in this sheet
};

// The current settings (private block, then the controls of the pages that
// exist) into a quick-set record.
void CaptureQuickSetting(PAGE_LINK* link, _QS_STRUCK* record);
// A recalled quick set made fit for this printer and its PPD before it
// reaches the private block, so that the pages show what the block holds and
// the apply writes that: copies, scale and density the pages refuse and
// option indexes past their feature's options take the defaults; a paper the
// list lacks becomes the locale's default paper; an optional tray no longer
// fitted becomes automatic. The constraint rules then act as when the user
// chooses the set's paper: with duplex on, a paper that allows none is
// refused with the warning and the block's paper stays (or, when that one
// allows none either, duplex goes off); a paper without a free input slot
// takes slot 1; one barred from the optional trays (or A5 fed long edge
// first) takes automatic with the warning; one without a free feed edge
// takes feed edge 0. Needs the block and the settings, else changes nothing.
void ValidateQuickSetting(PAGE_LINK* link, HANDLE hPrinter, _QS_STRUCK* record);
// The document's paper as the pages show it, kept before a step that may
// move the paper or change it without the user choosing it (the custom
// papers read again, the custom-paper dialog run). Follow() then brings
// into step everything that depends on it, as the user's own choice of that
// paper would: the Basic page's paper list (also when only other custom
// papers changed), the constraint state, the input slot, the indicators and
// locked controls of both pages, and Apply when the driver would now get
// another paper or another size.
class CDocumentPaperWatch {
public:
    explicit CDocumentPaperWatch(PAGE_LINK* link);
    CDocumentPaperWatch(const CDocumentPaperWatch&) = delete;
    CDocumentPaperWatch& operator=(const CDocumentPaperWatch&) = delete;
    void Follow();

private:
    PAGE_LINK* m_link;
    INT16 m_paperId = 0;
    PAPER_INFO m_paper = {};           // all zero when the list lacks it
    CArray<PAPER_INFO> m_customPapers;
};

// Before a custom paper's number is read or written against the shared files
// (a quick set chosen or saved, the custom-paper dialog opened or its write
// refused): the sheet's custom papers as the file holds them now, the
// document's paper followed into the file's numbering (CPaperList::
// ReloadCustomPapers), and what depends on it brought into step
// (CDocumentPaperWatch). A caller that goes on to the quick sets holds the
// custom-paper file's lock (CPaperFileLock) from before this call.
void ReadCustomPapersAgain(PAGE_LINK* link);
// A5 fed long edge first (feed edge 1) never comes from an optional tray.
bool LongEdgeBarsTrays(const CPaperList& papers, int paperId, int feedEdge);
// The optional tray an automatic input slot is given at an apply for that
// paper and feed edge: the fitted tray (tray 1 before tray 2, slots 3 and 4)
// that the printer data says holds the paper, unless the tray rules keep it
// out; 0 when none does.
int PickOptionalTray(const CPaperList& papers, HANDLE hPrinter, int paperId, int feedEdge);
// A quick set's settings into the private block (not its id).
void ApplyQuickSetting(PAGE_LINK* link, _QS_STRUCK record);
// Feeds the constraint rules from the private block.
void UpdateConstraintState(PAGE_LINK* link);
// Sets the controls of both pages from the private block.
void ApplySettingsToPages(PAGE_LINK* link);
// The quick-set choice is no longer a saved set (unless busy).
void MarkQuickSetUnsaved(PAGE_LINK* link);
// Enables the quick-set save and delete buttons by the combo's text.
void UpdateQuickSetButtons(PAGE_LINK* link, BOOL typed, BOOL selected);
// Shows, hides and explains the constraint indicators of both pages.
void ShowConstraintIndicators(PAGE_LINK* link);
// FALSE for null or a name holding a refused character.
BOOL IsValidQuickSetName(const WCHAR* name);
// Removes the refused characters in place; answers the name.
WCHAR* StripRefusedNameChars(WCHAR* name);
// The first row of the combo with that item data; 0 when none.
int GetComboIndexByData(CWnd* combo, int data);

// PSM_CHANGED for the dialog's host page to the sheet, so that Apply enables.
void NotifyPageChanged(CWnd* dialog);
