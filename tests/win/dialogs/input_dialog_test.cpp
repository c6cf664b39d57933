#include <gtest/gtest.h>

#include <functional>

#include "dialogs/input_dialog_win.h"
#include "text/wide_text_win.h"

using namespace korvel::dialogs;

namespace {

// What the timer does to the dialog once it is up.
std::function<void(HWND)> g_action;
std::wstring g_seenTitle, g_seenPrompt;

BOOL CALLBACK findDialog(HWND hwnd, LPARAM out) {
    wchar_t cls[16];
    GetClassNameW(hwnd, cls, 16);
    if (wcscmp(cls, L"#32770") == 0 && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(out) = hwnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK drive(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dlg));
    if (!dlg) return;
    KillTimer(nullptr, id);
    wchar_t buf[256];
    GetWindowTextW(dlg, buf, 256);
    g_seenTitle = buf;
    GetDlgItemTextW(dlg, korvel::dialogs::kInputPromptId, buf, 256);
    g_seenPrompt = buf;
    g_action(dlg);
}

std::optional<std::string> runDialog(std::function<void(HWND)> action,
                                     const std::string& initial = {}) {
    g_action = std::move(action);
    SetTimer(nullptr, 0, 50, drive);
    return korvel::dialogs::showInputDialog(nullptr, "输入单号，多单号间用空格隔开", "输入单号",
                                            initial);
}

TEST(InputDialog, OkReturnsTheTypedGbkText) {
    auto typed = runDialog([](HWND dlg) {
        SetDlgItemTextW(dlg, korvel::dialogs::kInputEditId,
                        korvel::text::toWide(" 123 顺丰 ").c_str());
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(typed.has_value());
    EXPECT_EQ(*typed, " 123 顺丰 ");
    EXPECT_EQ(g_seenTitle, korvel::text::toWide("输入单号"));
    EXPECT_EQ(g_seenPrompt, korvel::text::toWide("输入单号，多单号间用空格隔开"));
}

TEST(InputDialog, CancelAndEscapeReturnNothing) {
    EXPECT_EQ(runDialog([](HWND dlg) {
                  SetDlgItemTextW(dlg, korvel::dialogs::kInputEditId, L"999");
                  SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
              }),
              std::nullopt);
    EXPECT_EQ(runDialog([](HWND dlg) { PostMessageW(dlg, WM_CLOSE, 0, 0); }), std::nullopt);
}

TEST(InputDialog, StartsWithTheInitialTextAndOkWithEmptyTextIsNotCancel) {
    std::wstring seen;
    auto typed = runDialog(
        [&](HWND dlg) {
            wchar_t buf[64];
            GetDlgItemTextW(dlg, korvel::dialogs::kInputEditId, buf, 64);
            seen = buf;
            SetDlgItemTextW(dlg, korvel::dialogs::kInputEditId, L"");
            SendMessageW(dlg, WM_COMMAND, IDOK, 0);
        },
        "start");
    EXPECT_EQ(seen, L"start");
    ASSERT_TRUE(typed.has_value());
    EXPECT_EQ(*typed, "");
}

}  // namespace
