#include "settings/PaperList.h"

#include "settings/DefaultSettings.h"
#include "settings/Features.h"
#include "sheets/DataFiles.h"

#include <math.h>
#include <optional>
#include <string>
#include <string.h>
#include <wchar.h>

namespace {

constexpr size_t kTextChars = 511;  // of a "PageSize" display text
constexpr size_t kNameBufferChars = 260;
constexpr int kStandardDpi = 600;
constexpr DWORD kInchBit = 128;
constexpr char kPaperSizeFeature[] = "PageSize";
// Only the first 20 records of the custom-paper file are ever taken.
constexpr size_t kFileBytes = MAX_CUSTOM_PAPERS * sizeof(PAPER_INFO);

// A view of a text: [begin, end).
struct TextView {
    const WCHAR* begin;
    const WCHAR* end;

    bool Empty() const { return begin == end; }
    const WCHAR* Find(WCHAR ch) const
    {
        for (const WCHAR* p = begin; p < end; ++p)
            if (*p == ch)
                return p;
        return nullptr;
    }
    // What follows the first ch; the whole view when there is none.
    TextView After(WCHAR ch) const
    {
        const WCHAR* p = Find(ch);
        return p ? TextView{ p + 1, end } : *this;
    }
    // What precedes the first ch; empty when there is none.
    TextView Before(WCHAR ch) const
    {
        const WCHAR* p = Find(ch);
        return p ? TextView{ begin, p } : TextView{ begin, begin };
    }
    // Less its last character, whatever it is; an empty view stays empty.
    TextView DropLast() const { return Empty() ? *this : TextView{ begin, end - 1 }; }
};

TextView MakeView(const WCHAR* text)
{
    if (!text)
        return { L"", L"" };
    size_t n = wcsnlen(text, kTextChars);
    return { text, text + n };
}

bool IsSpace(WCHAR c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }
bool IsDigit(WCHAR c) { return c >= L'0' && c <= L'9'; }

// A decimal integer: leading white space, a sign, digits; 0 without digits.
// Held at the ends of the 32-bit range.
LONG ReadInteger(TextView v)
{
    const WCHAR* p = v.begin;
    while (p < v.end && IsSpace(*p))
        ++p;
    bool negative = false;
    if (p < v.end && (*p == L'+' || *p == L'-'))
        negative = *p++ == L'-';
    LONGLONG value = 0;
    for (; p < v.end && IsDigit(*p); ++p)
        if (value <= 0x80000000LL)
            value = value * 10 + (*p - L'0');
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFFLL)
        return 0x7FFFFFFF;
    if (value < -0x80000000LL)
        return (LONG)0x80000000;
    return (LONG)value;
}

// A decimal number with a point as separator whatever the locale: leading
// white space, a sign, digits, a fraction, an exponent; 0 without digits.
double ReadDecimal(TextView v)
{
    const WCHAR* p = v.begin;
    while (p < v.end && IsSpace(*p))
        ++p;
    bool negative = false;
    if (p < v.end && (*p == L'+' || *p == L'-'))
        negative = *p++ == L'-';

    ULONGLONG mantissa = 0;
    int significant = 0, exponent = 0;
    bool digits = false;
    auto take = [&](WCHAR c, bool fraction) {
        digits = true;
        if (mantissa == 0 && c == L'0') {
            if (fraction)
                --exponent;
            return;
        }
        if (significant < 19) {
            mantissa = mantissa * 10 + (ULONGLONG)(c - L'0');
            ++significant;
            if (fraction)
                --exponent;
        } else if (!fraction) {
            ++exponent;
        }
    };
    for (; p < v.end && IsDigit(*p); ++p)
        take(*p, false);
    if (p < v.end && *p == L'.')
        for (++p; p < v.end && IsDigit(*p); ++p)
            take(*p, true);
    if (!digits)
        return 0.0;
    if (p < v.end && (*p == L'e' || *p == L'E')) {
        const WCHAR* q = p + 1;
        bool negativeExponent = false;
        if (q < v.end && (*q == L'+' || *q == L'-'))
            negativeExponent = *q++ == L'-';
        if (q < v.end && IsDigit(*q)) {
            int e = 0;
            for (; q < v.end && IsDigit(*q); ++q)
                if (e < 100000)
                    e = e * 10 + (*q - L'0');
            exponent += negativeExponent ? -e : e;
        }
    }
    double value = (double)mantissa;
    if (mantissa != 0) {
        static const double kExact[] = { 1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22 };
        if (mantissa <= (1ULL << 53) && exponent >= -22 && exponent <= 22)
            value = exponent < 0 ? value / kExact[-exponent] : value * kExact[exponent];
        else
            value = value * pow(10.0, (double)exponent);
    }
    return negative ? -value : value;
}

// The flag number: what follows the second comma of the whole text, less its last character.
LONG ReadFlagNumber(const WCHAR* text)
{
    TextView v = MakeView(text).After(L',').After(L',');
    return ReadInteger(v.DropLast());
}

void SetCustomFlags(PAPER_INFO* paper)
{
    paper->flag[PAPER_FLAG_DUPLEX] = 0;
    paper->flag[PAPER_FLAG_INPUT_SLOT] = 1;
    paper->flag[PAPER_FLAG_FEED_EDGE] = 0;
    paper->flag[PAPER_FLAG_OPTIONAL_TRAY] = 1;
}


template <class T>
void ClampValue(T* value, T least, T greatest)
{
    if (*value < least)
        *value = least;
    else if (*value > greatest)
        *value = greatest;
}

bool IsCustomId(int id) { return id >= FIRST_CUSTOM_PAPER_ID && id <= LAST_CUSTOM_PAPER_ID; }

constexpr float kPointsPerInch = 72.0f;
constexpr float kMmPerInch = 25.4f;

// A stored size that is no number, or lies outside the bounds that every
// custom paper is held to, is taken again from the record's dots (points),
// themselves held to their bounds.
void RepairStoredSizes(PAPER_INFO* paper)
{
    ClampValue(&paper->width, 256, 612);
    ClampValue(&paper->height, 341, 1008);
    auto repair = [](float* value, float least, float greatest, float fromDots) {
        if (!(*value >= least && *value <= greatest))
            *value = fromDots;
    };
    const float width = (float)paper->width, height = (float)paper->height;
    repair(&paper->widthMm, 90.0f, 216.0f, width * kMmPerInch / kPointsPerInch);
    repair(&paper->heightMm, 120.0f, 356.0f, height * kMmPerInch / kPointsPerInch);
    repair(&paper->widthInch, 3.54f, 8.5f, width / kPointsPerInch);
    repair(&paper->heightInch, 4.72f, 14.0f, height / kPointsPerInch);
}

// The name as a paper record will hold it: at most 31 characters.
void StoredName(const WCHAR* name, WCHAR (&stored)[PAPER_NAME_CHARS])
{
    wmemset(stored, 0, PAPER_NAME_CHARS);
    wcsncpy(stored, name, PAPER_NAME_CHARS - 1);
}

// A record's name compared as stored, also when its field lacks the NUL.
bool SameName(const PAPER_INFO& paper, const WCHAR* name)
{
    WCHAR stored[PAPER_NAME_CHARS];
    StoredName(paper.name, stored);
    return wcscmp(stored, name) == 0;
}

} // namespace


// --- the "PageSize" text ----------------------------------------------------------

void CPaperList::ParsePaperSizeText(const WCHAR* text, float* width, float* height, DWORD* inches)
{
    TextView size = MakeView(text).After(L'(');
    TextView widthText = size.Before(L',');
    size = size.After(L',');
    TextView heightText = size.Before(L',');
    size = size.After(L',');
    TextView unitText = size.DropLast();
    if (width)
        *width = (float)ReadDecimal(widthText);
    if (height)
        *height = (float)ReadDecimal(heightText);
    if (inches)
        *inches = ((DWORD)ReadInteger(unitText) & kInchBit) ? PAPER_UNIT_INCH : PAPER_UNIT_MM;
}

DWORD CPaperList::GetPaperSizeFlag(const WCHAR* text, int bit)
{
    if (bit < 0 || bit > 31)
        return 0;
    return ((DWORD)ReadFlagNumber(text) >> bit) & 1u;
}

void CPaperList::ExtractPaperName(WCHAR* text)
{
    if (!text)
        return;
    text[kNameBufferChars - 1] = 0;
    WCHAR* open = wcschr(text, L'(');
    if (open)
        *open = 0;
    else
        text[0] = 0;
}

// --- the list ------------------------------------------------------------------------

CPaperList::CPaperList() = default;

CPaperList::CPaperList(CFeatures* features, CUIHelper* core, const OEMUIPSPARAM* param)
    : CFeatureAccess(features, core, param)
{
    LoadStandardPapers();
    LoadCustomPapers();
}

CPaperList::~CPaperList() { Clear(); }

void CPaperList::Clear()
{
    m_standardPapers.RemoveAll();
    m_customPapers.RemoveAll();
}

BOOL CPaperList::LoadStandardPapers()
{
    if (!m_valid)
        return FALSE;
    m_standardPapers.RemoveAll();
    const COptions* options = GetFeatureOptions(kPaperSizeFeature);
    if (!options || options->GetCount() < 2)
        return TRUE;
    // The last option is the custom size.
    for (WORD i = 0; i + 1 < options->GetCount(); ++i) {
        WCHAR text[kTextChars + 1] = {};
        if (const WCHAR* display = options->GetDisplayText(i))
            wcsncpy(text, display, kTextChars);
        float width = 0, height = 0;
        DWORD inches = 0;
        ParsePaperSizeText(text, &width, &height, &inches);
        WCHAR name[kNameBufferChars] = {};
        wcsncpy(name, text, kNameBufferChars - 1);
        ExtractPaperName(name);

        PAPER_INFO paper = {};
        paper.id = i;
        paper.unit = inches;
        SetPaperName(&paper, name);
        for (int k = 0; k < 4; ++k)
            paper.flag[k] = GetPaperSizeFlag(text, k);
        SetPaperSize(&paper, width, height, inches == PAPER_UNIT_INCH, kStandardDpi);
        m_standardPapers.Add(paper);
    }
    return TRUE;
}

BOOL CPaperList::LoadCustomPapers() { return ReadCustomPapers(false); }

BOOL CPaperList::ReloadCustomPapers(int* paperId)
{
    const PAPER_INFO* shown = paperId ? GetPaper(FindPaperOrDefault(*paperId)) : nullptr;
    if (!shown)
        return ReadCustomPapers(true);
    // A number the list lacks is followed as the paper shown for it: a
    // paper that comes later under that number never takes it over.
    PAPER_INFO paper;
    CopyPaperInfo(&paper, shown);
    *paperId = paper.id;
    const BOOL read = ReadCustomPapers(true);
    if (IsCustomId(paper.id)) {
        const int followed = FollowCustomPaper(paper);
        *paperId = followed >= 0 ? followed : LocaleDefaultId();
    }
    return read;
}

int CPaperList::FollowCustomPaper(const PAPER_INFO& paper) const
{
    const PAPER_INFO* there = GetPaper(FindPaperById(paper.id));
    if (there && SameName(*there, paper.name))
        return paper.id;
    for (INT_PTR i = 0; i < GetCustomCount(); ++i)
        if (SameName(m_customPapers[i], paper.name))
            return m_customPapers[i].id;
    if (there && SamePaperSize(*there, paper))
        return paper.id;
    return -1;
}

int CPaperList::LocaleDefaultId()
{
    DEFAULT_SETTINGS defaults;
    return (int)LocaleDefaultPaper(*LoadDefaultSettings(&defaults)).paperId;
}

int CPaperList::FindPaperOrDefault(int id) const
{
    int index = FindPaperById(id);
    if (index < 0)
        index = FindPaperById(LocaleDefaultId());
    return index < 0 ? 0 : index;
}

BOOL CPaperList::ReadCustomPapers(bool asStored)
{
    char path[MAX_PATH] = {};
    if (FAILED(BuildDataFilePath(path, CUSTOM_PAPER_FILE_NAME)))
        return FALSE;
    // No folder is made, and nothing read, through a reparse point.
    if (HasReparsePoint(path)) {
        m_fileState = FileState::Unreadable;
        m_fileSeen = FileContent{};
        return FALSE;
    }
    if (FAILED(CreateDirectoryPath(path)))
        return TRUE;

    std::string content;
    ULONGLONG size = 0;
    const DATA_FILE_READ found = ReadDataFile(path, kFileBytes, &content, &size);
    m_fileSeen = FileContent{ found != DATA_FILE_UNREADABLE, size, content };
    switch (found) {
    case DATA_FILE_MISSING:
        if (asStored)
            m_customPapers.RemoveAll();
        m_fileState = FileState::Read;
        return TRUE;
    case DATA_FILE_UNREADABLE:
        m_fileState = FileState::Unreadable;
        return FALSE;
    case DATA_FILE_READ_OK:
        break;
    }
    if (size == 0 && asStored) {
        m_customPapers.RemoveAll();
        m_fileState = FileState::Read;
        return TRUE;
    }
    if (size == 0 || size % sizeof(PAPER_INFO) != 0) {
        m_fileState = FileState::Damaged;
        return FALSE;
    }

    m_customPapers.RemoveAll();
    for (size_t at = 0; at + sizeof(PAPER_INFO) <= content.size(); at += sizeof(PAPER_INFO)) {
        PAPER_INFO record;
        memcpy(&record, content.data() + at, sizeof record);
        record.name[PAPER_NAME_CHARS - 1] = 0;
        if (record.unit != PAPER_UNIT_MM && record.unit != PAPER_UNIT_INCH)
            record.unit = PAPER_UNIT_MM;
        RepairStoredSizes(&record);
        AddCustomPaper(&record);
    }
    m_fileState = FileState::Read;
    return TRUE;
}

BOOL CPaperList::SaveCustomPapers(bool* changedElsewhere) const
{
    if (changedElsewhere)
        *changedElsewhere = false;
    char path[MAX_PATH] = {};
    if (FAILED(BuildDataFilePath(path, CUSTOM_PAPER_FILE_NAME)))
        return m_customPapers.IsEmpty();
    std::optional<CDataFileLock> lock;
    if (!m_lockHeld) {
        lock.emplace(path);
        if (!lock->Held())
            return FALSE;
    }
    std::string content;
    ULONGLONG size = 0;
    DATA_FILE_READ found = ReadDataFile(path, changedElsewhere ? kFileBytes : 0, &content, &size);
    if (changedElsewhere && found != DATA_FILE_UNREADABLE && !(FileContent{ true, size, content } == m_fileSeen)) {
        *changedElsewhere = true;
        return FALSE;
    }
    // A file that was there but could not be read stays, unless it is gone:
    // these papers were not made from it.
    if (m_fileState == FileState::Unreadable && found != DATA_FILE_MISSING)
        return FALSE;
    if (found == DATA_FILE_UNREADABLE)
        return FALSE;
    if (found == DATA_FILE_READ_OK && size % sizeof(PAPER_INFO) != 0 &&
        !KeepDataFileBackup(path, MAX_CUSTOM_PAPERS * sizeof(PAPER_INFO), DATA_FILE_BACKUP_AGAIN))
        return FALSE;

    std::string records;
    if (!m_customPapers.IsEmpty())
        records.assign(reinterpret_cast<const char*>(m_customPapers.GetData()),
                       (size_t)m_customPapers.GetSize() * sizeof(PAPER_INFO));
    CDataFileWriter writer(path);
    for (size_t at = 0; at < records.size(); at += sizeof(PAPER_INFO))
        if (!writer.Write(records.data() + at, sizeof(PAPER_INFO)))
            return FALSE;
    if (!writer.Commit())
        return FALSE;
    m_fileState = FileState::Read;
    m_fileSeen = FileContent{ true, records.size(), records };
    return TRUE;
}

INT_PTR CPaperList::AddCustomPaper(PAPER_INFO* paper)
{
    if (!paper)
        return -1;
    INT_PTR count = m_customPapers.GetSize();
    if (count >= MAX_CUSTOM_PAPERS)
        return -1;
    paper->id = count ? m_customPapers[count - 1].id + 1 : m_firstCustomId;
    SetCustomFlags(paper);
    PAPER_INFO copy;
    CopyPaperInfo(&copy, paper);
    return m_customPapers.Add(copy);
}

BOOL CPaperList::DeleteCustomPaper(INT_PTR position)
{
    if (position < 0 || position >= m_customPapers.GetSize())
        return FALSE;
    m_customPapers.RemoveAt(position);
    for (INT_PTR i = 0; i < m_customPapers.GetSize(); ++i)
        m_customPapers[i].id = m_firstCustomId + (int)i;
    return TRUE;
}

const PAPER_INFO* CPaperList::GetPaper(INT_PTR index) const
{
    INT_PTR standard = GetStandardCount();
    if (index < 0)
        return nullptr;
    if (index < standard)
        return &m_standardPapers[index];
    if (index - standard < GetCustomCount())
        return &m_customPapers[index - standard];
    return nullptr;
}

PAPER_INFO* CPaperList::GetPaper(INT_PTR index)
{
    return const_cast<PAPER_INFO*>(static_cast<const CPaperList*>(this)->GetPaper(index));
}

bool CPaperList::HoldsCustomPapers(const CArray<PAPER_INFO>& papers) const
{
    return papers.GetSize() == m_customPapers.GetSize() &&
           (papers.IsEmpty() ||
            memcmp(papers.GetData(), m_customPapers.GetData(), papers.GetSize() * sizeof(PAPER_INFO)) == 0);
}

PAPER_INFO* CPaperList::FindPaperByName(const CString& name)
{
    for (INT_PTR i = 0; i < GetCount(); ++i) {
        PAPER_INFO* paper = GetPaper(i);
        if (SameName(*paper, name.GetString()))
            return paper;
    }
    return nullptr;
}

int CPaperList::FindPaperById(int id) const
{
    if (IsCustomId(id)) {
        for (INT_PTR i = 0; i < GetCustomCount(); ++i)
            if (m_customPapers[i].id == id)
                return (int)(GetStandardCount() + i);
        return -1;
    }
    for (INT_PTR i = 0; i < GetStandardCount(); ++i)
        if (m_standardPapers[i].id == id)
            return (int)i;
    return -1;
}

BOOL CPaperList::IsValidPaperName(int position, const WCHAR* name) const
{
    if (!name)
        return FALSE;
    WCHAR stored[PAPER_NAME_CHARS];
    StoredName(name, stored);
    if (!stored[0] || wcsspn(stored, L" ") == wcslen(stored))
        return FALSE;
    for (INT_PTR i = 0; i < GetStandardCount(); ++i)
        if (SameName(m_standardPapers[i], stored))
            return FALSE;
    for (INT_PTR i = 0; i < GetCustomCount(); ++i)
        if (i != position && SameName(m_customPapers[i], stored))
            return FALSE;
    return TRUE;
}

void CPaperList::ClampPaperSize(PAPER_INFO* paper)
{
    if (!paper)
        return;
    ClampValue(&paper->widthMm, 90.0f, 216.0f);
    ClampValue(&paper->heightMm, 120.0f, 356.0f);
    ClampValue(&paper->widthInch, 3.54f, 8.5f);
    ClampValue(&paper->heightInch, 4.72f, 14.0f);
    ClampValue(&paper->width, 256, 612);
    ClampValue(&paper->height, 341, 1008);
}

BOOL CPaperList::SelectPaper(int id)
{
    if (!IsCustomId(id)) {
        if (id < 0 || id > 0xFFFF)
            return FALSE;
        return SUCCEEDED(SetFeatureOption(kPaperSizeFeature, (WORD)id));
    }
    const PAPER_INFO* paper = GetPaper(FindPaperById(id));
    if (!paper)
        return FALSE;
    // The option after the standard papers is the custom size.
    HRESULT option = SetFeatureOption(kPaperSizeFeature, (WORD)GetStandardCount());
    HRESULT size = SetCustomPageSize(paper->width, paper->height);
    return SUCCEEDED(option) && SUCCEEDED(size);
}

DWORD CPaperList::GetPaperField(int index, int field) const
{
    const PAPER_INFO* paper = GetPaper(index);
    if (!paper || field < 0 || field > 3)
        return 0;
    return paper->flag[field];
}

void CPaperList::GetTrayPaperList(CArray<PAPER_INFO>* out) const
{
    if (!out)
        return;
    PAPER_INFO any = {};
    any.id = -1;
    SetPaperName(&any, L"*");
    out->Add(any);
    for (INT_PTR i = 0; i < GetCount(); ++i) {
        const PAPER_INFO* paper = GetPaper(i);
        if (paper->flag[PAPER_FLAG_OPTIONAL_TRAY] != 1)
            continue;
        PAPER_INFO copy;
        CopyPaperInfo(&copy, paper);
        out->Add(copy);
    }
}

CPaperFileLock::CPaperFileLock(CPaperList& papers) : m_papers(papers)
{
    if (papers.m_lockHeld) {
        m_held = true;   // taken by an outer step of this list
        return;
    }
    char path[MAX_PATH] = {};
    if (FAILED(BuildDataFilePath(path, CUSTOM_PAPER_FILE_NAME)))
        return;
    m_lock.emplace(path);
    m_held = m_lock->Held();
    papers.m_lockHeld = m_held;
}

CPaperFileLock::~CPaperFileLock()
{
    if (m_lock && m_held)
        m_papers.m_lockHeld = false;
}
