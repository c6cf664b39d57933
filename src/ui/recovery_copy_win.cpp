#include "ui/recovery_copy_win.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "io/file_io_win.h"
#include "text/wide_text_win.h"
#include "tracking/template_file.h"

namespace korvel::ui {

namespace {

std::wstring wide(const std::string& gbk) { return text::toWide(gbk); }

// Share mode 0 keeps every other opener out; the system deletes the file
// when the last handle goes, however the program ends.
io::FileHandle holdLock(const std::string& path) {
    return io::FileHandle(CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

}  // namespace

std::string runningProgramId() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    char buffer[40];
    const ULONGLONG start = (ULONGLONG{created.dwHighDateTime} << 32) | created.dwLowDateTime;
    std::snprintf(buffer, sizeof buffer, "%lx-%llx", GetCurrentProcessId(), start);
    return buffer;
}

namespace {

LocalTime localTimeOf(const FILETIME& utc) {
    FILETIME local{};
    SYSTEMTIME t{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t)) return {};
    return {t.wMonth, t.wDay, t.wHour, t.wMinute};
}

struct Found {
    std::string id;
    std::string path;
    FILETIME written;
};

// A damaged copy is kept under a name no start offers, for whoever wants to look.
void setAside(const std::string& path) {
    const std::string base = path.substr(0, path.size() - 4) + ".damaged";
    for (int n = 0; n < 100; ++n) {
        const std::string target = n == 0 ? base : base + std::to_string(n);
        if (MoveFileExW(wide(path).c_str(), wide(target).c_str(), MOVEFILE_WRITE_THROUGH)) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) return;
    }
}

}  // namespace

RecoveryCopy::RecoveryCopy(std::string folder, std::string id)
    : folder_(std::move(folder)), id_(std::move(id)) {
    if (folder_.empty()) return;
    path_ = folder_ + "\\" + recoveryFileName(id_);
    lock_ = holdLock(folder_ + "\\" + recoveryLockName(id_));
    if (!lock_) return;  // a folder that cannot be written: no copy, no fuss
    writer_ = std::thread([this] { run(); });
}

RecoveryCopy::~RecoveryCopy() {
    if (!writer_.joinable()) return;
    {
        std::lock_guard lock(slotMutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    writer_.join();
}

std::optional<LeftCopy> RecoveryCopy::claimLeftCopy() {
    if (!enabled()) return std::nullopt;
    std::vector<Found> found;
    WIN32_FIND_DATAW data{};
    HANDLE search = FindFirstFileW(wide(folder_ + "\\unsaved-*.dat").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string name = text::toGbk(data.cFileName);
        const std::optional<std::string> id = recoveryIdOf(name);
        if (id && *id != id_) found.push_back({*id, folder_ + "\\" + name, data.ftLastWriteTime});
    } while (FindNextFileW(search, &data));
    FindClose(search);
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return CompareFileTime(&a.written, &b.written) > 0;
    });
    for (const Found& f : found) {
        io::FileHandle lock = holdLock(folder_ + "\\" + recoveryLockName(f.id));
        if (!lock) continue;  // its program runs, or another start is asking about it
        std::optional<std::string> bytes = io::readWholeFile(f.path, tracking::kMaxTemplateBytes);
        if (!bytes) continue;  // gone meanwhile, or unreadable: nothing to offer
        std::optional<std::vector<tracking::TreeItem>> items =
            tracking::TemplateFile::decode(*bytes);
        if (!items) {
            setAside(f.path);
            continue;
        }
        return LeftCopy{
            f.id,           f.path, std::move(*bytes), std::move(*items), localTimeOf(f.written),
            std::move(lock)};
    }
    return std::nullopt;
}

void RecoveryCopy::adopt(LeftCopy copy) {
    std::lock_guard file(fileMutex_);
    {
        // Whatever this program meant to write is older than the list it takes on.
        std::lock_guard slot(slotMutex_);
        job_ = Job::None;
    }
    if (!MoveFileExW(wide(copy.path).c_str(), wide(path_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        io::writeFileSafely(path_, copy.bytes);
}

void RecoveryCopy::discard(LeftCopy copy) { DeleteFileW(wide(copy.path).c_str()); }

void RecoveryCopy::write(std::string bytes) {
    if (!enabled()) return;
    {
        std::lock_guard lock(slotMutex_);
        job_ = Job::Write;
        bytes_ = std::move(bytes);
    }
    wake_.notify_one();
}

void RecoveryCopy::remove() {
    if (!enabled()) return;
    {
        std::lock_guard lock(slotMutex_);
        job_ = Job::Remove;
        bytes_.clear();
    }
    wake_.notify_one();
}

void RecoveryCopy::writeNow(const std::string& bytes) {
    if (!enabled()) return;
    std::lock_guard file(fileMutex_);
    {
        std::lock_guard slot(slotMutex_);
        job_ = Job::None;
    }
    perform(Job::Write, bytes);
}

void RecoveryCopy::removeNow() {
    if (!enabled()) return;
    std::lock_guard file(fileMutex_);
    {
        std::lock_guard slot(slotMutex_);
        job_ = Job::None;
    }
    perform(Job::Remove, {});
}

void RecoveryCopy::perform(Job job, const std::string& bytes) {
    // Failures are silent: the copy is a safety net, never a reason to
    // interrupt the user.
    if (job == Job::Write)
        io::writeFileSafely(path_, bytes);
    else if (job == Job::Remove)
        DeleteFileW(wide(path_).c_str());
}

void RecoveryCopy::run() {
    for (;;) {
        {
            std::unique_lock slot(slotMutex_);
            wake_.wait(slot, [this] { return stopping_ || job_ != Job::None; });
            // What was handed over before the end is still done.
            if (job_ == Job::None) return;
        }
        // The job is taken only while the file is held, so a removal or a
        // write made now on the UI thread is never followed by an older write.
        std::lock_guard file(fileMutex_);
        Job job;
        std::string bytes;
        {
            std::lock_guard slot(slotMutex_);
            job = std::exchange(job_, Job::None);
            bytes = std::move(bytes_);
        }
        perform(job, bytes);
    }
}

}  // namespace korvel::ui
