// What the tests of the real main window share: message pumps that run this
// thread's messages as the program's loop would (../message_pump.h), and the
// window itself, made afresh for each test on the tracking stand-in when one
// is up.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "../message_pump.h"
#include "skin/skin_toolkit_win.h"
#include "text/wide_text_win.h"
#include "ui/main_window_win.h"

namespace korvel::ui::testing {

using korvel::wine_test::pumpPosted;
using korvel::wine_test::pumpUntil;

// The temporary folder, GBK, without its trailing backslash.
inline std::string tempDir() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    std::string d = text::toGbk(tmp);
    if (!d.empty() && d.back() == '\\') d.pop_back();
    return d;
}

// The pre-order index of the first item with this text, or -1.
inline int indexOfText(MainWindow& w, const std::string& text) {
    for (int i = 0; i < w.tree().itemCount(); ++i)
        if (w.tree().itemText(i) == text) return i;
    return -1;
}

// "127.0.0.1:port" of the tracking stand-in, empty without one.
inline std::string trackingEndpoint() {
    const char* port = std::getenv("KORVEL_TRACKING_PORT");
    return port ? std::string("127.0.0.1:") + port : std::string();
}

// A shown main window for each test, as start-up makes it.
class MainWindowFixture : public ::testing::Test {
  protected:
    explicit MainWindowFixture(std::string exeName) : exeName_(std::move(exeName)) {}

    void SetUp() override {
        ASSERT_TRUE(skin::InitToolkit());
        window_ =
            std::make_unique<MainWindow>(ProgramPlace{tempDir(), exeName_}, trackingEndpoint());
        ASSERT_TRUE(window_->create(SW_SHOW));
    }
    void TearDown() override {
        window_.reset();
        // Closing the main window ends the program's loop with WM_QUIT; here
        // the next test would see it end its first modal loop at once.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    static std::string dir() { return tempDir(); }

    std::unique_ptr<MainWindow> window_;

  private:
    std::string exeName_;
};

}  // namespace korvel::ui::testing
