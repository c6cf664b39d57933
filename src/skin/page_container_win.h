// Numbered pages of drawn elements and native child windows: only the
// selected page's elements are visible and only its windows are shown. With
// header position 0 the container draws nothing of its own and the program's
// own buttons select the pages; positions 1 to 4 put a row of page names on
// one side (top, right, bottom, left).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "skin/skin_control_win.h"

namespace korvel::skin {

class PageContainer : public SkinControl {
public:
    // Returns true to allow the change to page (a veto keeps the old page).
    using PageChangingFn = std::function<bool(int oldPage, int newPage)>;
    using PageChangedFn = std::function<void(int page)>;

    int Create(HWND hwnd, int x, int y, int width, int height, bool visible = true);
    // headerPosition 0: nothing drawn; 1..4: the side of the page-name row.
    // headerSize: the row's thickness in pixels (not used without a header;
    // values below 1 give the default of 24).
    void SetLook(int headerPosition, int headerSize = -2);
    int HeaderPosition() const { return headerPosition_; }

    // Pages are numbered from 1 in the order added; the selected page stays.
    int AddPage(const std::string& name);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    bool IsValidPage(int page) const { return page >= 1 && page <= PageCount(); }
    const std::string& PageName(int page) const;

    int SelectedPage() const { return selected_; }
    // Asks the changing subroutine, hides the old page, shows the new one,
    // redraws and reports the change. Invalid pages and vetoes change nothing.
    bool SelectedPage(int page);

    // Puts a drawn control (by its number in this window) or a native child
    // window on a page; it shows only while that page is selected.
    bool AddElement(int page, int controlNumber);
    bool AddWindow(int page, HWND child);

    void PageChangedEvent(PageChangedFn fn) { changed_ = std::move(fn); }
    void PageChangingEvent(PageChangingFn fn) { changing_ = std::move(fn); }

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int window,
                          int control, int extra) override;

private:
    struct Page {
        std::string name;
        std::vector<SkinControl*> elements;
        std::vector<HWND> windows;
    };
    void applyVisibility(int page, bool visible);
    void paint();
    // The page whose name is under a window point, 0 for none.
    int headerHit(float x, float y) const;
    RectF headerRect(int page) const;

    std::vector<Page> pages_;
    int selected_ = 0;
    int headerPosition_ = 1;
    int headerSize_ = 24;
    PageChangedFn changed_;
    PageChangingFn changing_;
};

}  // namespace korvel::skin
