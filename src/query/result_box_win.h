// The result box: a read-only multi-line EDIT that receives every block of a
// batch run. Texts are GBK; the control is driven through its W messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace korvel::query {

class ResultBox {
  public:
    // Raises the control's text limit, whose default would cut a long run off,
    // and gives it a word-break rule whose cost does not grow with the box.
    explicit ResultBox(HWND edit);

    HWND handle() const { return edit_; }
    void setText(const std::string& text);
    std::string text() const;
    // Adds text at the end. The reader's view and selection stay as they
    // are, so the lines on screen need no repaint.
    void append(const std::string& text);
    // Called now and then on the UI thread while an append lays its lines
    // out, which can take long: lets calls that must not wait for it run.
    // It must not touch this box.
    void setLayoutTick(std::function<void()> tick) { layoutTick_ = std::move(tick); }

  private:
    HWND edit_;
    std::function<void()> layoutTick_;
};

}  // namespace korvel::query
