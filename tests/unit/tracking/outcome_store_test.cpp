#include "tracking/outcome_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace korvel::tracking;

namespace {

constexpr Seconds kDay = 24 * 3600;
constexpr Seconds kStart = 1796722200;  // 2026-12-08 09:30 UTC

OutcomeRecord record(std::string company, std::string number, ParcelState state, Seconds asked,
                     std::string context = "已签收") {
    return {std::move(company),
            std::move(number),
            {{state, "2026-12-07 18:00:00", context}, asked, asked}};
}

// A shared file and the copies of the program that sync with it, one at a
// time, as the file's lock lets them.
struct Disk {
    std::string bytes;
    // One copy's sync whose write lands.
    std::vector<OutcomeRecord> sync(OutcomeSync& copy, Seconds now) {
        OutcomeSync::Result result = copy.sync(bytes, now);
        if (result.write) bytes = *result.write;
        copy.done();
        return result.news;
    }
    OutcomeStore stored() const {
        OutcomeStore store;
        for (const auto& r : parseOutcomes(bytes)) store.merge(r);
        return store;
    }
};

TEST(OutcomeStore, EveryTextComesBackByteForByte) {
    // Tabs, line ends and the escape byte inside texts, and a GBK character
    // whose trail byte is the escape byte (0x5C).
    const std::vector<OutcomeRecord> records = {
        record("顺丰快递", "SF\t1\\2", ParcelState::Delivered, kStart,
               "已签收\r\n签收人：\x81\x5C本人"),
        record("申通快递", "", ParcelState::WrongNumber, kStart + 1, ""),
        {"EMS快递", "EE1\\", {{ParcelState::Problem, "t\\t", "拒收\\n\n"}, 5, kStart + 9}},
    };
    const std::string file = serializeOutcomes(records);
    EXPECT_EQ(file.substr(0, 18), "korvel-outcomes 1\n");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 4);
    EXPECT_EQ(parseOutcomes(file), records);
}

TEST(OutcomeStore, AFileCutShortOrDamagedKeepsEveryWholeLine) {
    std::vector<OutcomeRecord> records;
    for (int i = 0; i < 6; ++i)
        records.push_back(record("圆通速递", "YT" + std::to_string(100 + i), ParcelState::InTransit,
                                 kStart + i, std::string(static_cast<size_t>(i) * 7, 'x')));
    const std::string file = serializeOutcomes(records);
    std::vector<size_t> lineEnds;
    for (size_t i = 0; i < file.size(); ++i)
        if (file[i] == '\n') lineEnds.push_back(i + 1);
    ASSERT_EQ(lineEnds.size(), 7u);
    // A write torn after any byte: exactly the lines that ended before the tear.
    for (size_t cut = 0; cut <= file.size(); ++cut) {
        size_t whole = 0;
        for (size_t i = 1; i < lineEnds.size(); ++i) whole += lineEnds[i] <= cut;
        const std::vector<OutcomeRecord> want(records.begin(),
                                              records.begin() + static_cast<long>(whole));
        EXPECT_EQ(parseOutcomes(std::string_view(file).substr(0, cut)), want) << "cut at " << cut;
    }
    // One byte changed inside a line loses that line only, wherever it is,
    // and a line's end lost joins two lines that both go.
    for (size_t at = lineEnds[0]; at < file.size(); ++at) {
        std::string damaged = file;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x01);
        const auto got = parseOutcomes(damaged);
        EXPECT_GE(got.size(), file[at] == '\n' ? 4u : 5u) << "damage at " << at;
        for (const auto& r : got)
            EXPECT_NE(std::find(records.begin(), records.end(), r), records.end()) << at;
    }
    // A first line that is not the store's: nothing is read.
    EXPECT_TRUE(parseOutcomes("korvel-outcomes 2\n" + file.substr(lineEnds[0])).empty());
    EXPECT_TRUE(parseOutcomes(file.substr(1)).empty());
    EXPECT_TRUE(parseOutcomes("").empty());
}

TEST(OutcomeStore, TwoCopiesShareTheFileAndTheOutcomeAskedLastWins) {
    Disk disk;
    OutcomeSync a, b;
    // Both copies start from the same file.
    a.add(record("顺丰快递", "SF1", ParcelState::InTransit, kStart));
    disk.sync(a, kStart);
    EXPECT_EQ(disk.sync(b, kStart).size(), 1u);

    // B asks SF1 after A does, but A writes last: B's outcome stays, and A
    // learns it.
    a.add(record("顺丰快递", "SF1", ParcelState::OutForDelivery, kStart + 10));
    b.add(record("顺丰快递", "SF1", ParcelState::Delivered, kStart + 20));
    a.add(record("顺丰快递", "SF2", ParcelState::Problem, kStart + 30));
    b.add(record("申通快递", "ST1", ParcelState::InTransit, kStart + 40));
    EXPECT_EQ(disk.sync(b, kStart + 50).size(), 0u);
    const auto newsForA = disk.sync(a, kStart + 60);
    // Each copy's own numbers are all in the file: nothing is lost to the other's write.
    OutcomeStore stored = disk.stored();
    EXPECT_EQ(stored.size(), 3u);
    ASSERT_NE(stored.find("顺丰快递", "SF1"), nullptr);
    EXPECT_EQ(stored.find("顺丰快递", "SF1")->outcome.state, ParcelState::Delivered);
    EXPECT_EQ(stored.find("顺丰快递", "SF1")->askedAt, kStart + 20);
    ASSERT_NE(stored.find("顺丰快递", "SF2"), nullptr);
    ASSERT_NE(stored.find("申通快递", "ST1"), nullptr);
    // A hears of B's numbers; B of A's on its next sync.
    ASSERT_EQ(newsForA.size(), 2u);  // ordered by company: 申通快递 first
    EXPECT_EQ(newsForA[0].number, "ST1");
    EXPECT_EQ(newsForA[1].number, "SF1");
    EXPECT_EQ(newsForA[1].kept.outcome.state, ParcelState::Delivered);
    const auto newsForB = disk.sync(b, kStart + 70);
    ASSERT_EQ(newsForB.size(), 1u);
    EXPECT_EQ(newsForB[0].number, "SF2");
    // With nothing new the file is not written again.
    EXPECT_FALSE(a.sync(disk.bytes, kStart + 80).write);
}

TEST(OutcomeStore, AFailedWriteGoesWithTheNextSync) {
    Disk disk;
    OutcomeSync copy;
    copy.add(record("顺丰快递", "SF1", ParcelState::Delivered, kStart));
    ASSERT_TRUE(copy.sync(disk.bytes, kStart).write);  // the write fails: no done()
    disk.sync(copy, kStart + 5);
    EXPECT_NE(disk.stored().find("顺丰快递", "SF1"), nullptr);
}

TEST(OutcomeStore, NumbersNoTreeHoldsForNinetyDaysAreForgotten) {
    Disk disk;
    OutcomeSync copy;
    copy.add(record("顺丰快递", "OLD", ParcelState::Delivered, kStart));
    copy.add(record("顺丰快递", "KEPT", ParcelState::Delivered, kStart));
    disk.sync(copy, kStart);
    // KEPT is in the tree 60 days on; OLD is not.
    copy.seen({{"顺丰快递", "KEPT"}, {"顺丰快递", "NEVER-ASKED"}}, kStart + 60 * kDay);
    disk.sync(copy, kStart + 60 * kDay);
    disk.sync(copy, kStart + 90 * kDay);
    EXPECT_EQ(disk.stored().size(), 2u);
    disk.sync(copy, kStart + 90 * kDay + 1);
    OutcomeStore stored = disk.stored();
    EXPECT_EQ(stored.find("顺丰快递", "OLD"), nullptr);
    ASSERT_NE(stored.find("顺丰快递", "KEPT"), nullptr);
    EXPECT_EQ(stored.find("顺丰快递", "KEPT")->askedAt, kStart);
    EXPECT_EQ(stored.find("顺丰快递", "NEVER-ASKED"), nullptr);
    disk.sync(copy, kStart + 150 * kDay);
    EXPECT_EQ(disk.stored().size(), 1u);
    disk.sync(copy, kStart + 150 * kDay + 1);
    EXPECT_EQ(disk.stored().size(), 0u);
}

TEST(OutcomeStore, MinuteTextOfLocalTimes) {
    EXPECT_EQ(minuteText(kStart), "2026-12-08 09:30");
    EXPECT_EQ(minuteText(kStart + 59), "2026-12-08 09:30");
    EXPECT_EQ(minuteText(1709251140), "2024-02-29 23:59");
    EXPECT_EQ(minuteText(951912300), "2000-03-01 12:05");
    EXPECT_EQ(minuteText(0), "1970-01-01 00:00");
    EXPECT_EQ(minuteText(-3600), "1969-12-31 23:00");
}

}  // namespace
