// The printer sheet's tree of installable-option features: the data behind
// each item, and the apply that writes the changed items to the core driver
// and asks the user about a conflict that remains.
#pragma once

#include "oem/PrintOemUI.h"

#include <stddef.h>

class CUIHelper;
class COptions;

// 'FETR' as a multi-character constant: bytes "RTEF" in memory.
#define FEATURE_ITEM_TAG 0x46455452u

// The UserData of a feature item, on the driver's heap.
struct FEATURE_ITEM_DATA {
    DWORD size;                  // sizeof(FEATURE_ITEM_DATA)
    DWORD tag;                   // FEATURE_ITEM_TAG
    const char* featureKeyword;  // the model's keyword
    COptions* options;           // the feature's options in the model
};
static_assert(sizeof(FEATURE_ITEM_DATA) == 24 && offsetof(FEATURE_ITEM_DATA, featureKeyword) == 8 &&
                  offsetof(FEATURE_ITEM_DATA, options) == 16,
              "FEATURE_ITEM_DATA layout");

// The item's feature data; null for every item that is not a feature item.
const FEATURE_ITEM_DATA* GetFeatureItemData(const OPTITEM* item);

// The changed item that the driver names as constrained. The strings but the
// feature keyword are the searcher's, on its heap: free them with
// FreeConflictInfo. Start a search with a zero-filled record.
struct CONFLICT_INFO {
    const char* featureKeyword;  // the model's keyword (not owned)
    WCHAR* itemName;             // the item's name, always as a text
    char* optionKeyword;
    WCHAR* optionText;
    char* whyConstrained;        // multi-string of feature and option keyword pairs
    DWORD whyConstrainedSize;    // bytes of that buffer the driver may fill
};
void FreeConflictInfo(HANDLE heap, CONFLICT_INFO* info);

// The apply of the tree: sends the changed feature items with
// SETOPTIONS_FLAG_KEEP_CONFLICT; when a conflict remains, asks the user (Yes:
// the driver resolves it and every item is read back; No: E_FAIL, the options
// sent stay set). A conflict that no changed item explains is told to the
// user and refused.
HRESULT SaveFeatureOptItems(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, HWND owner, OPTITEM* items,
                            WORD count);

// "feature\0option\0" for each changed feature item, then a NUL; null (and no
// pairs) when nothing changed. The list is on the heap.
HRESULT BuildChangedOptionList(HANDLE heap, const OPTITEM* items, WORD count, char** list, WORD* pairs,
                               DWORD* size);

// The item's chosen option as the driver names it (an up-down item: its
// number), and as the user reads it; heap copies, null when there is none.
char* GetItemOptionKeyword(HANDLE heap, const OPTITEM* item);
WCHAR* GetItemOptionText(HANDLE heap, const OPTITEM* item);

// The driver's reasons why the option of the feature is constrained, into a
// heap buffer that is kept (and grown) from call to call; freed on failure.
HRESULT QueryWhyConstrained(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, const char* featureKeyword,
                            const char* optionKeyword, char** buffer, DWORD* size);

// The first changed feature item whose option the driver names as
// constrained. When none is found, the result of the last query and no
// feature keyword in info.
HRESULT FindConflictingItem(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, const OPTITEM* items, WORD count,
                            CONFLICT_INFO* info);

// Reads every feature item's selection back from the driver into the model
// and the item. Always S_OK.
HRESULT RefreshFeatureOptItems(CUIHelper* core, POEMUIOBJ poemuiobj, OPTITEM* items, WORD count);
