#include "tracking/outcome_store.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

namespace korvel::tracking {

namespace {

// The first line: the file's kind and the version of its lines.
constexpr std::string_view kHeader = "korvel-outcomes 1\n";
constexpr char kField = '\t';
constexpr size_t kFieldCount = 7;  // company, number, state, asked, seen, time, context

std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

// CRC-32 as zip and PNG use it.
std::uint32_t crc32(std::string_view bytes) {
    static const std::array<std::uint32_t, 256> table = makeCrcTable();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// Tabs and line ends would cut a line; the escape byte doubles. Byte by
// byte: a GBK trail byte may be 0x5C and comes back as it was.
void appendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
}

std::optional<std::string> unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

std::optional<Seconds> secondsIn(std::string_view text) {
    Seconds value = 0;
    if (text.empty() || text.size() > 18) return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

std::optional<OutcomeRecord> parseLine(std::string_view line) {
    if (line.size() < 9 || line[8] != kField) return std::nullopt;
    std::uint32_t sum = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + 8, sum, 16);
    if (error != std::errc() || end != line.data() + 8) return std::nullopt;
    const std::string_view payload = line.substr(9);
    if (crc32(payload) != sum) return std::nullopt;

    std::array<std::string_view, kFieldCount> fields;
    size_t count = 0, start = 0;
    for (;;) {
        const size_t tab = payload.find(kField, start);
        if (count == kFieldCount) return std::nullopt;
        fields[count++] = payload.substr(start, tab == std::string_view::npos ? tab : tab - start);
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    if (count != kFieldCount) return std::nullopt;
    auto company = unescaped(fields[0]);
    auto number = unescaped(fields[1]);
    auto time = unescaped(fields[5]);
    auto context = unescaped(fields[6]);
    const auto asked = secondsIn(fields[3]);
    const auto seen = secondsIn(fields[4]);
    if (!company || !number || !time || !context || !asked || !seen) return std::nullopt;
    if (fields[2].size() != 1 || fields[2][0] < '0' || fields[2][0] >= '0' + kParcelStateCount)
        return std::nullopt;
    OutcomeRecord record;
    record.company = std::move(*company);
    record.number = std::move(*number);
    record.kept.outcome.state = static_cast<ParcelState>(fields[2][0] - '0');
    record.kept.outcome.time = std::move(*time);
    record.kept.outcome.context = std::move(*context);
    record.kept.askedAt = *asked;
    record.kept.seenAt = *seen;
    return record;
}

}  // namespace

std::string OutcomeStore::keyOf(std::string_view company, std::string_view number) {
    // No item text holds a zero byte, so the pair is told apart exactly.
    std::string key;
    key.reserve(company.size() + 1 + number.size());
    key.append(company);
    key += '\0';
    key.append(number);
    return key;
}

template <typename Found>
auto OutcomeStore::lookUp(std::string_view company, std::string_view number, Found&& found) const {
    char key[256];
    if (company.size() + 1 + number.size() > sizeof key)
        return found(kept_.find(keyOf(company, number)));
    std::copy(company.begin(), company.end(), key);
    key[company.size()] = '\0';
    std::copy(number.begin(), number.end(), key + company.size() + 1);
    return found(kept_.find(std::string_view(key, company.size() + 1 + number.size())));
}

const KeptOutcome* OutcomeStore::find(std::string_view company, std::string_view number) const {
    return lookUp(company, number, [&](auto it) -> const KeptOutcome* {
        return it == kept_.end() ? nullptr : &it->second;
    });
}

bool OutcomeStore::merge(const OutcomeRecord& record) {
    auto [it, added] = kept_.try_emplace(keyOf(record.company, record.number), record.kept);
    if (added) return true;
    KeptOutcome& kept = it->second;
    bool changed = false;
    if (record.kept.askedAt > kept.askedAt) {
        kept.outcome = record.kept.outcome;
        kept.askedAt = record.kept.askedAt;
        changed = true;
    }
    if (record.kept.seenAt > kept.seenAt) {
        kept.seenAt = record.kept.seenAt;
        changed = true;
    }
    return changed;
}

bool OutcomeStore::merge(const OutcomeStore& other) {
    bool changed = false;
    for (const auto& [key, kept] : other.kept_) {
        auto [it, added] = kept_.try_emplace(key, kept);
        if (added) {
            changed = true;
            continue;
        }
        if (kept.askedAt > it->second.askedAt) {
            it->second.outcome = kept.outcome;
            it->second.askedAt = kept.askedAt;
            changed = true;
        }
        if (kept.seenAt > it->second.seenAt) {
            it->second.seenAt = kept.seenAt;
            changed = true;
        }
    }
    return changed;
}

bool OutcomeStore::markSeen(std::string_view company, std::string_view number, Seconds now) {
    const auto found = kept_.find(keyOf(company, number));
    if (found == kept_.end() || found->second.seenAt >= now) return false;
    found->second.seenAt = now;
    return true;
}

bool OutcomeStore::dropUnseen(Seconds now) {
    return std::erase_if(kept_, [now](const auto& entry) {
               return entry.second.seenAt < now - kKeepUnseen;
           }) > 0;
}

std::vector<OutcomeRecord> OutcomeStore::records() const {
    std::vector<const std::pair<const std::string, KeptOutcome>*> sorted;
    sorted.reserve(kept_.size());
    for (const auto& entry : kept_) sorted.push_back(&entry);
    std::sort(sorted.begin(), sorted.end(), [](auto a, auto b) { return a->first < b->first; });
    std::vector<OutcomeRecord> out;
    out.reserve(sorted.size());
    for (const auto* entry : sorted) {
        const size_t zero = entry->first.find('\0');
        out.push_back({entry->first.substr(0, zero), entry->first.substr(zero + 1), entry->second});
    }
    return out;
}

std::string serializeOutcomes(const std::vector<OutcomeRecord>& records) {
    std::string out(kHeader);
    std::string payload;
    for (const auto& r : records) {
        payload.clear();
        appendEscaped(payload, r.company);
        payload += kField;
        appendEscaped(payload, r.number);
        payload += kField;
        payload += static_cast<char>('0' + static_cast<int>(r.kept.outcome.state));
        payload += kField;
        payload += std::to_string(r.kept.askedAt);
        payload += kField;
        payload += std::to_string(r.kept.seenAt);
        payload += kField;
        appendEscaped(payload, r.kept.outcome.time);
        payload += kField;
        appendEscaped(payload, r.kept.outcome.context);
        char sum[9];
        std::snprintf(sum, sizeof sum, "%08x", static_cast<unsigned>(crc32(payload)));
        out.append(sum, 8);
        out += kField;
        out += payload;
        out += '\n';
    }
    return out;
}

std::vector<OutcomeRecord> parseOutcomes(std::string_view bytes) {
    std::vector<OutcomeRecord> out;
    if (!bytes.starts_with(kHeader)) return out;
    size_t start = kHeader.size();
    for (;;) {
        // A last line without its line end was cut short.
        const size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) break;
        if (auto record = parseLine(bytes.substr(start, end - start)))
            out.push_back(std::move(*record));
        start = end + 1;
    }
    return out;
}

bool OutcomeSync::knowNewer(const OutcomeRecord& record) {
    auto [it, added] =
        known_.try_emplace(OutcomeStore::keyOf(record.company, record.number), record.kept.askedAt);
    if (added) return true;
    if (it->second >= record.kept.askedAt) return false;
    it->second = record.kept.askedAt;
    return true;
}

void OutcomeSync::add(OutcomeRecord record) {
    knowNewer(record);
    added_.push_back(std::move(record));
}

void OutcomeSync::seen(std::vector<std::pair<std::string, std::string>> numbers, Seconds now) {
    if (seen_.empty())
        seen_ = std::move(numbers);
    else
        seen_.insert(seen_.end(), std::make_move_iterator(numbers.begin()),
                     std::make_move_iterator(numbers.end()));
    seenAt_ = std::max(seenAt_, now);
}

OutcomeSync::Result OutcomeSync::sync(std::string_view fileBytes, Seconds now) {
    OutcomeStore merged;
    for (const auto& record : parseOutcomes(fileBytes)) merged.merge(record);
    for (const auto& record : added_) merged.merge(record);
    for (const auto& [company, number] : seen_) merged.markSeen(company, number, seenAt_);
    merged.dropUnseen(now);

    Result result;
    std::vector<OutcomeRecord> records = merged.records();
    for (const auto& record : records)
        if (knowNewer(record)) result.news.push_back(record);
    // No file and nothing to keep: none is made.
    if (records.empty() && fileBytes.empty()) return result;
    std::string bytes = serializeOutcomes(records);
    if (bytes != fileBytes) result.write = std::move(bytes);
    return result;
}

void OutcomeSync::done() {
    added_.clear();
    seen_.clear();
}

std::string minuteText(Seconds local) {
    // Days since 1970-01-01 to a civil date (the proleptic Gregorian
    // calendar), floored for times before 1970.
    Seconds days = local / 86400, rest = local % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const Seconds z = days + 719468;
    const Seconds era = (z >= 0 ? z : z - 146096) / 146097;
    const Seconds dayOfEra = z - era * 146097;
    const Seconds yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const Seconds dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const Seconds mp = (5 * dayOfYear + 2) / 153;
    const Seconds day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const Seconds month = mp < 10 ? mp + 3 : mp - 9;
    const Seconds year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[96];  // room for any year a 64-bit count of seconds gives
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld",
                  static_cast<long long>(year), static_cast<long long>(month),
                  static_cast<long long>(day), static_cast<long long>(rest / 3600),
                  static_cast<long long>(rest % 3600 / 60));
    return text;
}

}  // namespace korvel::tracking
