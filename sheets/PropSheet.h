// Property-sheet assembly of the document and printer sheets: the sheet
// callbacks, the per-sheet context and the page tables.
#pragma once

#include "oem/PrintOemUI.h"

class CUIHelper;
class CFeatures;
class CFeatureSettings;
class CQuickSetting;
class CAuxiliaryDlg;
struct DEVMODE_PAIR;
struct PAGE_LINK;
struct RESOURCE_MODULE;

#define SHEET_TITLE L"OEM PS UI Replacement Page"
#define FEATURE_TREE_ITEM_NAME L"Brixom Q2100 Series PS"

// Holds the device page's dialog once the page makes it.
struct DEVICE_DIALOG_HOLDER {
    CAuxiliaryDlg* dialog;
};

// One per sheet, zero-filled on the driver's heap; the lParam of every page.
struct PROPSHEET_CONTEXT {
    HANDLE hPrinter;
    CFeatureSettings* settings;        // owned
    DEVMODE_PAIR* devmode;             // owned; document sheet with both DEVMODEs only
    CQuickSetting* quickSettings;      // owned; document sheet only
    PAGE_LINK* pageLink;               // owned; document sheet only
    DEVICE_DIALOG_HOLDER* deviceDialog; // owned; printer sheet only
    RESOURCE_MODULE* resources;        // owned: the language module of the sheet's printer
    HANDLE heap;                       // the driver's heap of the sheet
    PFNCOMPROPSHEET pfnComPropSheet;
    HANDLE hComPropSheet;
};

// A row of a page table; a title id of 0 ends the table.
struct PAGE_INFO {
    WORD pageNumber;
    WORD titleId;
    DWORD templateId;   // a host template of the plug-in's own resources
    DLGPROC dialogProc;
};

// The UserData of the printer sheet's tree page, on the driver's heap.
struct FEATURE_TREE_DATA {
    HANDLE hComPropSheet;
    HANDLE pageHandle;         // what CPSFUNC_ADD_PCOMPROPSHEETUIW answered
    OEMUIPSPARAM* param;
    PFNCOMPROPSHEET pfnComPropSheet;
    CUIHelper* core;
    POEMUIOBJ poemuiobj;
    DWORD mayChange;           // 1 unless the sheet has DPS_NOPERMISSION
    DWORD hideStandardUI;
};

class PropSheet {
public:
    virtual int GetType() const = 0;
    virtual HRESULT AddPages(PROPSHEET_CONTEXT* context, PROPSHEETUI_INFO* info, CUIHelper* core,
                             CFeatures* features) = 0;
    HRESULT Init(PROPSHEETUI_INFO* info, CUIHelper* core, CFeatures* features);

protected:
    ~PropSheet() = default;
};

class DocPropSheet : public PropSheet {
public:
    int GetType() const override { return 1; }
    HRESULT AddPages(PROPSHEET_CONTEXT* context, PROPSHEETUI_INFO* info, CUIHelper* core,
                     CFeatures* features) override;
};

class DevPropSheet : public PropSheet {
public:
    explicit DevPropSheet(BOOL hideStandardUI) : m_hideStandardUI(hideStandardUI) {}
    int GetType() const override { return 2; }
    HRESULT AddPages(PROPSHEET_CONTEXT* context, PROPSHEETUI_INFO* info, CUIHelper* core,
                     CFeatures* features) override;
    HRESULT AddDeviceSettings(PROPSHEETUI_INFO* info, CUIHelper* core, CFeatures* features);
    HRESULT AddDevicePages(PROPSHEET_CONTEXT* context, PROPSHEETUI_INFO* info);

private:
    // The tree page's description and items, with the language module held.
    HRESULT BuildDeviceTree(PROPSHEETUI_INFO* info, CUIHelper* core, CFeatures* features, HMODULE language,
                            COMPROPSHEETUI** tree, FEATURE_TREE_DATA** treeData);

    BOOL m_hideStandardUI;
};

HRESULT OnDocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam, CUIHelper* core, CFeatures* features);
HRESULT OnDevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam, CUIHelper* core, CFeatures* features,
                               BOOL hideStandardUI);

PROPSHEET_CONTEXT* CreateSheetContext(PropSheet* sheet, CFeatureSettings* settings, PROPSHEETUI_INFO* info);
HRESULT LoadFeatureSettings(PROPSHEET_CONTEXT* context, CFeatureSettings* settings);
HRESULT DestroySheetContext(PROPSHEET_CONTEXT* context);
LONG CALLBACK PropSheetApplyCallback(PCPSUICBPARAM cb);
HANDLE CreateModuleActCtx();
// Releases the activation context that the pages were given (made again by
// the next page added); called when the module is unloaded.
void ReleaseModuleActCtx();

// For tests: the nth allocation of the sheet starts from now (1 = the next)
// fails; 0 lets every allocation through. SheetAllocationArmed() tells
// whether that failure is still to come; SheetPartsAlive() counts the parts
// that sheet starts made (settings, context parts) and that are not freed yet.
void FailSheetAllocation(int nth);
bool SheetAllocationArmed();
LONG SheetPartsAlive();

extern const PAGE_INFO g_DocumentPages[];
extern const PAGE_INFO g_PrinterPages[];
