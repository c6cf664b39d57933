// The result box: a read-only multi-line EDIT that receives every block of a
// batch run. Texts are GBK; the control is driven through its W messages.
#pragma once

#include <windows.h>

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
    // Adds text at the end; the cost is that of the new text, not of the box.
    void append(const std::string& text);

  private:
    HWND edit_;
};

}  // namespace korvel::query
