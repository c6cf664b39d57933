// stand-in: tools/update_standin.py KORVEL_UPDATE_PORT
// runner: tools/locked_folder_runner.py
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "box_answerer.h"
#include "io/file_io_win.h"
#include "skin/skin_toolkit_win.h"
#include "standin_client.h"
#include "upgrade/download_engine_win.h"
#include "upgrade/download_progress.h"
#include "upgrade/switch_over_win.h"
#include "upgrade/target_path.h"
#include "upgrade/update_window_win.h"
#include "upgrade/upgrade_texts.h"

using namespace korvel::upgrade;
using namespace korvel::upgrade::testing;
using korvel::io::KernelHandle;
using korvel::text::toWide;
// Qualified: user32 has a function of the same name.
using Window = korvel::upgrade::UpdateWindow;

namespace {

// What the window showed at one moment.
struct Sample {
    std::string phase, status;
    float bar = 0;
    bool ownerEnabled = true;
};

HWND makeOwner() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KorvelUpgradeOwner";
        RegisterClassW(&wc);
        registered = true;
    }
    HWND hwnd = CreateWindowExW(0, L"KorvelUpgradeOwner", L"owner", WS_OVERLAPPEDWINDOW, 100, 100,
                                662, 485, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    return hwnd;
}

bool statusIsCount(const std::string& status, long long& received, long long& total) {
    return std::sscanf(status.c_str(), "%lld B\\ %lld B", &received, &total) == 2 &&
           progressStatusText(received, total) == status;
}

// The stand-in reads files on the host: the host path of a Wine path.
std::string hostPath(const std::string& path) {
    using Convert = char*(CDECL*)(LPCWSTR);
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return {};
    char* host = convert(toWide(path).c_str());
    if (!host) return {};
    std::string out = host;
    HeapFree(GetProcessHeap(), 0, host);
    return out;
}

std::string urlEncoded(const std::string& value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : value) {
        if (isalnum(c) || c == '/' || c == '.' || c == '_' || c == '-') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

bool waitUntil(const std::function<bool()>& done, DWORD ms) {
    for (const DWORD began = GetTickCount(); GetTickCount() - began < ms; Sleep(50))
        if (done()) return true;
    return done();
}

class UpdateWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(korvel::skin::InitToolkit());
        ASSERT_NE(standinPort(), 0) << "run through tools/with_standin.py";
        ASSERT_TRUE(
            control("fault=none&rate=0&version=1.0.0.1&size=300000&reset_stats=1"
                    "&page=normal&signature=good"));
        owner_ = makeOwner();
        programPath_ = folder_.file("korvel.exe");
        window_ = std::make_unique<Window>(
            engine_, UpdateWindowOptions{standinBase() + "/update.htm", programPath_});
    }
    void TearDown() override {
        window_.reset();
        DestroyWindow(owner_);
    }

    // Opens the window and answers its boxes; samples the window every step
    // while it is open. react may act on the window (say, close it).
    std::vector<SeenBox> run(std::vector<Press> presses,
                             std::function<void(const Sample&)> react = {}) {
        samples_.clear();
        BoxAnswerer answerer(std::move(presses), [&] {
            if (!window_->handle()) return;
            Sample s{window_->phaseText(), window_->statusText(), window_->barPosition(),
                     IsWindowEnabled(owner_) != FALSE};
            if (samples_.empty() || samples_.back().status != s.status ||
                samples_.back().phase != s.phase || samples_.back().bar != s.bar)
                samples_.push_back(s);
            else
                samples_.back().ownerEnabled &= s.ownerEnabled;
            if (react) react(s);
        });
        window_->show(owner_, "1.0.0.0");
        EXPECT_FALSE(answerer.timedOut());
        EXPECT_EQ(answerer.unexpected(), 0);
        EXPECT_EQ(window_->handle(), nullptr) << "show returns once the window is gone";
        EXPECT_TRUE(IsWindowEnabled(owner_));
        return answerer.seen();
    }

    int stats(const char* name) {
        const std::string body = plainGet(standinBase() + "/stats");
        const std::string key = std::string("\"") + name + "\": ";
        const size_t at = body.find(key);
        return at == std::string::npos ? -1 : std::atoi(body.c_str() + at + key.size());
    }

    std::string target() const { return folder_.file("korvel.exe1.exe"); }

    ScratchFolder folder_;
    DownloadEngine engine_;
    HWND owner_ = nullptr;
    std::string programPath_;
    std::unique_ptr<Window> window_;
    std::vector<Sample> samples_;
};

void expectPrompt(const SeenBox& box) {
    EXPECT_FALSE(box.system);
    EXPECT_EQ(box.title, kPromptUpdateTitle);
    EXPECT_EQ(box.text, kPromptUpdateFound);
    EXPECT_EQ(box.buttons, (std::vector<std::string>{"取消", "确认"}));
}

void expectUpToDate(const std::vector<SeenBox>& seen) {
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_FALSE(seen[0].system);
    EXPECT_EQ(seen[0].title, "提示：");
    EXPECT_EQ(seen[0].text, kPromptUpToDate);
    EXPECT_EQ(seen[0].buttons, std::vector<std::string>{"确认"});
}

TEST_F(UpdateWindowTest, SameVersionSaysUpToDateAndCloses) {
    ASSERT_TRUE(control("version=1.0.0.0"));
    // Twice: the second opening builds the window anew from the same objects.
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        expectUpToDate(run({Press::Ok}));
        ASSERT_FALSE(samples_.empty());
        EXPECT_EQ(samples_[0].phase, kPhasePreparing);
        EXPECT_EQ(samples_[0].status, kStatusInitial);
        EXPECT_EQ(samples_[0].bar, 0);
    }
    EXPECT_EQ(stats("file_requests"), 0);
}

TEST_F(UpdateWindowTest, UnreachablePageCountsAsUpToDate) {
    window_ = std::make_unique<Window>(
        engine_, UpdateWindowOptions{"http://127.0.0.1:1/update.htm", programPath_});
    expectUpToDate(run({Press::Ok}));
    window_ = std::make_unique<Window>(
        engine_, UpdateWindowOptions{standinBase() + "/no_such_page.htm", programPath_});
    expectUpToDate(run({Press::Ok}));
}

// Nothing waits here: the closing window cancels its worker under the lock
// the worker starts a transfer under, so when show() returns a transfer was
// started (and has a target) or never will be.
TEST_F(UpdateWindowTest, RefusedPromptClosesWithoutDownloading) {
    const std::vector<SeenBox> seen = run({Press::Cancel});
    ASSERT_EQ(seen.size(), 1u);
    expectPrompt(seen[0]);
    EXPECT_EQ(window_->targetPath(), "");
    EXPECT_EQ(engine_.CurrentTask(), kNoTask);
    EXPECT_EQ(stats("page_requests"), 1) << "the check's own reading of the page only";
    EXPECT_EQ(stats("file_requests"), 0);
    EXPECT_FALSE(korvel::io::fileExists(target()));
}

TEST_F(UpdateWindowTest, AcceptedUpdateDownloadsWithProgressThenOffersTheSwitch) {
    constexpr int kSize = 1200000;
    ASSERT_TRUE(control("size=" + std::to_string(kSize) + "&rate=150000"));
    Sample atSwitch;
    bool switchSeen = false;
    const std::vector<SeenBox> seen = run({Press::Ok, Press::Cancel}, [&](const Sample& s) {
        if (!switchSeen && s.status == kStatusFinished) atSwitch = s, switchSeen = true;
    });
    ASSERT_EQ(seen.size(), 2u);
    expectPrompt(seen[0]);
    EXPECT_TRUE(seen[1].system);
    EXPECT_EQ(seen[1].title, kPromptSwitchOverTitle);
    EXPECT_EQ(seen[1].text, kPromptSwitchOver);

    // Preparing, then counts that only grow, each with its bar, then the end.
    ASSERT_GE(samples_.size(), 3u);
    EXPECT_EQ(samples_.front().phase, kPhasePreparing);
    EXPECT_EQ(samples_.front().status, kStatusInitial);
    int counts = 0;
    long long last = -1;
    float lastBar = 0;
    for (const Sample& s : samples_) {
        long long received = 0, total = 0;
        if (!statusIsCount(s.status, received, total)) continue;
        ++counts;
        EXPECT_EQ(s.phase, kPhaseDownloading);
        EXPECT_EQ(total, kSize);
        EXPECT_GE(received, last);
        EXPECT_NEAR(s.bar, 100.0 * received / total, 0.01);
        EXPECT_GE(s.bar, lastBar);
        EXPECT_FALSE(s.ownerEnabled) << "the window is modal";
        last = received, lastBar = s.bar;
    }
    EXPECT_GE(counts, 2) << "ticks once a second while the transfer runs";
    ASSERT_TRUE(switchSeen);
    EXPECT_EQ(atSwitch.phase, kPhaseDownloading);
    EXPECT_EQ(atSwitch.bar, 100);

    // Cancel in the last prompt keeps the program that was downloaded.
    const auto bytes = korvel::io::readWholeFile(target());
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(*bytes == generatedFile(kSize));
    EXPECT_FALSE(korvel::io::fileExists(folder_.file(kScriptFileName)));
    EXPECT_EQ(engine_.CurrentTask(), kNoTask);
}

// The transfer ends without a complete program of ours: the window says
// so, stops ticking, removes the file at once and never offers the
// switch-over.
struct FailureCase {
    const char* name;
    std::string control;
    std::string status;   // what the status label shows at the end; "": some count
    float bar;            // negative: any
    bool locked = false;  // the program's folder takes no new file
};

class UpdateWindowFailure : public UpdateWindowTest,
                            public ::testing::WithParamInterface<FailureCase> {};

TEST_P(UpdateWindowFailure, ShowsFailureAndNoSwitchOver) {
    const FailureCase& c = GetParam();
    std::string download = target();
    if (c.locked) {
        wchar_t locked[MAX_PATH];
        const DWORD n = GetEnvironmentVariableW(L"KORVEL_LOCKED_FOLDER", locked, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) GTEST_SKIP() << "needs tools/locked_folder_runner.py as root";
        std::string folder = "Z:" + korvel::text::toGbk(locked);
        for (char& ch : folder)
            if (ch == '/') ch = '\\';
        programPath_ = folder + "\\korvel.exe";
        download = programPath_ + "1.exe";
        window_ = std::make_unique<Window>(
            engine_, UpdateWindowOptions{standinBase() + "/update.htm", programPath_});
    }
    if (c.control.empty()) {
        // A page served where the program should be.
        const std::string page = folder_.file("page.htm");
        ASSERT_TRUE(korvel::io::writeWholeFile(page, "<html>"));
        const std::string host = hostPath(page);
        ASSERT_FALSE(host.empty());
        ASSERT_TRUE(control("file=" + urlEncoded(host)));
    } else {
        ASSERT_TRUE(control(c.control));
    }
    bool failed = false, leftAtFailure = false;
    std::vector<SeenBox> seen = run({Press::Ok}, [&](const Sample& s) {
        // Failed with the tick stopped: nothing can offer the switch-over now.
        if (failed || s.phase != kPhaseFailed || window_->tickRunning()) return;
        failed = true;
        leftAtFailure = korvel::io::fileExists(download);
        PostMessageW(window_->handle(), WM_CLOSE, 0, 0);
    });
    ASSERT_TRUE(failed);
    ASSERT_EQ(seen.size(), 1u) << "no switch-over prompt";
    expectPrompt(seen[0]);
    ASSERT_FALSE(samples_.empty());
    EXPECT_EQ(samples_.back().phase, kPhaseFailed);
    long long received = 0, total = 0;
    if (c.status.empty()) {
        EXPECT_TRUE(statusIsCount(samples_.back().status, received, total))
            << samples_.back().status;
    } else {
        EXPECT_EQ(samples_.back().status, c.status);
    }
    if (c.bar >= 0) {
        EXPECT_FLOAT_EQ(samples_.back().bar, c.bar);
    }
    EXPECT_FALSE(leftAtFailure) << "the failed download goes at once";
    EXPECT_FALSE(korvel::io::fileExists(download));
    EXPECT_FALSE(korvel::io::fileExists(folder_.file(kScriptFileName)));
    EXPECT_EQ(engine_.CurrentTask(), kNoTask);
}

// The file of the hostile cases: a program of 200002 bytes sent without a
// length and broken off at some per cent of it (each framing at one place:
// where it breaks off makes no difference to the window).
std::string cut(const char* how, int percent) {
    return std::string("size=200002&fault=") + how +
           "&drop_at=" + std::to_string(200002 * percent / 100);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, UpdateWindowFailure,
    ::testing::Values(FailureCase{"dropped", "size=300000&fault=drop&drop_at=100000",
                                  "100000 B\\ 300000 B", 100000 * 100.0f / 300000},
                      FailureCase{"empty file", "size=0", "0 B\\ 0 B", 0},
                      FailureCase{"missing file", "fault=missing", kStatusInitial, 0},
                      FailureCase{"not a program", "", "6 B\\ 6 B", 100},
                      FailureCase{"close at 25", cut("cut-close", 25), "50000 B\\ 0 B", 0},
                      FailureCase{"reset at 80", cut("cut-reset", 80), "", 0},
                      FailureCase{"chunked cut at 99", cut("cut-chunked", 99), "", 0},
                      FailureCase{"wrong signature", "signature=wrong", "300000 B\\ 300000 B", 100},
                      FailureCase{"no signature", "signature=none", "300000 B\\ 300000 B", 100},
                      FailureCase{"locked folder", "size=5000", kStatusInitial, 0, true}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

// Without a length the file passes when it arrived to a clean end and its
// signature holds.
TEST_F(UpdateWindowTest, UnknownSizeSignedProgramIsOffered) {
    ASSERT_TRUE(control("size=200002&fault=nolength"));
    const std::vector<SeenBox> seen = run({Press::Ok, Press::Cancel});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].text, kPromptSwitchOver);
    EXPECT_TRUE(korvel::io::readWholeFile(target()) == generatedFile(200002));
}

// A page that never ends or trickles is cut off (size cap, deadline) and
// counts as unreachable; the window is answering again right after. Neither
// page ever ends by itself (the trickle takes minutes): an answer at all is
// one given before the page's end.
TEST_F(UpdateWindowTest, EndlessOrTricklingPageCountsAsUpToDate) {
    for (const char* page : {"endless", "trickle"}) {
        SCOPED_TRACE(page);
        ASSERT_TRUE(control(std::string("page=") + page));
        expectUpToDate(run({Press::Ok}));
        DWORD_PTR answer = 0;
        EXPECT_NE(SendMessageTimeoutW(owner_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0);
    }
    EXPECT_EQ(stats("file_requests"), 0);
}

// The window is closed while the check waits on a server that holds back
// the page's headers: nothing is shown, and the window is gone before the
// server is done.
TEST_F(UpdateWindowTest, ClosingDuringTheCheckEndsItWithoutAWord) {
    ASSERT_TRUE(control("page=headers"));
    bool closed = false;
    const std::vector<SeenBox> seen = run({}, [&](const Sample&) {
        if (!closed && stats("headers_held") == 1) {
            closed = true;
            PostMessageW(window_->handle(), WM_CLOSE, 0, 0);
        }
    });
    EXPECT_TRUE(closed) << "the window ticked while the check waited";
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(stats("headers_held"), 1);
    EXPECT_EQ(stats("file_requests"), 0);
}

// 3 MB at 40 kB/s: the window is gone long before the file could be whole.
TEST_F(UpdateWindowTest, ClosingMidDownloadStopsTheTransfer) {
    ASSERT_TRUE(control("size=3000000&rate=40000"));
    bool closed = false;
    const std::vector<SeenBox> seen = run({Press::Ok}, [&](const Sample& s) {
        long long received = 0, total = 0;
        if (!closed && statusIsCount(s.status, received, total) && received > 0) {
            closed = true;
            PostMessageW(window_->handle(), WM_KEYDOWN, VK_ESCAPE, 0);
        }
    });
    ASSERT_TRUE(closed);
    EXPECT_EQ(stats("file_completes"), 0) << "closed before the transfer's end";
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(engine_.CurrentTask(), kNoTask);
    EXPECT_FALSE(korvel::io::fileExists(target())) << "a partial download is no program";
}

TEST_F(UpdateWindowTest, TargetIsTheFirstFreeNameBesideTheProgram) {
    ASSERT_TRUE(korvel::io::writeWholeFile(target(), "MZ an earlier download"));
    ASSERT_TRUE(control("size=5000"));
    const std::vector<SeenBox> seen = run({Press::Ok, Press::Cancel});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(window_->targetPath(), folder_.file("korvel.exe2.exe"));
    EXPECT_EQ(korvel::io::readWholeFile(target()).value_or(""), "MZ an earlier download");
    EXPECT_TRUE(korvel::io::readWholeFile(folder_.file("korvel.exe2.exe")) == generatedFile(5000));
}

// The switch-over ends the program, so it runs in a child: a copy of this
// test program named child.exe in the scratch folder, which downloads this
// test program once more as its "new program" and switches over to it.
constexpr wchar_t kChildVariable[] = L"KORVEL_SWITCH_OVER_CHILD";
constexpr char kChildName[] = "child.exe";
constexpr char kNewProgramMark[] = "new_program_ran.txt";
constexpr UINT kChildDidNotEnd = 3;

// Sets an environment variable for the programs started meanwhile.
class EnvironmentOverride {
  public:
    EnvironmentOverride(const wchar_t* name, const wchar_t* value) : name_(name) {
        wchar_t old[512];
        const DWORD n = GetEnvironmentVariableW(name, old, 512);
        had_ = n > 0 && n < 512;
        if (had_) old_ = old;
        SetEnvironmentVariableW(name, value);
    }
    ~EnvironmentOverride() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

  private:
    const wchar_t* name_;
    bool had_ = false;
    std::wstring old_;
};

TEST_F(UpdateWindowTest, SwitchOverStartsTheNewProgramDeletesTheOldAndEnds) {
    const std::string self = runningProgramPath();
    const std::string host = hostPath(self);
    ASSERT_FALSE(host.empty());
    ASSERT_TRUE(control("file=" + urlEncoded(host)));
    const std::string child = folder_.file(kChildName);
    ASSERT_TRUE(CopyFileW(toWide(self).c_str(), toWide(child).c_str(), FALSE));

    EnvironmentOverride marker(kChildVariable, L"1");
    EnvironmentOverride only(L"GTEST_FILTER", L"UpdateWindowChild.*");
    std::wstring line = L"\"" + toWide(child) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               toWide(folder_.file(".")).c_str(), &startup, &info));
    KernelHandle process(info.hProcess), thread(info.hThread);
    ASSERT_EQ(WaitForSingleObject(process.get(), 120000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    // 0 from its own end, or 1 when the script's Taskkill came first.
    EXPECT_NE(code, kChildDidNotEnd) << "the child returned from the window";

    const std::string newProgram = folder_.file("child.exe1.exe");
    EXPECT_TRUE(
        waitUntil([&] { return korvel::io::fileExists(folder_.file(kNewProgramMark)); }, 30000))
        << "the new program was started";
    EXPECT_TRUE(waitUntil(
        [&] {
            return !korvel::io::fileExists(child) &&
                   !korvel::io::fileExists(folder_.file(kScriptFileName));
        },
        30000))
        << "the script deletes the old program and itself";
    EXPECT_TRUE(korvel::io::readWholeFile(newProgram) == korvel::io::readWholeFile(self));
    // The new program ends by itself; its file can go once it has.
    EXPECT_TRUE(waitUntil([&] { return DeleteFileW(toWide(newProgram).c_str()) != FALSE; }, 30000));
}

// The child's part (skipped in an ordinary run). As the new program it only
// leaves its mark.
TEST(UpdateWindowChild, AcceptsEveryPrompt) {
    wchar_t flag[8];
    if (!GetEnvironmentVariableW(kChildVariable, flag, 8))
        GTEST_SKIP() << "runs as the child of the switch-over test";
    const std::string self = runningProgramPath();
    if (bareFileName(self) != kChildName) {
        ASSERT_TRUE(korvel::io::writeWholeFile(kNewProgramMark, self));
        return;
    }
    ASSERT_TRUE(korvel::skin::InitToolkit());
    DownloadEngine engine;
    Window window(engine, UpdateWindowOptions{standinBase() + "/update.htm", {}});
    BoxAnswerer answerer({Press::Ok, Press::Ok});
    window.show(nullptr, "1.0.0.0");
    ExitProcess(kChildDidNotEnd);
}

}  // namespace
