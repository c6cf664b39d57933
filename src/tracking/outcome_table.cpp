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

// Writes the table's fields, each text through the encoder; what the table
// adds itself (quotes, the leading ', commas, line ends) is ASCII.
class TableWriter {
  public:
    TableWriter(std::string& out, const TextEncoder& encode) : out_(out), encode_(encode) {}

    // RFC 4180: in quotes when it holds a quote, a comma or a line break.
    void cell(std::string_view text) {
        bool quoted = false;
        for (char c : text) quoted |= c == '"' || c == ',' || c == '\r' || c == '\n';
        if (quoted) out_ += '"';
        if (opensFormula(text)) out_ += '\'';
        if (!quoted) return plain(text);
        doubled(text, "\"\"");
        out_ += '"';
    }
    // ="…": the number's quotes doubled inside the constant, and all of its
    // quotes doubled again by the field's quoting.
    void numberCell(std::string_view number) {
        out_ += "\"=\"\"";
        doubled(number, "\"\"\"\"");
        out_ += "\"\"\"";
    }
    void raw(std::string_view ascii) { out_ += ascii; }

  private:
    void plain(std::string_view text) {
        if (encode_)
            encode_(out_, text);
        else
            out_ += text;
    }
    // The text with each quote written as `quote`.
    void doubled(std::string_view text, std::string_view quote) {
        size_t start = 0;
        for (size_t at = text.find('"'); at != std::string_view::npos; at = text.find('"', start)) {
            plain(text.substr(start, at - start));
            out_ += quote;
            start = at + 1;
        }
        plain(text.substr(start));
    }

    std::string& out_;
    const TextEncoder& encode_;
};

}  // namespace

std::string tableCell(std::string_view text) {
    std::string out;
    TableWriter(out, nullptr).cell(text);
    return out;
}

std::string numberCell(std::string_view number) {
    std::string out;
    TableWriter(out, nullptr).numberCell(number);
    return out;
}

std::string outcomeTable(const TreeModel& tree, const OutcomeStore& store,
                         const std::function<std::string_view(Seconds)>& askedText,
                         const TextEncoder& encode) {
    constexpr size_t kRowGuess = 200;  // bytes of a row with a route entry, in UTF-8
    const int count = tree.itemCount();
    std::string out;
    out.reserve(static_cast<size_t>(count) * kRowGuess);
    TableWriter table(out, encode);
    bool first = true;
    for (std::string_view column : texts::kTableColumns) {
        if (!first) table.raw(",");
        first = false;
        table.cell(column);
    }
    table.raw(kRowEnd);
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
        table.cell(company);
        table.raw(",");
        table.numberCell(number);
        table.raw(",");
        if (const KeptOutcome* kept = store.find(company, number)) {
            table.cell(parcelStateName(kept->outcome.state));
            table.raw(",");
            table.cell(kept->outcome.time);
            table.raw(",");
            table.cell(kept->outcome.context);
            table.raw(",");
            table.cell(askedText(kept->askedAt));
        } else {
            table.cell(texts::kNotQueried);
            table.raw(",,,");
        }
        table.raw(kRowEnd);
    }
    return out;
}

}  // namespace korvel::tracking
