// CPaperList: the standard papers of the driver's "PageSize" feature and up to
// 20 custom papers kept in the custom-paper file "bq2100PS_cp.cfg".
//
// Global paper index: standard papers 0 .. S-1 (id = "PageSize" option
// index = position), then custom papers S .. S+N-1 (ids 257, 258, ... in
// order). The arrays may be read, and custom records edited in place,
// directly through StandardPapers() and CustomPapers().
#pragma once

#include "framework/AfxArray.h"
#include "framework/AfxString.h"
#include "settings/FeatureAccess.h"
#include "settings/PaperInfo.h"
#include "sheets/DataFiles.h"

#include <optional>
#include <string>

// Custom-size limits: {least width, greatest width, least height, greatest height}.
#define PAPER_LIMIT_MIN_WIDTH 0
#define PAPER_LIMIT_MAX_WIDTH 1
#define PAPER_LIMIT_MIN_HEIGHT 2
#define PAPER_LIMIT_MAX_HEIGHT 3

class CPaperList : public CFeatureAccess {
public:
    // A bare list: no feature access, nothing loaded (LoadCustomPapers may fill it).
    CPaperList();
    // Loads the standard papers and the custom papers.
    CPaperList(CFeatures* features, CUIHelper* core, const OEMUIPSPARAM* param);
    ~CPaperList();
    CPaperList(const CPaperList&) = delete;
    CPaperList& operator=(const CPaperList&) = delete;

    void Clear();
    BOOL LoadStandardPapers();
    // A missing file is no error (TRUE, no change); a damaged one is ignored
    // whole, and so is one that is there but cannot be read (FALSE, no
    // change). Sizes that are no numbers or out of their bounds are
    // recomputed from the record's dots.
    BOOL LoadCustomPapers();
    // The custom papers as the file holds them now: none when there is no
    // file or an empty one (what a save of no paper leaves). A file that
    // cannot be read, or is damaged, leaves the list as it is (FALSE).
    // A paper id given in *paperId follows its paper: a custom paper into the
    // file's numbering (FollowCustomPaper; the locale's default paper when it
    // is gone); an id the list lacks becomes the paper shown for it
    // (FindPaperOrDefault), whatever paper the file has under that number.
    BOOL ReloadCustomPapers(int* paperId = nullptr);
    // The number that a custom paper, as it was before the papers were read
    // again, has now: its own while the paper there has the same name, else
    // the number of the first paper of that name, else its own while the
    // paper there has the same size (renamed elsewhere); -1 when it is gone.
    int FollowCustomPaper(const PAPER_INFO& paper) const;
    // The index of the paper with this id; when the list lacks it, of the
    // locale's default paper, else 0: the paper a page shows for that id.
    int FindPaperOrDefault(int id) const;
    // Replaces the file by the custom papers; FALSE (and the old file kept)
    // when it cannot be written whole. A file that this list found but could
    // not read is never replaced (unless it is gone meanwhile), and a damaged
    // file is kept as a backup first: copied when it is no larger than 20
    // records, else moved aside whole. The file's lock is held meanwhile; a
    // lock that another writer keeps fails the save. With changedElsewhere,
    // a file that is not as this list last read or wrote it is left alone:
    // FALSE with *changedElsewhere true. Within a CPaperFileLock of this
    // list, the save is made under that lock.
    BOOL SaveCustomPapers(bool* changedElsewhere = nullptr) const;

    // Gives the record its id and the custom flags, appends a copy; its
    // position among the custom papers, or -1 when the list is full.
    INT_PTR AddCustomPaper(PAPER_INFO* paper);
    BOOL DeleteCustomPaper(INT_PTR position);

    PAPER_INFO* GetPaper(INT_PTR index);
    const PAPER_INFO* GetPaper(INT_PTR index) const;
    PAPER_INFO* FindPaperByName(const CString& name);
    // Global index; ids 257 to 276 among the custom papers only, other ids
    // among the standard papers only; -1 when none.
    int FindPaperById(int id) const;
    // position: the custom paper being edited (its own name is allowed), -1 for a new one.
    BOOL IsValidPaperName(int position, const WCHAR* name) const;
    static void ClampPaperSize(PAPER_INFO* paper);
    // Makes the paper the driver's "PageSize" choice (a custom one through
    // "%CustomPageSize"); FALSE when the paper is unknown or the driver refuses.
    BOOL SelectPaper(int id);
    // Flag 0 to 3 of the paper at that index; 0 outside the list.
    DWORD GetPaperField(int index, int field) const;
    // Appends "*" (id -1), then every paper allowed in an optional tray.
    void GetTrayPaperList(CArray<PAPER_INFO>* out) const;

    // The "PageSize" display text "name(width,height,flags)".
    static void ParsePaperSizeText(const WCHAR* text, float* width, float* height, DWORD* inches);
    static DWORD GetPaperSizeFlag(const WCHAR* text, int bit);
    // In place, in a buffer of 260 characters: the name before the first "(".
    static void ExtractPaperName(WCHAR* text);

    CArray<PAPER_INFO>& StandardPapers() { return m_standardPapers; }
    const CArray<PAPER_INFO>& StandardPapers() const { return m_standardPapers; }
    CArray<PAPER_INFO>& CustomPapers() { return m_customPapers; }
    const CArray<PAPER_INFO>& CustomPapers() const { return m_customPapers; }
    // The custom papers are these, record for record and byte for byte.
    bool HoldsCustomPapers(const CArray<PAPER_INFO>& papers) const;
    INT_PTR GetStandardCount() const { return m_standardPapers.GetSize(); }
    INT_PTR GetCustomCount() const { return m_customPapers.GetSize(); }
    INT_PTR GetCount() const { return GetStandardCount() + GetCustomCount(); }
    int GetFirstCustomId() const { return m_firstCustomId; }
    // The four limits of a unit (PAPER_UNIT_MM or PAPER_UNIT_INCH; others read as mm).
    const float* GetSizeLimits(DWORD unit) const { return &m_limits[unit == PAPER_UNIT_INCH ? 4 : 0]; }

private:
    friend class CPaperFileLock;

    // What the last load found of the file.
    enum class FileState { NotRead, Read, Damaged, Unreadable };

    static int LocaleDefaultId();

    // What a read of the file found: its size and its first 20 records'
    // bytes (a missing file reads as an empty one).
    struct FileContent {
        bool known = false;
        ULONGLONG size = 0;
        std::string bytes;
        bool operator==(const FileContent& o) const { return known && o.known && size == o.size && bytes == o.bytes; }
    };

    // asStored: a missing or empty file is no custom paper.
    BOOL ReadCustomPapers(bool asStored);

    CArray<PAPER_INFO> m_standardPapers;
    CArray<PAPER_INFO> m_customPapers;
    int m_firstCustomId = FIRST_CUSTOM_PAPER_ID;
    float m_limits[8] = { 90.0f, 216.0f, 120.0f, 356.0f, 3.54f, 8.5f, 4.72f, 14.0f };
    mutable FileState m_fileState = FileState::NotRead;
    mutable FileContent m_fileSeen;   // the file as this list last read or wrote it
    bool m_lockHeld = false;          // a CPaperFileLock of this list holds the file
};

// The custom-paper file's lock held for one step that reads the custom
// papers and acts on their numbers in the quick sets (a set chosen or saved,
// a deletion and the renumbering of the sets): a deletion elsewhere, which
// writes the papers and then the sets under this lock, cannot fall in
// between. The lock is taken before the quick-settings file's, never after;
// a lock held by another is waited for a short, bounded time and then not
// held. The list's own saves within the step use the held lock, and a step
// inside another of the same list holds it through the outer one.
class CPaperFileLock {
public:
    explicit CPaperFileLock(CPaperList& papers);
    ~CPaperFileLock();
    CPaperFileLock(const CPaperFileLock&) = delete;
    CPaperFileLock& operator=(const CPaperFileLock&) = delete;
    bool Held() const { return m_held; }

private:
    CPaperList& m_papers;
    std::optional<CDataFileLock> m_lock;   // empty when an outer step holds the file
    bool m_held = false;
};

