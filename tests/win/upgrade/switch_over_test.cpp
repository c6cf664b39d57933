#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "io/file_io_win.h"
#include "standin_client.h"
#include "text/wide_text_win.h"
#include "upgrade/replacement_script.h"
#include "upgrade/switch_over_win.h"
#include "upgrade/target_path.h"
#include "upgrade/upgrade_texts.h"

using namespace korvel::upgrade;
using korvel::upgrade::testing::ScratchFolder;

namespace {

bool waitUntil(const std::function<bool()>& done, int ms = 15000) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (done()) return true;
        Sleep(50);
    }
    return done();
}

// A process that runs until it is ended: the program the script must end,
// or a bystander of the same file name that it must leave alone.
class Sleeper {
  public:
    Sleeper() {
        std::wstring line = L"ping.exe -n 120 127.0.0.1";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &info_);
        CloseHandle(info_.hThread);
    }
    ~Sleeper() {
        if (!info_.hProcess) return;
        TerminateProcess(info_.hProcess, 0);
        CloseHandle(info_.hProcess);
    }
    unsigned long id() const { return info_.dwProcessId; }
    bool ended() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }

  private:
    PROCESS_INFORMATION info_{};
};

// Runs the test body with the scratch folder as the working directory, as
// the program runs with its own folder as one.
class InFolder {
  public:
    explicit InFolder(const std::string& folder) {
        GetCurrentDirectoryW(MAX_PATH, previous_);
        SetCurrentDirectoryW(korvel::text::toWide(folder).c_str());
    }
    ~InFolder() { SetCurrentDirectoryW(previous_); }

  private:
    wchar_t previous_[MAX_PATH];
};

TEST(SwitchOver, RunningProgramPathNamesThisTest) {
    const std::string path = runningProgramPath();
    EXPECT_EQ(bareFileName(path), "switch_over_test.exe");
    EXPECT_TRUE(korvel::io::fileExists(path));
}

TEST(SwitchOver, ScriptFileHoldsExactlyTheScriptBytes) {
    ScratchFolder folder;
    const std::string script = folder.file(kScriptFileName);
    ASSERT_TRUE(korvel::io::writeWholeFile(script, std::string(500, 'x')));
    ASSERT_TRUE(writeReplacementScript(script, "a.exe", 12));  // truncates the old content
    EXPECT_EQ(korvel::io::readWholeFile(script), replacementScript("a.exe", 12));
    // The name on disk is the GBK one.
    EXPECT_TRUE(korvel::io::fileExists(folder.file("\xC1\xD9\xCA\xB1.bat")));
}

TEST(SwitchOver, FileHeadReadsAtMostWhatIsThere) {
    ScratchFolder folder;
    const std::string file = folder.file("new.exe");
    ASSERT_TRUE(korvel::io::writeWholeFile(file, "MZ\x90\x00rest"));
    EXPECT_EQ(readFileHead(file, 2), "MZ");
    ASSERT_TRUE(korvel::io::writeWholeFile(file, "M"));
    EXPECT_EQ(readFileHead(file, 2), "M");
    EXPECT_EQ(readFileHead(folder.file("none.exe"), 2), "");
}

// The started program is this test program again, which waits for go.txt
// and then leaves its mark. go.txt is written only once startProgram has
// returned, so a start that waited for the program would come back only
// when the program gives up (after a minute, marking so).
constexpr wchar_t kChildVariable[] = L"KORVEL_START_PROGRAM_CHILD";

TEST(SwitchOver, StartProgramDoesNotWait) {
    ScratchFolder folder;
    InFolder here(folder.file("."));
    const std::string child = programCommandLine(runningProgramPath());
    SetEnvironmentVariableW(kChildVariable, L"1");
    const bool started = startProgram(child + " --gtest_filter=SwitchOverChild.*", SW_HIDE);
    SetEnvironmentVariableW(kChildVariable, nullptr);
    ASSERT_TRUE(started);
    EXPECT_FALSE(korvel::io::fileExists(folder.file("mark.txt"))) << "the start waited for it";
    ASSERT_TRUE(korvel::io::writeWholeFile(folder.file("go.txt"), "go"));
    EXPECT_TRUE(waitUntil([&] { return korvel::io::fileExists(folder.file("mark.txt")); }));
    EXPECT_EQ(korvel::io::readWholeFile(folder.file("mark.txt")), "went");
    EXPECT_FALSE(startProgram("no_such_program_here.exe", SW_HIDE));
    EXPECT_FALSE(startProgram("", SW_HIDE));
}

// The program StartProgramDoesNotWait starts (skipped in an ordinary run).
TEST(SwitchOverChild, WaitsForGoThenLeavesItsMark) {
    wchar_t flag[8];
    if (!GetEnvironmentVariableW(kChildVariable, flag, 8))
        GTEST_SKIP() << "runs as the child of StartProgramDoesNotWait";
    const bool go = waitUntil([] { return korvel::io::fileExists("go.txt"); }, 60000);
    ASSERT_TRUE(korvel::io::writeWholeFile("mark.txt", go ? "went" : "gave up"));
}

// The script really ends the old program by its id, leaving another program
// of the same file name running, and deletes the old program and itself,
// also for names that need quoting inside a batch file, started as the
// switch-over starts it: by full paths, from a process whose working
// directory is another folder. The
// command interpreter reads the script in the OEM code page, so a Chinese
// name works where that is GBK (936), as on a Chinese Windows, and is tried
// only there.
TEST(SwitchOver, ScriptDeletesTheOldFileAndItself) {
    // "a,b.exe" unquoted would delete "a" and "b.exe" and keep itself.
    std::vector<std::string> names = {"a.exe", "my tool.exe", "100% (new)&more.exe", "a,b.exe",
                                      "a;b=c.exe"};
    if (GetOEMCP() == 936) names.push_back("运单助手.exe");
    const std::string interpreter = commandInterpreterPath();
    ASSERT_TRUE(korvel::io::fileExists(interpreter)) << interpreter;
    ScratchFolder elsewhere;
    InFolder here(elsewhere.file("."));
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ScratchFolder folder;
        const std::string old = folder.file(name);
        const std::string script = folder.file(kScriptFileName);
        const std::vector<std::string> bystanders = {folder.file("a b.exe"), folder.file("a"),
                                                     folder.file("b.exe"), folder.file("b=c.exe")};
        ASSERT_TRUE(korvel::io::writeWholeFile(old, "MZ old program"));
        for (const auto& b : bystanders) ASSERT_TRUE(korvel::io::writeWholeFile(b, "keep me"));
        const Sleeper program, sameName;
        ASSERT_TRUE(writeReplacementScript(script, name, program.id()));
        ASSERT_TRUE(startProgram(scriptCommandLine(interpreter, script), SW_HIDE, folderOf(old)));
        EXPECT_TRUE(waitUntil(
            [&] { return !korvel::io::fileExists(old) && !korvel::io::fileExists(script); }));
        EXPECT_TRUE(program.ended());
        EXPECT_FALSE(sameName.ended());
        for (const auto& b : bystanders) EXPECT_TRUE(korvel::io::fileExists(b)) << b;
        EXPECT_FALSE(korvel::io::fileExists(elsewhere.file(kScriptFileName)));
    }
}

TEST(SwitchOver, InterpreterComesFromTheSystemFolder) {
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(commandInterpreterPath(), korvel::text::toGbk(system) + "\\cmd.exe");
}

// The whole switch-over with a stand-in for the new program (a copy of a
// small system program), started while the working directory is another
// folder: the script is written beside the old program, never in the
// working directory, and deletes the old program and itself.
TEST(SwitchOver, ScriptGoesBesideTheProgramWhateverTheWorkingDirectory) {
    wchar_t system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    ScratchFolder folder, elsewhere;
    InFolder here(elsewhere.file("."));
    const std::string old = folder.file("a,b.exe"), next = folder.file("a,b.exe1.exe");
    ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\hostname.exe").c_str(),
                          korvel::text::toWide(next).c_str(), FALSE));
    ASSERT_TRUE(korvel::io::writeWholeFile(old, "MZ old program"));
    const Sleeper program;
    ASSERT_TRUE(startSwitchOver(next, old, program.id()));
    EXPECT_TRUE(waitUntil([&] {
        return !korvel::io::fileExists(old) &&
               !korvel::io::fileExists(folder.file(kScriptFileName));
    }));
    EXPECT_TRUE(korvel::io::fileExists(next));
    EXPECT_TRUE(program.ended());
    EXPECT_FALSE(korvel::io::fileExists(elsewhere.file(kScriptFileName)));
    // hostname.exe ends by itself; its file can go once it has.
    EXPECT_TRUE(
        waitUntil([&] { return DeleteFileW(korvel::text::toWide(next).c_str()) != FALSE; }));
}

TEST(SwitchOver, NothingIsWrittenWhenTheNewProgramDoesNotStart) {
    ScratchFolder folder;
    EXPECT_FALSE(startSwitchOver(folder.file("missing.exe1.exe"), folder.file("missing.exe"), 0));
    EXPECT_FALSE(korvel::io::fileExists(folder.file(kScriptFileName)));
}

}  // namespace
