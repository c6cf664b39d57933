#include "tracking/outcome_table.h"

#include "tracking/tracking_texts.h"

namespace korvel::tracking {

namespace {

constexpr std::string_view kRowEnd = "\r\n";

// A spreadsheet takes a cell starting with one of these for a formula (or,
// after a tab or CR, may drop what opens it).
bool opensFormula(std::string_view text) {
    return !text.empty() &&
           std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

// RFC 4180: in quotes when it holds a quote, a comma or a line break.
std::string field(std::string_view text) {
    if (text.find_first_of("\",\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string tableCell(std::string_view text) {
    return opensFormula(text) ? field("'" + std::string(text)) : field(text);
}

std::string numberCell(std::string_view number) {
    std::string constant = "=\"";
    for (char c : number) {
        if (c == '"') constant += '"';
        constant += c;
    }
    return field(constant + "\"");
}

std::string outcomeTable(const TreeModel& tree, const OutcomeStore& store,
                         const std::function<std::string(Seconds)>& askedText) {
    std::string out;
    bool first = true;
    for (std::string_view column : texts::kTableColumns) {
        if (!first) out += ',';
        first = false;
        out += tableCell(column);
    }
    out += kRowEnd;
    const int count = tree.itemCount();
    int companyIndex = -1;
    std::string company;
    for (int i = 0; i < count; ++i) {
        const int parent = tree.parentOf(i);
        if (parent == -1) continue;
        if (parent != companyIndex) {
            companyIndex = parent;
            company = tree.itemText(parent);
        }
        const std::string number = tree.itemText(i);
        out += tableCell(company);
        out += ',';
        out += numberCell(number);
        out += ',';
        if (const KeptOutcome* kept = store.find(company, number)) {
            out += tableCell(parcelStateName(kept->outcome.state));
            out += ',';
            out += tableCell(kept->outcome.time);
            out += ',';
            out += tableCell(kept->outcome.context);
            out += ',';
            out += tableCell(askedText(kept->askedAt));
        } else {
            out += tableCell(texts::kNotQueried);
            out += ",,,";
        }
        out += kRowEnd;
    }
    return out;
}

}  // namespace korvel::tracking
