// A model of a PPD file (PPD-Adobe 4.3): its UI features with their options,
// defaults and groups, its constraints and its other statements. It reads what
// the printer's PPD uses and passes over anything else.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harness {

struct PpdOption {
    std::string keyword;
    std::string text; // translation string; the keyword when the PPD gives none
};

struct PpdFeature {
    std::string keyword;       // without the leading '*'
    std::string text;          // translation string; the keyword when the PPD gives none
    std::string uiType;        // PickOne, PickMany or Boolean
    std::string group;         // keyword of the enclosing *OpenGroup; empty outside any
    bool jcl = false;          // declared with *JCLOpenUI
    std::vector<PpdOption> options;
    std::string defaultOption; // *Default<keyword> when it names an option, else the first option

    int findOption(std::string_view optionKeyword) const; // -1 when there is none
    int defaultIndex() const { return findOption(defaultOption); }
};

// One *UIConstraints line: while `feature` has `option`, `constrainedFeature`
// may not take `constrainedOption`. An empty option stands for every option
// other than None, False and Off.
struct PpdConstraint {
    std::string feature;
    std::string option;
    std::string constrainedFeature;
    std::string constrainedOption;
};

// Any statement "*Keyword Option/Text: value", in file order. A quoted value is
// kept without its quotes, its lines joined by '\n'.
struct PpdStatement {
    std::string keyword;
    std::string option;
    std::string text;
    std::string value;
};

class PpdModel {
public:
    static PpdModel parse(std::string_view text);
    static std::optional<PpdModel> load(const std::wstring& path);
    // The printer's PPD, bq2100PS.ppd beside the running program.
    static std::optional<PpdModel> loadDefault();

    const std::vector<PpdFeature>& features() const { return m_features; }
    const PpdFeature* feature(std::string_view keyword) const;
    const std::vector<PpdConstraint>& constraints() const { return m_constraints; }
    const std::vector<PpdStatement>& statements() const { return m_statements; }
    // The first statement with that keyword (and option, when one is given).
    const PpdStatement* statement(std::string_view keyword, std::string_view option = {}) const;
    // The value of the first statement with that keyword; empty when there is none.
    std::string value(std::string_view keyword) const;

    int languageLevel() const { return m_languageLevel; } // 1 when the PPD does not say
    bool customPageSize() const { return m_customPageSize; }
    const std::string& customPageSizeText() const { return m_customPageSizeText; }

private:
    void apply(const PpdStatement& s);
    void finish();

    std::vector<PpdFeature> m_features;
    std::vector<PpdConstraint> m_constraints;
    std::vector<PpdStatement> m_statements;
    std::vector<std::pair<std::string, std::string>> m_defaults;
    std::vector<std::string> m_groups;
    int m_open = -1; // index of the feature between *OpenUI and *CloseUI
    int m_languageLevel = 1;
    bool m_customPageSize = false;
    std::string m_customPageSizeText;
};

} // namespace harness
