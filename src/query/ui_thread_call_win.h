// Blocking calls from a worker into the UI thread: a hidden message-only
// window of that thread runs each call inside SendMessage, so the worker
// waits until its call is done and the calls land in the worker's order.
#pragma once

#include <memory>

#include "query/query_run.h"

namespace korvel::query {

// Makes the hidden window on the calling thread, which becomes the thread the
// calls run on. Null when the window cannot be made.
std::shared_ptr<UiThreadCall> makeUiThreadCall();

}  // namespace korvel::query
