#include <gtest/gtest.h>

#include "../upgrade/standin_client.h"
#include "io/file_io_win.h"
#include "io/program_data_win.h"
#include "text/wide_text_win.h"
#include "tracking/template_file.h"
#include "ui/recovery_copy_win.h"

using korvel::tracking::TemplateFile;
using korvel::tracking::TreeItem;
using korvel::upgrade::testing::ScratchFolder;
using namespace korvel::ui;

namespace {

std::string list(const std::string& number) {
    return TemplateFile::encode({{"申通快递", {}, {{number, {}, {}}}}}).bytes;
}

// Each RecoveryCopy stands for one program; a destroyed one for a program
// that ended without closing in order (its copy stays, its lock goes).
TEST(RecoveryCopy, OnlyCopiesNoProgramHoldsAreOfferedAndDamagedOnesAreSetAside) {
    ScratchFolder folder;
    const std::string dir = folder.file(".").substr(0, folder.file(".").size() - 2);
    auto crashed = std::make_unique<RecoveryCopy>(dir, "1-a");
    auto running = std::make_unique<RecoveryCopy>(dir, "2-b");
    ASSERT_TRUE(crashed->enabled());
    crashed->writeNow(list("OLD1"));
    running->writeNow(list("RUN1"));
    // A torn copy and one of zeros, as a power cut leaves a file written
    // without care; they are newer than the good one.
    const std::string good = list("OLD1");
    ASSERT_TRUE(korvel::io::writeWholeFile(folder.file("unsaved-3-c.dat"),
                                           good.substr(0, good.size() / 2)));
    ASSERT_TRUE(
        korvel::io::writeWholeFile(folder.file("unsaved-4-d.dat"), std::string(good.size(), '\0')));

    RecoveryCopy starting(dir, "5-e");
    EXPECT_FALSE(starting.claimLeftCopy());  // the crashed one still runs
    crashed.reset();
    std::optional<LeftCopy> left = starting.claimLeftCopy();
    ASSERT_TRUE(left);
    EXPECT_EQ(left->bytes, list("OLD1"));
    EXPECT_EQ(left->items, TemplateFile::decode(list("OLD1")));
    EXPECT_TRUE(korvel::io::fileExists(folder.file("unsaved-3-c.damaged")));
    EXPECT_TRUE(korvel::io::fileExists(folder.file("unsaved-4-d.damaged")));
    EXPECT_FALSE(korvel::io::fileExists(folder.file("unsaved-3-c.dat")));

    // Claimed: another start meanwhile does not see it; let go, it does.
    RecoveryCopy other(dir, "6-f");
    EXPECT_FALSE(other.claimLeftCopy());
    left.reset();
    left = other.claimLeftCopy();
    ASSERT_TRUE(left);
    other.adopt(std::move(*left));
    EXPECT_EQ(korvel::io::readWholeFile(other.path()), list("OLD1"));
    EXPECT_FALSE(korvel::io::fileExists(folder.file("unsaved-1-a.dat")));
    EXPECT_EQ(korvel::io::readWholeFile(running->path()), list("RUN1"));
    EXPECT_FALSE(starting.claimLeftCopy());

    // A copy declined goes for good.
    running.reset();
    left = starting.claimLeftCopy();
    ASSERT_TRUE(left);
    starting.discard(std::move(*left));
    EXPECT_FALSE(korvel::io::fileExists(folder.file("unsaved-2-b.dat")));
    EXPECT_FALSE(starting.claimLeftCopy());
}

// The UI thread hands writes over and goes on; whatever it did last wins,
// also against a write still waiting on the writer thread.
TEST(RecoveryCopy, NoWriteOutlivesALaterRemovalAndAFolderThatCannotBeWrittenKeepsNone) {
    ScratchFolder folder;
    const std::string dir = folder.file(".").substr(0, folder.file(".").size() - 2);
    const std::string path = RecoveryCopy(dir, "7-g").path();
    for (int round = 0; round < 30; ++round) {
        {
            RecoveryCopy copy(dir, "7-g");
            for (int i = 0; i < 3; ++i) copy.write(list(std::string(20000, 'a' + i)));
            copy.removeNow();
        }  // the writer has finished with everything handed to it
        ASSERT_FALSE(korvel::io::fileExists(path)) << round;
        {
            RecoveryCopy copy(dir, "7-g");
            copy.writeNow(list("kept"));
            copy.write(list(std::string(20000, 'w')));
            copy.remove();
        }
        ASSERT_FALSE(korvel::io::fileExists(path)) << round;
        {
            RecoveryCopy copy(dir, "7-g");
            copy.write(list(std::string(20000, 'o')));
            copy.writeNow(list("last"));
        }
        ASSERT_EQ(korvel::io::readWholeFile(path), list("last")) << round;
    }

    // Under a file, no folder can be made: the program runs without copies.
    ASSERT_TRUE(korvel::io::writeWholeFile(folder.file("file"), "x"));
    SetEnvironmentVariableW(L"KORVEL_DATA_DIR",
                            korvel::text::toWide(folder.file("file\\data")).c_str());
    EXPECT_EQ(korvel::io::programDataFolder(), "");
    SetEnvironmentVariableW(L"KORVEL_DATA_DIR", nullptr);
    RecoveryCopy none(folder.file("file\\data"), "8-h");
    EXPECT_FALSE(none.enabled());
    none.write(list("lost"));
    none.writeNow(list("lost"));
    EXPECT_FALSE(none.claimLeftCopy());
    EXPECT_FALSE(korvel::io::fileExists(none.path()));
}

}  // namespace
