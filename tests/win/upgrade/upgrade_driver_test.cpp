// The Windows side of the end-to-end upgrade test (tests/e2e/upgrade_test.py
// sets it up): starts the real program, opens "在线升级" from its "设置"
// menu, answers the prompts as a user would and checks the outcome from
// outside the program's process. Every window looked for is one of the
// program's process, and every wait gives up at once when the program has
// ended. Without KORVEL_E2E_PROGRAM every case is skipped.
#include <windows.h>
#include <gtest/gtest.h>
// Needs the types of windows.h.
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/message_box_layout.h"
#include "dialogs/message_box_texts.h"
#include "io/file_io_win.h"
#include "io/handles_win.h"
#include "standin_client.h"
#include "text/wide_text_win.h"
#include "ui/main_window_elements_win.h"
#include "upgrade/upgrade_texts.h"
#include "upgrade/upgrade_window_texts.h"

using namespace korvel;
using korvel::io::FileHandle;
using korvel::io::KernelHandle;
using korvel::text::toGbk;
using korvel::text::toWide;

namespace {

constexpr DWORD kWindowWaitMs = 30000;
constexpr DWORD kDownloadWaitMs = 90000;

std::string environment(const wchar_t* name) {
    wchar_t value[1024];
    const DWORD n = GetEnvironmentVariableW(name, value, 1024);
    return n > 0 && n < 1024 ? toGbk(std::wstring_view(value, n)) : std::string();
}

bool waitUntil(const std::function<bool()>& done, DWORD ms) {
    for (const DWORD began = GetTickCount(); GetTickCount() - began < ms; Sleep(50))
        if (done()) return true;
    return done();
}

std::string windowText(HWND hwnd) {
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    return toGbk(text);
}

std::string className(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return toGbk(name);
}

struct Search {
    DWORD pid;
    std::string cls, title;
    HWND found = nullptr;
};

BOOL CALLBACK matchWindow(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
    if (!s->cls.empty() && className(hwnd) != s->cls) return TRUE;
    if (!s->title.empty() && windowText(hwnd) != s->title) return TRUE;
    s->found = hwnd;
    return FALSE;
}

// A visible top-level window of the process with that class and title
// (either may be empty: any).
HWND findWindow(DWORD pid, const std::string& cls, const std::string& title) {
    Search s{pid, cls, title};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND waitForWindow(DWORD pid, const std::string& cls, const std::string& title,
                   DWORD ms = kWindowWaitMs) {
    HWND hwnd = nullptr;
    waitUntil([&] { return (hwnd = findWindow(pid, cls, title)) != nullptr; }, ms);
    return hwnd;
}

// The process running the program at path, 0 when none is.
DWORD processOf(const std::string& path) {
    KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return 0;
    const std::wstring name = toWide(path.substr(path.find_last_of('\\') + 1));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, name.c_str()) != 0) continue;
        KernelHandle process(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        wchar_t image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (process && QueryFullProcessImageNameW(process.get(), 0, image, &size) &&
            lstrcmpiW(image, toWide(path).c_str()) == 0)
            return entry.th32ProcessID;
    }
    return 0;
}

// Clicks a button of the program's message box: the centre of the place
// the button has both before and after the box's resize layout.
void clickBoxButton(HWND box, int index) {
    RECT r{};
    GetWindowRect(box, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const skin::IntRect a = korvel::dialogs::boxButtonRect(index, w, h, false);
    const skin::IntRect b = korvel::dialogs::boxButtonRect(index, w, h, true);
    const int left = std::max(a.x, b.x), right = std::min(a.x + a.width, b.x + b.width);
    const int top = std::max(a.y, b.y), bottom = std::min(a.y + a.height, b.y + b.height);
    const LPARAM at = MAKELPARAM((left + right) / 2, (top + bottom) / 2);
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(box, WM_LBUTTONUP, 0, at);
}

// Names created in and deleted from a folder since the watch began, as they
// happen: a file that comes and goes between two looks is seen all the same.
class FolderWatch {
  public:
    explicit FolderWatch(const std::string& folder)
        : folder_(CreateFileW(toWide(folder).c_str(), FILE_LIST_DIRECTORY,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                              nullptr)),
          event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        watching_ = folder_ && event_ && ask();
    }
    ~FolderWatch() {
        if (!watching_) return;
        CancelIoEx(folder_.get(), &overlapped_);
        DWORD ignored = 0;
        GetOverlappedResult(folder_.get(), &overlapped_, &ignored, TRUE);
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool watching() const { return watching_; }

    // Whether the folder saw the file's name come (FILE_ACTION_ADDED) or go
    // (FILE_ACTION_REMOVED).
    bool saw(const std::string& name, DWORD action) {
        collect();
        const std::wstring wide = toWide(name);
        return std::any_of(seen_.begin(), seen_.end(), [&](const auto& change) {
            return change.first == action && lstrcmpiW(change.second.c_str(), wide.c_str()) == 0;
        });
    }

  private:
    bool ask() {
        ResetEvent(event_.get());
        overlapped_ = {};
        overlapped_.hEvent = event_.get();
        return ReadDirectoryChangesW(folder_.get(), buffer_, sizeof(buffer_), FALSE,
                                     FILE_NOTIFY_CHANGE_FILE_NAME, nullptr, &overlapped_,
                                     nullptr) != FALSE;
    }

    void collect() {
        DWORD bytes = 0;
        while (watching_ && GetOverlappedResult(folder_.get(), &overlapped_, &bytes, FALSE)) {
            for (size_t at = 0; bytes > 0;) {
                const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer_ + at);
                seen_.emplace_back(info->Action,
                                   std::wstring(info->FileName, info->FileNameLength / 2));
                if (!info->NextEntryOffset) break;
                at += info->NextEntryOffset;
            }
            watching_ = ask();
        }
    }

    FileHandle folder_;
    KernelHandle event_;
    OVERLAPPED overlapped_{};
    alignas(DWORD) char buffer_[16384];
    bool watching_ = false;
    std::vector<std::pair<DWORD, std::wstring>> seen_;
};

// For a screenshot taken from outside Wine: after settleMs, names the
// moment in the folder KORVEL_E2E_SHOTS and waits a little for the shot's
// acknowledgement.
void screenshotMoment(const std::string& name, DWORD settleMs = 0) {
    const std::string folder = environment(L"KORVEL_E2E_SHOTS");
    if (folder.empty()) return;
    Sleep(settleMs);
    korvel::io::writeWholeFile(folder + "\\" + name + ".wanted", name);
    waitUntil([&] { return korvel::io::fileExists(folder + "\\" + name + ".taken"); }, 15000);
}

class UpgradeDriver : public ::testing::Test {
  protected:
    void SetUp() override {
        program_ = environment(L"KORVEL_E2E_PROGRAM");
        if (program_.empty()) GTEST_SKIP() << "run by tests/e2e/upgrade_test.py";
        folder_ = program_.substr(0, program_.find_last_of('\\'));
        download_ = program_ + "1.exe";
        // Started from another folder when asked: the program must not rely
        // on the working directory it was given.
        std::string startIn = environment(L"KORVEL_E2E_START_IN");
        if (startIn.empty()) startIn = folder_;
        std::wstring line = L"\"" + toWide(program_) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   toWide(startIn).c_str(), &startup, &info));
        process_.reset(info.hProcess);
        KernelHandle thread(info.hThread);
        pid_ = info.dwProcessId;
        main_ = waitForProgramWindow("KorvelMainWindow", "");
        ASSERT_NE(main_, nullptr) << "the program shows its main window";
        // The tracking page follows the first frame.
        ASSERT_TRUE(waitWhileRunning([&] {
            HWND tree = FindWindowExW(main_, nullptr, WC_TREEVIEWW, nullptr);
            return tree && SendMessageW(tree, TVM_GETCOUNT, 0, 0) > 0;
        })) << "the tracking page";
    }

    void TearDown() override {
        // Whatever is left of the programs this case started goes now.
        for (DWORD pid : {pid_, processOf(download_)}) {
            if (!pid) continue;
            KernelHandle p(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
            if (p && WaitForSingleObject(p.get(), 0) == WAIT_TIMEOUT) {
                TerminateProcess(p.get(), 9);
                WaitForSingleObject(p.get(), 5000);
            }
        }
    }

    // "设置" -> "在线升级" (first item) or "关于" (second), until the window
    // of that item is up: a menu closes when another program of a parallel
    // test takes the foreground, so a few tries are allowed.
    void chooseSettingsItem(int item) {
        const std::string title =
            item == 0 ? upgrade::kUpdateWindowTitle : upgrade::kAboutWindowTitle;
        for (int attempt = 0; attempt < 3 && running(); ++attempt) {
            PostMessageW(main_, ui::kMsgCommand, static_cast<WPARAM>(ui::MainCommand::SettingsMenu),
                         0);
            HWND menu = waitForProgramWindow("#32768", "", 10000);
            if (!menu) continue;
            for (int i = 0; i <= item; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
            if (waitForProgramWindow("SkinHostWnd", title, 10000)) return;
        }
        FAIL() << "the 设置 menu did not open " << title;
    }

    HWND updateWindow() const {
        return findWindow(pid_, "SkinHostWnd", upgrade::kUpdateWindowTitle);
    }

    bool running() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

    // Waits until done() holds. A program that has ended will never get
    // there: the wait ends at once and the case fails, saying so.
    bool waitWhileRunning(const std::function<bool()>& done, DWORD ms = kWindowWaitMs) {
        waitUntil([&] { return done() || !running(); }, ms);
        if (done()) return true;
        if (!running() && !endReported_) {
            endReported_ = true;
            DWORD code = 0;
            GetExitCodeProcess(process_.get(), &code);
            ADD_FAILURE() << "the program ended meanwhile, exit code " << code;
        }
        return false;
    }

    HWND waitForProgramWindow(const std::string& cls, const std::string& title,
                              DWORD ms = kWindowWaitMs) {
        HWND hwnd = nullptr;
        waitWhileRunning([&] { return (hwnd = findWindow(pid_, cls, title)) != nullptr; }, ms);
        return hwnd;
    }

    // The download of a refused program came and went again (its removal is
    // the verdict), or a switch-over prompt came instead.
    bool waitForRefusal(FolderWatch& folder) {
        const std::string name = download_.substr(download_.find_last_of('\\') + 1);
        return waitWhileRunning(
            [&] {
                return (folder.saw(name, FILE_ACTION_ADDED) &&
                        folder.saw(name, FILE_ACTION_REMOVED)) ||
                       findWindow(pid_, "#32770", "");
            },
            kDownloadWaitMs);
    }

    // The main window handles a message within two seconds.
    bool answering() const {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) != 0;
    }

    // The update stand-in's address, from the page's.
    std::string standin() const {
        const std::string page = environment(L"KORVEL_UPDATE_PAGE_URL");
        return page.substr(0, page.find_last_of('/'));
    }

    // A count of the update stand-in's /stats: "file_ends" (file responses
    // finished), "held" (file requests kept waiting), "headers_held"
    // (answers whose headers still trickle); -1 when it is not there.
    int standinCount(const std::string& name) const {
        const std::string stats = upgrade::testing::plainGet(standin() + "/stats");
        const std::string key = "\"" + name + "\": ";
        const size_t at = stats.find(key);
        return at == std::string::npos ? -1 : std::atoi(stats.c_str() + at + key.size());
    }
    int fileEnds() const { return standinCount("file_ends"); }

    // Closes the program as the user would and waits for it to end.
    void closeProgram(DWORD pid, HWND main) {
        KernelHandle p(OpenProcess(SYNCHRONIZE, FALSE, pid));
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitForSingleObject(p.get(), 15000), WAIT_OBJECT_0) << "the program ends";
    }

    void acceptUpdatePrompt() {
        HWND prompt = waitForProgramWindow("SkinHostWnd", upgrade::kPromptUpdateTitle);
        ASSERT_NE(prompt, nullptr) << "the update prompt";
        ASSERT_NE(updateWindow(), nullptr);
        clickBoxButton(prompt, 1);  // "确认", left of "取消"
        ASSERT_TRUE(waitWhileRunning([&] { return !IsWindow(prompt); }));
    }

    HWND waitForSwitchOverPrompt() {
        HWND box = waitForProgramWindow("#32770", upgrade::kPromptSwitchOverTitle, kDownloadWaitMs);
        if (!box) {
            // Where it stopped: the stand-in's counts, the download, the window.
            std::string base = environment(L"KORVEL_UPDATE_PAGE_URL");
            base = base.substr(0, base.find_last_of('/'));
            ADD_FAILURE() << "no switch-over prompt; stand-in "
                          << upgrade::testing::plainGet(base + "/stats") << ", download "
                          << (korvel::io::fileExists(download_) ? "present" : "absent")
                          << ", update window " << (updateWindow() ? "open" : "gone");
            return nullptr;
        }
        wchar_t text[512] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        EXPECT_EQ(toGbk(text), upgrade::kPromptSwitchOver);
        return box;
    }

    std::string program_, folder_, download_;
    KernelHandle process_;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
    bool endReported_ = false;
};

TEST_F(UpgradeDriver, UpToDate) {
    chooseSettingsItem(0);
    if (!environment(L"KORVEL_E2E_HEADERS_TRICKLE").empty()) {
        // The check waits on a server that trickles its headers: the window
        // answers meanwhile, before the stand-in has sent them.
        ASSERT_TRUE(waitWhileRunning([&] { return standinCount("headers_held") == 1; }));
        DWORD_PTR result = 0;
        EXPECT_NE(
            SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, kWindowWaitMs * 2, &result), 0u);
        EXPECT_EQ(standinCount("headers_held"), 1) << "answered only once the headers were in";
    }
    HWND box = waitForProgramWindow("SkinHostWnd", korvel::dialogs::kBoxTitle);
    ASSERT_NE(box, nullptr) << "the up-to-date box";
    EXPECT_NE(updateWindow(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(main_));
    clickBoxButton(box, 0);
    EXPECT_TRUE(waitWhileRunning([&] { return !IsWindow(box) && !updateWindow(); }))
        << "the box and the update window close";
    EXPECT_TRUE(waitWhileRunning([&] { return IsWindowEnabled(main_) != FALSE; }));
    EXPECT_TRUE(running());
    EXPECT_TRUE(answering());
    EXPECT_FALSE(korvel::io::fileExists(download_));
    closeProgram(pid_, main_);
}

// The download arrives but is no program of ours (cut off, unsigned, signed
// wrongly): the window judges it, the file goes at once, no switch-over is
// offered, and after closing the window the old program runs on, answering.
TEST_F(UpgradeDriver, RefusedDownload) {
    FolderWatch folder(folder_);
    ASSERT_TRUE(folder.watching());
    chooseSettingsItem(0);
    acceptUpdatePrompt();
    ASSERT_TRUE(waitForRefusal(folder));
    screenshotMoment("download_refused");
    EXPECT_EQ(findWindow(pid_, "#32770", ""), nullptr) << "no switch-over prompt";
    HWND window = updateWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(korvel::io::fileExists(download_)) << "the refused download goes at once";
    EXPECT_GE(fileEnds(), 1) << "judged once the server was done";
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitWhileRunning([&] { return !updateWindow(); }));
    EXPECT_TRUE(waitWhileRunning([&] { return IsWindowEnabled(main_) != FALSE; }));
    EXPECT_TRUE(running());
    EXPECT_TRUE(answering());
    EXPECT_TRUE(korvel::io::fileExists(program_));
    EXPECT_FALSE(korvel::io::fileExists(folder_ + "\\" + upgrade::kScriptFileName));
    closeProgram(pid_, main_);
}

TEST_F(UpgradeDriver, DroppedTransfer) {
    FolderWatch folder(folder_);
    ASSERT_TRUE(folder.watching());
    chooseSettingsItem(0);
    acceptUpdatePrompt();
    // The transfer breaks off: the broken download goes, the window stays
    // and no switch-over is offered.
    ASSERT_TRUE(waitForRefusal(folder));
    screenshotMoment("download_failed");
    EXPECT_EQ(findWindow(pid_, "#32770", ""), nullptr) << "no switch-over prompt";
    HWND window = updateWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowEnabled(main_)) << "the update window is modal";
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitWhileRunning([&] { return !updateWindow(); }));
    EXPECT_TRUE(waitWhileRunning([&] { return IsWindowEnabled(main_) != FALSE; }));
    EXPECT_TRUE(running());
    EXPECT_TRUE(korvel::io::fileExists(program_)) << "the old program stays";
    EXPECT_FALSE(korvel::io::fileExists(download_)) << "the broken download goes";
    closeProgram(pid_, main_);
}

// The window is closed while the transfer's first request waits for the
// server beyond the engine's stop budget; the server answers afterwards. The
// stopped transfer creates no file, before or after the program ends.
TEST_F(UpgradeDriver, ClosedWhileTheFirstRequestIsHeld) {
    chooseSettingsItem(0);
    acceptUpdatePrompt();
    ASSERT_TRUE(waitWhileRunning([&] { return standinCount("held") == 1; }, kDownloadWaitMs));
    HWND window = updateWindow();
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitWhileRunning([&] { return !updateWindow(); }));
    // The window hides before it stops the transfer; the program answers
    // once the stop has given up waiting.
    DWORD_PTR result = 0;
    ASSERT_NE(SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, kWindowWaitMs, &result), 0u);
    EXPECT_EQ(standinCount("held"), 1);
    EXPECT_TRUE(IsWindowEnabled(main_));
    ASSERT_TRUE(upgrade::testing::plainGet(standin() + "/control?release=1") == "ok");
    ASSERT_TRUE(waitWhileRunning([&] { return fileEnds() >= 1; })) << "the answer went out";
    EXPECT_TRUE(answering());
    closeProgram(pid_, main_);
    EXPECT_FALSE(korvel::io::fileExists(download_)) << "a stopped transfer made its file";
}

TEST_F(UpgradeDriver, CancelKeepsTheDownload) {
    chooseSettingsItem(0);
    acceptUpdatePrompt();
    screenshotMoment("downloading", 3000);
    HWND box = waitForSwitchOverPrompt();
    ASSERT_NE(box, nullptr) << "the switch-over prompt";
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(waitWhileRunning([&] { return !IsWindow(box) && !updateWindow(); }));
    EXPECT_TRUE(waitWhileRunning([&] { return IsWindowEnabled(main_) != FALSE; }));
    EXPECT_TRUE(running());
    EXPECT_TRUE(korvel::io::fileExists(download_));
    EXPECT_FALSE(korvel::io::fileExists(folder_ + "\\" + upgrade::kScriptFileName));
    closeProgram(pid_, main_);
}

// KORVEL_E2E_BYSTANDER names a second copy of the program, of the same file
// name in another folder, that runs through the switch-over: the script
// ends the old program by its id, and the second copy runs on.
TEST_F(UpgradeDriver, SwitchOver) {
    const std::string bystander = environment(L"KORVEL_E2E_BYSTANDER");
    PROCESS_INFORMATION info{};
    HWND otherMain = nullptr;
    if (!bystander.empty()) {
        std::wstring line = L"\"" + toWide(bystander) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &info));
        otherMain = waitForWindow(info.dwProcessId, "KorvelMainWindow", "");
        ASSERT_NE(otherMain, nullptr);
    }
    KernelHandle other(info.hProcess), otherThread(info.hThread);

    chooseSettingsItem(0);
    acceptUpdatePrompt();
    HWND box = waitForSwitchOverPrompt();
    ASSERT_NE(box, nullptr) << "the switch-over prompt";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(WaitForSingleObject(process_.get(), 15000), WAIT_OBJECT_0) << "the old program ends";
    DWORD code = 99;
    GetExitCodeProcess(process_.get(), &code);
    EXPECT_TRUE(code == 0 || code == 1) << code << " (0 from its own end, 1 from Taskkill)";

    DWORD next = 0;
    EXPECT_TRUE(waitUntil([&] { return (next = processOf(download_)) != 0; }, kWindowWaitMs))
        << "the new program runs under the name it was downloaded as";
    HWND nextMain = next ? waitForWindow(next, "KorvelMainWindow", "") : nullptr;
    EXPECT_NE(nextMain, nullptr);
    EXPECT_TRUE(waitUntil(
        [&] {
            return !korvel::io::fileExists(program_) &&
                   !korvel::io::fileExists(folder_ + "\\" + upgrade::kScriptFileName);
        },
        kWindowWaitMs))
        << "the script deletes the old program and itself";
    EXPECT_EQ(processOf(program_), 0u);
    if (nextMain) closeProgram(next, nextMain);
    if (otherMain) {
        EXPECT_EQ(WaitForSingleObject(other.get(), 0), WAIT_TIMEOUT) << "the second copy runs on";
        closeProgram(info.dwProcessId, otherMain);
    }
}

// With a changed list, agreeing to switch over first offers to save it;
// 取消 keeps the old program running with its list, as a refused
// switch-over does, and the download stays beside it.
TEST_F(UpgradeDriver, ChangedListIsOfferedBeforeTheSwitchOver) {
    // A number added as the tree's Enter adds one: the company selected,
    // Enter, the number typed into the dialog, OK.
    HWND tree = FindWindowExW(main_, nullptr, WC_TREEVIEWW, nullptr);
    ASSERT_NE(tree, nullptr);
    PostMessageW(main_, ui::kMsgCommand, static_cast<WPARAM>(ui::MainCommand::PageQuery), 0);
    ASSERT_TRUE(waitWhileRunning([&] { return IsWindowVisible(tree) != FALSE; }));
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET,
                 SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    PostMessageW(tree, WM_KEYDOWN, VK_RETURN, 0);
    HWND dialog = waitForProgramWindow("#32770", "输入单号");
    ASSERT_NE(dialog, nullptr) << "the number dialog";
    HWND field = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
    ASSERT_NE(field, nullptr);
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"AAE0001"));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(waitWhileRunning([&] { return !IsWindow(dialog); }));

    chooseSettingsItem(0);
    acceptUpdatePrompt();
    HWND prompt = waitForSwitchOverPrompt();
    ASSERT_NE(prompt, nullptr) << "the switch-over prompt";
    PostMessageW(prompt, WM_COMMAND, IDOK, 0);
    HWND ask = waitForProgramWindow("SkinHostWnd", "询问");
    ASSERT_NE(ask, nullptr) << "the question about the changed list";
    clickBoxButton(ask, 0);  // 取消
    EXPECT_TRUE(waitWhileRunning([&] { return !IsWindow(ask) && !updateWindow(); }));
    EXPECT_TRUE(waitWhileRunning([&] { return IsWindowEnabled(main_) != FALSE; }));
    EXPECT_TRUE(running());
    EXPECT_TRUE(answering());
    EXPECT_TRUE(korvel::io::fileExists(download_));
    EXPECT_FALSE(korvel::io::fileExists(folder_ + "\\" + upgrade::kScriptFileName));
    EXPECT_EQ(processOf(download_), 0u) << "the new program was not started";

    // Closing asks too; 否 lets it go.
    KernelHandle p(OpenProcess(SYNCHRONIZE, FALSE, pid_));
    PostMessageW(main_, WM_CLOSE, 0, 0);
    ask = waitForProgramWindow("SkinHostWnd", "询问");
    ASSERT_NE(ask, nullptr) << "the question on close";
    clickBoxButton(ask, 1);  // 否
    EXPECT_EQ(WaitForSingleObject(p.get(), 15000), WAIT_OBJECT_0) << "the program ends";
}

TEST_F(UpgradeDriver, About) {
    chooseSettingsItem(1);
    HWND about = waitForProgramWindow("SkinHostWnd", upgrade::kAboutWindowTitle);
    ASSERT_NE(about, nullptr) << "the About window";
    EXPECT_TRUE(IsWindowEnabled(main_)) << "not modal";
    screenshotMoment("about");
    PostMessageW(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitWhileRunning([&] { return !IsWindow(about); }));
    closeProgram(pid_, main_);
}

}  // namespace
