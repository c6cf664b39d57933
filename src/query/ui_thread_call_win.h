// Work from workers for the UI thread: a hidden message-only window of that
// thread runs each piece posted to it, in the order posted (or after its
// delay, by a timer of the window).
#pragma once

#include <memory>

#include "query/query_run.h"

namespace korvel::query {

// Makes the hidden window on the calling thread, which becomes the thread the
// work runs on. Null when the window cannot be made.
std::shared_ptr<UiThreadCall> makeUiThreadCall();

}  // namespace korvel::query
