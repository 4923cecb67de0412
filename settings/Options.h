// COptions: the options of one driver feature, their display names and the
// current selection; the special-name tables and the display-name queries.
#pragma once

#include "oem/PrintOemUI.h"

class CUIHelper;

// Item types of the common property-sheet UI that a feature is shown with.
#define OPTIONS_TYPE_UDARROW 2   // TVOT_UDARROW: a number with a range
#define OPTIONS_TYPE_COMBOBOX 6  // TVOT_COMBOBOX: a list of options

// A display name below this value is a string id of the row's module (the
// common property-sheet UI resolves it itself), not a pointer.
#define DISPLAY_NAME_ID_LIMIT 0x10000
inline bool IsDisplayNameId(const void* name) { return reinterpret_cast<ULONG_PTR>(name) < DISPLAY_NAME_ID_LIMIT; }

// A row of the special-name tables.
struct SPECIAL_ENTRY {
    const char* keyword;
    const WCHAR* module;  // null: the language resource module
    WORD stringId;
    DWORD featureType;    // features only: 1 document, 2 printer
};

#define SPECIAL_FEATURE_ROWS 21
#define SPECIAL_OPTION_ROWS 26
extern const SPECIAL_ENTRY g_SpecialFeatures[SPECIAL_FEATURE_ROWS];  // by feature keyword
extern const SPECIAL_ENTRY g_SpecialOptions[SPECIAL_OPTION_ROWS];    // by option keyword, any feature

struct OPTION_INFO {
    const SPECIAL_ENTRY* special;  // row of the special option table, or null
    WCHAR* displayName;            // heap text, or a string id below 65536
    WCHAR* displayText;            // always text: displayName itself, or the id resolved onto the heap
};

class COptions {
public:
    COptions() = default;
    virtual ~COptions();
    COptions(const COptions&) = delete;
    COptions& operator=(const COptions&) = delete;

    // Reads the options of the feature (kept by pointer: the keyword must
    // outlive the options). Any failure leaves the options empty.
    HRESULT Acquire(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, const char* featureKeyword,
                    BOOL skipSelection);
    // The features whose options the plug-in makes itself; E_NOTIMPL for others.
    HRESULT AcquireSpecial(CUIHelper* core, POEMUIOBJ poemuiobj);
    // The driver's selected option keyword as a heap copy (null when the
    // driver answers no pair); free it on the options' heap.
    HRESULT GetCurrentSelection(CUIHelper* core, POEMUIOBJ poemuiobj, char** optionKeyword) const;
    // Index of the first option with that keyword, else the fallback.
    WORD FindOption(const char* optionKeyword, WORD fallback) const;
    // Sets the tree item's selection and its option type (on the heap).
    HRESULT InitOptType(HANDLE heap, OPTITEM* item) const;
    // Takes the driver's current selection: the option index for a list
    // feature (the last option for a keyword that is not among them), the
    // number for an up-down feature; other types read nothing. False when the
    // driver's selection could not be read.
    bool RefreshCurrent(CUIHelper* core, POEMUIOBJ poemuiobj);
    void Clear();

    WORD GetCount() const { return m_count; }
    WORD GetType() const { return m_type; }
    const char* GetFeatureKeyword() const { return m_featureKeyword; }
    char* const* GetOptionKeywords() const { return m_optionKeywords; }
    const char* GetOptionKeyword(WORD index) const;
    const OPTION_INFO* GetOptionInfo(WORD index) const;
    // As the common property-sheet UI takes it: possibly a string id.
    const WCHAR* GetDisplayName(WORD index) const;
    // Always a text (or null): for every other consumer.
    const WCHAR* GetDisplayText(WORD index) const;
    LONG GetMinimum() const { return m_minimum; }
    LONG GetMaximum() const { return m_maximum; }
    const WCHAR* GetUnitText() const { return m_unitText; }
    HANDLE GetHeap() const { return m_heap; }
    // An option index for a list feature, the number for an up-down feature.
    DWORD GetCurrent() const { return m_current; }
    void SetCurrent(DWORD current) { m_current = current; }

private:
    // The driver's selected keyword as the current selection: its option
    // index (the last option when it is not among them), or read as a number.
    HRESULT TakeSelection(CUIHelper* core, POEMUIOBJ poemuiobj, bool asNumber);
    HRESULT AcquireCurrentOption(CUIHelper* core, POEMUIOBJ poemuiobj);
    HRESULT AcquireCurrentValue(CUIHelper* core, POEMUIOBJ poemuiobj);
    HRESULT AcquireLanguageLevels(CUIHelper* core, POEMUIOBJ poemuiobj);
    HRESULT AcquireRows(CUIHelper* core, POEMUIOBJ poemuiobj);
    WORD LastOptionOrZero() const { return m_count ? (WORD)(m_count - 1) : 0; }

    WORD m_count = 0;
    WORD m_type = OPTIONS_TYPE_COMBOBOX;
    char* m_optionList = nullptr;
    const char* m_featureKeyword = nullptr;
    char** m_optionKeywords = nullptr;
    LONG m_minimum = 0;
    LONG m_maximum = 0;
    DWORD m_listSize = 0;
    WCHAR* m_unitText = nullptr;
    HANDLE m_heap = nullptr;
    OPTION_INFO* m_rows = nullptr;
    DWORD m_current = 0;
};

// The display name of an option: the driver's, else the special row's, else
// the option keyword itself.
HRESULT QueryOptionDisplayName(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, const char* featureKeyword,
                               const char* optionKeyword, const SPECIAL_ENTRY* row, WCHAR** name);
const SPECIAL_ENTRY* FindSpecialEntry(const SPECIAL_ENTRY* table, WORD rows, const char* keyword);
// The row's string onto the heap. A row of a module that the process has not
// loaded, or that lacks the string, gives the bare string id.
HRESULT LoadSpecialName(HANDLE heap, const SPECIAL_ENTRY* row, WCHAR** name);
// The text behind a display name: the name itself when it is a text; for a
// string id, the string from the row's module, else the keyword (less a
// leading "%" when it names a feature). The text is the name itself or a new
// heap string.
HRESULT ResolveDisplayText(HANDLE heap, const SPECIAL_ENTRY* row, const char* keyword, BOOL featureKeyword,
                           WCHAR* displayName, WCHAR** text);
template <class T>
class CHeapBlock;
// The end of a display-name query: the driver's text (hr a success) from the
// buffer, else the special row's string, else the keyword (less a leading "%"
// when asked); a failed allocation of the query (noMemory) is E_OUTOFMEMORY.
HRESULT TakeDisplayName(HRESULT hr, bool noMemory, CHeapBlock<BYTE>& buffer, HANDLE heap, const SPECIAL_ENTRY* row,
                        const char* keyword, BOOL dropPercent, WCHAR** name);
// The keyword (less a leading "%" when asked) as UTF-16 on the heap.
HRESULT KeywordAsDisplayName(HANDLE heap, const char* keyword, BOOL dropPercent, WCHAR** name);
// Frees a display name and its text, each once; string ids are not freed.
void FreeDisplayName(HANDLE heap, WCHAR* displayName, WCHAR* displayText);
