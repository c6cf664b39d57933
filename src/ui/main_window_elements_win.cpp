#include "ui/main_window_elements_win.h"

#include "skin/builtin_pictures.h"
#include "skin/skin_color.h"
#include "skin/toolkit_messages.h"
#include "ui/main_window_texts.h"
#include "ui/main_window_win.h"

namespace korvel::ui {

using namespace korvel::skin;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr unsigned kMainCaptionFlags = 0x75;  // icon, close, minimize, buttons 32 and 64

LabelOptions wrapping(int alignment) {
    LabelOptions o;
    o.alignment = alignment;
    o.formatFlags = 0;
    return o;
}

}  // namespace

bool MainWindowElements::create(const std::string& version) {
    // Every Create, page and element change below would repaint; the window
    // is composed once when the guard ends.
    PaintingSuspension setUp(engine_);
    AttachOptions attach;
    attach.captionFlags = kMainCaptionFlags;
    attach.stretchImage = true;
    attach.notResizable = true;
    attach.edgeHighlight = true;
    if (!engine_.Attach(window_.handle(), pictures::mainBackground(), attach)) return false;
    // In their stacking order: panels and labels under the buttons and pictures.
    createPanelsAndLabels(version);
    createButtonsAndPictures();
    placeOnPages();
    bindCommands();
    return true;
}

void MainWindowElements::createPanelsAndLabels(const std::string& version) {
    HWND hwnd = window_.handle();
    const MainWindowLayout& l = layout_;
    backPanel_.Create(hwnd, l.backPanel.x, l.backPanel.y, l.backPanel.width, l.backPanel.height, 0,
                      0, colorToArgb(kWhite, 100), colorToArgb(kWhite));
    sidePanel_.Create(hwnd, l.sidePanel.x, l.sidePanel.y, l.sidePanel.width, l.sidePanel.height, 0,
                      std::nullopt, rgbaToArgb(192, 192, 192, 200), std::nullopt);
    pages_.Create(hwnd, l.pageContainer.x, l.pageContainer.y, l.pageContainer.width,
                  l.pageContainer.height);
    searchCaption_.Create(hwnd, texts::kSearchCaption, l.searchCaption.x, l.searchCaption.y,
                          l.searchCaption.width, l.searchCaption.height);
    status_.Create(hwnd, texts::kStatus, l.statusLabel.x, l.statusLabel.y, l.statusLabel.width,
                   l.statusLabel.height, wrapping(0));
    LabelOptions versionLook = wrapping(0);
    versionLook.textColor = rgbaToArgb(255, 128, 0, 200);
    version_.Create(hwnd, std::string(texts::kVersionTextBefore) + version, l.versionText.x,
                    l.versionText.y, l.versionText.width, l.versionText.height, versionLook);
    thanks_.Create(hwnd, texts::kThanks, l.thanksText.x, l.thanksText.y, l.thanksText.width,
                   l.thanksText.height, wrapping(2));
    notice_.Create(hwnd, texts::kNotice, l.noticeText.x, l.noticeText.y, l.noticeText.width,
                   l.noticeText.height, wrapping(2));
}

void MainWindowElements::createButtonsAndPictures() {
    HWND hwnd = window_.handle();
    const MainWindowLayout& l = layout_;
    const char* tabCaptions[3] = {texts::kTabHome, texts::kTabQuery, texts::kTabOutlets};
    const std::span<const std::uint8_t> tabIcons[3] = {
        pictures::tabHomeIcon(), pictures::tabQueryIcon(), pictures::tabOutletsIcon()};
    for (int i = 0; i < 3; ++i) {
        const Box& b = l.tabs[i];
        tabs_[i].Create(hwnd, tabCaptions[i], b.x, b.y, b.width, b.height, i == 0, tabIcons[i],
                        true);
    }
    const std::span<const std::uint8_t> tileIcons[4] = {
        pictures::tileIcon1(), pictures::tileIcon2(), pictures::tileIcon3(), pictures::tileIcon4()};
    for (int i = 0; i < 4; ++i) {
        const Box& b = l.tiles[i];
        tiles_[i].Create(hwnd, texts::kTile, b.x, b.y, b.width, b.height, false, tileIcons[i],
                         false);
    }
    locate_.Create(hwnd, texts::kLocate, l.locateButton.x, l.locateButton.y, l.locateButton.width,
                   l.locateButton.height);
    import_.Create(hwnd, texts::kImport, l.importButton.x, l.importButton.y, l.importButton.width,
                   l.importButton.height);
    query_.Create(hwnd, texts::kStartQuery, l.queryButton.x, l.queryButton.y, l.queryButton.width,
                  l.queryButton.height);
    save_.Create(hwnd, texts::kSave, l.saveButton.x, l.saveButton.y, l.saveButton.width,
                 l.saveButton.height);
    const std::span<const std::uint8_t> homePictures[3] = {
        pictures::homePicture1(), pictures::homePicture2(), pictures::homePicture3()};
    for (int i = 0; i < 3; ++i) {
        const Box& b = l.pictures[i];
        pictures_[i].Create(hwnd, b.x, b.y, b.width, b.height, homePictures[i]);
    }
}

// The container's own header is off; the tabs select the pages.
void MainWindowElements::placeOnPages() {
    pages_.AddPage(texts::kPageHome);
    pages_.AddPage(texts::kPageQuery);
    pages_.AddPage(texts::kPageOutlets);
    pages_.SetLook(0, -2);
    pages_.SelectedPage(1);
    pages_.AddElement(1, sidePanel_.ControlNumber());
    pages_.AddElement(2, searchCaption_.ControlNumber());
    pages_.AddElement(2, status_.ControlNumber());
    pages_.AddElement(1, version_.ControlNumber());
    pages_.AddElement(1, thanks_.ControlNumber());
    pages_.AddElement(3, notice_.ControlNumber());
    for (auto& tile : tiles_) pages_.AddElement(1, tile.ControlNumber());
    for (Button* b : {&locate_, &import_, &query_, &save_})
        pages_.AddElement(2, b->ControlNumber());
    for (auto& picture : pictures_) pages_.AddElement(1, picture.ControlNumber());
}

void MainWindowElements::bindCommands() {
    auto bind = [this](SkinControl& control, MainCommand command) {
        control.BindEvent(kNotifyClick,
                          [this, command](int, int, WPARAM, LPARAM, int) { post(command); });
    };
    bind(tabs_[0], MainCommand::PageHome);
    bind(tabs_[1], MainCommand::PageQuery);
    bind(tabs_[2], MainCommand::PageOutlets);
    bind(locate_, MainCommand::Locate);
    bind(import_, MainCommand::Import);
    bind(query_, MainCommand::Query);
    bind(save_, MainCommand::Save);
    engine_.ClickEvent([this](HWND, int identity, std::intptr_t, int kind) {
        if (kind != kKindCaptionButton) return;
        const unsigned button = engine_.CaptionButtonKind(engine_.ControlOfIdentity(identity));
        if (button == kCaptionExtra64) post(MainCommand::BackgroundPicture);
        if (button == kCaptionExtra32) post(MainCommand::SettingsMenu);
    });
    pages_.PageChangedEvent([this](int page) { window_.pageChanged(page); });
}

void MainWindowElements::addWindowToPage(int page, HWND child) { pages_.AddWindow(page, child); }

void MainWindowElements::post(MainCommand command) {
    PostMessageW(window_.handle(), kMsgCommand, static_cast<WPARAM>(command), 0);
}

void MainWindowElements::selectPage(int page) {
    for (int i = 0; i < 3; ++i) tabs_[i].Selected(i + 1 == page);
    pages_.SelectedPage(page);
}

void MainWindowElements::setStatus(const std::string& text) { status_.LabelText(text); }

void MainWindowElements::setQueryCaption(const std::string& caption) { query_.ButtonText(caption); }

void MainWindowElements::setBackPanelAlpha(int alpha) {
    PanelStyleChange change;
    change.fillColor = colorToArgb(kWhite, alpha);
    backPanel_.SetStyle(change);
}

void MainWindowElements::setBackground(const std::string& pictureBytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(pictureBytes.data());
    engine_.Redraw(std::span<const std::uint8_t>(data, pictureBytes.size()));
}

}  // namespace korvel::ui
