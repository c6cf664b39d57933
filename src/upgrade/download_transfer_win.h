// One transfer of the download engine: the thread body that probes the
// server, fetches the parts of the file side by side and writes them at
// their offsets.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "io/handles_win.h"
#include "upgrade/byte_ranges.h"
#include "upgrade/download_engine_win.h"

namespace korvel::upgrade {

// A web address split for WinINet.
struct HttpAddress {
    bool secure = false;
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring object;  // path with query, without a fragment
    std::wstring userName, password;
};

// The parts of an http:// or https:// address; nothing for any other scheme,
// an address without a host, or one beyond WinINet's limits.
std::optional<HttpAddress> crackHttpAddress(const std::string& url);

class ChunkQueue;

class Transfer {
  public:
    Transfer(int handle, DownloadTask task, HttpAddress address, HINTERNET session);
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // The thread body: notifies started, fetches, closes the file, notifies
    // complete when the whole file arrived, notifies ended, then marks
    // itself finished.
    void Run();

    // Once either returns, the transfer never creates its file: a stop that
    // comes while the thread still waits for the server's first answer ends
    // the transfer without a file, however late that answer comes.
    void RequestStop();
    // Stops the transfer and silences its notifications: its owner is going
    // away without waiting for the thread.
    void Abandon();
    bool Finished() const { return finished_; }
    int Handle() const { return handle_; }
    int64_t Received() const { return received_; }

  private:
    enum class PumpEnd { Complete, Short, Stopped, WriteFailed };
    struct Probe;

    // Returns the total size (0 when unknown), or nothing on failure.
    std::optional<int64_t> probe(Probe& out);
    io::InternetHandle openRequest(int64_t first, int64_t last, DWORD& status);
    bool fetchPart(ByteRange part, io::InternetHandle first, bool ranged);
    // The bytes from first to the end over up to the task's connections;
    // the probe's bytes and time give the first estimate of the pace.
    void fetchRest(int64_t first, int64_t probeBytes, int64_t probeMs);
    void fetchChunks(ChunkQueue& queue, const std::atomic<int>& active, int64_t lastBytes,
                     int64_t lastMs);
    PumpEnd pump(HINTERNET request, int64_t& pos, int64_t last);
    // Creates the file unless a stop came first.
    bool createFile();
    bool writeAt(int64_t offset, const char* bytes, DWORD count);
    void notify(int kind, int value);

    const int handle_;
    const DownloadTask task_;
    const HttpAddress address_;
    HINTERNET session_;
    io::InternetHandle connection_;
    std::mutex fileMutex_;  // a stop and the file's creation, one after the other
    io::FileHandle file_;
    int64_t total_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> abandoned_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> broken_{false};  // a part ended short for good
    std::atomic<int64_t> received_{0};
};

}  // namespace korvel::upgrade
