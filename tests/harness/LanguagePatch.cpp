#include "LanguagePatch.h"
#include "TestPrinter.h"

#include <vector>

namespace harness {

PatchedLanguageModule::PatchedLanguageModule(const std::map<UINT, std::wstring>& strings, std::wstring folder)
{
    static int serial = 0;
    std::wstring source = installedLanguageModulePath();
    if (folder.empty())
        folder = source.substr(0, source.find_last_of(L'\\'));
    m_name = L"bq2100PSpatch" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++serial) + L".dll";
    m_path = folder + L"\\" + m_name;
    if (!CopyFileW(source.c_str(), m_path.c_str(), FALSE))
        return;
    if (strings.empty()) {
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
    FreeLibrary(original);
    HANDLE update = BeginUpdateResourceW(m_path.c_str(), FALSE);
    if (!update)
        return;
    bool written = true;
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
