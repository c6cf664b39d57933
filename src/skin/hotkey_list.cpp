#include "skin/hotkey_list.h"

#include <algorithm>

namespace korvel::skin {

namespace {

// WM_SYSKEYDOWN reports a letter as its upper-case virtual key while a
// caption may be written "&y".
int folded(int key) { return (key >= 'a' && key <= 'z') ? key - 'a' + 'A' : key; }

}  // namespace

int HotkeyList::Update(ControlToken owner, int key) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [owner](const Entry& e) { return e.owner == owner; });
    if (key == 0) {
        if (it == entries_.end()) return 0;
        entries_.erase(it);
        return 1;
    }
    if (it != entries_.end())
        it->key = key;
    else
        entries_.push_back({key, owner});
    return 1;
}

std::vector<ControlToken> HotkeyList::Matches(int pressedKey) const {
    std::vector<ControlToken> out;
    for (const Entry& e : entries_) {
        if (folded(e.key) == pressedKey) out.push_back(e.owner);
    }
    return out;
}

int acceleratorKey(std::string_view text) {
    const size_t amp = text.find('&');
    if (amp == std::string_view::npos || amp + 1 >= text.size()) return 0;
    return static_cast<unsigned char>(text[amp + 1]);
}

}  // namespace korvel::skin
