// The online-upgrade window: opened modally over the main window, it checks
// the announcement page for a newer version, asks the user, downloads the
// new program beside the running one with its progress shown once a second,
// and at the end offers to switch over to it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "skin/label_win.h"
#include "skin/progress_bar_win.h"
#include "skin/skin_engine_win.h"

namespace korvel::upgrade {

class DownloadEngine;
struct DownloadSession;

inline constexpr int kUpdateWindowWidth = 360;
inline constexpr int kUpdateWindowHeight = 130;
inline constexpr int kTransferConnections = 25;
inline constexpr UINT kProgressTickMs = 1000;

// The page the update check reads: the environment override (see
// update_page_url.h) or the build setting.
std::string updatePageUrl();

struct UpdateWindowOptions {
    std::string pageUrl;      // empty: updatePageUrl()
    std::string programPath;  // the running program; empty: its real path
    // Asked once the user agreed to switch over, before the new program
    // starts (the main window offers to save a changed list): false keeps
    // this program running, as a refused switch-over does.
    std::function<bool()> mayEnd = {};
    // The new program runs; this one ends right after.
    std::function<void()> ending = {};
};

class UpdateWindow {
  public:
    explicit UpdateWindow(DownloadEngine& engine, UpdateWindowOptions options = {});
    // Stops a transfer still running and waits for the worker.
    ~UpdateWindow();
    UpdateWindow(const UpdateWindow&) = delete;
    UpdateWindow& operator=(const UpdateWindow&) = delete;

    // Opens the window centred over owner, runs the update check for
    // currentVersion and returns when the window has closed. The owner
    // accepts no input meanwhile. The check's page is read on a thread of its
    // own, so both windows keep answering whatever the server does; a page
    // not arrived whole within kPageLimits' deadline counts as unreachable,
    // and closing the window during the check ends it without a word.
    // Returns at once (bringing the window forward) when it is already open.
    void show(HWND owner, const std::string& currentVersion);
    void close();

    HWND handle() const { return hwnd_; }
    const std::string& phaseText() const { return phase_.LabelText(); }
    const std::string& statusText() const { return status_.LabelText(); }
    float barPosition() const { return bar_.Position(); }
    // Where the current download goes; empty before the transfer starts.
    std::string targetPath() const;
    bool tickRunning() const { return tickRunning_; }

  private:
    bool create(HWND owner);
    void startUpdateCheck(const std::string& currentVersion);
    void onUpdateCheckDeadline();
    // What the check found (kNoNewerVersion when it failed): says so, or
    // asks and starts the download.
    void updateCheckDone(const std::string& latest);
    void startWorker();
    void runModalLoop();
    LRESULT onMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void onTransferStarted(bool failed);
    void onTick();
    void switchOver();
    void onClosing();
    void stopTick();
    static void CALLBACK tickProc(HWND hwnd, UINT, UINT_PTR, DWORD);
    static void CALLBACK checkDeadlineProc(HWND hwnd, UINT, UINT_PTR, DWORD);

    DownloadEngine& engine_;
    const std::string pageUrl_;
    const std::string programPath_;
    const std::function<bool()> mayEnd_;
    const std::function<void()> ending_;

    skin::SkinEngine skin_;
    skin::Label phase_;
    skin::Label status_;
    skin::ProgressBar bar_;

    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    bool tickRunning_ = false;
    bool checking_ = false;      // the update check has not come to its outcome
    bool keepDownload_ = false;  // a complete program: closing leaves it in place
    // One per opening, shared with its worker thread and the engine's
    // notifications, so neither outlives what it writes into.
    std::shared_ptr<DownloadSession> session_;
    unsigned sessionNumber_ = 0;
};

}  // namespace korvel::upgrade
