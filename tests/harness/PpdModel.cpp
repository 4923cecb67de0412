#include "PpdModel.h"

#include "Files.h"

#include <cstdlib>

namespace harness {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trim(std::string_view s)
{
    size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

bool startsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Translation strings may hold bytes as hexadecimal between '<' and '>'.
std::string decodeHex(std::string_view s)
{
    std::string out;
    size_t i = 0;
    while (i < s.size()) {
        size_t close = s[i] == '<' ? s.find('>', i) : std::string_view::npos;
        if (close == std::string_view::npos) {
            out.push_back(s[i++]);
            continue;
        }
        std::string bytes;
        int high = -1;
        bool valid = true;
        for (size_t j = i + 1; j < close && valid; ++j) {
            if (s[j] == ' ' || s[j] == '\t')
                continue;
            int d = hexDigit(s[j]);
            if (d < 0)
                valid = false;
            else if (high < 0)
                high = d;
            else {
                bytes.push_back(static_cast<char>(high * 16 + d));
                high = -1;
            }
        }
        if (!valid || high >= 0) {
            out.push_back(s[i++]);
            continue;
        }
        out += bytes;
        i = close + 1;
    }
    return out;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

std::vector<std::string_view> words(std::string_view s)
{
    std::vector<std::string_view> out;
    size_t pos = 0;
    while ((pos = s.find_first_not_of(kBlanks, pos)) != std::string_view::npos) {
        size_t end = s.find_first_of(kBlanks, pos);
        if (end == std::string_view::npos)
            end = s.size();
        out.push_back(s.substr(pos, end - pos));
        pos = end;
    }
    return out;
}

// "*F1 [O1] *F2 [O2]"
std::optional<PpdConstraint> parseConstraint(std::string_view value)
{
    std::vector<std::string_view> w = words(value);
    PpdConstraint c;
    size_t i = 0;
    auto take = [&](std::string& feature, std::string& option) {
        if (i >= w.size() || w[i].size() < 2 || w[i][0] != '*')
            return false;
        feature = std::string(w[i++].substr(1));
        if (i < w.size() && w[i][0] != '*')
            option = std::string(w[i++]);
        return true;
    };
    if (!take(c.feature, c.option) || !take(c.constrainedFeature, c.constrainedOption) || i != w.size())
        return std::nullopt;
    return c;
}

} // namespace

int PpdFeature::findOption(std::string_view optionKeyword) const
{
    for (size_t i = 0; i < options.size(); ++i)
        if (options[i].keyword == optionKeyword)
            return static_cast<int>(i);
    return -1;
}

PpdModel PpdModel::parse(std::string_view text)
{
    PpdModel model;
    std::vector<std::string_view> lines = splitLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.size() < 2 || line[0] != '*' || line[1] == '%' || line == "*End")
            continue;

        size_t colon = line.find(':');
        std::string_view head = colon == std::string_view::npos ? line : line.substr(0, colon);
        std::string_view rest = colon == std::string_view::npos ? std::string_view() : trim(line.substr(colon + 1));

        PpdStatement s;
        size_t keyEnd = head.find_first_of(kBlanks);
        s.keyword = std::string(head.substr(1, keyEnd == std::string_view::npos ? std::string_view::npos : keyEnd - 1));
        if (s.keyword.empty())
            continue;
        if (keyEnd != std::string_view::npos) {
            std::string_view selector = trim(head.substr(keyEnd));
            size_t slash = selector.find('/');
            s.option = std::string(trim(selector.substr(0, slash)));
            if (slash != std::string_view::npos)
                s.text = decodeHex(trim(selector.substr(slash + 1)));
        }

        if (!rest.empty() && rest[0] == '"') {
            // A quoted value runs to the next quote, possibly lines later.
            std::string value;
            std::string_view chunk = rest.substr(1);
            for (;;) {
                size_t quote = chunk.find('"');
                if (quote != std::string_view::npos) {
                    value.append(chunk.substr(0, quote));
                    break;
                }
                value.append(chunk);
                if (i + 1 >= lines.size())
                    break; // unterminated at the end of the file: keep what there is
                value.push_back('\n');
                chunk = lines[++i];
            }
            s.value = std::move(value);
        } else {
            s.value = std::string(rest);
        }
        model.apply(s);
        model.m_statements.push_back(std::move(s));
    }
    model.finish();
    return model;
}

void PpdModel::apply(const PpdStatement& s)
{
    const std::string& k = s.keyword;
    if (k == "OpenUI" || k == "JCLOpenUI") {
        if (s.option.size() < 2 || s.option[0] != '*')
            return;
        std::string keyword = s.option.substr(1);
        for (size_t i = 0; i < m_features.size(); ++i)
            if (m_features[i].keyword == keyword) {
                m_open = static_cast<int>(i);
                return;
            }
        PpdFeature f;
        f.keyword = keyword;
        f.text = s.text.empty() ? keyword : s.text;
        f.uiType = s.value;
        f.group = m_groups.empty() ? std::string() : m_groups.back();
        f.jcl = k == "JCLOpenUI";
        m_features.push_back(std::move(f));
        m_open = static_cast<int>(m_features.size() - 1);
    } else if (k == "CloseUI" || k == "JCLCloseUI") {
        m_open = -1;
    } else if (k == "OpenGroup") {
        std::string_view v = s.value;
        m_groups.emplace_back(trim(v.substr(0, v.find('/'))));
    } else if (k == "CloseGroup") {
        if (!m_groups.empty())
            m_groups.pop_back();
    } else if (k == "UIConstraints") {
        if (std::optional<PpdConstraint> c = parseConstraint(s.value))
            m_constraints.push_back(std::move(*c));
    } else if (k == "LanguageLevel") {
        int level = std::atoi(s.value.c_str());
        if (level > 0)
            m_languageLevel = level;
    } else if (k == "CustomPageSize") {
        if (s.option == "True") {
            m_customPageSize = true;
            m_customPageSizeText = s.text;
        }
    } else if (startsWith(k, "Default") && k.size() > 7) {
        m_defaults.emplace_back(k.substr(7), s.value);
    } else if (m_open >= 0 && k == m_features[m_open].keyword && !s.option.empty()) {
        PpdFeature& f = m_features[m_open];
        if (f.findOption(s.option) < 0)
            f.options.push_back({s.option, s.text.empty() ? s.option : s.text});
    }
}

void PpdModel::finish()
{
    for (PpdFeature& f : m_features) {
        for (const auto& [keyword, option] : m_defaults)
            if (keyword == f.keyword && f.findOption(option) >= 0) {
                f.defaultOption = option;
                break;
            }
        if (f.defaultOption.empty() && !f.options.empty())
            f.defaultOption = f.options.front().keyword;
    }
    m_defaults.clear();
    m_groups.clear();
    m_open = -1;
}

std::optional<PpdModel> PpdModel::load(const std::wstring& path)
{
    std::optional<std::string> content = readFile(path);
    if (!content)
        return std::nullopt;
    return parse(*content);
}

std::optional<PpdModel> PpdModel::loadDefault()
{
    return load(programFile(L"bq2100PS.ppd"));
}

const PpdFeature* PpdModel::feature(std::string_view keyword) const
{
    for (const PpdFeature& f : m_features)
        if (f.keyword == keyword)
            return &f;
    return nullptr;
}

const PpdStatement* PpdModel::statement(std::string_view keyword, std::string_view option) const
{
    for (const PpdStatement& s : m_statements)
        if (s.keyword == keyword && (option.empty() || s.option == option))
            return &s;
    return nullptr;
}

std::string PpdModel::value(std::string_view keyword) const
{
    const PpdStatement* s = statement(keyword);
    return s ? s->value : std::string();
}

} // namespace harness
