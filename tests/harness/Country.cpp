#include "Country.h"

namespace harness {

namespace {
const wchar_t kKey[] = L"Control Panel\\International";

void Write(const std::wstring& value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != 0)
        return;
    RegSetValueExW(key, L"iCountry", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   (DWORD)((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}
} // namespace

CountryOverride::CountryOverride(int code)
{
    wchar_t old[32] = {};
    DWORD size = sizeof old - sizeof(wchar_t);
    m_had = RegGetValueW(HKEY_CURRENT_USER, kKey, L"iCountry", RRF_RT_REG_SZ, nullptr, old, &size) == 0;
    m_old = old;
    Write(std::to_wstring(code));
}

CountryOverride::~CountryOverride()
{
    if (m_had) {
        Write(m_old);
        return;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key) == 0) {
        RegDeleteValueW(key, L"iCountry");
        RegCloseKey(key);
    }
}

} // namespace harness
