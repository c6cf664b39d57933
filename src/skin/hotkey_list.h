// The accelerators of one skinned window: which key clicks which control.
// Entries keep their order; a lookup takes the first match.
#pragma once

#include <string_view>
#include <vector>

namespace korvel::skin {

class HotkeyList {
  public:
    struct Entry {
        int key = 0;      // character code as the control's text has it
        int control = 0;  // control number at registration, looked up as an identity
    };

    // Message 10240: a non-zero key sets or changes the entry of the control
    // (result 1); key 0 removes it (1, or 0 when there was none).
    int Update(int control, int key);

    // Entries whose key, as a one-character text, equals the pressed key,
    // in list order.
    std::vector<int> Matches(int pressedKey) const;

    void Clear() { entries_.clear(); }
    const std::vector<Entry>& Entries() const { return entries_; }

  private:
    std::vector<Entry> entries_;
};

// The accelerator of a caption: the byte after the first "&", or 0 when there
// is none (or "&" is the last byte).
int acceleratorKey(std::string_view text);

}  // namespace korvel::skin
