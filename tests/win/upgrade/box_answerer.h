// Answers the modal boxes the code under test opens on this thread: a
// thread timer (which keeps firing inside any nested message loop) finds
// the program's skinned message box and the system's "#32770" box among the
// thread's windows, records what each showed and presses the next scripted
// button. A deadline closes every window of the thread so a test that goes
// wrong fails instead of hanging.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "skin/button_win.h"
#include "skin/label_win.h"
#include "skin/skin_toolkit_win.h"
#include "skin/skin_window_table_win.h"
#include "skin/toolkit_messages.h"
#include "text/wide_text_win.h"

namespace korvel::upgrade::testing {

struct SeenBox {
    bool system = false;  // the system message box, not the program's own
    std::string title;
    std::string text;
    std::vector<std::string> buttons;  // the skinned box's captions, right-most first
};

// Ok presses "确认" (IDOK in a system box), Cancel "取消" (IDCANCEL).
enum class Press { Ok, Cancel };

class BoxAnswerer {
  public:
    using Tick = std::function<void()>;

    BoxAnswerer(std::vector<Press> presses, Tick onTick = {}, DWORD deadlineMs = 90000)
        : presses_(std::move(presses)),
          onTick_(std::move(onTick)),
          deadline_(GetTickCount() + deadlineMs) {
        current() = this;
        timer_ = SetTimer(nullptr, 0, kStepMs, &BoxAnswerer::timerProc);
    }
    ~BoxAnswerer() {
        KillTimer(nullptr, timer_);
        current() = nullptr;
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    const std::vector<SeenBox>& seen() const { return seen_; }
    bool timedOut() const { return timedOut_; }
    // Boxes that came when no press was left (each was cancelled).
    int unexpected() const { return unexpected_; }

  private:
    static constexpr UINT kStepMs = 40;

    static BoxAnswerer*& current() {
        static BoxAnswerer* instance = nullptr;
        return instance;
    }

    static void CALLBACK timerProc(HWND, UINT, UINT_PTR, DWORD) {
        if (BoxAnswerer* self = current()) self->step();
    }

    static BOOL CALLBACK collect(HWND hwnd, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
        return TRUE;
    }

    static std::string className(HWND hwnd) {
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        return text::toGbk(name);
    }
    static std::string windowText(HWND hwnd) {
        wchar_t buffer[1024] = {};
        GetWindowTextW(hwnd, buffer, 1024);
        return text::toGbk(buffer);
    }

    void step() {
        if (busy_) return;  // a press below may run a nested loop
        busy_ = true;
        if (onTick_) onTick_();
        std::vector<HWND> windows;
        EnumThreadWindows(GetCurrentThreadId(), &BoxAnswerer::collect,
                          reinterpret_cast<LPARAM>(&windows));
        if (static_cast<LONG>(GetTickCount() - deadline_) > 0 && !timedOut_) {
            timedOut_ = true;
            for (HWND hwnd : windows) PostMessageW(hwnd, WM_CLOSE, 0, 0);
        }
        for (HWND hwnd : windows) {
            if (!IsWindowVisible(hwnd) || handled_.count(hwnd)) continue;
            if (className(hwnd) == "#32770")
                answerSystem(hwnd);
            else if (className(hwnd) == text::toGbk(skin::kHostClassName))
                answerSkinned(hwnd);
        }
        busy_ = false;
    }

    bool nextPress(Press& press) {
        if (pressed_ >= presses_.size()) {
            ++unexpected_;
            press = Press::Cancel;
            return false;
        }
        press = presses_[pressed_++];
        return true;
    }

    void answerSystem(HWND box) {
        handled_.insert(box);
        SeenBox seen;
        seen.system = true;
        seen.title = windowText(box);
        wchar_t message[1024] = {};
        GetDlgItemTextW(box, 0xFFFF, message, 1024);  // the static text of a message box
        seen.text = text::toGbk(message);
        seen_.push_back(seen);
        Press press;
        nextPress(press);
        PostMessageW(box, WM_COMMAND, press == Press::Ok ? IDOK : IDCANCEL, 0);
    }

    // The program's box is the skinned window that holds push buttons.
    void answerSkinned(HWND box) {
        skin::SkinWindowRecord* record = skin::WindowRecord(skin::FindWindowNumber(box));
        if (!record) return;
        SeenBox seen;
        seen.title = windowText(box);
        std::vector<std::pair<std::string, skin::RectF>> buttons;
        for (const skin::ControlEntry& entry : record->controls) {
            if (entry.kind == skin::kKindButton) {
                if (auto* button = dynamic_cast<skin::Button*>(entry.control))
                    buttons.emplace_back(button->ButtonText(), entry.rect);
            } else if (entry.kind == skin::kKindLabel) {
                if (auto* label = dynamic_cast<skin::Label*>(entry.control))
                    seen.text = label->LabelText();
            }
        }
        if (buttons.empty()) return;  // not a message box
        handled_.insert(box);
        for (const auto& button : buttons) seen.buttons.push_back(button.first);
        seen_.push_back(seen);
        Press press;
        if (!nextPress(press)) {
            PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
            return;
        }
        const std::string wanted = press == Press::Ok ? "确认" : "取消";
        for (const auto& [caption, rect] : buttons) {
            if (caption != wanted) continue;
            const LPARAM at = MAKELPARAM(static_cast<int>(rect.x + rect.width / 2),
                                         static_cast<int>(rect.y + rect.height / 2));
            SetActiveWindow(box);
            SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendMessageW(box, WM_LBUTTONUP, 0, at);
            return;
        }
        PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);  // no such button: leaves the result 1
    }

    std::vector<Press> presses_;
    size_t pressed_ = 0;
    Tick onTick_;
    DWORD deadline_;
    UINT_PTR timer_ = 0;
    bool busy_ = false;
    bool timedOut_ = false;
    int unexpected_ = 0;
    std::set<HWND> handled_;
    std::vector<SeenBox> seen_;
};

}  // namespace korvel::upgrade::testing
