#include "dialogs/input_dialog_win.h"

#include <commctrl.h>

#include <vector>

#include "skin/font_face_win.h"
#include "text/pasted_text.h"
#include "text/wide_text_win.h"

namespace korvel::dialogs {

namespace {

constexpr char kOk[] = "确定";
constexpr char kCancel[] = "取消";
constexpr WORD kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082;

// Builds an in-memory dialog template (DLGTEMPLATE + items), so the program
// needs no dialog resource.
class TemplateWriter {
  public:
    void word(WORD w) { data_.push_back(w); }
    void dword(DWORD d) {
        word(LOWORD(d));
        word(HIWORD(d));
    }
    void text(const std::wstring& s) {
        for (wchar_t c : s) word(static_cast<WORD>(c));
        word(0);
    }
    void align() {
        if (data_.size() % 2) word(0);
    }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls,
              const std::wstring& caption) {
        align();
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        word(x), word(y), word(cx), word(cy);
        word(id);
        word(0xFFFF), word(cls);
        text(caption);
        word(0);
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

  private:
    std::vector<WORD> data_;
};

// The clipboard's text, up to its first zero character and never past the
// memory block, whatever the block holds; nullopt when there is none.
std::optional<std::wstring> clipboardText(HWND owner) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) return std::nullopt;
    std::optional<std::wstring> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            const size_t room = GlobalSize(data) / sizeof(wchar_t);
            text.emplace(chars, wcsnlen(chars, room));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// The one-line field takes a pasted column whole: its line breaks and tabs
// become blanks instead of ending the paste at the first line. Ctrl+V and the
// field's context menu paste through WM_PASTE; Shift+Insert makes the edit
// control paste by itself (under Wine and Windows alike), so it is sent the
// same way.
LRESULT CALLBACK pasteProc(HWND edit, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_KEYDOWN && wp == VK_INSERT && (GetKeyState(VK_SHIFT) & 0x8000)) {
        SendMessageW(edit, WM_PASTE, 0, 0);
        return 0;
    }
    if (msg == WM_PASTE) {
        if (std::optional<std::wstring> pasted = clipboardText(edit)) {
            const std::wstring line = text::pastedAsOneLine(*pasted);
            SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(line.c_str()));
            return 0;
        }
    } else if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(edit, pasteProc, 0);
    }
    return DefSubclassProc(edit, msg, wp, lp);
}

struct DialogState {
    std::wstring initial;
    std::wstring result;
};

INT_PTR CALLBACK inputProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            state = reinterpret_cast<DialogState*>(lp);
            HWND edit = GetDlgItem(dlg, kInputEditId);
            SetWindowTextW(edit, state->initial.c_str());
            SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
            SetWindowSubclass(edit, pasteProc, 0, 0);
            // Centre over the owner (or the screen).
            RECT r, o;
            GetWindowRect(dlg, &r);
            HWND owner = GetWindow(dlg, GW_OWNER);
            if (!owner || !GetWindowRect(owner, &o))
                SystemParametersInfoW(SPI_GETWORKAREA, 0, &o, 0);
            SetWindowPos(dlg, nullptr, o.left + ((o.right - o.left) - (r.right - r.left)) / 2,
                         o.top + ((o.bottom - o.top) - (r.bottom - r.top)) / 2, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER);
            SetFocus(edit);
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                HWND edit = GetDlgItem(dlg, kInputEditId);
                std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
                const int n = GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
                text.resize(static_cast<size_t>(n));
                state->result = text;
                EndDialog(dlg, IDOK);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dlg, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

std::optional<std::string> showInputDialog(HWND owner, const std::string& prompt,
                                           const std::string& title, const std::string& initial) {
    TemplateWriter t;
    t.dword(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.dword(0);
    t.word(4);  // items
    t.word(0), t.word(0), t.word(220), t.word(78);
    t.word(0);  // no menu
    t.word(0);  // default class
    t.text(text::toWide(title));
    t.word(9);
    t.text(text::toWide(skin::ChineseDialogFace()));
    t.item(SS_LEFT, 10, 8, 200, 20, kInputPromptId, kStaticClass, text::toWide(prompt));
    t.item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 10, 30, 200, 14, kInputEditId, kEditClass, L"");
    t.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 104, 54, 50, 16, IDOK, kButtonClass, text::toWide(kOk));
    t.item(BS_PUSHBUTTON | WS_TABSTOP, 160, 54, 50, 16, IDCANCEL, kButtonClass,
           text::toWide(kCancel));

    DialogState state{text::toWide(initial), {}};
    const INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), owner, inputProc,
                                              reinterpret_cast<LPARAM>(&state));
    if (r != IDOK) return std::nullopt;
    return text::toGbk(state.result);
}

}  // namespace korvel::dialogs
