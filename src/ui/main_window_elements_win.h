// The drawn half of the main window: its SkinEngine and every drawn element
// (panels, the page container, labels, tabs, tiles, push buttons, pictures),
// created in their stacking order and put on their pages.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "skin/button_win.h"
#include "skin/label_win.h"
#include "skin/page_container_win.h"
#include "skin/panel_win.h"
#include "skin/picture_box_win.h"
#include "skin/skin_engine_win.h"
#include "skin/tab_button_win.h"
#include "ui/main_window_layout.h"

namespace korvel::ui {

class MainWindow;

// Commands the drawn elements start; they run after the click that started
// them has been handled (posted to the window as kMsgCommand).
enum class MainCommand : WPARAM {
    Locate = 1,
    Import,
    Query,
    Save,
    PageHome,
    PageQuery,
    PageOutlets,
    BackgroundPicture,
    SettingsMenu,
    NumberDialog,
};
constexpr UINT kMsgCommand = WM_APP + 1;

class MainWindowElements {
  public:
    MainWindowElements(MainWindow& window, const MainWindowLayout& layout)
        : window_(window), layout_(layout) {}

    // Attaches the engine and creates every element; false when the window
    // cannot be skinned.
    bool create(const std::string& version);
    // The native controls go on their pages once they exist.
    void addWindowToPage(int page, HWND child);

    void selectPage(int page);
    void setStatus(const std::string& text);
    void setQueryCaption(const std::string& caption);
    void setBackPanelAlpha(int alpha);
    void setBackground(const std::string& pictureBytes);

    skin::SkinEngine& engine() { return engine_; }
    skin::PageContainer& pages() { return pages_; }
    skin::Label& statusLabel() { return status_; }
    skin::Button& queryButton() { return query_; }
    skin::TabButton& tab(int i) { return tabs_[static_cast<size_t>(i)]; }

  private:
    void createPanelsAndLabels(const std::string& version);
    void createButtonsAndPictures();
    void placeOnPages();
    void bindCommands();
    void post(MainCommand command);

    MainWindow& window_;
    MainWindowLayout layout_;
    skin::SkinEngine engine_;
    skin::Panel backPanel_, sidePanel_;
    skin::PageContainer pages_;
    skin::Label searchCaption_, status_, version_, thanks_, notice_;
    std::array<skin::TabButton, 3> tabs_;
    std::array<skin::TabButton, 4> tiles_;
    skin::Button locate_, import_, query_, save_;
    std::array<skin::PictureBox, 3> pictures_;
};

}  // namespace korvel::ui
