#include "upgrade/replacement_script.h"

#include <gtest/gtest.h>

using namespace korvel::upgrade;

namespace {

TEST(ReplacementScript, PlainNameGivesTheExactSixLines) {
    const std::string want =
        "@echo off\r\n"
        "Taskkill /f /pid 4242\r\n"
        "ping -n 1 127.1>nul\r\n"
        "Del a.exe\r\n"
        "Del %0\r\n"
        "Exit";
    EXPECT_EQ(replacementScript("a.exe", 4242), want);
    EXPECT_NE(replacementScript("a.exe", 4242).back(), '\n');
    EXPECT_EQ(replacementScript("korvel.exe1.exe", 4294967295ul),
              "@echo off\r\nTaskkill /f /pid 4294967295\r\nping -n 1 127.1>nul\r\n"
              "Del korvel.exe1.exe\r\nDel %0\r\nExit");
}

TEST(ReplacementScript, NamesThatNeedQuoting) {
    struct Case {
        std::string name, argument;
    } cases[] = {
        {"a.exe", "a.exe"},
        {"运单助手.exe", "运单助手.exe"},
        {"my tool.exe", "\"my tool.exe\""},
        {"a&b.exe", "\"a&b.exe\""},
        {"a|b.exe", "\"a|b.exe\""},
        {"a<b.exe", "\"a<b.exe\""},
        {"a>b.exe", "\"a>b.exe\""},
        {"a^b.exe", "\"a^b.exe\""},
        {"a(1).exe", "\"a(1).exe\""},
        // The interpreter splits built-in commands' arguments at these too.
        {"a,b.exe", "\"a,b.exe\""},
        {"a;b.exe", "\"a;b.exe\""},
        {"a=b.exe", "\"a=b.exe\""},
        {"100%.exe", "\"100%%.exe\""},  // % expands even inside quotes
        {"%PATH%.exe", "\"%%PATH%%.exe\""},
        // 0x81 0x7C and 0x81 0x5E are Chinese characters whose trail bytes
        // are '|' and '^': nothing to quote.
        {"\x81|\x81^.exe", "\x81|\x81^.exe"},
        {"\x81| x.exe", "\"\x81| x.exe\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(batchFileArgument(c.name), c.argument) << c.name;
        EXPECT_EQ(replacementScript(c.name, 7),
                  "@echo off\r\nTaskkill /f /pid 7\r\nping -n 1 "
                  "127.1>nul\r\nDel " +
                      c.argument + "\r\nDel %0\r\nExit")
            << c.name;
    }
}

}  // namespace

namespace {

TEST(CommandLines, PathsStayOneArgument) {
    EXPECT_EQ(programCommandLine("D:\\my tools\\a.exe1.exe"), "\"D:\\my tools\\a.exe1.exe\"");
    EXPECT_EQ(scriptCommandLine("C:\\windows\\system32\\cmd.exe", "D:\\my tools\\临时.bat"),
              "\"C:\\windows\\system32\\cmd.exe\" /s /c \"\"D:\\my tools\\临时.bat\"\"");
}

}  // namespace
