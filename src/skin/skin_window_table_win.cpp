#include "skin/skin_window_table_win.h"

#include "skin/skin_control_win.h"
#include "skin/skin_engine_win.h"

namespace korvel::skin {

namespace {

std::vector<SkinWindowRecord*>& table() {
    static std::vector<SkinWindowRecord*> records;
    return records;
}

}  // namespace

int WindowCount() { return static_cast<int>(table().size()); }

SkinWindowRecord* WindowRecord(int number) {
    if (number < 1 || number > WindowCount()) return nullptr;
    return table()[static_cast<size_t>(number - 1)];
}

int FindWindowNumber(HWND hwnd) {
    if (!hwnd) return 0;
    for (int i = 1; i <= WindowCount(); ++i) {
        if (table()[static_cast<size_t>(i - 1)]->hwnd == hwnd) return i;
    }
    return 0;
}

int AddWindowRecord(SkinWindowRecord* record) {
    table().push_back(record);
    return WindowCount();
}

void RemoveWindowRecord(int number) {
    if (number < 1 || number > WindowCount()) return;
    auto& records = table();
    records.erase(records.begin() + (number - 1));
    for (int i = number; i <= WindowCount(); ++i) {
        SkinWindowRecord* record = records[static_cast<size_t>(i - 1)];
        for (ControlEntry& entry : record->controls) {
            if (entry.control) entry.control->windowNumber_ = i;
        }
        // Control timer ids carry the window number.
        if (record->engine) {
            record->engine->windowNumber_ = i;
            record->engine->rekeyTimers();
        }
    }
}

ControlEntry* FindControlEntry(int window, int control) {
    SkinWindowRecord* record = WindowRecord(window);
    if (!record || control < 1 || control > static_cast<int>(record->controls.size()))
        return nullptr;
    return &record->controls[static_cast<size_t>(control - 1)];
}

int FindControlNumber(int window, ControlToken token) {
    SkinWindowRecord* record = WindowRecord(window);
    if (!record || token == kNoControl) return 0;
    for (size_t i = 0; i < record->controls.size(); ++i) {
        const SkinControl* c = record->controls[i].control;
        if (c && c->Token() == token) return static_cast<int>(i + 1);
    }
    return 0;
}

}  // namespace korvel::skin
