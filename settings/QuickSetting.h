// Quick sets: named snapshots of the document settings, kept per machine in
// the XML file "bq2100PS_qs.xml" of the data folder.
//
//   <Root><QuickSetting>
//     <Item name id>
//       <Paper> <Size name index/> <Media name index/> <InputSlot name index/> <FeedEdge name index/> </Paper>
//       <Copies> <Number value/> <Collate value/> </Copies>
//       <Duplex> <AutoDuplex name index/> </Duplex>
//       <Layout> <Nup index/> <NupBorder value/> <Scale value/> </Layout>
//       <Orientation> <DocOrientation name index/> <Rotate180 value/> </Orientation>
//       <Effect> <Resolution index name/> <Economic value/> <Density value/> </Effect>
//     </Item> ...
//   </QuickSetting></Root>
//
// Written in UTF-8 with tab indentation; booleans are "true"/"false".
#pragma once

#include "framework/AfxArray.h"
#include "framework/AfxString.h"
#include "settings/DefaultSettings.h"
#include "sheets/DataFiles.h"
#include "sheets/ResourceModule.h"

#include <pugixml.hpp>
#include <vector>

class CFeatureSettings;

// Ids of quick sets run from 0 to MAX_QUICK_SET_ID - 1.
#define MAX_QUICK_SET_ID 1000
#define MAX_QUICK_SETTINGS_FILE_BYTES (16u << 20)
// Levels below the document: Root, QuickSetting, Item, Paper and Size need 5.
#define MAX_QUICK_SETTINGS_DEPTH 12

// The paper half of a quick set: display names kept for showing and matching,
// and the indexes that applying the set uses.
struct _QS_PAPER {
    CString sizeName;
    int sizeIndex = 0;        // paper id of PAPER_INFO
    CString mediaName;
    int mediaIndex = 0;       // option index of "JCLMediaType"
    CString inputSlotName;
    int inputSlotIndex = 0;   // option index of "JCLInputSlot", 0 = automatic
    CString feedEdgeName;
    int feedEdgeIndex = 0;    // option index of "JCLFeedEdge"
};

// One quick set; a new record is all zero and empty.
struct _QS_STRUCK {
    CString name;
    int id = 0;               // 0..999, unique among the sets of the file
    _QS_PAPER paper;
    int copies = 0;
    bool collate = false;
    CString duplexName;
    int duplexIndex = 0;      // option index of "Duplex", 0 = one-sided
    int pagesPerSheet = 0;    // option index of "%PagePerSheet"
    bool pageBorder = false;
    int scale = 0;            // percent
    CString orientationName;
    int orientationIndex = 0; // option index of "%Orientation"
    bool rotate180 = false;
    CString resolutionName;
    int resolutionIndex = 0;  // option index of "JCLPrintQuality"
    bool tonerEconomy = false;
    int density = 0;          // option index of "JCLDensity"
};

// The quick sets of one document sheet over the file, which is one per
// machine: other sheets, programs and users write it too. Each change is one
// write, all or nothing: with the file locked against the other writers
// (CDataFileLock), the file is read again when it changed since it was read,
// the change alone is made in the document (add, replace or delete by id),
// and the whole document is written. When the lock is not got, or the read
// or the write fails, the file, the document and the sets stay as they were
// (but for what that read took from the file).
//
// A load takes at most MAX_QUICK_SETTINGS_FILE_BYTES (far beyond what 1,000
// sets need; a larger file is damaged) and elements nested at most
// MAX_QUICK_SETTINGS_DEPTH deep: a set nested deeper is skipped (its id stays
// taken) and left out of the document, other deep nesting makes the file
// damaged. A damaged file is kept as a numbered backup before any save
// replaces it: copied, or, when it is larger than a load takes, moved aside
// whole at the load (it is never read). A file that is there but could not be
// read is read again before any save; until it can be, nothing is saved.
class CQuickSetting {
public:
    // Loads the file, or writes a new one with the default set when there is none.
    CQuickSetting(HANDLE hPrinter, CFeatureSettings* settings);
    ~CQuickSetting();
    CQuickSetting(const CQuickSetting&) = delete;
    CQuickSetting& operator=(const CQuickSetting&) = delete;

    // The sets in file order.
    INT_PTR GetCount() const { return m_records.GetSize(); }
    const CArray<_QS_STRUCK>& GetItems() const { return m_records; }
    // A copy of the set at that position; outside 0..count-1 an empty record
    // with id -1, which matches no set.
    _QS_STRUCK GetItem(int index) const;
    // The lowest id 0..999 held by no set (nor by an item of the file that
    // could not be read); MAX_QUICK_SET_ID when all are taken.
    int GetFreeId() const;

    // Appends the set and writes the file. Refused (E_FAIL) for an id outside
    // 0..999 or one already held in the file.
    HRESULT AddItem(_QS_STRUCK record);
    // Appends the set under the lowest id free in the file (given back in
    // record->id; the replaced set's id counts as taken) in place of the set
    // with replacedId, when that is not -1 and the file still holds it (under
    // replacedName, when one is given), and writes the file.
    HRESULT AddNewItem(_QS_STRUCK* record, int replacedId = -1, const WCHAR* replacedName = nullptr);
    // Removes the first set with this id (and this name, when one is given)
    // and writes the file: S_FALSE (nothing written) when the file no longer
    // holds it; without a name, E_FAIL when the store holds no such set.
    HRESULT DeleteItem(int id, const WCHAR* name = nullptr);
    // The set with this id and name as the file holds it now (read again
    // when it changed): S_OK and the set in *record, S_FALSE when the file no
    // longer holds it (its id gone or naming another set).
    HRESULT FindCurrentItem(int id, const WCHAR* name, _QS_STRUCK* record);
    // The element half of DeleteItem: removes the element of the first set
    // with this id and writes the file (the set itself stays in the list).
    HRESULT RemoveItemNode(int id);
    // After the custom paper with this id and name was deleted: every set
    // on it (by its number; by the name only for a set whose number names no
    // paper) takes the fallback paper and moves to the end of the list, in
    // its order; custom papers are numbered by position, so every set naming
    // a later custom paper follows it down by one. One write, when any set
    // changed; S_FALSE when none did.
    HRESULT FollowCustomPaperDeletion(int deletedId, const WCHAR* deletedName, const WCHAR* fallbackName,
                                      int fallbackId);

    // The file is read again when it changed since it was read, or could
    // not be read; false while it cannot be (the sets then stand). Files are
    // replaced whole, so a read needs no lock; a change takes it first.
    bool ReadAgainIfChanged();

    // Root/QuickSetting, made when missing; null when it cannot be made.
    pugi::xml_node GetQuickSettingNode();
    // Rebuilds the sets from the document. An item that cannot be read is
    // skipped (E_FAIL): it stays in the document and its id stays taken.
    HRESULT LoadItems();
    // Appends one Item element for the set to the document (no set is added).
    HRESULT AppendItem(_QS_STRUCK record);
    // A new document with the declaration and the default set, written out.
    HRESULT CreateDefaultFile();
    // The default set: the defaults with names from the language module and
    // the sheet's settings.
    void GetDefaultSetting(_QS_STRUCK* record);

    const char* GetPath() const { return m_path; }

private:
    // Reads the file; one that is not there is made with the default set
    // when makeMissing, else what the store holds stands. False when the
    // file is there but could not be read.
    bool LoadFile(bool makeMissing);
    // Drops every set and what was known of the items of the last read.
    void ForgetSets();
    // One change: made under the lock in the document and the sets and
    // written; on any failure the document and the sets are put back.
    // The change answers S_OK to be written, S_FALSE for nothing to write.
    template <class Change>
    HRESULT Write(Change change);
    void RemoveRecord(int index);
    HRESULT RenumberCustomPapers(int deletedId, const WCHAR* deletedName, const WCHAR* fallbackName, int fallbackId);
    // Leaves out every set nested deeper than the bound; false when deep
    // nesting stands outside the sets.
    bool BoundDepth();
    pugi::xml_node AppendItemElement(const _QS_STRUCK& record);
    bool ReadItem(pugi::xml_node item, _QS_STRUCK* record) const;
    static bool IsOnOpenPath(pugi::xml_node node);
    bool IsIdTaken(int id) const;
    // The first set with this id (that still has its element, and has this
    // name, when asked); -1 when none.
    int FindRecord(int id, bool withElement, const WCHAR* name = nullptr) const;
    HRESULT RemoveRecordElement(int index);
    // Keeps a file that could not be loaded as a numbered backup
    // ("<name>.bak", "<name>.bak2", ...); true when it is kept (or gone).
    // At a load, a file whose backup failed before is not tried again.
    bool KeepDamagedFile(bool atLoad = false);
    HRESULT Save();

    pugi::xml_document m_document;
    char m_path[264] = {};
    CArray<_QS_STRUCK> m_records;
    std::vector<pugi::xml_node> m_elements;   // the Item element of each set, null once removed
    std::vector<int> m_reservedIds;           // ids of items that could not be read
    std::vector<int> m_droppedIds;            // ids of items left out for their depth
    DEFAULT_SETTINGS m_defaults;
    RESOURCE_MODULE m_language = {};
    CFeatureSettings* m_settings = nullptr;
    pugi::xml_node m_brokenItem;              // the item a failed parse stopped in
    bool m_keepPending = false;               // the file on disk still needs its backup
    bool m_unread = false;                    // the file is there but could not be read
    DATA_FILE_STAMP m_stamp;                  // the file as it was last read or written
    bool m_stampKnown = false;
};

