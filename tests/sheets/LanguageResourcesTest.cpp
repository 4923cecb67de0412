// The English language module and the plug-in's own resources: every string
// the plug-in loads by number, and every dialog template with the controls
// that its dialog binds. Numbers are written out here, not taken from
// res/resource.h, so that a wrong constant there shows.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "harness/Files.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const DWORD kNoId = 0xFFFFFFFF;

struct DialogItem {
    DWORD id = kNoId;
    std::wstring cls;
    std::wstring text;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
    DWORD style = 0;
    short cx = 0, cy = 0;
    WORD pointSize = 0;
    std::wstring font;
    std::vector<DialogItem> items;

    const DialogItem* Find(DWORD id) const
    {
        for (const DialogItem& item : items)
            if (item.id == id)
                return &item;
        return nullptr;
    }
};

// Walks the bytes of a DLGTEMPLATEEX or a DLGTEMPLATE; any overrun clears ok.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : m_base(data), m_p(data), m_end(data + size) {}
    bool ok() const { return m_ok; }

    template <class T> T Read()
    {
        T value{};
        if (!m_ok || m_end - m_p < static_cast<ptrdiff_t>(sizeof value)) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_p, sizeof value);
        m_p += sizeof value;
        return value;
    }
    // A string, or an ordinal (0xFFFF, number) given back as "#number".
    std::wstring ReadNameOrOrdinal()
    {
        WORD c = Read<WORD>();
        if (c == 0xFFFF)
            return L"#" + std::to_wstring(Read<WORD>());
        std::wstring s;
        for (; c != 0 && m_ok; c = Read<WORD>())
            s += static_cast<wchar_t>(c);
        return s;
    }
    void Skip(size_t n)
    {
        if (static_cast<size_t>(m_end - m_p) < n)
            m_ok = false;
        else
            m_p += n;
    }
    void AlignToDword() { Skip((4 - (m_p - m_base) % 4) % 4); }

private:
    const BYTE* m_base;
    const BYTE* m_p;
    const BYTE* m_end;
    bool m_ok = true;
};

bool ClassIs(const std::wstring& cls, const wchar_t* name)
{
    return _wcsicmp(cls.c_str(), name) == 0;
}

std::wstring ClassName(const std::wstring& cls)
{
    static const wchar_t* const kAtoms[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
    for (int i = 0; i < 6; ++i)
        if (cls == L"#" + std::to_wstring(0x80 + i))
            return kAtoms[i];
    return cls;
}

bool ParseTemplate(const BYTE* data, size_t size, DialogTemplate* t)
{
    TemplateReader r(data, size);
    const bool extended = size >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
    if (extended) {
        r.Skip(4 + 4 + 4);  // version, signature, help id, extended style
        t->style = r.Read<DWORD>();
    } else {
        t->style = r.Read<DWORD>();
        r.Skip(4);
    }
    WORD count = r.Read<WORD>();
    r.Skip(4);
    t->cx = r.Read<short>();
    t->cy = r.Read<short>();
    r.ReadNameOrOrdinal();  // menu
    r.ReadNameOrOrdinal();  // class
    r.ReadNameOrOrdinal();  // caption
    if (t->style & DS_SETFONT) {
        t->pointSize = r.Read<WORD>();
        if (extended)
            r.Skip(4);  // weight, italic, character set
        t->font = r.ReadNameOrOrdinal();
    }
    for (WORD i = 0; i < count && r.ok(); ++i) {
        r.AlignToDword();
        DialogItem item;
        if (extended) {
            r.Skip(8);  // help id, extended style
            item.style = r.Read<DWORD>();
        } else {
            item.style = r.Read<DWORD>();
            r.Skip(4);
        }
        item.x = r.Read<short>();
        item.y = r.Read<short>();
        item.cx = r.Read<short>();
        item.cy = r.Read<short>();
        item.id = extended ? r.Read<DWORD>() : r.Read<WORD>();
        if (!extended && item.id == 0xFFFF)
            item.id = kNoId;
        item.cls = ClassName(r.ReadNameOrOrdinal());
        item.text = r.ReadNameOrOrdinal();
        WORD extra = r.Read<WORD>();
        r.Skip(extended ? extra : (extra > 2 ? extra - 2 : 0));
        t->items.push_back(item);
    }
    return r.ok();
}

bool TemplateBytes(HMODULE module, WORD id, const BYTE** data, DWORD* size)
{
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    HGLOBAL loaded = res ? LoadResource(module, res) : nullptr;
    *data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    *size = res ? SizeofResource(module, res) : 0;
    return *data && *size;
}

bool LoadTemplate(HMODULE module, WORD id, DialogTemplate* t)
{
    const BYTE* data;
    DWORD size;
    return TemplateBytes(module, id, &data, &size) && ParseTemplate(data, size, t);
}

// A module loaded for its resources only.
class DataModule {
public:
    explicit DataModule(const wchar_t* file)
        : m_module(LoadLibraryExW(harness::programFile(file).c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~DataModule() { if (m_module) FreeLibrary(m_module); }
    HMODULE get() const { return m_module; }

private:
    HMODULE m_module;
};

std::wstring LoadText(HMODULE module, UINT id)
{
    const wchar_t* text = nullptr;
    int n = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 ? std::wstring(text, n) : std::wstring();
}

// --- what the plug-in asks of the language module ---------------------------

void AddRange(std::vector<UINT>& ids, UINT first, UINT last)
{
    for (UINT id = first; id <= last; ++id)
        ids.push_back(id);
}

std::vector<UINT> LanguageStringIds()
{
    std::vector<UINT> ids = {3, 4, 5,
        400, 404, 405, 419, 423, 424, 427, 428, 440, 441, 442, 443, 444, 450, 451, 452,
        454, 455, 456, 457, 458, 459, 460, 461, 462, 463, 464, 471, 507, 508, 509,
        604, 5003, 5004, 5020, 5021, 5203, 5204, 5205, 5206, 5207, 5208, 5209, 5210};
    AddRange(ids, 4000, 4029);
    AddRange(ids, 4031, 4053);
    AddRange(ids, 5006, 5009);
    AddRange(ids, 5011, 5017);
    AddRange(ids, 5031, 5036);
    AddRange(ids, 5050, 5066);
    AddRange(ids, 5069, 5072);
    return ids;
}

struct ControlKind {
    const wchar_t* cls;
    DWORD mask;
    DWORD bits;
};
const ControlKind kText{L"Static", 0, 0};
const ControlKind kPicture{L"Static", SS_TYPEMASK | SS_NOTIFY, SS_BITMAP | SS_NOTIFY};
const ControlKind kBitmap{L"Static", SS_TYPEMASK, SS_BITMAP};
const ControlKind kPlaceholder{L"Static", SS_TYPEMASK | WS_VISIBLE, SS_BLACKFRAME};
const ControlKind kGroup{L"Button", BS_TYPEMASK, BS_GROUPBOX};
const ControlKind kButton{L"Button", BS_TYPEMASK, BS_PUSHBUTTON};
const ControlKind kEdit{L"Edit", 0, 0};
const ControlKind kEditCombo{L"ComboBox", CBS_DROPDOWNLIST, CBS_DROPDOWN};
const ControlKind kListCombo{L"ComboBox", CBS_DROPDOWNLIST, CBS_DROPDOWNLIST};
const ControlKind kImageCombo{L"ComboBoxEx32", CBS_DROPDOWNLIST, CBS_DROPDOWNLIST};
const ControlKind kReport{L"SysListView32", LVS_TYPEMASK, LVS_REPORT};

struct Control {
    DWORD id;
    const ControlKind* kind;
};

// WS_DLGFRAME is the half of WS_CAPTION that a thin border lacks.
const DWORD kWindowMask = WS_CHILD | WS_POPUP | WS_DLGFRAME | WS_VISIBLE;

struct ExpectedTemplate {
    WORD id;
    short cx, cy;  // 0: the size is the template's own choice
    DWORD windowBits;
    std::vector<Control> controls;
};

const std::vector<ExpectedTemplate>& ExpectedTemplates()
{
    static const std::vector<ExpectedTemplate> templates = {
        {1101, 405, 340, WS_CHILD | WS_VISIBLE, {
            {2200, &kEditCombo}, {2421, &kPicture}, {2422, &kPicture}, {2402, &kPlaceholder},
            {2403, &kPicture}, {2300, &kListCombo}, {2423, &kPicture}, {2302, &kImageCombo},
            {2428, &kPicture}, {2303, &kImageCombo}, {2427, &kPicture}, {2430, &kPicture},
            {2420, &kPlaceholder}, {2104, &kButton}, {2440, &kBitmap}, {2531, &kText},
            {2502, &kText}, {2503, &kText}, {2504, &kText}, {2500, &kText}, {2501, &kText},
            {2522, &kText}, {2523, &kText}, {2526, &kText}}},
        {1103, 405, 340, WS_CHILD | WS_VISIBLE, {
            {2301, &kImageCombo}, {2408, &kPicture}, {2431, &kPicture}, {2412, &kPicture},
            {2413, &kPicture}, {2437, &kPicture}, {2414, &kPicture}, {2105, &kButton},
            {2441, &kPicture}, {2527, &kText}, {2508, &kText}, {2407, &kPlaceholder},
            {2429, &kPicture}, {2529, &kText}, {2411, &kPlaceholder}, {2513, &kText},
            {2516, &kText}, {2528, &kText}, {2509, &kText}, {2530, &kText},
            {2417, &kPlaceholder}, {2521, &kText}, {2517, &kText}, {2510, &kText},
            {2511, &kText}, {2434, &kPlaceholder}, {2518, &kText}, {2435, &kBitmap},
            {2444, &kPicture}, {2547, &kText}}},
        {1104, 0, 0, WS_CHILD, {{2600, &kEdit}, {2401, &kPicture}, {2400, &kPicture}}},
        {1105, 0, 0, WS_CHILD, {{2404, &kPicture}, {2405, &kPicture}, {2406, &kPicture},
                                {2505, &kText}, {2506, &kText}, {2507, &kText}}},
        {1106, 0, 0, WS_CHILD, {{2409, &kPicture}, {2410, &kPicture}, {2514, &kText}, {2515, &kText}}},
        {1107, 0, 0, WS_CHILD, {{2415, &kPicture}, {2416, &kPicture}, {2519, &kText}, {2520, &kText}}},
        {1108, 0, 0, WS_CHILD, {{2419, &kPicture}, {2418, &kPicture}, {2525, &kText}, {2524, &kText}}},
        {1109, 216, 217, WS_POPUP, {{2801, &kReport}}},
        {1110, 343, 230, WS_POPUP | WS_DLGFRAME, {
            {2438, &kPicture}, {2425, &kPicture}, {2426, &kPicture}, {2800, &kReport},
            {2439, &kPicture}, {2102, &kButton}, {2103, &kButton}}},
        {1111, 0, 0, WS_CHILD, {{2601, &kEdit}, {2512, &kText}, {2433, &kPicture}, {2432, &kPicture}}},
        {1112, 310, 176, WS_POPUP, {{2436, &kBitmap}, {2532, &kText}}},
        {1114, 301, 300, WS_CHILD, {
            {2533, &kGroup}, {2534, &kText}, {2201, &kListCombo}, {2535, &kText},
            {2548, &kText}, {2445, &kPicture}, {2540, &kGroup}, {2541, &kText},
            {2442, &kPicture}, {2542, &kText}, {2443, &kPicture}, {2545, &kText},
            {2202, &kListCombo}, {2546, &kText}, {2203, &kListCombo}, {2536, &kGroup},
            {2537, &kText}, {2538, &kText}, {2539, &kText}, {2106, &kButton}}},
    };
    return templates;
}

void ExpectTemplatesHoldTheirControls(HMODULE module)
{
    ASSERT_NE(nullptr, module);
    for (const ExpectedTemplate& expected : ExpectedTemplates()) {
        SCOPED_TRACE("template " + std::to_string(expected.id));
        DialogTemplate t;
        ASSERT_TRUE(LoadTemplate(module, expected.id, &t));
        if (expected.cx) {
            EXPECT_EQ(expected.cx, t.cx);
            EXPECT_EQ(expected.cy, t.cy);
        }
        EXPECT_EQ(expected.windowBits, t.style & kWindowMask);
        EXPECT_EQ(L"MS Shell Dlg", t.font);
        EXPECT_EQ(8, t.pointSize);
        for (const Control& c : expected.controls) {
            SCOPED_TRACE("control " + std::to_string(c.id));
            const DialogItem* item = t.Find(c.id);
            ASSERT_NE(nullptr, item);
            EXPECT_TRUE(ClassIs(item->cls, c.kind->cls)) << "class of the control";
            EXPECT_EQ(c.kind->bits, item->style & c.kind->mask) << "style of the control";
        }
    }
}

// The cases of these suites read the English module.
class LanguageModuleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, lang.get()); }
    DataModule lang{L"bq2100PSenUS.dll"};
};
class LanguageStrings : public LanguageModuleTest {};
class LanguageTemplates : public LanguageModuleTest {};

} // namespace

TEST_F(LanguageStrings, EveryIdHoldsAText)
{
    for (UINT id : LanguageStringIds()) {
        std::wstring text = LoadText(lang.get(), id);
        EXPECT_NE(std::wstring::npos, text.find_first_not_of(L" \t\r\n")) << "string " << id;
    }
}

TEST_F(LanguageStrings, TextsFitTheBuffersTheyAreLoadedInto)
{
    for (UINT id : LanguageStringIds()) {
        // Strings below 1000 are copied onto a heap with room for 259 characters,
        // the dialogs' strings into buffers of 512.
        size_t limit = id < 1000 ? 259 : 511;
        EXPECT_LE(LoadText(lang.get(), id).size(), limit) << "string " << id;
    }
    for (UINT id : {4016u, 5051u, 5052u})  // names of the first quick set
        EXPECT_LE(LoadText(lang.get(), id).size(), 99u) << "string " << id;
}

TEST_F(LanguageStrings, ConflictQuestionPlacesItsFourInsertsInOrder)
{
    std::wstring question = LoadText(lang.get(), 5);
    DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(L"<feature>"), reinterpret_cast<DWORD_PTR>(L"<option>"),
                        reinterpret_cast<DWORD_PTR>(L"<item>"), reinterpret_cast<DWORD_PTR>(L"<choice>")};
    wchar_t* message = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                             question.c_str(), 0, 0, reinterpret_cast<LPWSTR>(&message), 0,
                             reinterpret_cast<va_list*>(args));
    ASSERT_NE(0u, n);
    std::wstring text(message, n);
    LocalFree(message);
    size_t at = 0;
    for (DWORD_PTR arg : args) {
        size_t found = text.find(reinterpret_cast<const wchar_t*>(arg));
        ASSERT_NE(std::wstring::npos, found) << "an insert is missing";
        EXPECT_GE(found, at);
        at = found;
    }
    EXPECT_EQ(std::wstring::npos, text.find(L'%'));
}

TEST_F(LanguageStrings, DefaultQuickSetHasAUsableName)
{
    std::wstring name = LoadText(lang.get(), 4016);
    EXPECT_NE(LoadText(lang.get(), 4017), name);  // the text of unsaved settings
    EXPECT_LE(name.size(), 16u);                   // what the quick-set combo takes
    EXPECT_EQ(std::wstring::npos, name.find_first_of(L"<>(),;?:|\\/'.\"*"));
}

TEST_F(LanguageStrings, NewPaperNamesFitThePaperRecord)
{
    EXPECT_LE((LoadText(lang.get(), 4017) + L"99").size(), 31u);
}

TEST_F(LanguageStrings, UnitNamesDiffer)
{
    EXPECT_NE(LoadText(lang.get(), 4048), LoadText(lang.get(), 4049));
}

TEST_F(LanguageTemplates, HoldTheirControls)
{
    ExpectTemplatesHoldTheirControls(lang.get());
}

TEST_F(LanguageTemplates, KeepTheSystemsPlaceholderTexts)
{
    struct { WORD id; std::vector<std::wstring> groups; } const pages[] = {
        {1101, {L"快速设置", L"份数", L"纸张"}},
        {1103, {L"双面打印", L"方向", L"版面", L"效果"}}};
    for (const auto& page : pages) {
        DialogTemplate t;
        ASSERT_TRUE(LoadTemplate(lang.get(), page.id, &t));
        std::vector<std::wstring> groups;
        for (const DialogItem& item : t.items)
            if (ClassIs(item.cls, L"Button") && (item.style & BS_TYPEMASK) == BS_GROUPBOX)
                groups.push_back(item.text);
        EXPECT_EQ(page.groups, groups) << "template " << page.id;
    }
    DialogTemplate device;
    ASSERT_TRUE(LoadTemplate(lang.get(), 1114, &device));
    ASSERT_NE(nullptr, device.Find(2537));
    EXPECT_EQ(L"Brixom Q2100 Series", device.Find(2537)->text);
}

TEST_F(LanguageTemplates, MatchThePluginCopies)
{
    for (const ExpectedTemplate& expected : ExpectedTemplates()) {
        SCOPED_TRACE("template " + std::to_string(expected.id));
        DialogTemplate ours, theirs;
        ASSERT_TRUE(LoadTemplate(GetModuleHandleW(nullptr), expected.id, &ours));
        ASSERT_TRUE(LoadTemplate(lang.get(), expected.id, &theirs));
        EXPECT_EQ(ours.style, theirs.style);
        EXPECT_EQ(ours.cx, theirs.cx);
        EXPECT_EQ(ours.cy, theirs.cy);
        ASSERT_EQ(ours.items.size(), theirs.items.size());
        for (size_t i = 0; i < ours.items.size(); ++i) {
            const DialogItem& a = ours.items[i];
            const DialogItem& b = theirs.items[i];
            EXPECT_TRUE(a.id == b.id && a.cls == b.cls && a.style == b.style && a.x == b.x &&
                        a.y == b.y && a.cx == b.cx && a.cy == b.cy) << "control " << a.id;
        }
    }
}

TEST_F(LanguageTemplates, ControlIdsAreUnique)
{
    for (const ExpectedTemplate& expected : ExpectedTemplates()) {
        DialogTemplate t;
        ASSERT_TRUE(LoadTemplate(lang.get(), expected.id, &t));
        for (size_t i = 0; i < t.items.size(); ++i) {
            for (size_t j = i + 1; j < t.items.size(); ++j)
                EXPECT_TRUE(t.items[i].id == kNoId || t.items[i].id != t.items[j].id)
                    << "template " << expected.id << ", control " << t.items[i].id;
        }
    }
}

TEST_F(LanguageTemplates, ControlsLieInsideTheirDialog)
{
    for (const ExpectedTemplate& expected : ExpectedTemplates()) {
        DialogTemplate t;
        ASSERT_TRUE(LoadTemplate(lang.get(), expected.id, &t));
        for (const DialogItem& item : t.items) {
            // A combo box's height includes its dropped-down list.
            bool combo = ClassIs(item.cls, L"ComboBox") || ClassIs(item.cls, L"ComboBoxEx32");
            int bottom = item.y + (combo ? 12 : item.cy);
            EXPECT_TRUE(item.x >= 0 && item.y >= 0 && item.x + item.cx <= t.cx && bottom <= t.cy)
                << "template " << expected.id << ", control " << item.id;
        }
    }
}

TEST_F(LanguageTemplates, SubDialogsCoverTheirPlaceholders)
{
    struct { WORD page; DWORD placeholder; WORD dialog; } const placed[] = {
        {1101, 2402, 1104}, {1101, 2420, 1108}, {1103, 2407, 1105},
        {1103, 2411, 1106}, {1103, 2417, 1107}, {1103, 2434, 1111}};
    for (const auto& p : placed) {
        DialogTemplate page, sub;
        ASSERT_TRUE(LoadTemplate(lang.get(), p.page, &page));
        ASSERT_TRUE(LoadTemplate(lang.get(), p.dialog, &sub));
        const DialogItem* frame = page.Find(p.placeholder);
        ASSERT_NE(nullptr, frame);
        EXPECT_TRUE(sub.cx == frame->cx && sub.cy == frame->cy) << "template " << p.dialog;
    }
}

TEST(PluginTemplates, HoldTheirControls)
{
    ExpectTemplatesHoldTheirControls(GetModuleHandleW(nullptr));
}

TEST(PluginTemplates, HostPagesAreEmptyChildPages)
{
    DialogTemplate device;
    ASSERT_TRUE(LoadTemplate(GetModuleHandleW(nullptr), 1114, &device));
    struct { WORD id; short cx, cy; } const hosts[] = {{1100, 405, 340}, {1102, 405, 340}, {1113, device.cx, device.cy}};
    for (const auto& h : hosts) {
        DialogTemplate t;
        ASSERT_TRUE(LoadTemplate(GetModuleHandleW(nullptr), h.id, &t)) << h.id;
        EXPECT_TRUE(t.cx == h.cx && t.cy == h.cy && t.items.empty()) << h.id;
        EXPECT_EQ(static_cast<DWORD>(WS_CHILD), t.style & (WS_CHILD | WS_POPUP)) << h.id;
    }
}

TEST(PluginTemplates, PluginDllHoldsTheSameTemplates)
{
    DataModule plugin(L"bq2100PSui.dll");
    ASSERT_NE(nullptr, plugin.get());
    for (WORD id = 1100; id <= 1114; ++id) {
        const BYTE *ours, *theirs;
        DWORD ourSize, theirSize;
        ASSERT_TRUE(TemplateBytes(GetModuleHandleW(nullptr), id, &ours, &ourSize)) << id;
        ASSERT_TRUE(TemplateBytes(plugin.get(), id, &theirs, &theirSize)) << id;
        EXPECT_TRUE(ourSize == theirSize && std::memcmp(ours, theirs, ourSize) == 0) << id;
    }
}

TEST(TemplatesGui, EveryTemplateMakesItsDialog)
{
    // Loaded here only: loading the common controls starts the desktop, which
    // would cost every other case of this program seconds at start-up.
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(nullptr, comctl);
    typedef BOOL(WINAPI * InitFn)(const INITCOMMONCONTROLSEX*);
    InitFn init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES | ICC_LISTVIEW_CLASSES};
    ASSERT_TRUE(init && init(&icc));
    HINSTANCE self = GetModuleHandleW(nullptr);
    HWND parent = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 800, 700, nullptr, nullptr, self, nullptr);
    ASSERT_NE(nullptr, parent);
    for (WORD id = 1100; id <= 1114; ++id) {
        SCOPED_TRACE("template " + std::to_string(id));
        const BYTE* data;
        DWORD size;
        DialogTemplate t;
        ASSERT_TRUE(TemplateBytes(self, id, &data, &size) && ParseTemplate(data, size, &t));
        HWND dlg = CreateDialogIndirectParamW(self, reinterpret_cast<LPCDLGTEMPLATEW>(data), parent,
                                              [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        if (!dlg) {
            ADD_FAILURE() << "no dialog";
            continue;
        }
        for (const DialogItem& item : t.items) {
            if (item.id == kNoId)
                continue;
            wchar_t cls[64] = L"";
            HWND control = GetDlgItem(dlg, item.id);
            EXPECT_NE(nullptr, control) << "control " << item.id;
            GetClassNameW(control, cls, 64);
            EXPECT_TRUE(ClassIs(item.cls, cls)) << "control " << item.id;
        }
        DestroyWindow(dlg);
    }
    DestroyWindow(parent);
    FreeLibrary(comctl);
}
