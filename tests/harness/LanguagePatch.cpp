#include "LanguagePatch.h"
#include "TestPrinter.h"

#include <algorithm>
#include <vector>

namespace harness {

namespace {

// One resource of a module: type and name as a number or a string, language.
struct Resource {
    LPCWSTR type = nullptr;   // a numbered type
    std::wstring typeName;    // or a named one
    WORD id = 0;              // a numbered name
    std::wstring name;        // or a string name
    WORD language = 0;
};

std::vector<Resource> listResources(HMODULE module)
{
    struct Walk {
        std::vector<Resource> found;
        Resource current;
    } walk;
    EnumResourceTypesW(module, [](HMODULE m, LPWSTR type, LONG_PTR p) -> BOOL {
        auto* w = reinterpret_cast<Walk*>(p);
        w->current = Resource();
        if (IS_INTRESOURCE(type))
            w->current.type = type;
        else
            w->current.typeName = type;
        EnumResourceNamesW(m, type, [](HMODULE m, LPCWSTR type, LPWSTR name, LONG_PTR p) -> BOOL {
            auto* w = reinterpret_cast<Walk*>(p);
            w->current.id = IS_INTRESOURCE(name) ? (WORD)(ULONG_PTR)name : 0;
            w->current.name = IS_INTRESOURCE(name) ? std::wstring() : std::wstring(name);
            EnumResourceLanguagesW(m, type, name, [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR p) -> BOOL {
                auto* w = reinterpret_cast<Walk*>(p);
                w->current.language = language;
                w->found.push_back(w->current);
                return TRUE;
            }, p);
            return TRUE;
        }, p);
        return TRUE;
    }, reinterpret_cast<LONG_PTR>(&walk));
    return walk.found;
}

} // namespace

PatchedLanguageModule::PatchedLanguageModule(const std::map<UINT, std::wstring>& strings, std::wstring folder,
                                             const std::vector<UINT>& removedDialogs)
{
    static int serial = 0;
    std::wstring source = installedLanguageModulePath();
    if (folder.empty())
        folder = source.substr(0, source.find_last_of(L'\\'));
    m_name = L"bq2100PSpatch" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++serial) + L".dll";
    m_path = folder + L"\\" + m_name;
    if (!CopyFileW(source.c_str(), m_path.c_str(), FALSE))
        return;
    if (strings.empty() && removedDialogs.empty()) {
        m_ok = true;
        return;
    }
    HMODULE original = LoadLibraryExW(source.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!original)
        return;
    // Each string block holds 16 ids: rebuild every block a change falls in.
    std::map<UINT, std::vector<WCHAR>> blocks;
    for (const auto& change : strings) {
        UINT block = change.first / 16 + 1;
        if (blocks.count(block))
            continue;
        std::vector<WCHAR> data;
        for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
            std::wstring text;
            auto replaced = strings.find(id);
            if (replaced != strings.end()) {
                text = replaced->second;
            } else {
                const WCHAR* p = nullptr;
                int n = LoadStringW(original, id, reinterpret_cast<LPWSTR>(&p), 0);
                if (n > 0 && p)
                    text.assign(p, (size_t)n);
            }
            data.push_back((WCHAR)text.size());
            data.insert(data.end(), text.begin(), text.end());
        }
        blocks[block] = std::move(data);
    }
    // Removing a resource in place is not reliable: rebuild the copy from the
    // original's resources instead, without the removed templates.
    HANDLE update = BeginUpdateResourceW(m_path.c_str(), !removedDialogs.empty());
    if (!update) {
        FreeLibrary(original);
        return;
    }
    bool written = true;
    if (!removedDialogs.empty()) {
        for (const Resource& r : listResources(original)) {
            bool replacedBlock = r.type == RT_STRING && r.name.empty() && blocks.count(r.id);
            bool removed = r.type == RT_DIALOG && r.name.empty() &&
                           std::find(removedDialogs.begin(), removedDialogs.end(), r.id) != removedDialogs.end();
            if (replacedBlock || removed)
                continue;
            LPCWSTR type = r.typeName.empty() ? r.type : r.typeName.c_str();
            LPCWSTR name = r.name.empty() ? MAKEINTRESOURCEW(r.id) : r.name.c_str();
            HRSRC found = FindResourceExW(original, type, name, r.language);
            HGLOBAL data = found ? LoadResource(original, found) : nullptr;
            written = written && data &&
                      UpdateResourceW(update, type, name, r.language, LockResource(data),
                                      SizeofResource(original, found));
        }
    }
    FreeLibrary(original);
    for (auto& b : blocks)
        written = written && UpdateResourceW(update, RT_STRING, MAKEINTRESOURCEW(b.first),
                                             MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), b.second.data(),
                                             (DWORD)(b.second.size() * sizeof(WCHAR)));
    m_ok = EndUpdateResourceW(update, FALSE) && written;
}

HMODULE PatchedLanguageModule::load()
{
    if (!m_module && m_ok)
        m_module = LoadLibraryExW(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    return m_module;
}

PatchedLanguageModule::~PatchedLanguageModule()
{
    if (m_module)
        FreeLibrary(m_module);
    if (!m_path.empty())
        DeleteFileW(m_path.c_str());
}

DWORD nameLanguageModule(HANDLE printer, const std::wstring& value, DWORD type)
{
    return SetPrinterDataW(printer, const_cast<LPWSTR>(L"BqPSResDll"), type,
                           reinterpret_cast<BYTE*>(const_cast<wchar_t*>(value.c_str())),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace harness
