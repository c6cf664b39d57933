// The main window: the skinned form with its three pages, the drawn
// elements, the native tracking controls ("树型框1", "编辑框1", "组合框1",
// "图片框1"), the file dialog "通用对话框1", the menus "菜单" and "设置", and
// every command bound to them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "dialogs/file_dialog_win.h"
#include "query/query_run.h"
#include "skin/gdi_handles_win.h"
#include "tracking/courier_catalogue.h"
#include "tracking/template_file.h"
#include "tracking/tracking_workspace.h"
#include "ui/animated_picture_win.h"
#include "ui/main_window_layout.h"
#include "ui/recovery_copy_win.h"
#include "ui/result_box_win.h"
#include "ui/tracking_tree_win.h"
#include "ui/tree_status_win.h"

namespace korvel::ui {

class MainWindowElements;

// What start-up hands the window: where the program lives and which it is.
struct ProgramPlace {
    std::string runDirectory;     // no trailing backslash
    std::string exeName;          // without directory
    std::string dataFolder = {};  // the program's own files; empty: none are kept
    std::string version = {};     // the file version shown on page 1; empty: unknown
};

class MainWindow : public query::QueryUi {
  public:
    // trackingEndpoint: host[:port] of the tracking service (tests use a stand-in).
    explicit MainWindow(ProgramPlace place, std::string trackingEndpoint = {});
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates and shows the window; its set-up runs during creation. With
    // trackingPageLater, the first frame shows before the tracking page (its
    // native controls, the 79 companies, the list's watch) is made: that
    // follows on the first timer tick, or at once when anything needs it.
    bool create(int showCommand, bool trackingPageLater = false);
    // Makes the tracking page now if it is still to come. The message loop
    // calls it before any input; every entry below that needs the page
    // calls it too.
    void finishSetUp();
    HWND handle() const { return hwnd_; }

    // query::QueryUi, and what the other commands show.
    std::string queryButtonCaption() const override;
    void setQueryButtonCaption(const std::string& caption) override;
    void setStatusText(const std::string& text) override;
    void showProgress(const std::string& text) override;
    // Read back from the drawn status label, the text on screen.
    std::string statusText() const;
    void setResultText(const std::string& text) override;
    void appendResultText(const std::string& text) override;
    std::string resultText() const;

    // Commands (public so tests can drive them as the bindings do).
    // True once the list was written (the save dialog may be cancelled).
    bool saveTemplate();
    void importTemplate();
    // The parts after the file dialog.
    bool saveTemplateTo(const std::string& path);
    void importTemplateFrom(const std::string& path);
    void toggleQueryRun();
    // "查询未签收" and Shift+F5: a run over the numbers not known to be
    // delivered; while any run goes, it stops it as the query button does.
    void queryOpenNumbers();
    // "导出表格" and Ctrl+E: the list with each number's last outcome as a
    // CSV table, through a save dialog of its own.
    void exportTable();
    void exportTableTo(const std::string& path);  // the part after the dialog
    void locate();
    void selectPage(int page);
    void chooseBackgroundPicture();
    void loadBackgroundFrom(const std::string& path);  // the part after the file dialog
    void showSettingsMenu();
    // The tree's context menu at a screen point over a client point of the tree.
    void showTreeMenu(POINT treeClient);
    void openNumberDialog();
    // The page container reports the page now shown.
    void pageChanged(int page);
    void runCommand(WPARAM command);
    // The program's keys (F5, Shift+F5, Ctrl+S, Ctrl+O, Ctrl+E, Ctrl+F,
    // Delete) on page 2, for
    // a key-down the message loop is about to dispatch anywhere in this
    // window. True when the key was used and must not be dispatched.
    bool handleShortcut(const MSG& msg);

    // Parts for tests and the upgrade window.
    TrackingTree& tree() { return *tree_; }
    TreeStatus& treeStatus() { return *treeStatus_; }
    tracking::TrackingWorkspace& workspace() { return *workspace_; }
    query::QueryRun& queryRun() { return *queryRun_; }
    HWND treeHandle() const { return treeView_; }
    HWND resultHandle() const { return resultBox_; }
    HWND courierBoxHandle() const { return courierBox_; }
    HWND animationHandle() const { return animation_.handle(); }
    dialogs::FileDialog& fileDialog() { return fileDialog_; }
    dialogs::FileDialog& exportDialog() { return exportDialog_; }
    int selectedPage() const { return page_; }
    const ProgramPlace& place() const { return place_; }
    const std::string& version() const { return place_.version; }

    // The list differs from what was last saved, imported or started with
    // (opening and closing items aside).
    bool listChanged();
    // Before the list is dropped (closing, importing, switching over to a
    // new version): a changed list is offered for saving. True when it may
    // go: it was saved, or the user said to go without saving.
    bool mayDropList();
    // The program ends in order without closing its window (the upgrade
    // switches over): no recovery copy is left behind.
    void endInOrder();
    // Fires shortly after an edit: the list is compared with what was saved
    // and its recovery copy handed to the writer.
    static constexpr UINT_PTR kListCheckTimer = 0x4C43;

    // Commands of the "设置" menu, wired by the upgrade windows' owner.
    std::function<void()> onUpgrade;
    std::function<void()> onAbout;
    // Tests replace the menus' modal loop: given the menu and its point,
    // returns the chosen command id (0 for none).
    std::function<UINT(HMENU, POINT)> trackMenu;

  private:
    // Posted by the set-up: the start offers a list left unsaved once the
    // window shows.
    static constexpr UINT kMsgOfferLeftCopy = WM_APP + 2;
    // The tracking page follows the first frame on this timer's first tick.
    static constexpr UINT_PTR kTrackingPageTimer = 0x5450;

    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
    void setUp();
    void createNativeControls();
    void createMenus();
    void showWantedStatus();
    void fitCourierBoxHeight();
    void focusCourierBox();
    void bindWorkspace();
    LRESULT onNotify(const NMHDR& header);
    // The unsaved list (main_window_unsaved_win.cpp).
    void watchList();
    void listEdited();
    tracking::TemplateOutcome measureList();
    void disarmCheck();
    void checkList();
    void listSaved();
    void requestClose();
    void offerLeftCopy();
    void keepForSessionEnd();
    UINT popUp(HMENU menu, POINT screen);
    int messageBox(const std::string& text, const std::string& title, int buttonSet);
    static LRESULT CALLBACK courierEditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK treeProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    ProgramPlace place_;
    std::string endpoint_;
    HWND hwnd_ = nullptr;
    bool trackingPageMade_ = false;
    bool trackingPageLater_ = false;  // create's wish, read by setUp during WM_CREATE
    HWND treeView_ = nullptr, resultBox_ = nullptr, courierBox_ = nullptr;
    std::string statusWanted_;  // the newest status, shown when the pace allows
    bool statusPaced_ = false;
    std::unique_ptr<ResultBox> results_;
    skin::GdiObject controlFont_;  // only where "宋体" is missing
    AnimatedPicture animation_;
    dialogs::FileDialog fileDialog_;
    // The table's own: its folder and name are not the template's.
    dialogs::FileDialog exportDialog_;
    HMENU treeMenu_ = nullptr, settingsMenu_ = nullptr;
    std::unique_ptr<TrackingTree> tree_;
    std::unique_ptr<tracking::TrackingWorkspace> workspace_;
    tracking::CourierCatalogue catalogue_;
    std::unique_ptr<query::QueryRun> queryRun_;
    std::unique_ptr<TreeStatus> treeStatus_;
    std::unique_ptr<MainWindowElements> elements_;
    int page_ = 1;
    MainWindowLayout layout_ = mainWindowLayout();
    // What a save wrote last (or the import, or the start-up); the list is
    // changed while a save would write other items.
    std::string savedBytes_;
    std::uint64_t checkedChanges_ = 0;  // the tree's change count that changed_ is for
    std::uint64_t copiedChanges_ = 0;   // ... and that the recovery copy is for
    bool changed_ = false;
    bool checkArmed_ = false;
    ULONGLONG lastCopyAt_ = 0;
    bool closing_ = false;        // the close question is open
    bool sessionEnding_ = false;  // Windows ends the session: close without asking
    std::unique_ptr<RecoveryCopy> recovery_;
};

}  // namespace korvel::ui
