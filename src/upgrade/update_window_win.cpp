#include "upgrade/update_window_win.h"

#include <mutex>
#include <thread>

#include "build_settings.h"
#include "dialogs/message_box_layout.h"
#include "dialogs/message_box_win.h"
#include "io/file_io_win.h"
#include "io/stop_signal.h"
#include "skin/skin_color.h"
#include "skin/skin_toolkit_win.h"
#include "text/wide_text_win.h"
#include "upgrade/download_engine_win.h"
#include "upgrade/download_watch.h"
#include "upgrade/signature_check_win.h"
#include "upgrade/switch_over_win.h"
#include "upgrade/target_path.h"
#include "upgrade/update_fetch_win.h"
#include "upgrade/update_page.h"
#include "upgrade/update_page_url.h"
#include "upgrade/upgrade_texts.h"
#include "upgrade/upgrade_window_texts.h"
#include "upgrade/window_placement.h"

namespace korvel::upgrade {

static_assert(kKindStarted == kNotifyStarted && kKindEnded == kNotifyEnded);

// What one opening of the window shares with its threads (the update
// check's and the download's worker) and with the engine's notifications.
// The worker hands over the target path and whether it started a transfer
// under the lock, so closing either sees the transfer and stops it or keeps
// the worker from starting one.
struct DownloadSession {
    io::StopSignal checkStop;  // abandons the update check's page fetch
    io::StopSignal stop;       // abandons the worker's page fetches
    DownloadWatch watch;
    std::mutex mutex;
    std::string latest;  // what the update check found
    bool cancelled = false;
    bool started = false;
    std::string target;
    std::string signature;  // of the new program, from the announcement page
};

namespace {

constexpr wchar_t kSelfProperty[] = L"korvel_update_wnd";
// The engine thread tells the UI thread that the transfer has begun:
// wParam the session number, lParam 1 when it failed at its start.
constexpr UINT kMsgTransferStarted = WM_APP + 0x41;
// The update check's thread has put what it found into the session: wParam
// the session number.
constexpr UINT kMsgUpdateChecked = WM_APP + 0x42;
constexpr UINT_PTR kProgressTimerId = 1;
constexpr UINT_PTR kCheckDeadlineTimerId = 2;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr DWORD kEnvBufferChars = 2048;

// The update check's thread: reads the announcement page and hands what it
// found to the window's thread, unless the window gave up on it. It owns
// copies of what it reads, so it may outlive the window (a fetch the
// platform cannot interrupt ends at the server's pace or its time-outs).
void checkLatestVersion(std::shared_ptr<DownloadSession> session, std::string pageUrl,
                        std::string currentVersion, HWND hwnd, unsigned number) {
    std::string latest = fetchLatestVersion(pageUrl, currentVersion, &session->checkStop);
    {
        std::lock_guard lock(session->mutex);
        session->latest = std::move(latest);
    }
    if (!session->checkStop.stopped()) PostMessageW(hwnd, kMsgUpdateChecked, number, 0);
}

// The worker: reads the two link pages, picks the target and starts the
// transfer. It owns copies of everything but the engine, which lives for
// the whole run, so it may outlive the window.
void prepareDownload(DownloadEngine &engine, std::shared_ptr<DownloadSession> session,
                     std::string pageUrl, std::string programPath, HWND hwnd, unsigned number) {
    // The wrappers of update_fetch_win.h read the same pages; the stoppable
    // fetch lets a closing window abandon them instead of waiting.
    const std::string page = fetchPage(pageUrl, &session->stop);
    const std::string link = parseDownloadLink(page);
    const std::string url =
        link.empty() ? std::string() : parseDirectLink(fetchPage(link, &session->stop));
    if (url.empty()) return;  // nothing to fetch: the window keeps "正在为您准备..."
    const std::string target = chooseTargetPath(programPath, io::fileExists);
    if (target.empty()) return;

    DownloadTask task;
    task.flags = kTransferDownload;
    task.url = url;
    task.filePath = target;
    task.connectionCount = kTransferConnections;
    // Engine thread: it records into the session and hands the rest to the
    // window's thread, never touching a control itself.
    task.callback = [&engine, session, hwnd, number](int kind, int, int value, int, int task) {
        const NotifyAction action =
            session->watch.onNotify(kind, value, task, engine.CurrentTask());
        if (action != NotifyAction::None)
            PostMessageW(hwnd, kMsgTransferStarted, number, action == NotifyAction::Failed);
    };
    std::lock_guard lock(session->mutex);
    if (session->cancelled) return;
    session->target = target;
    session->signature = parseSignature(page);
    session->started = engine.Start(task);
}

ScreenRect screenRect(const RECT &r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

std::string updatePageUrl() {
    wchar_t value[kEnvBufferChars];
    const DWORD n = GetEnvironmentVariableW(text::toWide(kUpdatePageUrlVariable).c_str(), value,
                                            kEnvBufferChars);
    const std::string override =
        n > 0 && n < kEnvBufferChars ? text::toGbk(std::wstring_view(value, n)) : std::string();
    return chooseUpdatePageUrl(override, settings::kUpdatePageUrl);
}

UpdateWindow::UpdateWindow(DownloadEngine &engine, UpdateWindowOptions options)
    : engine_(engine),
      pageUrl_(options.pageUrl.empty() ? updatePageUrl() : std::move(options.pageUrl)),
      programPath_(options.programPath.empty() ? runningProgramPath()
                                               : std::move(options.programPath)),
      mayEnd_(std::move(options.mayEnd)),
      ending_(std::move(options.ending)) {}

UpdateWindow::~UpdateWindow() { close(); }

std::string UpdateWindow::targetPath() const {
    if (!session_) return {};
    std::lock_guard lock(session_->mutex);
    return session_->target;
}

void UpdateWindow::show(HWND owner, const std::string &currentVersion) {
    if (hwnd_) {
        SetForegroundWindow(hwnd_);
        return;
    }
    session_ = std::make_shared<DownloadSession>();  // downloadFinished = false
    ++sessionNumber_;
    keepDownload_ = false;
    tickRunning_ = false;
    if (!create(owner)) return;
    owner_ = owner;
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    ::UpdateWindow(hwnd_);
    if (owner_) EnableWindow(owner_, FALSE);
    startUpdateCheck(currentVersion);
    runModalLoop();
    if (owner_) {
        EnableWindow(owner_, TRUE);
        SetForegroundWindow(owner_);
    }
    owner_ = nullptr;
}

bool UpdateWindow::create(HWND owner) {
    RECT work{}, over{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (owner) GetWindowRect(owner, &over);
    const WindowOrigin at =
        centreOver(screenRect(over), kUpdateWindowWidth, kUpdateWindowHeight, screenRect(work));
    hwnd_ = CreateWindowExW(0, skin::kHostClassName, text::toWide(kUpdateWindowTitle).c_str(),
                            WS_POPUP, at.x, at.y, kUpdateWindowWidth, kUpdateWindowHeight, owner,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) return false;
    SetPropW(hwnd_, kSelfProperty, this);
    skin::AttachOptions options;
    options.panelColor = skin::colorToArgb(kWhite);
    if (!skin_.Attach(hwnd_, {}, options)) {
        RemovePropW(hwnd_, kSelfProperty);
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
        return false;
    }
    skin_.MessageHook([this](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        return onMessage(hwnd, message, wParam, lParam);
    });
    skin_.KeyDownEvent([](HWND hwnd, int, int key, LPARAM) {
        if (key != VK_ESCAPE) return -1;
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
    });
    const int width = skin_.Width();
    bar_.Create(hwnd_, 10, 60, width - 20, 20);
    phase_.Create(hwnd_, kPhasePreparing, 5, 30, width - 20, 24);
    status_.Create(hwnd_, kStatusInitial, 5, 80, width - 20, 20);
    return true;
}

void UpdateWindow::startUpdateCheck(const std::string &currentVersion) {
    checking_ = true;
    std::thread(checkLatestVersion, session_, pageUrl_, currentVersion, hwnd_, sessionNumber_)
        .detach();
    // The fetch keeps its own deadline while the page's body comes in, but
    // not while the server holds back its headers: the window keeps time.
    SetTimer(hwnd_, kCheckDeadlineTimerId, kPageLimits.deadlineMs, checkDeadlineProc);
}

void CALLBACK UpdateWindow::checkDeadlineProc(HWND hwnd, UINT, UINT_PTR, DWORD) {
    if (auto *self = static_cast<UpdateWindow *>(GetPropW(hwnd, kSelfProperty)))
        self->onUpdateCheckDeadline();
}

void UpdateWindow::onUpdateCheckDeadline() {
    if (!checking_) return;
    session_->checkStop.stop();
    updateCheckDone(std::string(kNoNewerVersion));
}

void UpdateWindow::updateCheckDone(const std::string &latest) {
    checking_ = false;
    KillTimer(hwnd_, kCheckDeadlineTimerId);
    if (latest == kNoNewerVersion) {
        dialogs::showMessageBox(owner_, kPromptUpToDate);
        close();
        return;
    }
    const int answer = dialogs::showMessageBox(owner_, kPromptUpdateFound,
                                               dialogs::kButtonsCancelOk, kPromptUpdateTitle);
    if (!hwnd_) return;  // closed while the prompt was open
    if (answer != dialogs::kResultOk) {
        close();
        return;
    }
    // The box gave the owner its input back; the window is still modal.
    if (owner_) EnableWindow(owner_, FALSE);
    startWorker();
}

void UpdateWindow::startWorker() {
    std::thread(prepareDownload, std::ref(engine_), session_, pageUrl_, programPath_, hwnd_,
                sessionNumber_)
        .detach();
}

void UpdateWindow::runModalLoop() {
    MSG msg;
    while (hwnd_ && IsWindow(hwnd_)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: close, and leave the quit to the main loop.
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            close();
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void UpdateWindow::close() {
    if (!hwnd_) return;
    // Enabled before the window goes, so the activation returns to the owner.
    if (owner_) EnableWindow(owner_, TRUE);
    DestroyWindow(hwnd_);
}

LRESULT UpdateWindow::onMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kMsgTransferStarted:
            if (wParam == sessionNumber_) onTransferStarted(lParam != 0);
            return 0;
        case kMsgUpdateChecked:
            if (wParam == sessionNumber_ && checking_) {
                std::string latest;
                {
                    std::lock_guard lock(session_->mutex);
                    latest = session_->latest;
                }
                updateCheckDone(latest);
            }
            return 0;
        case WM_CLOSE:
            if (owner_) EnableWindow(owner_, TRUE);
            return -1;
        case WM_DESTROY:
            onClosing();
            return -1;
        default:
            return -1;
    }
}

void UpdateWindow::onTransferStarted(bool failed) {
    phase_.LabelText(kPhaseDownloading);
    if (failed) {
        phase_.LabelText(kPhaseFailed);
        return;
    }
    if (!tickRunning_) tickRunning_ = SetTimer(hwnd_, kProgressTimerId, kProgressTickMs, tickProc);
}

// A timer procedure, so the tick never passes through the skinned window's
// procedure (which takes every window timer for a control timer).
void CALLBACK UpdateWindow::tickProc(HWND hwnd, UINT, UINT_PTR, DWORD) {
    if (auto *self = static_cast<UpdateWindow *>(GetPropW(hwnd, kSelfProperty))) self->onTick();
}

void UpdateWindow::onTick() {
    if (!session_) return;
    std::string target, signature;
    {
        std::lock_guard lock(session_->mutex);
        target = session_->target;
        signature = session_->signature;
    }
    const ProgressView view = session_->watch.tick(
        engine_.BytesReceived(), [&] { return readFileHead(target, 2); },
        [&] { return verifyFileSignature(target, signature, releasePublicKey()); });
    if (view.ended) stopTick();
    status_.LabelText(view.status);
    bar_.Position(static_cast<float>(view.bar));
    if (!view.ended) return;
    if (view.failed) {
        // A cut-off or foreign program is no program: it goes at once.
        if (view.removeFile) DeleteFileW(text::toWide(target).c_str());
        phase_.LabelText(kPhaseFailed);
        return;
    }
    keepDownload_ = true;
    switchOver();
}

void UpdateWindow::switchOver() {
    const int answer =
        MessageBoxW(nullptr, text::toWide(kPromptSwitchOver).c_str(),
                    text::toWide(kPromptSwitchOverTitle).c_str(), MB_TASKMODAL | MB_OKCANCEL);
    if (answer != IDOK || (mayEnd_ && !mayEnd_())) {
        close();  // the downloaded program stays where it is
        return;
    }
    // Ending while the new program did not start would leave the user with
    // none: no script is left behind then and this program runs on.
    if (startSwitchOver(targetPath(), programPath_)) {
        if (ending_) ending_();
        ExitProcess(0);
    }
    phase_.LabelText(kPhaseFailed);
}

void UpdateWindow::stopTick() {
    if (tickRunning_ && hwnd_) KillTimer(hwnd_, kProgressTimerId);
    tickRunning_ = false;
}

void UpdateWindow::onClosing() {
    stopTick();
    KillTimer(hwnd_, kCheckDeadlineTimerId);
    checking_ = false;
    std::string partial;
    if (session_) {
        session_->checkStop.stop();  // a check still going ends without a word
        session_->stop.stop();
        bool started = false;
        {
            std::lock_guard lock(session_->mutex);
            session_->cancelled = true;
            started = session_->started;
            partial = session_->target;
        }
        if (started) engine_.Stop();
        // A file the transfer did not create is someone else's.
        if (!started || keepDownload_ || !session_->watch.ownsFile()) partial.clear();
    }
    // An incomplete download is no program; nothing is lost by removing it.
    if (!partial.empty()) DeleteFileW(text::toWide(partial).c_str());
    RemovePropW(hwnd_, kSelfProperty);
    if (owner_) EnableWindow(owner_, TRUE);
    hwnd_ = nullptr;
}

}  // namespace korvel::upgrade
