// The quick-settings and custom-paper files: mutated files, now and then
// huge or just over their bound (a hole after what the generator wrote: a
// sparse file), read through the loaded plug-in (sheet starts, capability
// queries, DEVMODE merges, and the windows a user opens over them) and
// through the stores of the plug-in's code, whose saves must never leave the
// user's sets or papers unreadable or lost, nor write a backup beyond the
// bound or grow the data folder far beyond the input.
#include "FuzzHost.h"

#include "harness/DriverSession.h"
#include "harness/Files.h"
#include "harness/SavedDataFile.h"
#include "harness/TestPrinter.h"
#include "plugin/UIHelper.h"
#include "settings/FeatureSettings.h"
#include "settings/Features.h"
#include "settings/PaperList.h"
#include "settings/QuickSetting.h"
#include "settings/DefaultSettings.h"
#include "sheets/DataFiles.h"

#include <pugixml.hpp>

#include <map>
#include <optional>
#include <set>
#include <math.h>
#include <string.h>

namespace fuzz {

namespace {

// The plug-in's code over the printer's PPD, beside the loaded plug-in.
struct FileState {
    std::unique_ptr<harness::TestPrinter> printer;
    std::unique_ptr<harness::CoreDriver> core;
    std::unique_ptr<DataFolderGuard> files;
    std::unique_ptr<Host> host;
    HANDLE heap = nullptr;
    CUIHelper helper;
    CFeatures model;
    OEMUIPSPARAM param = {};
    std::unique_ptr<CFeatureSettings> settings;

    bool make()
    {
        printer = std::make_unique<harness::TestPrinter>();
        core = harness::CoreDriver::fromDefaultPpd();
        if (!printer->ok() || !core)
            return false;
        files = std::make_unique<DataFolderGuard>();
        host = std::make_unique<Host>(printer->handle(), printer->name(), core.get());
        heap = HeapCreate(0, 0, 0);
        void* p = nullptr;
        if (!host->ok() || !heap || FAILED(core->QueryInterface(IID_IPrintCoreUI2, &p)))
            return false;
        helper.Attach(static_cast<IUnknown*>(p), IID_IPrintCoreUI2);
        param.cbSize = sizeof param;
        param.poemuiobj = core->uiObject();
        param.hOEMHeap = heap;
        param.hPrinter = printer->handle();
        if (FAILED(model.Acquire(heap, &helper, core->uiObject(), FALSE)))
            return false;
        settings = std::make_unique<CFeatureSettings>(&model, &helper, &param);
        return true;
    }
    ~FileState()
    {
        settings.reset();
        model.Clear();
        helper.Release();
        host.reset();
        if (heap)
            HeapDestroy(heap);
    }
};
FileState* g_state = nullptr;

std::wstring Path(const char* name) { return harness::dataFilePath(harness::widen(name)); }

// A data file as a case writes it: its first bytes, then a hole up to its size.
struct FileInput {
    std::string head;
    ULONGLONG size = 0;
    bool whole() const { return size == head.size(); }
};

FileInput Whole(std::string content)
{
    ULONGLONG size = content.size();
    return { std::move(content), size };
}

// The input with a hole up to that size (its head cut to fit).
FileInput Holed(std::string head, ULONGLONG size)
{
    if (head.size() > size)
        head.resize((size_t)size);
    return { std::move(head), size };
}

ULONGLONG FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return ((ULONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

// At most the first n bytes of a file.
std::optional<std::string> ReadHead(const std::wstring& path, size_t n)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string out(n, '\0');
    DWORD read = 0;
    BOOL ok = n == 0 || ReadFile(file, &out[0], (DWORD)n, &read, nullptr);
    CloseHandle(file);
    if (!ok)
        return std::nullopt;
    out.resize(read);
    return out;
}

// Whether the file holds exactly the input (its hole read as far as its head).
bool Holds(const std::wstring& path, const FileInput& input)
{
    return harness::fileExists(path) && FileSize(path) == input.size && ReadHead(path, input.head.size()) == input.head;
}

// What a case's data file was when it began.
struct WrittenInput {
    FileInput input;
    std::optional<ULONGLONG> index;   // the file that holds it
    ULONGLONG folderBytes = 0;        // the data folder with it
};

WrittenInput WriteInput(const std::wstring& path, const FileInput& input)
{
    if (!harness::writeFile(path, input.head) || (!input.whole() && !harness::setFileSize(path, input.size)))
        finding("the input file could not be written");
    return { input, harness::fileIndex(path), g_state->files->folderBytes() };
}

// Whether a backup made during the case holds exactly the input.
bool KeptAsBackup(const FileInput& input)
{
    for (const std::wstring& name : g_state->files->newFiles())
        if (isBackupName(name) && Holds(harness::dataFolder() + L"\\" + name, input))
            return true;
    return false;
}

// The plug-in keeps no copy larger than what it could have written itself
// (the input moved aside is no copy), and the folder grows by no more than a
// backup and a saved file of at most that bound, and a little.
void CheckFolder(const WrittenInput& written, ULONGLONG bound)
{
    for (const std::wstring& name : g_state->files->newFiles()) {
        const std::wstring path = harness::dataFolder() + L"\\" + name;
        if (isBackupName(name) && FileSize(path) > bound && harness::fileIndex(path) != written.index)
            finding("a backup of %llu bytes was written, over the bound of %llu", FileSize(path), bound);
    }
    const ULONGLONG allowed = 2 * std::min(written.input.size, bound) + 64 * 1024;
    const ULONGLONG now = g_state->files->folderBytes();
    if (now > written.folderBytes + allowed)
        finding("the data folder grew by %llu bytes over an input of %llu", now - written.folderBytes,
                written.input.size);
}

// A window over the input, closed with OK or Cancel.
void ShowWindow(Rng& rng, Host::Window window)
{
    if (!g_state->host->showWindow(window, rng.oneIn(2)))
        finding("the window did not show");
}

// --- quick settings ----------------------------------------------------------------------

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? (size_t)n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &out[0], n, nullptr, nullptr);
    return out;
}

std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Number(Rng& rng)
{
    static const std::vector<std::string> kTexts = { "0",  "-1", "2147483647", "2147483648", "-2147483649", "0x7fffffff",
                                                     "0x", " 12", "1e9", "nan", "",         "999", "1000" };
    return rng.oneIn(3) ? std::to_string((int)rng.below(1000)) : rng.pick(kTexts);
}

std::string ItemText(Rng& rng, int id)
{
    auto named = [&](const char* element) {
        return std::string("<") + element + " name=\"" + Escaped(Utf8(randomText(rng, 40))) + "\" index=\"" +
               Number(rng) + "\"/>";
    };
    auto valued = [&](const char* element, const std::string& value) {
        return std::string("<") + element + " value=\"" + value + "\"/>";
    };
    return "<Item name=\"" + Escaped(Utf8(randomText(rng, 60))) + "\" id=\"" +
           (rng.oneIn(8) ? Number(rng) : std::to_string(id)) + "\"><Paper>" + named("Size") + named("Media") +
           named("InputSlot") + named("FeedEdge") + "</Paper><Copies>" + valued("Number", Number(rng)) +
           valued("Collate", rng.oneIn(2) ? "true" : "false") + "</Copies><Duplex>" + named("AutoDuplex") +
           "</Duplex><Layout><Nup index=\"" + Number(rng) + "\"/>" + valued("NupBorder", "1") +
           valued("Scale", Number(rng)) + "</Layout><Orientation>" + named("DocOrientation") +
           valued("Rotate180", "T") + "</Orientation><Effect>" + named("Resolution") + valued("Economic", "y") +
           valued("Density", Number(rng)) + "</Effect></Item>";
}

std::string QuickSettingsText(Rng& rng)
{
    std::string items;
    for (uint32_t i = 0, n = rng.below(6); i < n; ++i)
        items += ItemText(rng, (int)i);
    std::string text = "<?xml version=\"1.0\"?>\n<Root><QuickSetting>" + items + "</QuickSetting></Root>\n";

    auto somewhere = [&](const std::string& what) {
        size_t at = rng.below((uint32_t)text.size() + 1);
        size_t tag = text.find('<', at);
        text.insert(tag == std::string::npos ? text.size() : tag, what);
    };
    for (uint32_t m = 0, rounds = rng.between(1, 3); m < rounds; ++m) {
        switch (rng.below(12)) {
        case 0:
            mutateBytes(rng, text, (int)rng.between(1, 8));
            break;
        case 1: {  // nesting deeper than any set needs, in a set or elsewhere
            uint32_t depth = rng.oneIn(4) ? rng.between(10000, 120000) : rng.between(5, 60);
            std::string open, close;
            for (uint32_t d = 0; d < depth; ++d) {
                open += "<D>";
                close += "</D>";
            }
            somewhere(open + close);
            break;
        }
        case 2: {  // many sets
            std::string item = ItemText(rng, 7);
            std::string many;
            for (uint32_t i = 0, n = rng.between(10, 1500); i < n; ++i)
                many += item;
            somewhere(many);
            break;
        }
        case 3:
            text.resize(rng.below((uint32_t)text.size() + 1));
            break;
        case 4:
            somewhere(rng.pick(std::vector<std::string>{ "<!-- c -->", "<?pi x?>", "<![CDATA[<<>>]]>",
                                                         "<!DOCTYPE x [<!ENTITY e \"&#x26;\">]>", "&e;", "&#0;",
                                                         "&#xFFFF;", "<Item/>", "<Item id=\"3\">", "</Item>" }));
            break;
        case 5: {  // another encoding than its declaration says
            std::wstring wide(text.begin(), text.end());
            std::string utf16("\xFF\xFE", 2);
            utf16.append(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
            text = rng.oneIn(2) ? utf16 : "\xEF\xBB\xBF" + text;
            break;
        }
        case 6:  // a name far longer than any
            somewhere("<Item name=\"" + std::string(rng.between(1000, 1 << 20), 'n') + "\" id=\"9\"/>");
            break;
        case 7: {  // elements renamed
            size_t at = text.find(rng.pick(std::vector<std::string>{ "Root", "QuickSetting", "Item", "Paper" }));
            if (at != std::string::npos)
                text[at] = 'X';
            break;
        }
        case 8:
            text = randomBytes(rng, rng.below(200));
            break;
        case 9:
            text.clear();
            break;
        default: {  // an attribute's value replaced
            size_t at = text.find("=\"", rng.below((uint32_t)text.size() + 1));
            size_t end = at == std::string::npos ? at : text.find('"', at + 2);
            if (end != std::string::npos)
                text.replace(at + 2, end - at - 2, Number(rng));
            break;
        }
        }
    }
    return text;
}

// The ids of the sets of a file as the store keeps them: the "id" of every
// element of the first Root's first QuickSetting. False when the file is no
// document the store takes whole.
bool SetIds(const std::string& text, std::multiset<int>* ids)
{
    if (text.size() > MAX_QUICK_SETTINGS_FILE_BYTES)
        return false;
    pugi::xml_document document;
    if (!document.load_buffer(text.data(), text.size()))
        return false;
    // Deeper nesting than the bound makes the store leave parts out.
    int depth = 1, deepest = 0;
    for (pugi::xml_node node = document.first_child(); node;) {
        deepest = std::max(deepest, depth);
        if (node.first_child()) {
            node = node.first_child();
            ++depth;
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
            if (--depth <= 0)
                node = pugi::xml_node();
        }
        if (node)
            node = node.next_sibling();
    }
    if (deepest > MAX_QUICK_SETTINGS_DEPTH)
        return false;
    for (pugi::xml_node item : document.child(L"Root").child(L"QuickSetting").children())
        if (item.type() == pugi::node_element)
            ids->insert(item.attribute(L"id").as_int());
    return true;
}

// Now and then a hole after the text: just over the bound, or far beyond
// it (over 4 GiB, where a 32-bit size wraps round).
FileInput QuickSettingsInput(Rng& rng)
{
    std::string text = QuickSettingsText(rng);
    switch (rng.below(12)) {
    case 0: return Holed(std::move(text), MAX_QUICK_SETTINGS_FILE_BYTES + 1ull);
    case 1: return Holed(std::move(text), MAX_QUICK_SETTINGS_FILE_BYTES + (ULONGLONG)rng.between(2, 1 << 20));
    case 2: return Holed(std::move(text), 1ull << 31);
    case 3: return Holed(std::move(text), (1ull << 32) + rng.below(4));
    default: return Whole(std::move(text));
    }
}

// Three sets as the plug-in writes them.
FileInput NormalQuickSettings()
{
    Rng rng(1);
    std::string items;
    for (int i = 0; i < 3; ++i)
        items += ItemText(rng, i);
    return Whole("<?xml version=\"1.0\"?>\n<Root><QuickSetting>" + items + "</QuickSetting></Root>\n");
}

void RunQuickSettings(Rng& rng, bool normalInput)
{
    Rng make(rng.next());
    const std::wstring path = Path(QUICK_SETTINGS_FILE_NAME);
    const WrittenInput written = WriteInput(path, normalInput ? NormalQuickSettings() : QuickSettingsInput(make));
    const FileInput& input = written.input;
    std::multiset<int> deleted;
    switch (rng.below(6)) {
    case 0:
    case 1:
        g_state->host->startSheet(harness::SheetKind::Document, nullptr, nullptr);
        break;
    case 2:
        ShowWindow(rng, Host::Window::Preferences);
        break;
    default: {
        CQuickSetting store(g_state->printer->handle(), g_state->settings.get());
        for (uint32_t op = 0, n = rng.below(4); op < n; ++op) {
            if (rng.oneIn(2) && store.GetCount() > 0) {
                int id = store.GetItem((int)rng.below((uint32_t)store.GetCount())).id;
                if (SUCCEEDED(store.DeleteItem(id)))
                    deleted.insert(id);
            } else {
                _QS_STRUCK record;
                store.GetDefaultSetting(&record);
                record.id = rng.oneIn(4) ? (int)interestingNumber(rng) : store.GetFreeId();
                record.name = CString(randomText(rng, 80).c_str());
                store.AddItem(record);
            }
        }
        break;
    }
    }

    const bool kept = KeptAsBackup(input);
    if (Holds(path, input)) {
        // Untouched.
    } else if (!harness::fileExists(path)) {
        if (!kept)
            finding("the quick-settings file is gone");
    } else if (FileSize(path) > MAX_QUICK_SETTINGS_FILE_BYTES) {
        finding("the quick-settings file was replaced by one larger than a load takes");
    } else if (std::optional<std::string> after = harness::readFile(path); !after) {
        finding("the quick-settings file is unreadable");
    } else if (!kept) {
        std::multiset<int> before, now;
        if (!SetIds(*after, &now))
            finding("the saved quick-settings file is no document the store takes");
        else if (!input.whole() || !SetIds(input.head, &before))
            finding("a quick-settings file that could not be taken whole was replaced without a backup");
        else
            for (int id : before)
                if (now.count(id) + deleted.count(id) < before.count(id)) {
                    finding("the set with id %d was lost", id);
                    break;
                }
    }
    CheckFolder(written, MAX_QUICK_SETTINGS_FILE_BYTES);
    g_state->files->removeNewBackups();
}

// --- custom papers -----------------------------------------------------------------------

std::string CustomPapersFile(Rng& rng)
{
    std::string file;
    for (uint32_t i = 0, n = rng.below(25); i < n; ++i) {
        PAPER_INFO p = {};
        p.unit = rng.below(2);
        SetPaperSize(&p, (float)rng.between(50, 300), (float)rng.between(50, 500), p.unit == PAPER_UNIT_INCH, 72);
        std::wstring name = randomText(rng, 40);
        SetPaperName(&p, name.c_str());
        switch (rng.below(6)) {
        case 0: p.widthMm = rng.oneIn(2) ? NAN : INFINITY; break;
        case 1: p.heightInch = -INFINITY; break;
        case 2: p.width = (INT32)interestingNumber(rng); break;
        case 3: memset(p.name, 'x', sizeof p.name); break;
        case 4: p.unit = interestingNumber(rng); break;
        default: break;
        }
        std::string record(reinterpret_cast<const char*>(&p), sizeof p);
        if (rng.oneIn(5))
            mutateBytes(rng, record, 4);
        record.resize(sizeof p, '\0');
        file += record;
    }
    if (rng.oneIn(5))
        mutateBytes(rng, file, 3);
    return file;
}

bool Within(float value, float least, float greatest) { return value >= least && value <= greatest; }

void CheckLoadedPapers(const CPaperList& list)
{
    if (list.GetCustomCount() > MAX_CUSTOM_PAPERS)
        finding("%d custom papers loaded", (int)list.GetCustomCount());
    for (INT_PTR i = 0; i < list.GetCustomCount(); ++i) {
        const PAPER_INFO& p = list.CustomPapers()[i];
        if (p.id != FIRST_CUSTOM_PAPER_ID + i || p.flag[0] != 0 || p.flag[1] != 1 || p.flag[2] != 0 || p.flag[3] != 1)
            finding("custom paper %d has id %d or other flags", (int)i, p.id);
        if (wmemchr(p.name, 0, PAPER_NAME_CHARS) == nullptr)
            finding("custom paper %d has a name without its end", (int)i);
        if (p.unit > PAPER_UNIT_INCH)
            finding("custom paper %d has unit %lu", (int)i, p.unit);
        if (!Within(p.widthMm, 90, 216) || !Within(p.heightMm, 120, 356) || !Within(p.widthInch, 3.54f, 8.5f) ||
            !Within(p.heightInch, 4.72f, 14) || p.width < 256 || p.width > 612 || p.height < 341 || p.height > 1008)
            finding("custom paper %d has a size that no window may show", (int)i);
    }
}

constexpr ULONGLONG kPaperFileBound = MAX_CUSTOM_PAPERS * sizeof(PAPER_INFO);

// Now and then a hole after the records: one byte or one record over the
// twenty that are taken, or far beyond them, damaged or whole.
FileInput CustomPapersInput(Rng& rng)
{
    std::string file = CustomPapersFile(rng);
    switch (rng.below(10)) {
    case 0: return Holed(std::move(file), kPaperFileBound + 1);
    case 1: return Holed(std::move(file), kPaperFileBound + sizeof(PAPER_INFO));
    case 2: return Holed(std::move(file), 1ull << 31);
    case 3: return Holed(std::move(file), sizeof(PAPER_INFO) << 24);
    default: return Whole(std::move(file));
    }
}

FileInput NormalCustomPapers() { return Whole(harness::recordBytes(harness::sampleCustomPapers())); }

// The file after the custom papers were saved (loaded: whether the list
// that saved them had loaded the file).
void CheckSavedPapers(const WrittenInput& written, std::optional<bool> loaded)
{
    const std::wstring path = Path(CUSTOM_PAPER_FILE_NAME);
    const FileInput& input = written.input;
    const bool whole = input.size != 0 && input.size % sizeof(PAPER_INFO) == 0;
    if (Holds(path, input)) {
        // Untouched.
    } else if (!harness::fileExists(path)) {
        if (!KeptAsBackup(input))
            finding("the custom-paper file is gone");
    } else if (FileSize(path) > kPaperFileBound) {
        finding("the custom-paper file was replaced by one of more than 20 papers");
    } else if (std::optional<std::string> after = harness::readFile(path); !after) {
        finding("the custom-paper file is unreadable");
    } else if (after->size() % sizeof(PAPER_INFO) != 0) {
        finding("the saved custom-paper file is damaged");
    } else if (!whole && input.size != 0 && !KeptAsBackup(input)) {
        finding("a damaged custom-paper file was replaced without a backup");
    } else if (whole && loaded == false) {
        finding("a custom-paper file that did not load was replaced");
    }
    CheckFolder(written, kPaperFileBound);
}

void RunCustomPapers(Rng& rng, bool normalInput)
{
    Rng make(rng.next());
    const WrittenInput written =
        WriteInput(Path(CUSTOM_PAPER_FILE_NAME), normalInput ? NormalCustomPapers() : CustomPapersInput(make));
    std::optional<bool> loaded;
    switch (rng.below(6)) {
    case 0: {
        static const std::vector<WORD> kCapabilities = { DC_PAPERNAMES, DC_PAPERSIZE, DC_PAPERS };
        WORD capability = rng.pick(kCapabilities);
        std::string core = randomBytes(rng, rng.below(2000));
        g_state->host->askPapers(capability, 10, rng.oneIn(4) ? interestingNumber(rng) % 300 : 10, core,
                                 !rng.oneIn(4));
        break;
    }
    case 1: {
        GuardedBuffer publicIn(sizeof(DEVMODEW)), publicOut(sizeof(DEVMODEW)), blockIn(3160), blockOut(3160);
        DEVMODEW* dm = publicIn.as<DEVMODEW>();
        dm->dmSize = sizeof(DEVMODEW);
        dm->dmFields = DM_PAPERSIZE;
        dm->dmPaperSize = (short)rng.between(255, 278);
        memcpy(publicOut.data(), publicIn.data(), sizeof(DEVMODEW));
        DWORD header[3] = { 3160, 0x5A52574B, 1 };
        memcpy(blockIn.data(), header, sizeof header);
        memcpy(blockOut.data(), header, sizeof header);
        OEMDMPARAM param = {};
        param.cbSize = sizeof param;
        param.hPrinter = g_state->printer->handle();
        param.pPublicDMIn = dm;
        param.pPublicDMOut = publicOut.as<DEVMODEW>();
        param.pOEMDMIn = blockIn.data();
        param.pOEMDMOut = blockOut.data();
        param.cbBufSize = 3160;
        g_state->host->plugin()->DevMode(OEMDM_MERGE, &param);
        checkCanary(publicOut, "the public DEVMODE out");
        checkCanary(blockOut, "the block out");
        break;
    }
    case 2:
        g_state->host->startSheet(harness::SheetKind::Document, nullptr, nullptr);
        break;
    case 3:
        ShowWindow(rng, rng.oneIn(3) ? Host::Window::Preferences : Host::Window::CustomPaper);
        break;
    default: {
        CPaperList list;
        loaded = list.LoadCustomPapers() != FALSE;
        CheckLoadedPapers(list);
        if (rng.oneIn(2) && list.GetCustomCount() > 0)
            list.DeleteCustomPaper(rng.below((uint32_t)list.GetCustomCount()));
        if (rng.oneIn(2)) {
            PAPER_INFO p = {};
            SetPaperSize(&p, 100, 150, FALSE, 72);
            SetPaperName(&p, L"Added");
            list.AddCustomPaper(&p);
        }
        list.SaveCustomPapers();
        break;
    }
    }
    CheckSavedPapers(written, loaded);
    g_state->files->removeNewBackups();
}

Kind FileKind(const char* name, void (*run)(Rng&, bool))
{
    Kind kind;
    kind.name = name;
    kind.hasNormalInput = true;
    kind.setUp = [] {
        g_state = new FileState;
        return g_state->make();
    };
    kind.run = run;
    kind.tearDown = [] {
        delete g_state;
        g_state = nullptr;
    };
    return kind;
}

} // namespace

Kind quickSettingsKind() { return FileKind("quicksettings", &RunQuickSettings); }
Kind customPapersKind() { return FileKind("custompapers", &RunCustomPapers); }

} // namespace fuzz
