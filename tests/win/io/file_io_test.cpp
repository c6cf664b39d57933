#include <windows.h>
#include <gtest/gtest.h>

#include "io/file_io_win.h"
#include "text/wide_text_win.h"

using namespace korvel::io;
using korvel::text::toWide;

namespace {

class FileIoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        dir_ = korvel::text::toGbk(tmp) + "korvel_file_io_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryW(toWide(dir_).c_str(), nullptr);
        path_ = dir_ + "\\模版.dat";
    }
    void TearDown() override {
        SetFileAttributesW(toWide(path_).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(toWide(path_).c_str());
        RemoveDirectoryW(toWide(dir_).c_str());  // fails if a stray file was left
        EXPECT_EQ(GetFileAttributesW(toWide(dir_).c_str()), INVALID_FILE_ATTRIBUTES)
            << "a temporary file was left behind";
    }
    std::string dir_, path_;
};

TEST_F(FileIoTest, SafeWriteReplacesAndReadsBackWithZeroBytes) {
    const std::string first("old\0bytes", 9), second("new", 3);
    ASSERT_TRUE(korvel::io::writeFileSafely(path_, first));
    EXPECT_EQ(korvel::io::readWholeFile(path_), first);
    ASSERT_TRUE(korvel::io::writeFileSafely(path_, second));
    EXPECT_EQ(korvel::io::readWholeFile(path_), second);
    EXPECT_TRUE(korvel::io::fileExists(path_));
}

TEST_F(FileIoTest, ReadOnlyTargetKeepsTheOldFile) {
    ASSERT_TRUE(korvel::io::writeFileSafely(path_, "keep me"));
    SetFileAttributesW(toWide(path_).c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(korvel::io::writeFileSafely(path_, "lost?"));
    EXPECT_EQ(korvel::io::readWholeFile(path_), "keep me");
}

TEST_F(FileIoTest, MissingFilesAndFoldersFailCleanly) {
    EXPECT_EQ(korvel::io::readWholeFile(dir_ + "\\nothing.dat"), std::nullopt);
    EXPECT_EQ(korvel::io::readWholeFile(""), std::nullopt);
    EXPECT_FALSE(korvel::io::writeFileSafely(dir_ + "\\no\\such\\folder.dat", "x"));
    EXPECT_FALSE(korvel::io::writeFileSafely(dir_, "x"));  // a folder is not a file
    EXPECT_FALSE(korvel::io::fileExists(dir_));
    EXPECT_EQ(korvel::io::readWholeFile(path_), std::nullopt);
}

}  // namespace
