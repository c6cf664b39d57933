// One blocking HTTP GET on WinINet that returns the response body, whatever
// the status; empty on any failure before the first byte, and the bytes
// received so far when the transfer breaks off. Every thread shares one
// process-wide root handle, opened on first use.
#pragma once

#include <string>

#include "io/stop_signal.h"

namespace korvel::io {

// The platform's own time-outs can be unbounded (Wine waits for ever for an
// answer that never comes), and a server that never answers must not hold a
// batch run or the update check for ever. They are set on every request.
struct FetchTimeouts {
    unsigned long connectMs = 20'000;
    unsigned long sendMs = 20'000;
    unsigned long receiveMs = 30'000;  // for each read, not for the whole body
};

// What one fetch may take. A body beyond maxBytes, or a fetch still running
// at its deadline, is a failed fetch: the result is empty.
struct FetchLimits {
    size_t maxBytes = 16u << 20;   // no reply may exhaust memory
    unsigned long deadlineMs = 0;  // for the whole fetch; 0: none
};

// Without a deadline: the platform's own time-outs only (a read waits as
// long as the server keeps sending), within the default size cap.
std::string httpGet(const std::string& url);

// With limits: a deadline bounds connecting, waiting for the answer and
// every read, so a server that trickles or never ends holds the caller at
// most about deadlineMs. stop, when given, abandons the fetch as below.
std::string httpGet(const std::string& url, const FetchLimits& limits, StopSignal* stop = nullptr);

// The same, abandoned when stop is signalled: the request's handles are
// closed from the stopping thread and the result is empty. Where the platform
// cannot interrupt a blocked read (Wine), the call itself returns when the
// read does, at the latest after the receive time-out.
std::string httpGet(const std::string& url, StopSignal& stop, const FetchTimeouts& timeouts = {});

}  // namespace korvel::io
