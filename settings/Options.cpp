#include "settings/Options.h"

#include "device/PrinterUtils.h"
#include "plugin/UIHelper.h"
#include "settings/HeapBlock.h"
#include "sheets/OemItems.h"
#include "sheets/ResourceModule.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace {

constexpr WCHAR kCompstui[] = L"COMPSTUI.DLL";
constexpr DWORD kOptionListFirstSize = 64;
constexpr DWORD kOptionNameFirstSize = 32;
constexpr DWORD kSelectionFirstSize = 64;
constexpr LONG kUpDownMaximum = 32767;
constexpr LONG kMaximumLanguageLevels = 9;  // the level names have one digit

// A module handle taken with a reference of its own.
class CModuleRef {
public:
    ~CModuleRef()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    // The module only when the process has already loaded it.
    bool TakeLoaded(const WCHAR* name)
    {
        return GetModuleHandleExW(0, name, &m_module) && m_module;
    }
    // The module as loaded, else its file of the system folder mapped as resources.
    bool TakeOrMap(const WCHAR* name)
    {
        if (TakeLoaded(name))
            return true;
        WCHAR path[MAX_PATH];
        UINT n = GetSystemDirectoryW(path, MAX_PATH);
        if (n == 0 || n + 1 + wcslen(name) >= MAX_PATH)
            return false;
        wcscat(path, L"\\");
        wcscat(path, name);
        m_module = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        return m_module != nullptr;
    }
    HMODULE Get() const { return m_module; }

private:
    HMODULE m_module = nullptr;
};

WCHAR* AsStringId(WORD id) { return reinterpret_cast<WCHAR*>(static_cast<ULONG_PTR>(id)); }

HRESULT ReadLanguageLevel(CUIHelper* core, POEMUIOBJ poemuiobj, LONG* level)
{
    DWORD type = 0, needed = 0;
    LONG value = 0;
    HRESULT hr = core->GetGlobalAttribute(poemuiobj, 0, "LanguageLevel", &type, reinterpret_cast<PBYTE>(&value),
                                          sizeof value, &needed);
    if (SUCCEEDED(hr))
        *level = value;
    return hr;
}

} // namespace

const SPECIAL_ENTRY g_SpecialFeatures[SPECIAL_FEATURE_ROWS] = {
    { "%AddEuro", nullptr, 509, 2 },
    { "%CtrlDAfter", nullptr, 428, 2 },
    { "%CtrlDBefore", nullptr, 427, 2 },
    { "%GraphicsTrueGray", nullptr, 508, 2 },
    { "%JobTimeout", nullptr, 404, 2 },
    { "%MaxFontSizeAsBitmap", nullptr, 452, 2 },
    { "%MetafileSpooling", nullptr, 419, 1 },
    { "%MinFontSizeAsOutline", nullptr, 451, 2 },
    { "%Mirroring", nullptr, 423, 1 },
    { "%Negative", nullptr, 424, 1 },
    { "%Orientation", kCompstui, 64738, 1 },
    { "%OutputFormat", nullptr, 454, 1 },
    { "%OutputProtocol", nullptr, 440, 2 },
    { "%OutputPSLevel", nullptr, 471, 1 },
    { "%PageOrder", kCompstui, 64855, 1 },
    { "%PagePerSheet", kCompstui, 64864, 1 },
    { "%PSErrorHandler", nullptr, 450, 1 },
    { "%PSMemory", nullptr, 400, 2 },
    { "%TextTrueGray", nullptr, 507, 2 },
    { "%TTDownloadFormat", nullptr, 459, 1 },
    { "%WaitTimeout", nullptr, 405, 2 },
};

const SPECIAL_ENTRY g_SpecialOptions[SPECIAL_OPTION_ROWS] = {
    { "True", kCompstui, 64727, 0 },
    { "False", kCompstui, 64726, 0 },
    { "Portrait", kCompstui, 64753, 0 },
    { "Landscape", kCompstui, 64754, 0 },
    { "RotatedLandscape", kCompstui, 64755, 0 },
    { "Speed", nullptr, 455, 0 },
    { "Portability", nullptr, 456, 0 },
    { "EPS", nullptr, 457, 0 },
    { "Archive", nullptr, 458, 0 },
    { "ASCII", nullptr, 441, 0 },
    { "BCP", nullptr, 442, 0 },
    { "TBCP", nullptr, 443, 0 },
    { "Binary", nullptr, 444, 0 },
    { "FrontToBack", kCompstui, 64856, 0 },
    { "BackToFront", kCompstui, 64857, 0 },
    { "1", kCompstui, 64865, 0 },
    { "2", kCompstui, 64866, 0 },
    { "4", kCompstui, 64867, 0 },
    { "6", kCompstui, 64868, 0 },
    { "9", kCompstui, 64869, 0 },
    { "16", nullptr, 464, 0 },
    { "Booklet", kCompstui, 64873, 0 },
    { "Automatic", nullptr, 460, 0 },
    { "Outline", nullptr, 461, 0 },
    { "Bitmap", nullptr, 462, 0 },
    { "NativeTrueType", nullptr, 463, 0 },
};

// --- names -----------------------------------------------------------------------

const SPECIAL_ENTRY* FindSpecialEntry(const SPECIAL_ENTRY* table, WORD rows, const char* keyword)
{
    if (!table || !keyword)
        return nullptr;
    for (WORD i = 0; i < rows; ++i)
        if (table[i].keyword && strcmp(table[i].keyword, keyword) == 0)
            return &table[i];
    return nullptr;
}

HRESULT LoadSpecialName(HANDLE heap, const SPECIAL_ENTRY* row, WCHAR** name)
{
    if (!heap || !row || !name)
        return E_INVALIDARG;
    *name = nullptr;
    if (row->module) {
        CModuleRef module;
        if (!module.TakeLoaded(row->module)) {
            *name = AsStringId(row->stringId);
            return S_OK;
        }
        HRESULT hr = LoadHeapString(heap, module.Get(), row->stringId, name);
        if (hr == E_OUTOFMEMORY)
            return hr;
        if (FAILED(hr))
            *name = AsStringId(row->stringId);  // the common UI may still know it
        return S_OK;
    }
    CProcessLanguage process;
    HMODULE language = process.Module();
    if (!language) {
        DWORD err = GetLastError();
        return HRESULT_FROM_WIN32(err != ERROR_SUCCESS ? err : ERROR_MOD_NOT_FOUND);
    }
    return LoadHeapString(heap, language, row->stringId, name);
}

HRESULT KeywordAsDisplayName(HANDLE heap, const char* keyword, BOOL dropPercent, WCHAR** name)
{
    if (!heap || !keyword || !name)
        return E_INVALIDARG;
    *name = DupAnsiAsWide(heap, dropPercent && keyword[0] == '%' ? keyword + 1 : keyword);
    return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT ResolveDisplayText(HANDLE heap, const SPECIAL_ENTRY* row, const char* keyword, BOOL featureKeyword,
                           WCHAR* displayName, WCHAR** text)
{
    if (!heap || !text)
        return E_INVALIDARG;
    *text = nullptr;
    if (!IsDisplayNameId(displayName)) {
        *text = displayName;
        return S_OK;
    }
    if (row && row->module && displayName) {
        CModuleRef module;
        if (module.TakeOrMap(row->module)) {
            HRESULT hr = LoadHeapString(heap, module.Get(), row->stringId, text);
            if (SUCCEEDED(hr) || hr == E_OUTOFMEMORY)
                return hr;
        }
    }
    if (!keyword)
        return S_OK;
    return KeywordAsDisplayName(heap, keyword, featureKeyword, text);
}

void FreeDisplayName(HANDLE heap, WCHAR* displayName, WCHAR* displayText)
{
    if (displayText != displayName)
        FreeHeapText(heap, displayText);
    FreeHeapText(heap, displayName);
}

HRESULT QueryOptionDisplayName(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, const char* featureKeyword,
                               const char* optionKeyword, const SPECIAL_ENTRY* row, WCHAR** name)
{
    if (!heap || !core || !featureKeyword || !optionKeyword || !name)
        return E_INVALIDARG;
    *name = nullptr;
    CHeapBlock<BYTE> buffer;
    bool noMemory = false;
    HRESULT hr = CallGrowingOnce(heap, kOptionNameFirstSize, buffer, nullptr, nullptr, &noMemory,
                                 [&](BYTE* data, DWORD cb, DWORD* needed) {
                                     DWORD type = 0;
                                     return core->GetOptionAttribute(poemuiobj, 0, featureKeyword, optionKeyword,
                                                                     "DisplayName", &type, data, cb, needed);
                                 });
    return TakeDisplayName(hr, noMemory, buffer, heap, row, optionKeyword, FALSE, name);
}

HRESULT TakeDisplayName(HRESULT hr, bool noMemory, CHeapBlock<BYTE>& buffer, HANDLE heap, const SPECIAL_ENTRY* row,
                        const char* keyword, BOOL dropPercent, WCHAR** name)
{
    if (noMemory)
        return E_OUTOFMEMORY;
    if (SUCCEEDED(hr)) {
        *name = reinterpret_cast<WCHAR*>(buffer.Detach());
        return S_OK;
    }
    if (row) {
        hr = LoadSpecialName(heap, row, name);
        if (SUCCEEDED(hr) || hr == E_OUTOFMEMORY)
            return hr;
    }
    return KeywordAsDisplayName(heap, keyword, dropPercent, name);
}

// --- COptions ----------------------------------------------------------------------

COptions::~COptions() { Clear(); }

void COptions::Clear()
{
    if (m_rows) {
        for (WORD i = 0; i < m_count; ++i)
            FreeDisplayName(m_heap, m_rows[i].displayName, m_rows[i].displayText);
        FreeHeapText(m_heap, m_rows);
    }
    FreeHeapText(m_heap, m_optionKeywords);
    FreeHeapText(m_heap, m_optionList);
    FreeHeapText(m_heap, m_unitText);
    m_count = 0;
    m_type = OPTIONS_TYPE_COMBOBOX;
    m_optionList = nullptr;
    m_featureKeyword = nullptr;
    m_optionKeywords = nullptr;
    m_minimum = 0;
    m_maximum = 0;
    m_listSize = 0;
    m_unitText = nullptr;
    m_heap = nullptr;
    m_rows = nullptr;
    m_current = 0;
}

const char* COptions::GetOptionKeyword(WORD index) const
{
    return m_optionKeywords && index < m_count ? m_optionKeywords[index] : nullptr;
}

const OPTION_INFO* COptions::GetOptionInfo(WORD index) const
{
    return m_rows && index < m_count ? &m_rows[index] : nullptr;
}

const WCHAR* COptions::GetDisplayName(WORD index) const
{
    const OPTION_INFO* row = GetOptionInfo(index);
    return row ? row->displayName : nullptr;
}

const WCHAR* COptions::GetDisplayText(WORD index) const
{
    const OPTION_INFO* row = GetOptionInfo(index);
    return row && !IsDisplayNameId(row->displayText) ? row->displayText : nullptr;
}

WORD COptions::FindOption(const char* optionKeyword, WORD fallback) const
{
    if (!optionKeyword || !m_optionKeywords)
        return fallback;
    for (WORD i = 0; i < m_count; ++i)
        if (m_optionKeywords[i] && strcmp(m_optionKeywords[i], optionKeyword) == 0)
            return i;
    return fallback;
}

bool COptions::RefreshCurrent(CUIHelper* core, POEMUIOBJ poemuiobj)
{
    if (m_type != OPTIONS_TYPE_COMBOBOX && m_type != OPTIONS_TYPE_UDARROW)
        return true;
    return SUCCEEDED(TakeSelection(core, poemuiobj, m_type == OPTIONS_TYPE_UDARROW));
}

HRESULT COptions::InitOptType(HANDLE heap, OPTITEM* item) const
{
    if (!heap || !item)
        return E_INVALIDARG;
    item->Sel = (LONG)m_current;
    WORD params = m_type == OPTIONS_TYPE_UDARROW ? 2 : m_count;
    if (params == 0)
        return S_OK;  // no options (such as "%CustomPageSize"): no option type
    POPTTYPE type = AllocOptType(heap, params);
    if (!type)
        return E_OUTOFMEMORY;
    type->Type = (BYTE)m_type;
    if (m_type == OPTIONS_TYPE_UDARROW) {
        type->pOptParam[1].IconID = (ULONG_PTR)(LONG_PTR)m_minimum;
        type->pOptParam[1].lParam = m_maximum;
    } else if (m_type == OPTIONS_TYPE_COMBOBOX) {
        // Names may stay string ids: the common property-sheet UI resolves them.
        for (WORD i = 0; i < params; ++i)
            type->pOptParam[i].pData = const_cast<WCHAR*>(GetDisplayName(i));
    }
    item->pOptType = type;
    return S_OK;
}

HRESULT COptions::Acquire(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, const char* featureKeyword,
                          BOOL skipSelection)
{
    if (m_count && m_featureKeyword && featureKeyword && strcmp(m_featureKeyword, featureKeyword) == 0)
        return S_OK;
    if (!heap || !core || !featureKeyword)
        return E_INVALIDARG;
    Clear();
    m_heap = heap;
    m_featureKeyword = featureKeyword;

    HRESULT hr = AcquireSpecial(core, poemuiobj);
    if (SUCCEEDED(hr))
        return hr;
    if (hr != E_NOTIMPL) {
        Clear();
        return hr;
    }

    CHeapBlock<BYTE> list;
    DWORD size = 0;
    hr = CallGrowingOnce(heap, kOptionListFirstSize, list, &size, nullptr, nullptr,
                         [&](BYTE* data, DWORD cb, DWORD* needed) {
                             return core->EnumOptions(poemuiobj, 0, featureKeyword, reinterpret_cast<PSTR>(data),
                                                      cb, needed);
                         });
    if (FAILED(hr)) {
        Clear();
        return hr;
    }
    m_optionList = reinterpret_cast<char*>(list.Detach());
    m_listSize = size;
    hr = SplitMultiSz(heap, m_optionList, &m_optionKeywords, &m_count);
    if (SUCCEEDED(hr))
        hr = AcquireRows(core, poemuiobj);
    if (SUCCEEDED(hr) && !skipSelection)
        hr = AcquireCurrentOption(core, poemuiobj);
    if (FAILED(hr)) {
        Clear();
        return hr;
    }
    return S_OK;
}

HRESULT COptions::AcquireRows(CUIHelper* core, POEMUIOBJ poemuiobj)
{
    if (m_count == 0)
        return S_OK;
    m_rows = static_cast<OPTION_INFO*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(OPTION_INFO) * m_count));
    if (!m_rows)
        return E_OUTOFMEMORY;
    for (WORD i = 0; i < m_count; ++i) {
        OPTION_INFO& row = m_rows[i];
        const char* keyword = m_optionKeywords[i];
        row.special = FindSpecialEntry(g_SpecialOptions, SPECIAL_OPTION_ROWS, keyword);
        HRESULT hr = QueryOptionDisplayName(m_heap, core, poemuiobj, m_featureKeyword, keyword, row.special,
                                            &row.displayName);
        if (SUCCEEDED(hr))
            hr = ResolveDisplayText(m_heap, row.special, keyword, FALSE, row.displayName, &row.displayText);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT COptions::AcquireSpecial(CUIHelper* core, POEMUIOBJ poemuiobj)
{
    const char* k = m_featureKeyword;
    if (!k || !core)
        return E_NOTIMPL;
    if (strcmp(k, "%CustomPageSize") == 0)
        return S_OK;
    if (strcmp(k, "%JobTimeout") == 0 || strcmp(k, "%WaitTimeout") == 0 || strcmp(k, "%MaxFontSizeAsBitmap") == 0 ||
        strcmp(k, "%MinFontSizeAsOutline") == 0) {
        m_type = OPTIONS_TYPE_UDARROW;
        m_minimum = 0;
        m_maximum = kUpDownMaximum;
        return AcquireCurrentValue(core, poemuiobj);
    }
    if (strcmp(k, "%PSMemory") == 0) {
        m_type = OPTIONS_TYPE_UDARROW;
        m_maximum = kUpDownMaximum;
        HRESULT hr = AcquireCurrentValue(core, poemuiobj);
        if (FAILED(hr))
            return hr;
        LONG level = 0;
        hr = ReadLanguageLevel(core, poemuiobj, &level);
        if (FAILED(hr))
            return hr;
        m_minimum = level == 1 ? 172 : 249;
        return S_OK;
    }
    if (strcmp(k, "%OutputPSLevel") == 0)
        return AcquireLanguageLevels(core, poemuiobj);
    return E_NOTIMPL;
}

HRESULT COptions::AcquireLanguageLevels(CUIHelper* core, POEMUIOBJ poemuiobj)
{
    m_type = OPTIONS_TYPE_COMBOBOX;
    LONG level = 0;
    HRESULT hr = ReadLanguageLevel(core, poemuiobj, &level);
    if (FAILED(hr))
        return hr;
    WORD count = (WORD)(level < 0 ? 0 : level > kMaximumLanguageLevels ? kMaximumLanguageLevels : level);

    // "1\0" "2\0" ... and the list's closing NUL.
    DWORD size = count * 2u + 1u;
    m_optionList = static_cast<char*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, size));
    if (!m_optionList)
        return E_OUTOFMEMORY;
    m_listSize = size;
    for (WORD i = 0; i < count; ++i)
        m_optionList[i * 2] = (char)('1' + i);
    if (count) {
        m_optionKeywords = static_cast<char**>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(char*) * count));
        m_rows = static_cast<OPTION_INFO*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(OPTION_INFO) * count));
        if (!m_optionKeywords || !m_rows)
            return E_OUTOFMEMORY;
    }
    for (WORD i = 0; i < count; ++i) {
        m_optionKeywords[i] = &m_optionList[i * 2];
        WCHAR* name = static_cast<WCHAR*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, 2 * sizeof(WCHAR)));
        if (!name)
            return E_OUTOFMEMORY;
        name[0] = (WCHAR)(L'1' + i);
        m_rows[i].displayName = name;
        m_rows[i].displayText = name;
        m_count = (WORD)(i + 1);  // rows made so far are freed by Clear
    }
    m_count = count;
    return AcquireCurrentOption(core, poemuiobj);
}

HRESULT COptions::TakeSelection(CUIHelper* core, POEMUIOBJ poemuiobj, bool asNumber)
{
    char* selected = nullptr;
    HRESULT hr = GetCurrentSelection(core, poemuiobj, &selected);
    if (FAILED(hr))
        return hr;
    if (!asNumber)
        m_current = FindOption(selected, LastOptionOrZero());
    else if (selected)
        m_current = (DWORD)(strtol(selected, nullptr, 10) & 0xFFFF);
    FreeHeapText(m_heap, selected);
    return S_OK;
}

HRESULT COptions::AcquireCurrentOption(CUIHelper* core, POEMUIOBJ poemuiobj)
{
    return TakeSelection(core, poemuiobj, false);
}

HRESULT COptions::AcquireCurrentValue(CUIHelper* core, POEMUIOBJ poemuiobj)
{
    return TakeSelection(core, poemuiobj, true);
}

HRESULT COptions::GetCurrentSelection(CUIHelper* core, POEMUIOBJ poemuiobj, char** optionKeyword) const
{
    if (!optionKeyword)
        return E_INVALIDARG;
    *optionKeyword = nullptr;
    if (!core || !m_heap || !m_featureKeyword)
        return E_INVALIDARG;

    // The feature keyword, its NUL and the list's closing NUL.
    size_t length = strlen(m_featureKeyword);
    if (length > 0xFFFFFFF0u)
        return E_INVALIDARG;
    DWORD requestSize = (DWORD)length + 2;
    CHeapBlock<char> request;
    if (!request.Allocate(m_heap, requestSize))
        return E_OUTOFMEMORY;
    memcpy(request.Get(), m_featureKeyword, length);

    CHeapBlock<BYTE> answer;
    HRESULT hr = CallGrowingOnce(m_heap, kSelectionFirstSize, answer, nullptr, nullptr, nullptr,
                                 [&](BYTE* data, DWORD cb, DWORD* needed) {
                                     return core->GetOptions(poemuiobj, 0, request.Get(), requestSize,
                                                             reinterpret_cast<PSTR>(data), cb, needed);
                                 });
    if (FAILED(hr) || !answer.Get()[0])
        return hr;
    char** strings = nullptr;
    WORD count = 0;
    HRESULT split = SplitMultiSz(m_heap, reinterpret_cast<char*>(answer.Get()), &strings, &count);
    CHeapBlock<char*> array(m_heap, strings);
    if (FAILED(split))
        return split;
    if (count >= 2) {
        *optionKeyword = DupAnsiString(m_heap, strings[1]);
        if (!*optionKeyword)
            return E_OUTOFMEMORY;
    }
    return hr;
}
