// What the state that must follow a control is keyed by: its hover, press
// and focus, its timers, its tooltip tool and its accelerator. A control's
// number is its place in the window's list and shifts when an earlier
// control leaves; its token is new at every Register and never handed out
// again, and the compiler keeps the two apart.
#pragma once

#include <cstdint>

namespace korvel::skin {

enum class ControlToken : std::uint32_t {};

constexpr ControlToken kNoControl{};

}  // namespace korvel::skin
