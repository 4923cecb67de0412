#include "sheets/FeatureTree.h"

#include "device/PrinterUtils.h"
#include "plugin/SystemSeams.h"
#include "plugin/UIHelper.h"
#include "settings/Features.h"
#include "settings/HeapBlock.h"
#include "sheets/ResourceModule.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr UINT kCaptionId = 3;    // caption of the conflict question
constexpr UINT kQuestionId = 5;   // its template: %1 feature, %2 option, %3 item, %4 item option
constexpr DWORD kQuestionInserts = 4;
constexpr DWORD kWhyConstrainedFirstSize = 1024;
constexpr DWORD kListGuard = 2;   // zero bytes beyond what the driver may fill
constexpr size_t kNumberChars = 16;
// Told when the driver keeps a conflict that no changed item explains.
constexpr WCHAR kUnexplainedConflict[] =
    L"These settings conflict with each other and cannot be applied. Change them and try again.";

bool IsChanged(const OPTITEM& item) { return (item.Flags & OPTIF_CHANGEONCE) != 0; }

// FormatMessageW's buffer.
class CLocalText {
public:
    CLocalText() = default;
    CLocalText(const CLocalText&) = delete;
    CLocalText& operator=(const CLocalText&) = delete;
    ~CLocalText()
    {
        if (m_p)
            LocalFree(m_p);
    }
    WCHAR** Receive() { return &m_p; }
    const WCHAR* Get() const { return m_p; }

private:
    WCHAR* m_p = nullptr;
};

// A display name as the model's queries answer it, and the text behind it.
class CDisplayName {
public:
    explicit CDisplayName(HANDLE heap) : m_heap(heap) {}
    ~CDisplayName() { FreeDisplayName(m_heap, m_name, m_text); }
    CDisplayName(const CDisplayName&) = delete;
    CDisplayName& operator=(const CDisplayName&) = delete;

    HRESULT Resolve(const SPECIAL_ENTRY* row, const char* keyword, BOOL featureKeyword)
    {
        return ResolveDisplayText(m_heap, row, keyword, featureKeyword, m_name, &m_text);
    }
    WCHAR** Receive() { return &m_name; }
    // The text, or null when the name could not be made a text.
    const WCHAR* Text() const { return IsDisplayNameId(m_text) ? nullptr : m_text; }

private:
    HANDLE m_heap;
    WCHAR* m_name = nullptr;
    WCHAR* m_text = nullptr;
};

class CConflictInfo {
public:
    explicit CConflictInfo(HANDLE heap) : m_heap(heap) {}
    ~CConflictInfo() { FreeConflictInfo(m_heap, &info); }
    CConflictInfo(const CConflictInfo&) = delete;
    CConflictInfo& operator=(const CConflictInfo&) = delete;

    CONFLICT_INFO info = {};

private:
    HANDLE m_heap;
};

// The changed feature items' keywords; the option keywords are heap copies.
class CChangedPairs {
public:
    explicit CChangedPairs(HANDLE heap) : m_heap(heap) {}
    ~CChangedPairs()
    {
        for (WORD i = 0; i < m_count; ++i)
            FreeHeapText(m_heap, m_pairs[i].option);
        FreeHeapText(m_heap, m_pairs);
    }
    CChangedPairs(const CChangedPairs&) = delete;
    CChangedPairs& operator=(const CChangedPairs&) = delete;

    struct PAIR {
        const char* feature;
        char* option;
    };

    bool Reserve(WORD count)
    {
        if (count == 0)
            return true;
        m_pairs = static_cast<PAIR*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(PAIR) * count));
        return m_pairs != nullptr;
    }
    void Add(const char* feature, char* option) { m_pairs[m_count++] = { feature, option }; }
    WORD Count() const { return m_count; }
    const PAIR& operator[](WORD i) const { return m_pairs[i]; }

private:
    HANDLE m_heap;
    PAIR* m_pairs = nullptr;
    WORD m_count = 0;
};

// The item's option keyword: S_OK with a heap copy, S_FALSE when the item
// names none, E_OUTOFMEMORY.
HRESULT ItemOptionKeyword(HANDLE heap, const OPTITEM* item, char** keyword)
{
    *keyword = nullptr;
    const FEATURE_ITEM_DATA* data = GetFeatureItemData(item);
    if (!heap || !data)
        return S_FALSE;
    const COptions* options = data->options;
    if (options->GetType() == OPTIONS_TYPE_UDARROW) {
        char number[kNumberChars];
        snprintf(number, sizeof number, "%u", (unsigned)item->Sel);
        *keyword = DupAnsiString(heap, number);
    } else if (options->GetType() == OPTIONS_TYPE_COMBOBOX) {
        if ((DWORD)item->Sel >= options->GetCount())
            return S_FALSE;
        const char* chosen = options->GetOptionKeyword((WORD)item->Sel);
        if (!chosen)
            return S_FALSE;
        *keyword = DupAnsiString(heap, chosen);
    } else {
        return S_FALSE;
    }
    return *keyword ? S_OK : E_OUTOFMEMORY;
}

// The item's option as the user reads it: S_OK with a heap text, S_FALSE
// when the item names none, E_OUTOFMEMORY.
HRESULT ItemOptionText(HANDLE heap, const OPTITEM* item, WCHAR** text)
{
    *text = nullptr;
    const FEATURE_ITEM_DATA* data = GetFeatureItemData(item);
    if (!heap || !data)
        return S_FALSE;
    const COptions* options = data->options;
    if (options->GetType() == OPTIONS_TYPE_UDARROW) {
        WCHAR number[kNumberChars];
        _snwprintf(number, kNumberChars - 1, L"%u", (unsigned)item->Sel);
        number[kNumberChars - 1] = 0;
        *text = DupWideString(heap, number);
    } else if (options->GetType() == OPTIONS_TYPE_COMBOBOX) {
        const OPTTYPE* type = item->pOptType;
        DWORD sel = (DWORD)item->Sel;
        if (!type || !type->pOptParam || sel >= type->Count)
            return S_FALSE;
        const WCHAR* name = type->pOptParam[sel].pData;
        // A string id is the common UI's to resolve; take the model's text.
        if (IsDisplayNameId(name) && sel < options->GetCount()) {
            name = options->GetDisplayText((WORD)sel);
            if (!name) {
                const char* keyword = options->GetOptionKeyword((WORD)sel);
                if (!keyword)
                    return S_FALSE;
                return KeywordAsDisplayName(heap, keyword, FALSE, text);
            }
        }
        if (IsDisplayNameId(name))
            return S_FALSE;
        *text = DupWideString(heap, name);
    } else {
        return S_FALSE;
    }
    return *text ? S_OK : E_OUTOFMEMORY;
}

// The item's name as a text on the heap: a string id is resolved through
// the feature's special row, else the keyword stands for it.
HRESULT ItemNameText(HANDLE heap, const OPTITEM* item, const char* featureKeyword, WCHAR** text)
{
    *text = nullptr;
    if (!IsDisplayNameId(item->pName)) {
        *text = DupWideString(heap, item->pName);
        return *text ? S_OK : E_OUTOFMEMORY;
    }
    const SPECIAL_ENTRY* row = FindSpecialEntry(g_SpecialFeatures, SPECIAL_FEATURE_ROWS, featureKeyword);
    WCHAR* resolved = nullptr;
    HRESULT hr = ResolveDisplayText(heap, row, featureKeyword, TRUE, item->pName, &resolved);
    if (FAILED(hr))
        return hr;
    if (IsDisplayNameId(resolved))
        return E_UNEXPECTED;
    *text = resolved;  // a new heap string: the name was an id
    return S_OK;
}

HRESULT FindConflict(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, const OPTITEM* items, WORD count,
                     CONFLICT_INFO* info, bool* searched)
{
    *searched = false;
    HRESULT hr = S_OK;
    for (WORD i = 0; i < count; ++i) {
        const OPTITEM& item = items[i];
        const FEATURE_ITEM_DATA* data = GetFeatureItemData(&item);
        if (!IsChanged(item) || !data)
            continue;
        FreeHeapText(heap, info->optionKeyword);
        HRESULT got = ItemOptionKeyword(heap, &item, &info->optionKeyword);
        if (FAILED(got))
            return got;
        if (got == S_FALSE)
            continue;
        hr = QueryWhyConstrained(heap, core, poemuiobj, data->featureKeyword, info->optionKeyword,
                                 &info->whyConstrained, &info->whyConstrainedSize);
        if (FAILED(hr)) {
            // The driver's own "%" features have no constraints to tell.
            if (hr == E_INVALIDARG && data->featureKeyword[0] == '%')
                continue;
            return hr;
        }
        if (!info->whyConstrained[0])
            continue;
        HRESULT named = ItemNameText(heap, &item, data->featureKeyword, &info->itemName);
        if (FAILED(named))
            return named;
        named = ItemOptionText(heap, &item, &info->optionText);
        if (named == S_FALSE)
            named = KeywordAsDisplayName(heap, info->optionKeyword, FALSE, &info->optionText);
        if (FAILED(named))
            return named;
        info->featureKeyword = data->featureKeyword;
        *searched = true;
        return S_OK;
    }
    *searched = true;
    return hr;
}

// A string of the process-wide language module onto the heap.
HRESULT LoadLanguageString(HANDLE heap, UINT id, WCHAR** text)
{
    CProcessLanguage process;
    return LoadHeapString(heap, process.Module(), id, text);
}

// Checks that every insert of a FormatMessage template is one of %1..%inserts
// and that its format (between "!" marks) is one plain conversion: no width
// or precision from the arguments ("*"), no conversion that writes through
// its argument ("n" in any form), no second conversion ("%"). So formatting
// reads nothing beyond an array of that many arguments and writes nowhere.
bool InsertsWithin(const WCHAR* text, DWORD inserts)
{
    for (const WCHAR* p = text; *p; ++p) {
        if (*p != L'%')
            continue;
        ++p;
        if (*p < L'1' || *p > L'9') {
            if (!*p)
                return true;
            continue;  // an escape such as %% or %n, or the end mark %0
        }
        DWORD n = (DWORD)(*p - L'0');
        if (p[1] >= L'0' && p[1] <= L'9')
            n = n * 10 + (DWORD)(*++p - L'0');
        if (n > inserts)
            return false;
        if (p[1] == L'!') {
            p += 2;
            while (*p && *p != L'!') {
                if (*p == L'*' || *p == L'%' || *p == L'n' || *p == L'N')
                    return false;
                ++p;
            }
            if (!*p)
                return false;
        }
    }
    return true;
}

// The conflict question from the language module's template.
HRESULT FormatQuestion(const WCHAR* question, const WCHAR* const inserts[kQuestionInserts], CLocalText& message)
{
    if (!InsertsWithin(question, kQuestionInserts))
        return HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER);
    DWORD_PTR args[kQuestionInserts];
    for (DWORD i = 0; i < kQuestionInserts; ++i)
        args[i] = reinterpret_cast<DWORD_PTR>(inserts[i]);
    SetLastError(ERROR_SUCCESS);
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING |
                                 FORMAT_MESSAGE_ARGUMENT_ARRAY,
                             question, 0, 0, reinterpret_cast<LPWSTR>(message.Receive()), 0,
                             reinterpret_cast<va_list*>(args));
    if (n == 0) {
        DWORD err = GetLastError();
        return HRESULT_FROM_WIN32(err != ERROR_SUCCESS ? err : ERROR_INVALID_DATA);
    }
    return S_OK;
}

// Tells the user of a conflict that the driver keeps but no changed item
// explains; the apply is refused with the given result all the same.
HRESULT TellUnexplainedConflict(HANDLE heap, HWND owner, HRESULT refusal)
{
    WCHAR* loaded = nullptr;
    HRESULT hr = LoadLanguageString(heap, kCaptionId, &loaded);
    CHeapBlock<WCHAR> caption(heap, loaded);
    if (FAILED(hr))
        return hr;
    g_seams.MessageBoxW(owner, kUnexplainedConflict, caption.Get(), MB_OK | MB_ICONWARNING);
    return refusal;
}

} // namespace

const FEATURE_ITEM_DATA* GetFeatureItemData(const OPTITEM* item)
{
    // Small values are not pointers.
    if (!item || item->UserData < DISPLAY_NAME_ID_LIMIT)
        return nullptr;
    const auto* data = reinterpret_cast<const FEATURE_ITEM_DATA*>(item->UserData);
    if (data->size != sizeof(FEATURE_ITEM_DATA) || data->tag != FEATURE_ITEM_TAG || !data->featureKeyword ||
        !data->options)
        return nullptr;
    return data;
}

void FreeConflictInfo(HANDLE heap, CONFLICT_INFO* info)
{
    if (!info)
        return;
    FreeHeapText(heap, info->itemName);
    FreeHeapText(heap, info->optionKeyword);
    FreeHeapText(heap, info->optionText);
    FreeHeapText(heap, info->whyConstrained);
    *info = CONFLICT_INFO{};
}

char* GetItemOptionKeyword(HANDLE heap, const OPTITEM* item)
{
    char* keyword = nullptr;
    ItemOptionKeyword(heap, item, &keyword);
    return keyword;
}

WCHAR* GetItemOptionText(HANDLE heap, const OPTITEM* item)
{
    WCHAR* text = nullptr;
    ItemOptionText(heap, item, &text);
    return text;
}

HRESULT BuildChangedOptionList(HANDLE heap, const OPTITEM* items, WORD count, char** list, WORD* pairs,
                               DWORD* size)
{
    if (!list || !pairs || !size)
        return E_INVALIDARG;
    *list = nullptr;
    *pairs = 0;
    *size = 0;
    if (!heap || (!items && count))
        return E_INVALIDARG;

    CChangedPairs changed(heap);
    if (!changed.Reserve(count))
        return E_OUTOFMEMORY;
    ULONGLONG total = 2;  // the NUL that ends the list, and one more as the driver takes it
    for (WORD i = 0; i < count; ++i) {
        if (!IsChanged(items[i]))
            continue;
        char* keyword = nullptr;
        HRESULT hr = ItemOptionKeyword(heap, &items[i], &keyword);
        if (FAILED(hr))
            return hr;
        if (hr == S_FALSE)
            continue;
        const char* feature = GetFeatureItemData(&items[i])->featureKeyword;
        changed.Add(feature, keyword);
        total += strlen(feature) + strlen(keyword) + 2;
        if (total > 0xFFFFFFFFull)
            return HRESULT_FROM_WIN32(ERROR_ARITHMETIC_OVERFLOW);
    }
    if (changed.Count() == 0)
        return S_OK;

    CHeapBlock<char> block;
    if (!block.Allocate(heap, (SIZE_T)total))
        return E_OUTOFMEMORY;
    char* out = block.Get();
    for (WORD i = 0; i < changed.Count(); ++i) {
        size_t f = strlen(changed[i].feature), o = strlen(changed[i].option);
        memcpy(out, changed[i].feature, f);
        out += f + 1;
        memcpy(out, changed[i].option, o);
        out += o + 1;
    }
    *list = block.Detach();
    *pairs = changed.Count();
    *size = (DWORD)total;
    return S_OK;
}

HRESULT QueryWhyConstrained(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, const char* featureKeyword,
                            const char* optionKeyword, char** buffer, DWORD* size)
{
    if (!heap || !core || !featureKeyword || !optionKeyword || !buffer || !size)
        return E_INVALIDARG;
    auto drop = [&]() {
        FreeHeapText(heap, *buffer);
        *buffer = nullptr;
        *size = 0;
    };
    auto allocate = [&](DWORD bytes) {
        drop();
        if (bytes > 0xFFFFFFFFu - kListGuard)
            return false;
        *buffer = static_cast<char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, (SIZE_T)bytes + kListGuard));
        if (!*buffer)
            return false;
        *size = bytes;
        return true;
    };
    if (!*buffer || *size == 0) {
        if (!allocate(*size > kWhyConstrainedFirstSize ? *size : kWhyConstrainedFirstSize))
            return E_OUTOFMEMORY;
    } else {
        // An answer that writes nothing must not leave the last item's reasons.
        ZeroMemory(*buffer, *size);
    }
    DWORD needed = 0;
    HRESULT hr = core->WhyConstrained(poemuiobj, 0, featureKeyword, optionKeyword, *buffer, *size, &needed);
    if (hr == E_OUTOFMEMORY && needed > *size) {
        if (!allocate(needed))
            return E_OUTOFMEMORY;
        needed = 0;
        hr = core->WhyConstrained(poemuiobj, 0, featureKeyword, optionKeyword, *buffer, *size, &needed);
    }
    if (FAILED(hr))
        drop();
    return hr;
}

HRESULT FindConflictingItem(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, const OPTITEM* items, WORD count,
                            CONFLICT_INFO* info)
{
    if (!heap || !core || !info || (!items && count))
        return E_INVALIDARG;
    bool searched = false;
    return FindConflict(heap, core, poemuiobj, items, count, info, &searched);
}

HRESULT RefreshFeatureOptItems(CUIHelper* core, POEMUIOBJ poemuiobj, OPTITEM* items, WORD count)
{
    if (!core || !items)
        return S_OK;
    for (WORD i = 0; i < count; ++i) {
        const FEATURE_ITEM_DATA* data = GetFeatureItemData(&items[i]);
        if (!data)
            continue;
        COptions* options = data->options;
        options->RefreshCurrent(core, poemuiobj);
        LONG now = (LONG)options->GetCurrent();
        // Tells the common UI which items to redraw.
        if (items[i].Sel != now)
            items[i].Flags |= OPTIF_CHANGED;
        items[i].Sel = now;
    }
    return S_OK;
}

HRESULT SaveFeatureOptItems(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, HWND owner, OPTITEM* items,
                            WORD count)
{
    if (!heap || !core || !items)
        return E_INVALIDARG;
    char* built = nullptr;
    WORD pairs = 0;
    DWORD size = 0;
    HRESULT hr = BuildChangedOptionList(heap, items, count, &built, &pairs, &size);
    CHeapBlock<char> list(heap, built);
    if (FAILED(hr))
        return hr;
    if (pairs == 0)
        return S_OK;

    DWORD result = SETOPTIONS_RESULT_NO_CONFLICT;
    hr = core->SetOptions(poemuiobj, SETOPTIONS_FLAG_KEEP_CONFLICT, list.Get(), size, &result);
    if (FAILED(hr) || result != SETOPTIONS_RESULT_CONFLICT_REMAINED)
        return hr;

    CConflictInfo conflict(heap);
    CONFLICT_INFO& info = conflict.info;
    bool searched = false;
    hr = FindConflict(heap, core, poemuiobj, items, count, &info, &searched);
    if (!searched)
        return hr;
    if (!info.featureKeyword)
        return TellUnexplainedConflict(heap, owner, FAILED(hr) ? hr : info.whyConstrained ? E_UNEXPECTED
                                                                                             : E_INVALIDARG);

    char** reasons = nullptr;
    WORD reasonCount = 0;
    hr = SplitMultiSz(heap, info.whyConstrained, &reasons, &reasonCount);
    CHeapBlock<char*> reasonArray(heap, reasons);
    if (FAILED(hr))
        return hr;
    if (reasonCount < 2)
        return TellUnexplainedConflict(heap, owner, E_UNEXPECTED);
    const char* constrainingFeature = reasons[0];
    const char* constrainingOption = reasons[1];

    const SPECIAL_ENTRY* featureRow = FindSpecialEntry(g_SpecialFeatures, SPECIAL_FEATURE_ROWS, constrainingFeature);
    CDisplayName featureName(heap);
    hr = QueryFeatureDisplayName(heap, core, poemuiobj, constrainingFeature, featureRow, featureName.Receive());
    if (SUCCEEDED(hr))
        hr = featureName.Resolve(featureRow, constrainingFeature, TRUE);
    if (FAILED(hr))
        return hr;
    const SPECIAL_ENTRY* optionRow = FindSpecialEntry(g_SpecialOptions, SPECIAL_OPTION_ROWS, constrainingOption);
    CDisplayName optionName(heap);
    hr = QueryOptionDisplayName(heap, core, poemuiobj, constrainingFeature, constrainingOption, optionRow,
                                optionName.Receive());
    if (SUCCEEDED(hr))
        hr = optionName.Resolve(optionRow, constrainingOption, FALSE);
    if (FAILED(hr))
        return hr;
    if (!featureName.Text() || !optionName.Text())
        return E_UNEXPECTED;

    WCHAR* loaded = nullptr;
    hr = LoadLanguageString(heap, kCaptionId, &loaded);
    CHeapBlock<WCHAR> caption(heap, loaded);
    if (FAILED(hr))
        return hr;
    loaded = nullptr;
    hr = LoadLanguageString(heap, kQuestionId, &loaded);
    CHeapBlock<WCHAR> question(heap, loaded);
    if (FAILED(hr))
        return hr;
    const WCHAR* inserts[kQuestionInserts] = { featureName.Text(), optionName.Text(), info.itemName,
                                               info.optionText };
    CLocalText message;
    hr = FormatQuestion(question.Get(), inserts, message);
    if (FAILED(hr))
        return hr;

    if (g_seams.MessageBoxW(owner, message.Get(), caption.Get(), MB_YESNO | MB_ICONWARNING) == IDYES) {
        hr = core->SetOptions(poemuiobj, SETOPTIONS_FLAG_RESOLVE_CONFLICT, list.Get(), size, &result);
        // Resolving may have moved other features as well.
        RefreshFeatureOptItems(core, poemuiobj, items, count);
        if (FAILED(hr))
            return hr;
    }
    return result == SETOPTIONS_RESULT_CONFLICT_REMAINED ? E_FAIL : hr;
}
