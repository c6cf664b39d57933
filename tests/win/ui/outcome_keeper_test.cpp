#include <windows.h>
#include <gtest/gtest.h>

#include <thread>

#include "io/file_io_win.h"
#include "text/wide_text_win.h"
#include "tracking/outcome_store.h"
#include "ui/outcome_keeper_win.h"

using namespace korvel::ui;
using korvel::text::toWide;
using korvel::tracking::OutcomeRecord;
using korvel::tracking::OutcomeStore;
using korvel::tracking::ParcelState;

namespace {

class OutcomeKeeperTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        dir_ =
            korvel::text::toGbk(tmp) + "korvel_outcomes_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryW(toWide(dir_).c_str(), nullptr);
    }
    void TearDown() override {
        for (const char* name : {"\\outcomes.txt", "\\outcomes.lock"})
            DeleteFileW(toWide(dir_ + name).c_str());
        RemoveDirectoryW(toWide(dir_).c_str());
        EXPECT_EQ(GetFileAttributesW(toWide(dir_).c_str()), INVALID_FILE_ATTRIBUTES)
            << "a temporary file was left behind";
    }
    OutcomeStore stored() const {
        OutcomeStore store;
        const auto bytes = korvel::io::readWholeFile(OutcomeKeeper::fileIn(dir_));
        for (const auto& r : korvel::tracking::parseOutcomes(bytes.value_or(""))) store.merge(r);
        return store;
    }
    std::string dir_;
};

// Asked `asked` seconds after this test began.
OutcomeRecord record(const std::string& number, ParcelState state, long long asked) {
    static const long long start = OutcomeKeeper::now();
    return {
        "顺丰快递", number, {{state, "2026-12-07 18:00:00", number}, start + asked, start + asked}};
}

std::string numbered(const char* prefix, int i) {
    std::string name = prefix;
    name += std::to_string(i);
    return name;
}

// Runs this thread's messages until done() holds (a guard of 10 s against a hang).
bool pumpUntil(const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < 10000) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return done();
}

// Two copies of the program sync the same file as fast as they can: the
// lock keeps each from writing over the other's news, and each hears the
// other's numbers.
TEST_F(OutcomeKeeperTest, TwoCopiesWritingAtOnceLoseNothing) {
    OutcomeStore heard[2];
    auto listen = [&](int copy) {
        return [&heard, copy](OutcomeStore news) { heard[copy].merge(news); };
    };
    {
        OutcomeKeeper a(dir_, listen(0)), b(dir_, listen(1));
        constexpr int kRounds = 40;
        auto write = [&](OutcomeKeeper& keeper, const char* prefix, long long asked) {
            for (int i = 0; i < kRounds; ++i) {
                keeper.add(record(numbered(prefix, i), ParcelState::InTransit, asked + i));
                // Both ask for the shared number; B always asked it later.
                keeper.add(record("SHARED", ParcelState::Delivered, asked + i));
                EXPECT_TRUE(keeper.syncNow()) << prefix << i;
            }
        };
        std::thread other([&] { write(b, "B", 2000); });
        write(a, "A", 1000);
        other.join();

        const OutcomeStore store = stored();
        EXPECT_EQ(store.size(), 2u * kRounds + 1);
        for (int i = 0; i < kRounds; ++i) {
            EXPECT_NE(store.find("顺丰快递", numbered("A", i)), nullptr) << i;
            EXPECT_NE(store.find("顺丰快递", numbered("B", i)), nullptr) << i;
        }
        ASSERT_NE(store.find("顺丰快递", "SHARED"), nullptr);
        EXPECT_EQ(store.find("顺丰快递", "SHARED")->askedAt,
                  record("", ParcelState::Delivered, 2000 + kRounds - 1).kept.askedAt);

        // What each copy heard of the other: every one of its numbers, and
        // for A the shared number as B asked it.
        EXPECT_TRUE(a.syncNow() && b.syncNow());
        pumpUntil([&] { return heard[0].size() >= kRounds + 1 && heard[1].size() >= kRounds; });
        const OutcomeStore &seenByA = heard[0], &seenByB = heard[1];
        for (int i = 0; i < kRounds; ++i) {
            EXPECT_NE(seenByA.find("顺丰快递", numbered("B", i)), nullptr) << i;
            EXPECT_NE(seenByB.find("顺丰快递", numbered("A", i)), nullptr) << i;
        }
        ASSERT_NE(seenByA.find("顺丰快递", "SHARED"), nullptr);
        EXPECT_EQ(seenByA.find("顺丰快递", "SHARED")->askedAt,
                  record("", ParcelState::Delivered, 2000 + kRounds - 1).kept.askedAt);
    }
    // Between syncs the folder holds the store alone.
    EXPECT_EQ(GetFileAttributesW(toWide(dir_ + "\\outcomes.lock").c_str()),
              INVALID_FILE_ATTRIBUTES);
    // A copy started later reads it all at once.
    OutcomeStore atStart;
    OutcomeKeeper later(dir_, [&](OutcomeStore news) { atStart = std::move(news); });
    later.start();
    EXPECT_TRUE(pumpUntil([&] { return !atStart.empty(); }));
    EXPECT_EQ(atStart.size(), 81u);
}

// A folder that cannot hold the store: nothing is written, nothing breaks.
TEST_F(OutcomeKeeperTest, AStoreThatCannotBeWrittenOnlyFailsItsSyncs) {
    const std::string missing = dir_ + "\\gone\\deeper";
    OutcomeStore heard;
    OutcomeKeeper keeper(missing, [&](OutcomeStore news) { heard = std::move(news); });
    keeper.add(record("SF1", ParcelState::Delivered, 100));
    EXPECT_FALSE(keeper.syncNow());
    EXPECT_EQ(GetFileAttributesW(toWide(missing).c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
