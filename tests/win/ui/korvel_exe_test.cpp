// The real korvel.exe, started as a user would start it and driven from
// outside through window messages. Its windows are looked for among those
// of the process started here only, and it keeps its own files in a fresh
// folder of its own.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "../child_data_folder.h"
#include "text/wide_text_win.h"

using korvel::text::toGbk;

namespace {

// KORVEL_CROSS_DIR is a Unix path; Wine maps the Unix root to drive Z:.
std::wstring exePath() {
    const char* dir = std::getenv("KORVEL_CROSS_DIR");
    std::string path = std::string("Z:") + (dir ? dir : "") + "/korvel.exe";
    for (char& c : path)
        if (c == '/') c = '\\';
    return korvel::text::toWide(path);
}

bool waitFor(const std::function<bool()>& done, DWORD timeoutMs = 30000) {
    const DWORD end = GetTickCount() + timeoutMs;
    while (GetTickCount() < end) {
        if (done()) return true;
        Sleep(20);
    }
    return done();
}

struct ChildWindows {
    HWND tree = nullptr, edit = nullptr, combo = nullptr, animation = nullptr;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM lp) {
    auto* out = reinterpret_cast<ChildWindows*>(lp);
    wchar_t cls[64];
    GetClassNameW(hwnd, cls, 64);
    if (!wcscmp(cls, WC_TREEVIEWW)) out->tree = hwnd;
    if (!wcscmp(cls, L"KorvelResultView")) out->edit = hwnd;
    if (!_wcsicmp(cls, L"ComboBox")) out->combo = hwnd;
    if (!wcscmp(cls, L"KorvelAnimatedPicture")) out->animation = hwnd;
    return TRUE;
}

struct MainSearch {
    DWORD pid;
    HWND found = nullptr;
};

BOOL CALLBACK findMain(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<MainSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (pid != search->pid || wcscmp(cls, L"KorvelMainWindow") || !IsWindowVisible(hwnd))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

class KorvelExeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::wstring cmd = L"\"" + exePath() + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &pi_))
            << "cannot start " << toGbk(exePath());
        ASSERT_TRUE(waitFor([&] {
            MainSearch search{pi_.dwProcessId};
            EnumWindows(findMain, reinterpret_cast<LPARAM>(&search));
            main_ = search.found;
            return main_ != nullptr || WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0;
        }));
        ASSERT_NE(main_, nullptr) << "no main window";
        // The tracking page follows the first frame: its controls, the
        // animation last, then the companies.
        waitFor([&] {
            children_ = {};
            EnumChildWindows(main_, collect, reinterpret_cast<LPARAM>(&children_));
            return children_.animation && SendMessageW(children_.tree, TVM_GETCOUNT, 0, 0) > 0;
        });
    }
    void TearDown() override {
        if (pi_.hProcess) {
            if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(pi_.hProcess, 1);
            WaitForSingleObject(pi_.hProcess, 10000);
            CloseHandle(pi_.hProcess);
            CloseHandle(pi_.hThread);
        }
    }
    void click(int x, int y) {
        const LPARAM at = MAKELPARAM(x, y);
        PostMessageW(main_, WM_MOUSEMOVE, 0, at);
        PostMessageW(main_, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(main_, WM_LBUTTONUP, 0, at);
    }

    // A data folder of its own: no list another test left unsaved is offered here.
    korvel::wine_test::ChildDataFolder data_;
    PROCESS_INFORMATION pi_{};
    HWND main_ = nullptr;
    ChildWindows children_;
};

TEST_F(KorvelExeTest, StartsWithTheCatalogueSwitchesPagesAndClosesCleanly) {
    ASSERT_NE(children_.tree, nullptr);
    ASSERT_NE(children_.combo, nullptr);
    ASSERT_NE(children_.edit, nullptr);
    ASSERT_NE(children_.animation, nullptr);
    RECT r;
    GetWindowRect(main_, &r);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right - r.left, 662);
    EXPECT_EQ(r.bottom - r.top, 485);
    EXPECT_EQ(GetWindowTextLengthW(main_), 0);  // the title stays empty

    EXPECT_EQ(SendMessageW(children_.tree, TVM_GETCOUNT, 0, 0), 79);
    EXPECT_EQ(SendMessageW(children_.combo, CB_GETCOUNT, 0, 0), 79);
    wchar_t text[64] = {};
    // WM_GETTEXT itself: GetWindowText on another process's window only
    // reads the caption it was created with.
    SendMessageW(children_.combo, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(toGbk(text), "AAE快递");
    SendMessageW(children_.combo, CB_GETLBTEXT, 78, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(toGbk(text), "申通快递");
    EXPECT_TRUE(GetWindowLongW(children_.edit, GWL_STYLE) & ES_READONLY);
    EXPECT_FALSE(IsWindowVisible(children_.tree));

    click(130, 60);  // tab "单号查询"
    // The program shows its controls one after the other: wait for all.
    EXPECT_TRUE(waitFor([&] {
        return IsWindowVisible(children_.tree) && IsWindowVisible(children_.edit) &&
               IsWindowVisible(children_.combo) && !IsWindowVisible(children_.animation);
    }));

    click(215, 60);  // tab "网点查询"
    EXPECT_TRUE(waitFor(
        [&] { return IsWindowVisible(children_.animation) && !IsWindowVisible(children_.tree); }));

    PostMessageW(main_, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(pi_.hProcess, 10000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(pi_.hProcess, &code);
    EXPECT_EQ(code, 0u);
}

// The manifest Windows reads at start: run as the user (no installer-style
// elevation, no redirected writes beside the program), the Windows 7 to 11
// ids, and neither DPI awareness nor common controls 6, which the pixel
// layout and the classic control look rely on.
TEST(KorvelExeManifest, DeclaresAsInvokerAndWindows7To11) {
    HMODULE exe = LoadLibraryExW(exePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr) << "no manifest resource 1";
    const DWORD size = SizeofResource(exe, found);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(exe, found)));
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(bytes, size);
    FreeLibrary(exe);
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"),
              std::string::npos);
    for (const char* os : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",   // 7
                           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",   // 8
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",   // 8.1
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})  // 10 and 11
        EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + os + "\"/>"), std::string::npos)
            << os;
    EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
    EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
}

}  // namespace
