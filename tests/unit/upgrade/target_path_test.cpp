#include "upgrade/target_path.h"

#include <gtest/gtest.h>

#include <set>

using namespace korvel::upgrade;

namespace {

TEST(ChooseTargetPath, FirstFreeCandidate) {
    struct Case {
        std::set<std::string> existing;
        std::string want;
    } cases[] = {
        {{}, "D:\\t\\a.exe1.exe"},
        {{"D:\\t\\a.exe1.exe"}, "D:\\t\\a.exe2.exe"},
        {{"D:\\t\\a.exe1.exe", "D:\\t\\a.exe2.exe"}, "D:\\t\\a.exe3.exe"},
        {{"D:\\t\\a.exe2.exe"}, "D:\\t\\a.exe1.exe"},
        {{"D:\\t\\a.exe"}, "D:\\t\\a.exe1.exe"},  // the running program itself is no candidate
        {{"D:\\t\\a.exe1.exe", "D:\\t\\a.exe3.exe"}, "D:\\t\\a.exe2.exe"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> asked;
        const auto exists = [&](const std::string& p) {
            asked.push_back(p);
            return c.existing.count(p) > 0;
        };
        EXPECT_EQ(chooseTargetPath("D:\\t\\a.exe", exists), c.want);
        EXPECT_EQ(asked.back(), c.want);
    }
}

TEST(ChooseTargetPath, CountsPastNine) {
    const auto exists = [](const std::string& p) { return p != "a.exe12.exe"; };
    EXPECT_EQ(chooseTargetPath("a.exe", exists), "a.exe12.exe");
}

TEST(ChooseTargetPath, GivesUpWhenEveryNameIsTaken) {
    int calls = 0;
    const auto always = [&](const std::string&) { return ++calls > 0; };
    EXPECT_EQ(chooseTargetPath("a.exe", always), "");
    EXPECT_EQ(calls, kMaxTargetCandidates);
}

}  // namespace

namespace {

TEST(BareFileName, LastComponentOnCharacterBoundaries) {
    struct Case {
        std::string path, name;
    } cases[] = {
        {"D:\\t\\a.exe", "a.exe"},
        {"a.exe", "a.exe"},
        {"D:a.exe", "a.exe"},
        {"D:\\t\\", ""},
        {"", ""},
        {"C:/x/y.exe", "y.exe"},
        {"D:\\程序\\运单助手.exe", "运单助手.exe"},
        // 0x81 0x5C is one character: its trail byte is no separator.
        {"D:\\\x81\\x.exe", "\x81\\x.exe"},
    };
    for (const auto& c : cases) EXPECT_EQ(bareFileName(c.path), c.name) << c.path;
}

}  // namespace

namespace {

TEST(ProgramFolder, WorkingDirectoryAndScriptPath) {
    struct Case {
        std::string program, folder, script;
    } cases[] = {
        {"D:\\t\\a.exe", "D:\\t", "D:\\t\\临时.bat"},
        // A bare "E:" would be the current folder of drive E, not its root.
        {"E:\\a.exe", "E:\\", "E:\\临时.bat"},
        {"C:\\my tools\\运单\\a,b.exe", "C:\\my tools\\运单", "C:\\my tools\\运单\\临时.bat"},
        {"\\\\host\\share\\a.exe", "\\\\host\\share", "\\\\host\\share\\临时.bat"},
        // 0x81 0x5C is one Chinese character, not a separator.
        {"D:\\\x81\\.exe", "D:\\", "D:\\临时.bat"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(folderOf(c.program), c.folder) << c.program;
        EXPECT_EQ(pathInFolder(folderOf(c.program), "临时.bat"), c.script) << c.program;
    }
}

}  // namespace
