#include "tracking/courier_catalogue.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "text/gbk_text.h"

using namespace korvel::tracking;

namespace {

uint64_t fnv1a(std::string_view bytes) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char b : bytes) h = (h ^ b) * 0x100000001b3ull;
    return h;
}

TEST(CourierCatalogue, RowsAtFixedPlaces) {
    struct Case {
        int row;  // 0-based
        std::string name, code;
    } cases[] = {
        {0, "AAE\xBF\xEC\xB5\xDD", "aae"},  // AAE快递, spelled as GBK bytes
        {0, "AAE快递", "aae"},
        {16, "EMS快递", "ems"},
        {24, "共速达物流|快递", "gongsuda"},
        {48, "伟邦(SCS)快递", "scs"},
        {51, "顺丰快递", "shunfeng"},
        {55, "UPS", "ups"},
        {78, "申通快递", "shentong"},
    };
    const auto& rows = CourierCatalogue::rows();
    for (const auto& c : cases) {
        EXPECT_EQ(rows[c.row].name, c.name) << c.row;
        EXPECT_EQ(rows[c.row].code, c.code) << c.row;
    }
}

TEST(CourierCatalogue, WholeTableIsByteExact) {
    // Fingerprints of the GBK names joined by CR LF and the codes joined by
    // commas, taken from the reference table outside this code.
    std::string codes;
    for (const auto& row : CourierCatalogue::rows()) {
        if (!codes.empty()) codes += ',';
        codes += row.code;
    }
    EXPECT_EQ(CourierCatalogue::displayNamesText().size(), 851u);
    EXPECT_EQ(fnv1a(CourierCatalogue::displayNamesText()), 0x353529673c1ebe46ull);
    EXPECT_EQ(fnv1a(codes), 0xd4bb6eaa9275cd25ull);
}

TEST(CourierCatalogue, BothCopiesOfTheNamesAgree) {
    const std::string& joined = CourierCatalogue::displayNamesText();
    const auto& names = CourierCatalogue::displayNames();
    ASSERT_EQ(names.size(), 79u);
    EXPECT_NE(joined.substr(joined.size() - 2), "\r\n");
    EXPECT_EQ(korvel::text::split(joined, "\r\n"), names);
    for (int i = 0; i < kCourierCount; ++i) {
        EXPECT_EQ(names[i], CourierCatalogue::rows()[i].name) << i;
    }
    EXPECT_EQ(names.front(), "AAE快递");
    EXPECT_EQ(names.back(), "申通快递");
}

TEST(CourierCatalogue, ServiceCodeIsStickyAndCaseSensitive) {
    // One catalogue walks through the steps: each lookup sees the code left
    // by the ones before it.
    struct Step {
        std::string name, want;
    } steps[] = {
        {"不在表中的快递", ""},  // unmatched first lookup: still empty
        {"ems快递", ""},         // case-sensitive: no match
        {"", ""},
        {"顺丰快递", "shunfeng"},
        {"不在表中的快递", "shunfeng"},
        {"EMS快递", "ems"},
        {"ems快递", "ems"},
        {"EMS快递 ", "ems"},    // a trailing blank is another name
        {"共速达物流", "ems"},  // half of row 25's name is no name
        {"共速达物流|快递", "gongsuda"},
        {"申通快递", "shentong"},
        {"", "shentong"},
    };
    CourierCatalogue catalogue;
    EXPECT_EQ(catalogue.currentServiceCode(), "");
    for (const auto& s : steps) {
        EXPECT_EQ(catalogue.serviceCodeFor(s.name), s.want) << s.name;
        EXPECT_EQ(catalogue.currentServiceCode(), s.want);
    }
    CourierCatalogue fresh;
    EXPECT_EQ(fresh.serviceCodeFor("不在表中的快递"), "");
}

TEST(CourierCatalogue, EveryNameFindsItsOwnCode) {
    CourierCatalogue catalogue;
    for (const auto& row : CourierCatalogue::rows()) {
        EXPECT_EQ(catalogue.serviceCodeFor(row.name), row.code) << row.code;
    }
}

}  // namespace
