// The result box as the query run sees it: a multi-line text window that
// answers the EDIT messages (the main window's is the program's own result
// view). Texts are GBK; the window is driven through its W messages.
#pragma once

#include <windows.h>

#include <string>

namespace korvel::ui {

class ResultBox {
  public:
    explicit ResultBox(HWND window) : window_(window) {}

    HWND handle() const { return window_; }
    void setText(const std::string& text);
    std::string text() const;
    // Adds text at the end. The reader's view and selection stay as they
    // are, so the lines on screen need no repaint.
    void append(const std::string& text);

  private:
    HWND window_;
};

}  // namespace korvel::ui
