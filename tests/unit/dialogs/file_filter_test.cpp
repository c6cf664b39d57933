#include "dialogs/file_filter.h"

#include <gtest/gtest.h>

using korvel::dialogs::toDialogFilter;

TEST(FileFilter, PipesBecomeZeroTerminatedPairs) {
    using namespace std::string_literals;
    EXPECT_EQ(korvel::dialogs::toDialogFilter("（模版文件.dat）|*.dat"),
              "（模版文件.dat）\0*.dat\0\0"s);
    EXPECT_EQ(korvel::dialogs::toDialogFilter("（jpg文件）|*.jpg|（bmp文件）|*.bmp"),
              "（jpg文件）\0*.jpg\0（bmp文件）\0*.bmp\0\0"s);
    EXPECT_EQ(korvel::dialogs::toDialogFilter("lonely"), "lonely\0\0\0"s);
    EXPECT_EQ(korvel::dialogs::toDialogFilter(""), "\0"s);
    // 0x81 0x7C is one GBK character, not a bar.
    EXPECT_EQ(korvel::dialogs::toDialogFilter("\x81|x|*.x"), "\x81|x\0*.x\0\0"s);
}
