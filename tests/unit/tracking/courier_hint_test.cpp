#include "tracking/courier_hint.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tracking/courier_catalogue.h"

using namespace korvel::tracking;

namespace {

TEST(CourierHint, OnlyUnmistakableFormatsWithValidChecksNameACourier) {
    const struct {
        const char* number;
        const char* courier;  // "" for no hint
    } cases[] = {
        // UPU S10: the standard's own example, and EMS numbers from China.
        {"EE123456785CN", "EMS快递"},
        {"ea123456785cn", "EMS快递"},
        {"EB473124829CN", "EMS快递"},
        {"EE876543216CN", "EMS快递"},
        {"EE123456784CN", ""},  // wrong check digit
        {"RA473124829GB", ""},  // valid S10, but neither E nor CN
        {"LK473124829CN", ""},  // a China Post parcel, not EMS
        {"EE12345678CN", ""},   // one digit short
        {"E1123456785CN", ""},  // second character not a letter
        // UPS 1Z: published samples.
        {"1Z999AA10123456784", "UPS"},
        {"1ZWX0692YP40636269", "UPS"},
        {"1Z12345E6605272234", "UPS"},
        {"1z999aa10123456784", "UPS"},
        {"1Z999AA10123456785", ""},  // wrong check digit
        {"1Z999AA1012345678", ""},   // too short
        {"1Z999AA1012345678X", ""},  // check is not a digit
        // Prefix formats: exact digit counts.
        {"SF123456789012", "顺丰快递"},
        {"SF1234567890123", "顺丰快递"},
        {"sf1234567890123", "顺丰快递"},
        {"SF12345678901", ""},
        {"SF12345678901234", ""},
        {"SF1001234", ""},  // shorter test numbers of the stand-in
        {"YT1234567890123", "圆通快递"},
        {"YT123456789012", ""},
        {"YT12345678901A3", ""},
        {"DPK123456789012", "德邦物流"},
        {"DPK12345678901", ""},
        {"DP1234567890123", ""},
        // Everything else.
        {"", ""},
        {"268000111222", ""},
        {"中文单号", ""},
        {"1Z", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(likelyCourier(c.number), c.courier) << c.number;
}

TEST(CourierHint, NamesAreTheCataloguesAndTheHintOnlyShowsUnderAnotherCompany) {
    const auto& names = CourierCatalogue::displayNames();
    for (const char* number : {"EE123456785CN", "1Z999AA10123456784", "SF123456789012",
                               "YT1234567890123", "DPK123456789012"}) {
        const std::string_view courier = likelyCourier(number);
        EXPECT_NE(std::find(names.begin(), names.end(), courier), names.end()) << number;
        EXPECT_EQ(courierHint(number, courier), "");
    }
    EXPECT_EQ(courierHint("EE123456785CN", "顺丰快递"), "此单号像是 EMS快递 的单号");
    EXPECT_EQ(courierHint("DPK123456789012", "申通快递"), "此单号像是 德邦物流 的单号");
    EXPECT_EQ(courierHint("268000111222", "顺丰快递"), "");
}

TEST(CourierHint, CheckDigitsOfTheRightShapesOnly) {
    EXPECT_EQ(s10CheckDigit("47312482"), 9);
    EXPECT_EQ(s10CheckDigit("00000000"), 5);  // 11 becomes 5
    EXPECT_EQ(s10CheckDigit("10000000"), 3);
    EXPECT_EQ(s10CheckDigit("00000008"), 0);  // 56 % 11 = 1: 10 becomes 0
    EXPECT_EQ(s10CheckDigit("00000009"), 3);  // 63 % 11 = 8: 11 - 8
    EXPECT_EQ(s10CheckDigit("0000001"), -1);
    EXPECT_EQ(s10CheckDigit("0000000A"), -1);
    EXPECT_EQ(upsCheckDigit("999AA1012345678"), 4);
    EXPECT_EQ(upsCheckDigit("999AA101234567"), -1);
    EXPECT_EQ(upsCheckDigit("999AA10123456-8"), -1);
}

}  // namespace
