#include "ui/unsaved_list.h"

#include <gtest/gtest.h>

using namespace korvel::ui;
using korvel::tracking::TreeItem;

namespace {

TEST(UnsavedList, QuestionNamesTheNumbersAndWhenTheyChanged) {
    EXPECT_EQ(recoveryQuestion(412, {12, 8, 17, 40}),
              "上次未保存的 412 个单号（12月8日 17:40）已找回，是否恢复？");
    EXPECT_EQ(recoveryQuestion(1, {1, 31, 9, 5}),
              "上次未保存的 1 个单号（1月31日 09:05）已找回，是否恢复？");
    // Numbers are the items below the companies; companies are no numbers.
    const std::vector<TreeItem> items = {
        {"申通快递", {}, {{"ST1", {}, {}}, {"ST2", {}, {}}}},
        {"EMS快递", {}, {}},
        {"顺丰快递", {}, {{"SF1", {}, {{"deeper", {}, {}}}}}},
    };
    EXPECT_EQ(numberCount(items), 4);
    EXPECT_EQ(numberCount({}), 0);
}

TEST(UnsavedList, FileNamesGiveBackTheirIdAndNothingElseDoes) {
    EXPECT_EQ(recoveryFileName("1f4-01d9a"), "unsaved-1f4-01d9a.dat");
    EXPECT_EQ(recoveryLockName("1f4-01d9a"), "unsaved-1f4-01d9a.lock");
    EXPECT_EQ(recoveryIdOf(recoveryFileName("1f4-01d9a")), "1f4-01d9a");
    for (const char* other : {"unsaved-1f4.lock", "unsaved-.dat", "unsaved-a b.dat",
                              "unsaved-..\\x.dat", "unsaved-1f4.dat.korvel-tmp12",
                              "unsaved-1f4.damaged", "saved-1f4.dat", "unsaved-1f4.DAT"})
        EXPECT_FALSE(recoveryIdOf(other)) << other;
}

}  // namespace
