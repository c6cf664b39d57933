#include "tracking/courier_hint.h"

#include <array>

namespace korvel::tracking {

namespace {

constexpr std::string_view kEms = "EMS快递";
constexpr std::string_view kUps = "UPS";
constexpr std::string_view kShunfeng = "顺丰快递";
constexpr std::string_view kYuantong = "圆通快递";
constexpr std::string_view kDebang = "德邦物流";

constexpr std::string_view kHintBefore = "此单号像是 ";
constexpr std::string_view kHintAfter = " 的单号";

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool allDigits(std::string_view s) {
    for (char c : s) {
        if (!isDigit(c)) return false;
    }
    return !s.empty();
}

// Case-blind prefix test; prefix is upper case.
bool startsWith(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (upper(s[i]) != prefix[i]) return false;
    }
    return true;
}

bool digitsAfter(std::string_view number, std::string_view prefix, size_t count) {
    return number.size() == prefix.size() + count && startsWith(number, prefix) &&
           allDigits(number.substr(prefix.size()));
}

bool isEmsS10(std::string_view n) {
    // Two letters, eight digits, the check digit, the country code.
    if (n.size() != 13 || upper(n[0]) != 'E' || !isLetter(n[1])) return false;
    if (upper(n[11]) != 'C' || upper(n[12]) != 'N') return false;
    const std::string_view serial = n.substr(2, 8);
    return allDigits(serial) && isDigit(n[10]) && s10CheckDigit(serial) == n[10] - '0';
}

bool isUps(std::string_view n) {
    if (n.size() != 18 || !startsWith(n, "1Z") || !isDigit(n[17])) return false;
    return upsCheckDigit(n.substr(2, 15)) == n[17] - '0';
}

}  // namespace

int s10CheckDigit(std::string_view eightDigits) {
    static constexpr std::array<int, 8> kWeights = {8, 6, 4, 2, 3, 5, 9, 7};
    if (eightDigits.size() != kWeights.size() || !allDigits(eightDigits)) return -1;
    int sum = 0;
    for (size_t i = 0; i < kWeights.size(); ++i) sum += (eightDigits[i] - '0') * kWeights[i];
    const int check = 11 - sum % 11;
    return check == 10 ? 0 : check == 11 ? 5 : check;
}

int upsCheckDigit(std::string_view fifteen) {
    if (fifteen.size() != 15) return -1;
    int sum = 0;
    for (size_t i = 0; i < fifteen.size(); ++i) {
        const char c = upper(fifteen[i]);
        int value;
        if (isDigit(c))
            value = c - '0';
        else if (isLetter(c))
            value = (c - 'A' + 2) % 10;  // A=2 ... H=9, I=0 ... R=9, S=0 ... Z=7
        else
            return -1;
        sum += i % 2 == 1 ? 2 * value : value;
    }
    return (10 - sum % 10) % 10;
}

std::string_view likelyCourier(std::string_view number) {
    if (isEmsS10(number)) return kEms;
    if (isUps(number)) return kUps;
    if (digitsAfter(number, "SF", 12) || digitsAfter(number, "SF", 13)) return kShunfeng;
    if (digitsAfter(number, "YT", 13)) return kYuantong;
    if (digitsAfter(number, "DPK", 12)) return kDebang;
    return {};
}

std::string courierHint(std::string_view number, std::string_view companyName) {
    const std::string_view courier = likelyCourier(number);
    if (courier.empty() || courier == companyName) return {};
    std::string hint(kHintBefore);
    hint += courier;
    hint += kHintAfter;
    return hint;
}

}  // namespace korvel::tracking
