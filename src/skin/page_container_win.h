// Numbered pages over one area of a skinned window. Each page owns drawn
// elements and native child windows that are shown only while it is
// selected. With header position 0 the container draws nothing and lets
// the pointer through; 1 to 4 put a simple tab header on its top, bottom,
// left or right side.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "skin/skin_color.h"
#include "skin/skin_control_win.h"

namespace korvel::skin {

struct PageLook {
    Argb headerColor = 0xFA000000;    // black, alpha 250: the names on the header
    Argb selectedColor = 0x3CFFFFFF;  // white, alpha 60: the selected tab's face
    Argb lineColor = 0x5A000000;      // black, alpha 90: outlines
};

class PageContainer : public SkinControl {
  public:
    // Called with the newly selected page.
    using PageChanged = std::function<void(int page)>;
    // Called with the page about to be selected; 0 keeps the old page.
    using PageChanging = std::function<int(int page)>;

    // Registers the container (not focusable). rounded: absent follows the
    // window's frame style. Returns the control number.
    int Create(HWND hwnd, int x, int y, int width, int height, const PageLook& look = {},
               std::optional<bool> rounded = std::nullopt, bool visible = true);
    // Header position 0 (none), 1 top, 2 bottom, 3 left, 4 right, and the
    // header's thickness (a size of 0 or less keeps the current one). Repaints.
    void SetLook(int headerPosition, int headerSize = 0);
    int HeaderPosition() const { return headerPosition_; }

    // Appends a page; pages are numbered from 1. The selection stays.
    int AddPage(const std::string& gbkName);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    const std::string& PageName(int page) const;
    int SelectedPage() const { return selected_; }
    // Selects a valid page (see PageChanging); returns the selected page.
    int SelectedPage(int page);
    bool IsValidPage(int page) const { return page >= 1 && page <= PageCount(); }

    // A drawn control of the same window, by control number; shown only on its page.
    bool AddElement(int page, int control);
    bool AddElement(int page, SkinControl& control);
    // A native child window, shown with ShowWindow only while its page is selected.
    bool AddWindow(int page, HWND window);

    void PageChangedEvent(PageChanged fn) { changed_ = std::move(fn); }
    void PageChangingEvent(PageChanging fn) { changing_ = std::move(fn); }

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int window,
                          int control, int extra) override;
    bool HitsAt(float x, float y) const override;

  private:
    struct Page {
        std::string name;
        std::vector<SkinControl*> elements;
        std::vector<HWND> windows;
    };
    void showPage(int page, bool show);
    void paint();
    RectF headerRect() const;
    RectF tabRect(int page) const;
    int tabAt(float x, float y) const;

    std::vector<Page> pages_;
    int selected_ = 0;
    int headerPosition_ = 1;
    int headerSize_ = 24;
    bool rounded_ = true;
    PageLook look_;
    PageChanged changed_;
    PageChanging changing_;
};

}  // namespace korvel::skin
