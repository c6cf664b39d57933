#include "ui/main_window_win.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "build_settings.h"
#include "dialogs/input_dialog_win.h"
#include "dialogs/message_box_win.h"
#include "io/http_fetch_win.h"
#include "query/ui_thread_call_win.h"
#include "skin/builtin_pictures.h"
#include "skin/font_face_win.h"
#include "text/wide_text_win.h"
#include "ui/main_window_elements_win.h"
#include "ui/main_window_texts.h"
#include "ui/result_view_win.h"

namespace korvel::ui {

namespace {

constexpr wchar_t kMainClass[] = L"KorvelMainWindow";
constexpr COLORREF kTreeBackground = RGB(192, 192, 192);
constexpr char kSongTi[] = "宋体";
// Apart from the skin engine's control timers (control * 65536 + window).
constexpr UINT_PTR kStatusPaceTimer = 0x5354;
constexpr UINT kStatusPaceMs = 100;

}  // namespace

MainWindow::MainWindow(ProgramPlace place, std::string trackingEndpoint)
    : place_(std::move(place)),
      endpoint_(trackingEndpoint.empty() ? settings::kTrackingEndpoint : trackingEndpoint) {}

MainWindow::~MainWindow() {
    if (queryRun_) queryRun_->shutdown();
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    if (treeMenu_) DestroyMenu(treeMenu_);
    if (settingsMenu_) DestroyMenu(settingsMenu_);
}

bool MainWindow::create(int showCommand, bool trackingPageLater) {
    trackingPageLater_ = trackingPageLater;
    static const ATOM registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(129));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kMainClass;
        return RegisterClassExW(&wc);
    }();
    (void)registered;
    // The window is fixed-size and has no system frame of its own: the skin
    // draws it. The title stays empty.
    hwnd_ = CreateWindowExW(WS_EX_APPWINDOW, kMainClass, L"",
                            WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, kMainWindowX,
                            kMainWindowY, kMainWindowWidth, kMainWindowHeight, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
    if (!hwnd_) return false;
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    return true;
}

LRESULT CALLBACK MainWindow::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->handle(msg, wp, lp);
}

LRESULT MainWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            setUp();
            return 0;
        case kMsgCommand:
            finishSetUp();
            runCommand(wp);
            return 0;
        case WM_NOTIFY:
            return onNotify(*reinterpret_cast<const NMHDR*>(lp));
        case WM_TIMER:
            if (wp == kStatusPaceTimer) {
                showWantedStatus();
                return 0;
            }
            if (wp == kListCheckTimer) {
                checkList();
                return 0;
            }
            if (wp == kTrackingPageTimer) {
                finishSetUp();
                return 0;
            }
            break;
        case kMsgOfferLeftCopy:
            offerLeftCopy();
            return 0;
        case WM_CLOSE:
            finishSetUp();
            requestClose();
            return 0;
        case WM_QUERYENDSESSION:
            finishSetUp();
            keepForSessionEnd();
            return TRUE;
        case WM_ENDSESSION:
            finishSetUp();
            // Ending: the copy is written and stays for the next start.
            // Not ending after all: the list goes on as before.
            if (wp) keepForSessionEnd();
            sessionEnding_ = wp != 0;
            return 0;
        case WM_DESTROY:
            if (queryRun_) queryRun_->shutdown();
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void MainWindow::setUp() {
    createMenus();
    elements_ = std::make_unique<MainWindowElements>(*this, layout_);
    elements_->create(place_.version);
    // The first page shows none of the tracking page: a timer's tick comes
    // only once the queue is empty, after the first frame.
    if (!trackingPageLater_ || !SetTimer(hwnd_, kTrackingPageTimer, 0, nullptr)) finishSetUp();
}

void MainWindow::finishSetUp() {
    if (trackingPageMade_ || !elements_) return;
    trackingPageMade_ = true;
    KillTimer(hwnd_, kTrackingPageTimer);
    createNativeControls();
    elements_->addWindowToPage(2, courierBox_);
    elements_->addWindowToPage(2, treeView_);
    elements_->addWindowToPage(2, resultBox_);
    elements_->addWindowToPage(3, animation_.handle());
    bindWorkspace();
    workspace_->fillCompanies(true);
    watchList();
}

void MainWindow::createNativeControls() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    HINSTANCE inst = GetModuleHandleW(nullptr);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    // The GUI font draws Chinese through the system's link to "宋体"; where
    // that face is missing the controls would show empty boxes, so they get
    // the same font in the face that stands in for it.
    const std::string face = skin::ChineseDialogFace();
    LOGFONTW guiFont{};
    if (face != kSongTi && GetObjectW(font, sizeof guiFont, &guiFont)) {
        const std::wstring wide = text::toWide(face);
        if (wide.size() < LF_FACESIZE) {
            wcscpy(guiFont.lfFaceName, wide.c_str());
            controlFont_ = skin::GdiObject(CreateFontIndirectW(&guiFont));
            if (controlFont_) font = static_cast<HFONT>(controlFont_.get());
        }
    }
    const Box& t = layout_.tree;
    treeView_ = CreateWindowExW(0, WC_TREEVIEWW, L"",
                                WS_CHILD | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                    TVS_LINESATROOT | TVS_SHOWSELALWAYS |
                                    TVS_NOTOOLTIPS,  // TreeStatus shows the tips
                                t.x, t.y, t.width, t.height, hwnd_, nullptr, inst, nullptr);
    TreeView_SetTextColor(treeView_, RGB(0, 0, 0));
    TreeView_SetBkColor(treeView_, kTreeBackground);
    SetWindowSubclass(treeView_, treeProc, 1, reinterpret_cast<DWORD_PTR>(this));

    const Box& r = layout_.resultBox;
    registerResultView();
    // The EDIT style bits tell readers outside what the view always is.
    resultBox_ = CreateWindowExW(WS_EX_CLIENTEDGE, kResultViewClass, L"",
                                 WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_READONLY, r.x, r.y,
                                 r.width, r.height, hwnd_, nullptr, inst, nullptr);
    results_ = std::make_unique<ResultBox>(resultBox_);
    SendMessageW(resultBox_, EM_SETCUEBANNER, TRUE,
                 reinterpret_cast<LPARAM>(text::toWide(texts::kResultHint).c_str()));

    const Box& c = layout_.courierBox;
    courierBox_ = CreateWindowExW(
        0, L"COMBOBOX", L"", WS_CHILD | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL,
        c.x, c.y, c.width, c.height + 300, hwnd_, nullptr, inst, nullptr);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (GetComboBoxInfo(courierBox_, &info) && info.hwndItem)
        SetWindowSubclass(info.hwndItem, courierEditProc, 1, reinterpret_cast<DWORD_PTR>(this));
    for (HWND w : {treeView_, resultBox_, courierBox_})
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    fitCourierBoxHeight();

    const Box& a = layout_.animation;
    animation_.create(hwnd_, a.x, a.y, a.width, a.height, pictures::parcelAnimation());

    tree_ = std::make_unique<TrackingTree>(treeView_);
    treeStatus_ = std::make_unique<TreeStatus>(*tree_, place_.dataFolder);
}

void MainWindow::fitCourierBoxHeight() {
    // The font decides a drop-down combo's closed height (21 with the GUI
    // font); the text field's height is set until the box is as tall as laid
    // out. What the field adds up to differs between systems (Wine reads the
    // field back 2 taller than set), so each step corrects by the measured
    // difference from the value last set.
    const int wanted = layout_.courierBox.height;
    LRESULT field = SendMessageW(courierBox_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    if (field == CB_ERR) return;
    for (int step = 0; step < 3; ++step) {
        RECT closed{};
        GetWindowRect(courierBox_, &closed);
        const int off = wanted - (closed.bottom - closed.top);
        if (off == 0 || field + off <= 0) return;
        field += off;
        SendMessageW(courierBox_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
}

void MainWindow::createMenus() {
    // Both menus are pop-ups only; neither is on a menu bar.
    treeMenu_ = CreatePopupMenu();
    const std::pair<UINT, const char*> treeItems[] = {{1, texts::kMenuAddNumbers},
                                                      {2, texts::kMenuChangeNumber},
                                                      {3, texts::kMenuDeleteNumber},
                                                      {4, texts::kMenuDeleteCompany},
                                                      {0, nullptr},
                                                      {5, texts::kMenuDeleteAll},
                                                      {0, nullptr},
                                                      {6, texts::kMenuQueryOpen},
                                                      {7, texts::kMenuExport}};
    for (const auto& [id, caption] : treeItems) {
        if (!caption)
            AppendMenuW(treeMenu_, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(treeMenu_, MF_STRING, id, text::toWide(caption).c_str());
    }
    settingsMenu_ = CreatePopupMenu();
    AppendMenuW(settingsMenu_, MF_STRING, 11, text::toWide(texts::kMenuUpgrade).c_str());
    AppendMenuW(settingsMenu_, MF_STRING, 12, text::toWide(texts::kMenuAbout).c_str());
}

void MainWindow::bindWorkspace() {
    tracking::WorkspaceUi ui;
    ui.inputBox = [this](std::string_view prompt, std::string_view title) {
        return dialogs::showInputDialog(hwnd_, std::string(prompt), std::string(title));
    };
    ui.showMessageBox = [this](std::string_view text, std::string_view title, int buttonSet) {
        return messageBox(std::string(text), std::string(title), buttonSet);
    };
    ui.focusTree = [this] {
        SetFocus(hwnd_);
        SetFocus(treeView_);
    };
    ui.fillCourierBox = [this](const std::vector<std::string>& names) {
        for (const auto& name : names)
            SendMessageW(courierBox_, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(text::toWide(name).c_str()));
        if (!names.empty()) SetWindowTextW(courierBox_, text::toWide(names.front()).c_str());
    };
    workspace_ = std::make_unique<tracking::TrackingWorkspace>(*tree_, std::move(ui));

    auto fetch = [](const std::string& url, io::StopSignal& stop) {
        return io::httpGet(url, stop);
    };
    auto uiThread = query::makeUiThreadCall();
    queryRun_ =
        std::make_unique<query::QueryRun>(*tree_, *this, std::move(uiThread), endpoint_, fetch);
    queryRun_->setWatcher(treeStatus_.get());
}

int MainWindow::messageBox(const std::string& text, const std::string& title, int buttonSet) {
    return dialogs::showMessageBox(hwnd_, text, buttonSet, title);
}

// The run state is the caption the query button shows, nothing kept beside it.
std::string MainWindow::queryButtonCaption() const {
    return elements_ ? elements_->queryButton().ButtonText() : std::string(texts::kStartQuery);
}

void MainWindow::setQueryButtonCaption(const std::string& caption) {
    if (elements_) elements_->setQueryCaption(caption);
}

std::string MainWindow::statusText() const {
    return elements_ ? elements_->statusLabel().LabelText() : std::string();
}

// A run shows which number it asks for, dozens of times a second, far more
// often than anyone reads, and each repaint of the drawn label costs
// milliseconds of the UI thread. So such a text shows at once, the next ones
// wait for the pace, and the newest always shows.
void MainWindow::showProgress(const std::string& text) {
    statusWanted_ = text;
    if (!statusPaced_) showWantedStatus();
}

// Every other status (the run's end, a stop, an import) shows at once.
void MainWindow::setStatusText(const std::string& text) {
    statusWanted_ = text;
    showWantedStatus();
}

void MainWindow::showWantedStatus() {
    if (!elements_ || elements_->statusLabel().LabelText() == statusWanted_) {
        if (statusPaced_) KillTimer(hwnd_, kStatusPaceTimer);
        statusPaced_ = false;
        return;
    }
    elements_->setStatus(statusWanted_);
    if (!statusPaced_) SetTimer(hwnd_, kStatusPaceTimer, kStatusPaceMs, nullptr);
    statusPaced_ = true;
}

void MainWindow::setResultText(const std::string& text) { results_->setText(text); }

void MainWindow::appendResultText(const std::string& text) { results_->append(text); }

std::string MainWindow::resultText() const { return results_->text(); }

}  // namespace korvel::ui
