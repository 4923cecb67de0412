// Multi-strings as the core driver's helper interface exchanges them: every
// string ends with a NUL and an empty string ends the list.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harness {

// The bytes of a multi-string holding the given strings, the final NUL included.
std::string multiSz(std::initializer_list<std::string_view> items);
std::string multiSz(const std::vector<std::string>& items);

// The strings of a multi-string that must end within size bytes; bytes after
// the terminating empty string are ignored. Nothing when data is null or the
// list does not end within size.
std::optional<std::vector<std::string>> splitMultiSz(const char* data, size_t size);
inline std::optional<std::vector<std::string>> splitMultiSz(const std::string& bytes)
{
    return splitMultiSz(bytes.data(), bytes.size());
}

} // namespace harness
