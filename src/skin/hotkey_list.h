// The accelerators of one skinned window: which key clicks which control.
// Entries keep their order; a lookup takes the first match.
#pragma once

#include <string_view>
#include <vector>

#include "skin/control_token.h"

namespace korvel::skin {

class HotkeyList {
  public:
    // The owner is the control's token, which stays with the control while
    // its number shifts (a number would point at another control after an
    // earlier one is removed).
    struct Entry {
        int key = 0;  // character code as the control's text has it
        ControlToken owner = kNoControl;
    };

    // Message 10240: a non-zero key sets or changes the entry of the owner
    // (result 1); key 0 removes it (1, or 0 when there was none).
    int Update(ControlToken owner, int key);

    // Owners of the entries whose key equals the pressed virtual key, in
    // list order. Only the entry's own character is folded (a caption's
    // "&y" answers to VK 'Y'); the pressed key is taken as it is, so the
    // codes 0x61 to 0x7A (numpad keys, F1 to F11) never match a letter.
    std::vector<ControlToken> Matches(int pressedKey) const;

    void Clear() { entries_.clear(); }
    const std::vector<Entry>& Entries() const { return entries_; }

  private:
    std::vector<Entry> entries_;
};

// The accelerator of a caption: the byte after the first "&", or 0 when there
// is none (or "&" is the last byte).
int acceleratorKey(std::string_view text);

}  // namespace korvel::skin
