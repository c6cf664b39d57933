// The recovery copy of a changed list: the whole tree in the template format,
// kept in the program's data folder while the list differs from what was
// last saved, so that a crash, the task manager, a power cut or the end of a
// Windows session loses nothing. Each running program has its own copy and
// holds a lock file beside it open for as long as it runs; the system closes
// (and deletes) the lock when the program ends in any way, so a copy without
// a held lock is one a later start may offer. (A process id could be handed
// to another program; a held file cannot be.)
#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "io/handles_win.h"
#include "tracking/tree_model.h"
#include "ui/unsaved_list.h"

namespace korvel::ui {

// A copy left by a program that no longer runs, claimed by holding its lock:
// no other start offers it meanwhile. Dropping it keeps the copy for a later
// start.
struct LeftCopy {
    std::string id;
    std::string path;
    std::string bytes;                      // the template file, as written
    std::vector<tracking::TreeItem> items;  // decoded from it
    LocalTime lastChanged;
    io::FileHandle lock;
};

// The process id with the moment the process began (an id alone is handed
// out again).
std::string runningProgramId();

class RecoveryCopy {
  public:
    // folder: the program's data folder; empty keeps no copy at all. id:
    // this program's, unique among all that share the folder (tests give
    // several copies in one process ids of their own).
    explicit RecoveryCopy(std::string folder, std::string id = runningProgramId());
    // Finishes what was handed over; the copy stays, as after any other
    // end that was not an orderly close.
    ~RecoveryCopy();
    RecoveryCopy(const RecoveryCopy&) = delete;
    RecoveryCopy& operator=(const RecoveryCopy&) = delete;

    // Whether copies are kept: the folder exists and this program holds its lock.
    bool enabled() const { return static_cast<bool>(lock_); }
    const std::string& path() const { return path_; }

    // The newest copy that no running program holds, claimed. A copy that
    // does not decode (torn, zero-filled) is set aside under another name
    // and never offered.
    std::optional<LeftCopy> claimLeftCopy();
    // The left copy becomes this program's own (its list is now this one's).
    void adopt(LeftCopy copy);
    // The left copy is removed.
    void discard(LeftCopy copy);

    // The list as a template file, written on the writer thread; a newer
    // write or removal replaces one still waiting.
    void write(std::string bytes);
    // The copy goes, on the writer thread.
    void remove();
    // The same, finished before they return (the session ends, the program closes).
    void writeNow(const std::string& bytes);
    void removeNow();

  private:
    enum class Job { None, Write, Remove };
    void run();
    void perform(Job job, const std::string& bytes);

    std::string folder_;
    std::string id_;
    std::string path_;
    io::FileHandle lock_;

    std::mutex fileMutex_;  // held by whoever touches the copy's file
    std::mutex slotMutex_;  // guards the fields below
    std::condition_variable wake_;
    Job job_ = Job::None;
    std::string bytes_;
    bool stopping_ = false;
    std::thread writer_;
};

}  // namespace korvel::ui
