// Sets the user's country (the locale's iCountry) for the rest of the process
// and puts the old value back at the end. The system reads it once per
// process, so make the override before the first locale query. Suites that use
// it end in "Country" and hold the CTest resource lock "country".
#pragma once

#include <windows.h>
#include <string>

namespace harness {

class CountryOverride {
public:
    explicit CountryOverride(int code);
    ~CountryOverride();
    CountryOverride(const CountryOverride&) = delete;
    CountryOverride& operator=(const CountryOverride&) = delete;

private:
    bool m_had = false;
    std::wstring m_old;
};

} // namespace harness
