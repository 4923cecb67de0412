#include "settings/QuickSetting.h"

#include "res/resource.h"
#include "settings/FeatureSettings.h"
#include "settings/PaperList.h"
#include "sheets/DataFiles.h"

#include <bitset>
#include <string>
#include <stdio.h>
#include <string.h>
#include <type_traits>

static_assert(std::is_same<pugi::char_t, wchar_t>::value, "pugixml is built with wide characters");

using pugi::xml_attribute;
using pugi::xml_node;

namespace {

constexpr int kNameChars = 100;
constexpr int kItemDepth = 3;  // Root, QuickSetting, Item

// Hands the document's output to a data-file writer; a document that would
// not load again (larger than a load takes) is not written.
class CDocumentWriter : public pugi::xml_writer {
public:
    explicit CDocumentWriter(CDataFileWriter& file) : m_file(file) {}
    void write(const void* data, size_t size) override
    {
        m_written += size;
        if (m_written > MAX_QUICK_SETTINGS_FILE_BYTES)
            m_tooLarge = true;
        if (!m_tooLarge)
            m_file.Write(data, size);
    }
    bool TooLarge() const { return m_tooLarge; }

private:
    CDataFileWriter& m_file;
    size_t m_written = 0;
    bool m_tooLarge = false;
};

// Frees a subtree leaf by leaf, so that no call nests as deep as the tree.
void RemoveSubtree(xml_node top)
{
    xml_node parent = top.parent();
    xml_node node = top;
    for (;;) {
        while (node.first_child())
            node = node.first_child();
        if (node == top)
            break;
        xml_node up = node.parent();
        up.remove_child(node);
        node = up;
    }
    parent.remove_child(top);
}

// Only a file that is certainly not there counts as missing.
bool IsMissing(const char* path)
{
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsParseError(pugi::xml_parse_status status)
{
    return status >= pugi::status_unrecognized_tag && status != pugi::status_append_invalid_root;
}

// Element and attribute writers of one Item; the first element that cannot be
// appended fails the whole item, an attribute that cannot be set is left out.
class CItemBuilder {
public:
    xml_node Element(xml_node parent, const wchar_t* name)
    {
        xml_node node = m_ok && parent ? parent.append_child(name) : xml_node();
        if (!node)
            m_ok = false;
        return node;
    }
    template <class T>
    void Attribute(xml_node node, const wchar_t* name, T value)
    {
        if (!node)
            return;
        xml_attribute attribute = node.append_attribute(name);
        if (attribute && !attribute.set_value(value))
            node.remove_attribute(attribute);
    }
    void Named(xml_node parent, const wchar_t* name, const CString& text, int index)
    {
        xml_node node = Element(parent, name);
        Attribute(node, L"name", text.GetString());
        Attribute(node, L"index", index);
    }
    template <class T>
    void Valued(xml_node parent, const wchar_t* name, T value)
    {
        Attribute(Element(parent, name), L"value", value);
    }
    bool Ok() const { return m_ok; }

private:
    bool m_ok = true;
};

// The required child elements of an Item; the first missing one fails it.
class CItemReader {
public:
    xml_node Need(xml_node parent, const wchar_t* name)
    {
        xml_node node = parent.child(name);
        if (!node)
            m_ok = false;
        return node;
    }
    bool Ok() const { return m_ok; }

private:
    bool m_ok = true;
};

CString Name(xml_node node) { return CString(node.attribute(L"name").as_string()); }
int Index(xml_node node) { return node.attribute(L"index").as_int(); }
int IntValue(xml_node node) { return node.attribute(L"value").as_int(); }
bool BoolValue(xml_node node) { return node.attribute(L"value").as_bool(); }

} // namespace

CQuickSetting::CQuickSetting(HANDLE hPrinter, CFeatureSettings* settings) : m_settings(settings)
{
    LoadDefaultSettings(&m_defaults);
    LoadResourceModule(&m_language, hPrinter);
    if (FAILED(BuildDataFilePath(m_path, QUICK_SETTINGS_FILE_NAME)))
        m_path[0] = 0;
    LoadFile(true);
}

CQuickSetting::~CQuickSetting() { FreeResourceModule(&m_language); }

void CQuickSetting::ForgetSets()
{
    m_brokenItem = xml_node();
    m_droppedIds.clear();
    m_records.RemoveAll();
    m_elements.clear();
    m_reservedIds.clear();
}

bool CQuickSetting::LoadFile(bool makeMissing)
{
    // Taken first: a file replaced after it only makes the next write read it again.
    DATA_FILE_STAMP stamp;
    const bool stamped = m_path[0] && GetDataFileStamp(m_path, &stamp);
    std::string content;
    ULONGLONG size = 0;
    // A file larger than a load takes is not read at all.
    DATA_FILE_READ found = m_path[0] ? ReadDataFile(m_path, 0, nullptr, &size) : DATA_FILE_MISSING;
    if (found == DATA_FILE_READ_OK && size <= MAX_QUICK_SETTINGS_FILE_BYTES)
        found = ReadDataFile(m_path, MAX_QUICK_SETTINGS_FILE_BYTES, &content, &size);
    if (found == DATA_FILE_MISSING && (!m_path[0] || IsMissing(m_path))) {
        if (makeMissing)
            CreateDefaultFile();
        else
            m_unread = false;   // gone: the store's sets go out with the write
        return true;
    }
    if (found != DATA_FILE_READ_OK && !makeMissing && !m_unread) {
        // Read again before a write, and not readable now: the sets stand,
        // and the write waits until it is.
        m_stampKnown = false;
        return false;
    }
    m_unread = false;
    ForgetSets();
    m_stamp = stamp;
    m_stampKnown = stamped;
    if (found != DATA_FILE_READ_OK) {
        // There, but not read: no set, and no save, until it is read.
        m_document.reset();
        m_unread = true;
        return false;
    }

    pugi::xml_parse_result result;
    if (size > MAX_QUICK_SETTINGS_FILE_BYTES)
        result.status = pugi::status_out_of_memory;
    else
        result = m_document.load_buffer(content.data(), content.size(), pugi::parse_default, pugi::encoding_auto);
    std::string().swap(content);
    if (result && BoundDepth()) {
        LoadItems();
        return true;
    }
    if (result || !IsParseError(result.status)) {
        // Unusable as a whole (too large, or nested deep outside the sets):
        // kept aside before any save replaces it.
        m_keepPending = true;
        KeepDamagedFile(true);
        m_document.reset();
        m_records.RemoveAll();
        m_elements.clear();
        return true;
    }

    // A parse that stopped: copied aside, and what it could read stays in the document.
    m_keepPending = true;
    KeepDamagedFile(true);
    // Unless something followed it, the last item is the one the file broke in.
    xml_node list = m_document.child(L"Root").child(L"QuickSetting");
    if (list && IsOnOpenPath(list) && list.last_child().type() == pugi::node_element)
        m_brokenItem = list.last_child();
    if (!BoundDepth()) {
        m_brokenItem = xml_node();
        m_document.reset();
        return true;
    }
    LoadItems();
    return true;
}

bool CQuickSetting::BoundDepth()
{
    const xml_node list = m_document.child(L"Root").child(L"QuickSetting");
    std::vector<xml_node> deep;
    xml_node node = m_document.first_child();
    int depth = 1;
    while (node) {
        bool descend = true;
        if (depth > MAX_QUICK_SETTINGS_DEPTH) {
            xml_node item = node;
            for (; depth > kItemDepth; --depth)
                item = item.parent();
            if (!list || item.parent() != list)
                return false;
            deep.push_back(item);
            node = item;
            descend = false;
        }
        if (descend && node.first_child()) {
            node = node.first_child();
            ++depth;
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
            if (--depth <= 0)
                node = xml_node();
        }
        if (node)
            node = node.next_sibling();
    }
    if (deep.empty())
        return true;

    // The file is kept as it was before a save leaves these sets out.
    m_keepPending = true;
    KeepDamagedFile(true);
    for (xml_node item : deep) {
        if (xml_attribute id = item.attribute(L"id"))
            m_droppedIds.push_back(id.as_int());
        if (item == m_brokenItem)
            m_brokenItem = xml_node();
        RemoveSubtree(item);
    }
    return true;
}

bool CQuickSetting::ReadAgainIfChanged()
{
    DATA_FILE_STAMP now;
    if (!m_unread && m_stampKnown && GetDataFileStamp(m_path, &now) && now == m_stamp)
        return true;
    return LoadFile(false) && !m_unread;
}

namespace {

// Where a child stands among its parent's children, to find it again in a copy.
int PositionOf(xml_node child)
{
    if (!child)
        return -1;
    int n = 0;
    for (xml_node node = child.parent().first_child(); node && node != child; node = node.next_sibling())
        ++n;
    return n;
}

xml_node ChildAt(xml_node parent, int position)
{
    xml_node node = position >= 0 ? parent.first_child() : xml_node();
    for (; node && position > 0; --position)
        node = node.next_sibling();
    return node;
}

} // namespace

template <class Change>
HRESULT CQuickSetting::Write(Change change)
{
    if (!m_path[0] && FAILED(BuildDataFilePath(m_path, QUICK_SETTINGS_FILE_NAME))) {
        m_path[0] = 0;
        return E_FAIL;
    }
    CDataFileLock lock(m_path);
    if (!lock.Held() || !ReadAgainIfChanged())
        return E_FAIL;

    pugi::xml_document kept;
    kept.reset(m_document);
    const int broken = PositionOf(m_brokenItem);
    HRESULT hr = change();
    if (hr == S_OK)
        hr = Save();
    if (FAILED(hr)) {
        m_document.reset(kept);
        m_brokenItem = ChildAt(m_document.child(L"Root").child(L"QuickSetting"), broken);
        LoadItems();
        return E_FAIL;
    }
    if (hr == S_OK)
        m_stampKnown = GetDataFileStamp(m_path, &m_stamp);
    return hr;
}

_QS_STRUCK CQuickSetting::GetItem(int index) const
{
    if (index < 0 || index >= m_records.GetSize()) {
        _QS_STRUCK none;
        none.id = -1;
        return none;
    }
    return m_records[index];
}

int CQuickSetting::GetFreeId() const
{
    std::bitset<MAX_QUICK_SET_ID> held;
    auto hold = [&held](int id) {
        if (id >= 0 && id < MAX_QUICK_SET_ID)
            held.set((size_t)id);
    };
    for (INT_PTR i = 0; i < m_records.GetSize(); ++i)
        hold(m_records[i].id);
    for (int id : m_reservedIds)
        hold(id);
    for (int id : m_droppedIds)
        hold(id);
    for (int id = 0; id < MAX_QUICK_SET_ID; ++id)
        if (!held.test((size_t)id))
            return id;
    return MAX_QUICK_SET_ID;
}

bool CQuickSetting::IsIdTaken(int id) const
{
    if (FindRecord(id, false) >= 0)
        return true;
    for (int reserved : m_reservedIds)
        if (reserved == id)
            return true;
    for (int dropped : m_droppedIds)
        if (dropped == id)
            return true;
    return false;
}

int CQuickSetting::FindRecord(int id, bool withElement, const WCHAR* name) const
{
    for (INT_PTR i = 0; i < m_records.GetSize(); ++i)
        if (m_records[i].id == id && (!withElement || m_elements[(size_t)i]) && (!name || m_records[i].name == name))
            return (int)i;
    return -1;
}

HRESULT CQuickSetting::FindCurrentItem(int id, const WCHAR* name, _QS_STRUCK* record)
{
    if (!record)
        return E_INVALIDARG;
    ReadAgainIfChanged();
    const int index = FindRecord(id, false, name);
    if (index < 0)
        return S_FALSE;
    *record = m_records[index];
    return S_OK;
}

HRESULT CQuickSetting::AddItem(_QS_STRUCK record)
{
    return Write([&]() -> HRESULT {
        if (record.id < 0 || record.id >= MAX_QUICK_SET_ID || IsIdTaken(record.id))
            return E_FAIL;
        xml_node element = AppendItemElement(record);
        if (!element)
            return E_FAIL;
        m_records.Add(record);
        m_elements.push_back(element);
        return S_OK;
    });
}

HRESULT CQuickSetting::AddNewItem(_QS_STRUCK* record, int replacedId, const WCHAR* replacedName)
{
    if (!record)
        return E_INVALIDARG;
    return Write([&]() -> HRESULT {
        // The replaced set's id is not given again at once: a document that
        // names it keeps naming no set rather than another one.
        record->id = GetFreeId();
        if (record->id >= MAX_QUICK_SET_ID)
            return E_FAIL;
        // An id that names another set by now leaves that set alone.
        const int replaced = replacedId < 0 ? -1 : FindRecord(replacedId, false, replacedName);
        if (replaced >= 0)
            RemoveRecord(replaced);
        xml_node element = AppendItemElement(*record);
        if (!element)
            return E_FAIL;
        m_records.Add(*record);
        m_elements.push_back(element);
        return S_OK;
    });
}

HRESULT CQuickSetting::DeleteItem(int id, const WCHAR* name)
{
    // A set chosen by name is looked for in the file as it is now.
    if (!name && FindRecord(id, false) < 0)
        return E_FAIL;
    return Write([&]() -> HRESULT {
        const int index = FindRecord(id, false, name);
        if (index < 0)
            return S_FALSE;   // deleted, or its id given to another set, by another writer meanwhile
        RemoveRecord(index);
        return S_OK;
    });
}

HRESULT CQuickSetting::RemoveItemNode(int id)
{
    return Write([&]() -> HRESULT {
        const int index = FindRecord(id, true);
        return index < 0 ? E_FAIL : RemoveRecordElement(index);
    });
}

HRESULT CQuickSetting::RemoveRecordElement(int index)
{
    xml_node element = m_elements[(size_t)index];
    if (!element.parent().remove_child(element))
        return E_FAIL;
    m_elements[(size_t)index] = xml_node();
    return S_OK;
}

void CQuickSetting::RemoveRecord(int index)
{
    if (m_elements[(size_t)index])
        RemoveRecordElement(index);
    m_records.RemoveAt(index);
    m_elements.erase(m_elements.begin() + index);
}

xml_node CQuickSetting::GetQuickSettingNode()
{
    static const wchar_t* const kPath[] = { L"Root", L"QuickSetting" };
    xml_node node = m_document;
    for (const wchar_t* name : kPath) {
        xml_node child = node.child(name);
        if (!child)
            child = node.append_child(name);
        if (!child)
            return xml_node();
        node = child;
    }
    return node;
}

HRESULT CQuickSetting::LoadItems()
{
    m_records.RemoveAll();
    m_elements.clear();
    m_reservedIds.clear();
    xml_node list = GetQuickSettingNode();
    if (!list)
        return E_FAIL;

    HRESULT hr = S_OK;
    for (xml_node item = list.first_child(); item; item = item.next_sibling()) {
        if (item.type() != pugi::node_element)
            continue;
        _QS_STRUCK record;
        if (item != m_brokenItem && ReadItem(item, &record)) {
            m_records.Add(record);
            m_elements.push_back(item);
            continue;
        }
        if (xml_attribute id = item.attribute(L"id"))
            m_reservedIds.push_back(id.as_int());
        hr = E_FAIL;
    }
    return hr;
}

bool CQuickSetting::IsOnOpenPath(xml_node node)
{
    for (; node && node.type() != pugi::node_document; node = node.parent())
        if (node != node.parent().last_child())
            return false;
    return true;
}

bool CQuickSetting::ReadItem(xml_node item, _QS_STRUCK* record) const
{
    CItemReader need;
    xml_node paper = need.Need(item, L"Paper");
    xml_node size = need.Need(paper, L"Size");
    xml_node media = need.Need(paper, L"Media");
    xml_node slot = need.Need(paper, L"InputSlot");
    xml_node edge = need.Need(paper, L"FeedEdge");
    xml_node copies = need.Need(item, L"Copies");
    xml_node number = need.Need(copies, L"Number");
    xml_node collate = need.Need(copies, L"Collate");
    xml_node duplex = need.Need(item, L"Duplex");
    xml_node autoDuplex = need.Need(duplex, L"AutoDuplex");
    xml_node layout = need.Need(item, L"Layout");
    xml_node nup = need.Need(layout, L"Nup");
    xml_node border = need.Need(layout, L"NupBorder");
    xml_node scale = need.Need(layout, L"Scale");
    xml_node orientation = need.Need(item, L"Orientation");
    xml_node docOrientation = need.Need(orientation, L"DocOrientation");
    xml_node rotate = need.Need(orientation, L"Rotate180");
    xml_node effect = need.Need(item, L"Effect");
    xml_node resolution = need.Need(effect, L"Resolution");
    xml_node economic = need.Need(effect, L"Economic");
    xml_node density = need.Need(effect, L"Density");
    if (!need.Ok())
        return false;

    _QS_STRUCK& r = *record;
    r.name = Name(item);
    r.id = item.attribute(L"id").as_int();
    r.paper.sizeName = Name(size);
    r.paper.sizeIndex = Index(size);
    r.paper.mediaName = Name(media);
    r.paper.mediaIndex = Index(media);
    r.paper.inputSlotName = Name(slot);
    r.paper.inputSlotIndex = Index(slot);
    r.paper.feedEdgeName = Name(edge);
    r.paper.feedEdgeIndex = Index(edge);
    r.copies = IntValue(number);
    r.collate = BoolValue(collate);
    r.duplexName = Name(autoDuplex);
    r.duplexIndex = Index(autoDuplex);
    r.pagesPerSheet = Index(nup);
    r.pageBorder = BoolValue(border);
    r.scale = IntValue(scale);
    r.orientationName = Name(docOrientation);
    r.orientationIndex = Index(docOrientation);
    r.rotate180 = BoolValue(rotate);
    r.resolutionName = Name(resolution);
    r.resolutionIndex = Index(resolution);
    r.tonerEconomy = BoolValue(economic);
    r.density = IntValue(density);
    return true;
}

HRESULT CQuickSetting::AppendItem(_QS_STRUCK record) { return AppendItemElement(record) ? S_OK : E_FAIL; }

xml_node CQuickSetting::AppendItemElement(const _QS_STRUCK& r)
{
    xml_node list = GetQuickSettingNode();
    if (!list)
        return xml_node();
    CItemBuilder b;
    xml_node item = b.Element(list, L"Item");
    b.Attribute(item, L"name", r.name.GetString());
    b.Attribute(item, L"id", r.id);

    xml_node paper = b.Element(item, L"Paper");
    b.Named(paper, L"Size", r.paper.sizeName, r.paper.sizeIndex);
    b.Named(paper, L"Media", r.paper.mediaName, r.paper.mediaIndex);
    b.Named(paper, L"InputSlot", r.paper.inputSlotName, r.paper.inputSlotIndex);
    b.Named(paper, L"FeedEdge", r.paper.feedEdgeName, r.paper.feedEdgeIndex);

    xml_node copies = b.Element(item, L"Copies");
    b.Valued(copies, L"Number", r.copies);
    b.Valued(copies, L"Collate", r.collate);

    xml_node duplex = b.Element(item, L"Duplex");
    b.Named(duplex, L"AutoDuplex", r.duplexName, r.duplexIndex);

    xml_node layout = b.Element(item, L"Layout");
    b.Attribute(b.Element(layout, L"Nup"), L"index", r.pagesPerSheet);
    b.Valued(layout, L"NupBorder", r.pageBorder);
    b.Valued(layout, L"Scale", r.scale);

    xml_node orientation = b.Element(item, L"Orientation");
    b.Named(orientation, L"DocOrientation", r.orientationName, r.orientationIndex);
    b.Valued(orientation, L"Rotate180", r.rotate180);

    xml_node effect = b.Element(item, L"Effect");
    xml_node resolution = b.Element(effect, L"Resolution");
    b.Attribute(resolution, L"index", r.resolutionIndex);
    b.Attribute(resolution, L"name", r.resolutionName.GetString());
    b.Valued(effect, L"Economic", r.tonerEconomy);
    b.Valued(effect, L"Density", r.density);

    if (!b.Ok()) {
        // No half item is ever written.
        if (item)
            list.remove_child(item);
        return xml_node();
    }
    return item;
}

HRESULT CQuickSetting::CreateDefaultFile()
{
    if (!m_path[0] && FAILED(BuildDataFilePath(m_path, QUICK_SETTINGS_FILE_NAME)))
        m_path[0] = 0;
    // Made by another writer meanwhile: that file is the store's.
    CDataFileLock lock(m_path);
    DATA_FILE_STAMP stamp;
    if (lock.Held() && GetDataFileStamp(m_path, &stamp) && stamp.present)
        return LoadFile(false) && !m_unread ? S_OK : E_FAIL;
    m_document.reset();
    ForgetSets();
    m_unread = false;
    if (!GetQuickSettingNode())
        return E_FAIL;
    xml_node declaration = m_document.prepend_child(pugi::node_declaration);
    if (declaration) {
        declaration.set_name(L"xml");
        declaration.append_attribute(L"version").set_value(L"1.0");
        declaration.append_attribute(L"encoding").set_value(L"UTF-8");
    }
    _QS_STRUCK record;
    GetDefaultSetting(&record);
    if (FAILED(AppendItem(record)))
        return E_FAIL;
    // The set is the store's even when the file cannot be written, so that
    // its id is never handed out twice.
    LoadItems();
    m_stampKnown = GetDataFileStamp(m_path, &m_stamp);
    if (!lock.Held() || FAILED(Save()))
        return E_FAIL;
    m_stampKnown = GetDataFileStamp(m_path, &m_stamp);
    return S_OK;
}

void CQuickSetting::GetDefaultSetting(_QS_STRUCK* record)
{
    if (!record)
        return;
    auto text = [this](UINT id) {
        WCHAR buffer[kNameChars] = {};
        if (id && m_language.module)
            LoadStringW(m_language.module, id, buffer, kNameChars);
        return CString(buffer);
    };
    auto optionName = [this](const char* keyword, DWORD index) {
        const WCHAR* name = m_settings ? m_settings->GetOptionDisplayName(keyword, (WORD)index) : nullptr;
        return CString(name);
    };
    const CString quality600 = text(IDS_QUALITY_600DPI);
    const CString quality1200 = text(IDS_QUALITY_1200DPI);
    const DEFAULT_ITEM* items = m_defaults.items;

    _QS_STRUCK r;
    r.name = text(IDS_QUICKSET_DEFAULT);
    r.id = 0;
    const DEFAULT_PAPER& paper = LocaleDefaultPaper(m_defaults);
    r.paper.sizeIndex = (int)paper.paperId;
    if (m_settings)
        if (const PAPER_INFO* info = m_settings->PaperList().GetPaper((INT_PTR)paper.paperId))
            r.paper.sizeName = info->name;
    r.paper.mediaIndex = (int)items[DEFAULT_MEDIA_TYPE].optionIndex;
    r.paper.mediaName = optionName("JCLMediaType", items[DEFAULT_MEDIA_TYPE].optionIndex);
    r.paper.inputSlotIndex = (int)items[DEFAULT_INPUT_SLOT].optionIndex;
    r.paper.inputSlotName = optionName("JCLInputSlot", items[DEFAULT_INPUT_SLOT].optionIndex);
    r.paper.feedEdgeIndex = (int)items[DEFAULT_FEED_EDGE].optionIndex;
    r.paper.feedEdgeName = optionName("JCLFeedEdge", items[DEFAULT_FEED_EDGE].optionIndex);
    r.copies = (int)items[DEFAULT_COPIES].value;
    r.collate = items[DEFAULT_COLLATE].value != 0;
    r.duplexIndex = (int)items[DEFAULT_DUPLEX].optionIndex;
    r.duplexName = text(items[DEFAULT_DUPLEX].nameId);
    r.pagesPerSheet = (int)items[DEFAULT_PAGES_PER_SHEET].optionIndex;
    r.pageBorder = items[DEFAULT_PAGE_BORDER].value != 0;
    r.scale = (int)items[DEFAULT_SCALE].value;
    r.orientationIndex = (int)items[DEFAULT_ORIENTATION].optionIndex;
    r.orientationName = text(items[DEFAULT_ORIENTATION].nameId);
    r.rotate180 = items[DEFAULT_ROTATE180].value != 0;
    r.resolutionIndex = (int)items[DEFAULT_RESOLUTION].optionIndex;
    r.resolutionName = r.resolutionIndex == 0 ? quality600 : r.resolutionIndex == 1 ? quality1200 : CString();
    r.tonerEconomy = items[DEFAULT_TONER_SAVING].value != 0;
    r.density = (int)items[DEFAULT_DENSITY].value;
    *record = r;
}

bool CQuickSetting::KeepDamagedFile(bool atLoad)
{
    if (!m_keepPending)
        return true;
    if (IsMissing(m_path)) {
        m_keepPending = false;
        return true;
    }
    if (!KeepDataFileBackup(m_path, MAX_QUICK_SETTINGS_FILE_BYTES,
                            atLoad ? DATA_FILE_BACKUP_ONCE : DATA_FILE_BACKUP_AGAIN))
        return false;
    m_keepPending = false;
    return true;
}

HRESULT CQuickSetting::Save()
{
    if (!m_path[0])
        return E_FAIL;
    // A file that could not be loaded is never replaced before it was copied aside.
    if (!KeepDamagedFile())
        return E_FAIL;
    if (m_unread)
        return E_FAIL;
    CDataFileWriter file(m_path);
    CDocumentWriter writer(file);
    m_document.save(writer, L"\t", pugi::format_indent, pugi::encoding_utf8);
    return !writer.TooLarge() && file.Commit() ? S_OK : E_FAIL;
}

namespace {

// The Size element of an item's paper, made when missing.
xml_node SizeElement(xml_node item)
{
    xml_node paper = item.child(L"Paper");
    if (!paper)
        paper = item.append_child(L"Paper");
    xml_node size = paper.child(L"Size");
    return size || !paper ? size : paper.append_child(L"Size");
}

void SetAttribute(xml_node node, const wchar_t* name, const wchar_t* value)
{
    xml_attribute a = node.attribute(name);
    (a ? a : node.append_attribute(name)).set_value(value);
}

void SetAttribute(xml_node node, const wchar_t* name, int value)
{
    xml_attribute a = node.attribute(name);
    (a ? a : node.append_attribute(name)).set_value(value);
}

} // namespace

HRESULT CQuickSetting::FollowCustomPaperDeletion(int deletedId, const WCHAR* deletedName, const WCHAR* fallbackName,
                                                 int fallbackId)
{
    if (deletedId < FIRST_CUSTOM_PAPER_ID || deletedId > LAST_CUSTOM_PAPER_ID || !deletedName)
        return E_INVALIDARG;
    return Write([&]() -> HRESULT { return RenumberCustomPapers(deletedId, deletedName, fallbackName, fallbackId); });
}

HRESULT CQuickSetting::RenumberCustomPapers(int deletedId, const WCHAR* deletedName, const WCHAR* fallbackName,
                                            int fallbackId)
{
    const CString replacement = fallbackName ? fallbackName : L"";
    bool changed = false;
    CArray<_QS_STRUCK> moved;
    std::vector<xml_node> movedElements;
    for (INT_PTR i = 0; i < m_records.GetSize();) {
        _QS_STRUCK& record = m_records[i];
        xml_node element = m_elements[(size_t)i];
        int& paper = record.paper.sizeIndex;
        // A set's number names its paper: a paper renamed since keeps its
        // sets, whatever name another paper took. Only a set whose number
        // names no paper at all goes by the paper's name.
        const bool numbered = paper >= 0 && paper <= LAST_CUSTOM_PAPER_ID;
        if (numbered ? paper == deletedId : record.paper.sizeName == deletedName) {
            record.paper.sizeName = replacement;
            paper = fallbackId;
            if (element) {
                xml_node size = SizeElement(element);
                SetAttribute(size, L"name", replacement.GetString());
                SetAttribute(size, L"index", fallbackId);
            }
            moved.Add(record);
            movedElements.push_back(element);
            m_records.RemoveAt(i);
            m_elements.erase(m_elements.begin() + i);
            changed = true;
            continue;
        }
        if (paper > deletedId && paper <= LAST_CUSTOM_PAPER_ID) {
            --paper;
            if (element)
                SetAttribute(SizeElement(element), L"index", paper);
            changed = true;
        }
        ++i;
    }
    // The sets that took the default paper go to the end, in their order.
    for (INT_PTR i = 0; i < moved.GetSize(); ++i) {
        xml_node element = movedElements[(size_t)i];
        if (element) {
            xml_node list = element.parent();
            element = list.append_move(element);
        }
        m_records.Add(moved[i]);
        m_elements.push_back(element);
    }
    return changed ? S_OK : S_FALSE;
}
