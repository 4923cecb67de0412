#include "MultiSz.h"

namespace harness {

std::string multiSz(std::initializer_list<std::string_view> items)
{
    std::string out;
    for (std::string_view s : items) {
        out.append(s);
        out.push_back('\0');
    }
    out.push_back('\0');
    return out;
}

std::string multiSz(const std::vector<std::string>& items)
{
    std::string out;
    for (const std::string& s : items) {
        out.append(s);
        out.push_back('\0');
    }
    out.push_back('\0');
    return out;
}

std::optional<std::vector<std::string>> splitMultiSz(const char* data, size_t size)
{
    if (!data)
        return std::nullopt;
    std::vector<std::string> items;
    size_t pos = 0;
    while (pos < size) {
        size_t end = pos;
        while (end < size && data[end] != '\0')
            ++end;
        if (end == size)
            return std::nullopt; // the last string has no NUL within size
        if (end == pos)
            return items;        // the empty string ends the list
        items.emplace_back(data + pos, end - pos);
        pos = end + 1;
    }
    return std::nullopt;
}

} // namespace harness
