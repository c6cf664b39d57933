// The end-to-end tests' eyes: reads the running korvel.exe from outside, as
// another program on the desktop would, and answers on stdout. It never
// clicks or types; the tests do that with real input. The program is a
// process running the file named on the command line (its full Windows
// path); windows of any other process are never read.
//
// One command per stdin line, one JSON line per answer (UTF-8):
//   state            the main window, its native controls, focus, texts
//   tree             every tree item in pre-order: depth, text, expanded,
//                    selected, and the screen rectangle of its label
//   windows          the other visible top-level windows of the program
//   dialog HWND      a common file dialog: file types and the file name
//   list             the courier box's open list: rectangle, item height,
//                    top index, current selection
//   menu             the open pop-up menu: one band per item line, with
//                    whether its text is drawn black (enabled) or grey
//   drawn KIND X Y W H TEXT|TEXT...
//                    which of the texts the drawn control (KIND label or
//                    button) at client rectangle X Y W H of the main window
//                    shows, matched against the toolkit's own drawing of
//                    each; pixels come from the screen
//   drawn-in HWND KIND X Y W H TEXT|TEXT...
//                    the same in another window of the program
//   mean X Y W H     the mean colour of a client rectangle of the main window
//   programs         every running copy's main window and process id
//   use PID          read the copy of that process id from now on (0: the
//                    first found)
//   endsession       send the main window WM_QUERYENDSESSION, then
//                    WM_ENDSESSION, as Windows does when the session ends
//   ink X Y W H      the colours of a screen rectangle: the most frequent
//                    (the background), the one farthest from it (the ink
//                    where strokes are whole, not smoothed), and how many
//                    pixels differ from the background
//   result-pos N     where character N of the result box shows on the screen
//   clipboard        the clipboard's text
//   put-clipboard TEXT
//                    puts TEXT (UTF-8; \r, \n and \t stand for those
//                    characters) on the clipboard, as a copy in another
//                    program does
//   item-rect HWND ID
//                    the screen rectangle of the dialog item ID of HWND
//   quit
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "skin/button_win.h"
#include "skin/dib_buffer_win.h"
#include "skin/label_win.h"
#include "skin/skin_paint_win.h"
#include "skin/skin_toolkit_win.h"
#include "text/wide_text_win.h"

namespace {

std::string utf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

std::wstring fromUtf8(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string quote(const std::wstring& w) {
    std::string out = "\"";
    for (char c : utf8(w)) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string rectJson(const RECT& r) {
    std::ostringstream o;
    o << "[" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "]";
    return o.str();
}

std::wstring className(HWND hwnd) {
    wchar_t buf[128] = {};
    GetClassNameW(hwnd, buf, 128);
    return buf;
}

// WM_GETTEXT is carried across processes; GetWindowText is not for controls.
std::wstring windowText(HWND hwnd) {
    const LRESULT n = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const LRESULT got =
        SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

// Memory inside the program, for the messages whose pointers are not
// carried across processes (tree items, item rectangles).
class RemoteBuffer {
  public:
    RemoteBuffer(HWND owner, size_t size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(owner, &pid);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_)
            address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    bool ok() const { return address_ != nullptr; }
    char* at(size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool write(size_t offset, const void* data, size_t n) const {
        return WriteProcessMemory(process_, at(offset), data, n, nullptr);
    }
    bool read(size_t offset, void* data, size_t n) const {
        return ReadProcessMemory(process_, at(offset), data, n, nullptr);
    }

  private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_;
};

struct Program {
    HWND main = nullptr, tree = nullptr, result = nullptr, combo = nullptr, comboEdit = nullptr,
         animation = nullptr;
    DWORD pid = 0, thread = 0;
};

BOOL CALLBACK collectChild(HWND hwnd, LPARAM lp) {
    auto& p = *reinterpret_cast<Program*>(lp);
    const std::wstring cls = className(hwnd);
    if (cls == WC_TREEVIEWW) p.tree = hwnd;
    if (!_wcsicmp(cls.c_str(), L"ComboBox")) p.combo = hwnd;
    if (!_wcsicmp(cls.c_str(), L"Edit")) p.comboEdit = hwnd;
    if (cls == L"KorvelResultView") p.result = hwnd;
    if (cls == L"KorvelAnimatedPicture") p.animation = hwnd;
    return TRUE;
}

// The program's file (its full Windows path, from the command line): only
// processes running it are read.
std::wstring gProgramPath;
// The process whose main window the commands read ("use PID"); 0: the first.
DWORD gTarget = 0;

bool runsProgram(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return false;
    wchar_t image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const bool same = QueryFullProcessImageNameW(process, 0, image, &size) &&
                      lstrcmpiW(image, gProgramPath.c_str()) == 0;
    CloseHandle(process);
    return same;
}

struct MainSearch {
    DWORD pid;  // 0: any process running the program
    std::vector<std::pair<HWND, DWORD>> found;
};

BOOL CALLBACK findMain(HWND hwnd, LPARAM lp) {
    auto& search = *reinterpret_cast<MainSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (className(hwnd) == L"KorvelMainWindow" && (!search.pid || pid == search.pid) &&
        runsProgram(pid))
        search.found.push_back({hwnd, pid});
    return TRUE;
}

std::vector<std::pair<HWND, DWORD>> mainWindows(DWORD pid) {
    MainSearch search{pid, {}};
    EnumWindows(findMain, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct WindowSearch {
    DWORD pid;
    const wchar_t* cls;
    HWND found = nullptr;
};

BOOL CALLBACK matchVisible(HWND hwnd, LPARAM lp) {
    auto& search = *reinterpret_cast<WindowSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search.pid || className(hwnd) != search.cls || !IsWindowVisible(hwnd)) return TRUE;
    search.found = hwnd;
    return FALSE;
}

// A visible top-level window with that class of the process read.
HWND programWindow(const wchar_t* cls) {
    const auto found = mainWindows(gTarget);
    if (found.empty()) return nullptr;
    WindowSearch search{found.front().second, cls};
    EnumWindows(matchVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
    return search.found;
}

Program findProgram() {
    Program p;
    const auto found = mainWindows(gTarget);
    if (found.empty()) return p;
    p.main = found.front().first;
    p.thread = GetWindowThreadProcessId(p.main, &p.pid);
    EnumChildWindows(p.main, collectChild, reinterpret_cast<LPARAM>(&p));
    return p;
}

// Every running program's main window with its process id.
void answerPrograms() {
    std::string out = "[";
    for (const auto& [hwnd, pid] : mainWindows(0)) {
        if (out.size() > 1) out += ",";
        out += "{\"main\":" + std::to_string(reinterpret_cast<std::uintptr_t>(hwnd)) +
               ",\"pid\":" + std::to_string(pid) + "}";
    }
    std::cout << out << "]" << std::endl;
}

// Windows ending its session, as it tells each top-level window: may it
// end, then that it ends.
void answerEndSession() {
    const Program p = findProgram();
    DWORD_PTR may = 0, ended = 0;
    const bool asked = p.main && SendMessageTimeoutW(p.main, WM_QUERYENDSESSION, 0, 0,
                                                     SMTO_ABORTIFHUNG, 10000, &may);
    const bool told = asked && SendMessageTimeoutW(p.main, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG,
                                                   10000, &ended);
    std::cout << "{\"answered\":" << (asked && told ? "true" : "false")
              << ",\"mayEnd\":" << (may ? "true" : "false") << "}" << std::endl;
}

RECT screenRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

std::string focusName(const Program& p) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(p.thread, &info) || !info.hwndFocus) return "none";
    const HWND f = info.hwndFocus;
    if (f == p.tree) return "tree";
    if (f == p.comboEdit || f == p.combo) return "courier";
    if (f == p.result) return "result";
    if (f == p.main) return "main";
    return "other";
}

void answerState() {
    const Program p = findProgram();
    if (!p.main) {
        std::cout << "{\"main\":0}" << std::endl;
        return;
    }
    const LRESULT sel = p.comboEdit ? SendMessageW(p.comboEdit, EM_GETSEL, 0, 0) : 0;
    const LRESULT resultSel = p.result ? SendMessageW(p.result, EM_GETSEL, 0, 0) : 0;
    std::cout << "{\"main\":" << reinterpret_cast<std::uintptr_t>(p.main)
              << ",\"mainRect\":" << rectJson(screenRect(p.main))
              << ",\"enabled\":" << (IsWindowEnabled(p.main) ? "true" : "false")
              << ",\"treeVisible\":" << (IsWindowVisible(p.tree) ? "true" : "false")
              << ",\"resultVisible\":" << (IsWindowVisible(p.result) ? "true" : "false")
              << ",\"comboVisible\":" << (IsWindowVisible(p.combo) ? "true" : "false")
              << ",\"animationVisible\":" << (IsWindowVisible(p.animation) ? "true" : "false")
              << ",\"treeRect\":" << rectJson(screenRect(p.tree))
              << ",\"comboRect\":" << rectJson(screenRect(p.combo))
              << ",\"comboEditRect\":" << rectJson(screenRect(p.comboEdit))
              << ",\"animationRect\":" << rectJson(screenRect(p.animation))
              << ",\"combo\":" << quote(windowText(p.combo))
              << ",\"comboCount\":" << SendMessageW(p.combo, CB_GETCOUNT, 0, 0)
              << ",\"comboDropped\":"
              << (SendMessageW(p.combo, CB_GETDROPPEDSTATE, 0, 0) ? "true" : "false")
              << ",\"comboSel\":[" << LOWORD(sel) << "," << HIWORD(sel) << "]"
              << ",\"result\":" << quote(windowText(p.result))
              << ",\"resultRect\":" << rectJson(screenRect(p.result)) << ",\"resultSel\":["
              << LOWORD(resultSel) << "," << HIWORD(resultSel) << "]"
              << ",\"resultFirst\":" << SendMessageW(p.result, EM_GETFIRSTVISIBLELINE, 0, 0)
              << ",\"focus\":\"" << focusName(p) << "\"}" << std::endl;
}

// Where character `at` of the result box shows, on the screen.
void answerResultPosition(WPARAM at) {
    const Program p = findProgram();
    const LRESULT pos = p.result ? SendMessageW(p.result, EM_POSFROMCHAR, at, 0) : -1;
    if (pos == -1) {
        std::cout << "{\"error\":\"no such character\"}" << std::endl;
        return;
    }
    POINT point{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    ClientToScreen(p.result, &point);
    std::cout << "{\"x\":" << point.x << ",\"y\":" << point.y << "}" << std::endl;
}

void answerClipboard() {
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
                text = chars;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    std::cout << "{\"text\":" << quote(text) << "}" << std::endl;
}

void answerPutClipboard(const std::string& escaped) {
    std::string plain;
    for (size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != '\\' || i + 1 == escaped.size()) {
            plain += escaped[i];
            continue;
        }
        const char c = escaped[++i];
        plain += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
    const std::wstring text = fromUtf8(plain);
    bool put = false;
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        if (auto* chars = block ? static_cast<wchar_t*>(GlobalLock(block)) : nullptr) {
            std::memcpy(chars, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
            GlobalUnlock(block);
            put = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        }
        if (!put && block) GlobalFree(block);
        CloseClipboard();
    }
    std::cout << "{\"put\":" << (put ? "true" : "false") << "}" << std::endl;
}

void answerItemRect(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) {
        std::cout << "{\"rect\":null}" << std::endl;
        return;
    }
    std::cout << "{\"rect\":" << rectJson(screenRect(item)) << "}" << std::endl;
}

void answerTree() {
    const Program p = findProgram();
    if (!p.tree) {
        std::cout << "[]" << std::endl;
        return;
    }
    constexpr size_t kTextChars = 600;
    RemoteBuffer remote(p.tree, sizeof(TVITEMW) + sizeof(RECT) + kTextChars * sizeof(wchar_t));
    if (!remote.ok()) {
        std::cout << "{\"error\":\"no remote memory\"}" << std::endl;
        return;
    }
    const size_t rectAt = sizeof(TVITEMW), textAt = rectAt + sizeof(RECT);
    const HTREEITEM selected = TreeView_GetSelection(p.tree);
    std::string out = "[";
    bool first = true;
    // Pre-order over the whole forest, collapsed children included.
    std::vector<std::pair<HTREEITEM, int>> stack;
    for (HTREEITEM root = TreeView_GetRoot(p.tree); root;
         root = TreeView_GetNextSibling(p.tree, root)) {
        stack.push_back({root, 1});
        while (!stack.empty()) {
            auto [item, depth] = stack.back();
            stack.pop_back();
            TVITEMW tv{};
            tv.mask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE;
            tv.hItem = item;
            tv.stateMask = TVIS_EXPANDED;
            tv.pszText = reinterpret_cast<wchar_t*>(remote.at(textAt));
            tv.cchTextMax = kTextChars;
            remote.write(0, &tv, sizeof tv);
            SendMessageW(p.tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.at(0)));
            remote.read(0, &tv, sizeof tv);
            std::wstring text(kTextChars, L'\0');
            remote.read(textAt, text.data(), kTextChars * sizeof(wchar_t));
            text.resize(wcsnlen(text.c_str(), kTextChars));
            // TVM_GETITEMRECT: the item handle in, the rectangle out.
            RECT r{};
            std::memcpy(&r, &item, sizeof item);
            remote.write(rectAt, &r, sizeof r);
            const bool visible = SendMessageW(p.tree, TVM_GETITEMRECT, TRUE,
                                              reinterpret_cast<LPARAM>(remote.at(rectAt)));
            remote.read(rectAt, &r, sizeof r);
            if (visible) MapWindowPoints(p.tree, nullptr, reinterpret_cast<POINT*>(&r), 2);
            out += first ? "" : ",";
            first = false;
            std::ostringstream row;
            row << "[" << depth << "," << quote(text) << ","
                << ((tv.state & TVIS_EXPANDED) ? "true" : "false") << ","
                << (item == selected ? "true" : "false") << ","
                << (visible ? rectJson(r) : std::string("null")) << "]";
            out += row.str();
            // Children go on the stack last first, so they come out in order.
            std::vector<HTREEITEM> children;
            for (HTREEITEM c = TreeView_GetChild(p.tree, item); c;
                 c = TreeView_GetNextSibling(p.tree, c))
                children.push_back(c);
            for (auto it = children.rbegin(); it != children.rend(); ++it)
                stack.push_back({*it, depth + 1});
        }
    }
    std::cout << out << "]" << std::endl;
}

struct WindowList {
    DWORD pid;
    HWND main;
    std::string json = "[";
    bool first = true;
};

BOOL CALLBACK collectTopLevel(HWND hwnd, LPARAM lp) {
    auto& list = *reinterpret_cast<WindowList*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != list.pid || hwnd == list.main || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t title[256] = {};
    GetWindowTextW(hwnd, title, 256);
    list.json += list.first ? "" : ",";
    list.first = false;
    list.json += "{\"hwnd\":" + std::to_string(reinterpret_cast<std::uintptr_t>(hwnd)) +
                 ",\"class\":" + quote(className(hwnd)) + ",\"title\":" + quote(title) +
                 ",\"rect\":" + rectJson(screenRect(hwnd)) + "}";
    return TRUE;
}

void answerWindows() {
    const Program p = findProgram();
    WindowList list{p.pid, p.main};
    if (p.main) EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&list));
    std::cout << list.json << "]" << std::endl;
}

void answerDialog(HWND dialog) {
    // The file-type box (cmb1) and the file-name field (cmb13, or edt1).
    HWND types = GetDlgItem(dialog, cmb1);
    HWND name = GetDlgItem(dialog, cmb13);
    if (!name) name = GetDlgItem(dialog, edt1);
    std::string out = "{\"types\":[";
    const LRESULT n = types ? SendMessageW(types, CB_GETCOUNT, 0, 0) : 0;
    for (LRESULT i = 0; i < n; ++i) {
        wchar_t buf[256] = {};
        SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
        if (i) out += ",";
        out += quote(buf);
    }
    out += "],\"type\":" + quote(types ? windowText(types) : L"");
    out += ",\"name\":" + quote(name ? windowText(name) : L"") + "}";
    std::cout << out << std::endl;
}

struct ListSearch {
    DWORD pid;
    HWND list = nullptr;
};

// The open list of a combo box is a top-level "ComboLBox" window; the
// combo's own COMBOBOXINFO does not cross processes.
BOOL CALLBACK findComboList(HWND hwnd, LPARAM lp) {
    auto& search = *reinterpret_cast<ListSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search.pid || className(hwnd) != L"ComboLBox") return TRUE;
    search.list = hwnd;
    return !IsWindowVisible(hwnd);
}

void answerList() {
    const Program p = findProgram();
    ListSearch search{p.pid};
    if (p.main) EnumWindows(findComboList, reinterpret_cast<LPARAM>(&search));
    if (!search.list) {
        std::cout << "{}" << std::endl;
        return;
    }
    const HWND list = search.list;
    std::cout << "{\"visible\":" << (IsWindowVisible(list) ? "true" : "false")
              << ",\"rect\":" << rectJson(screenRect(list))
              << ",\"itemHeight\":" << SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)
              << ",\"top\":" << SendMessageW(list, LB_GETTOPINDEX, 0, 0)
              << ",\"selected\":" << SendMessageW(list, LB_GETCURSEL, 0, 0) << "}" << std::endl;
}

// Screen pixels of a rectangle, 0x00RRGGBB each, row by row.
std::vector<std::uint32_t> grab(int x, int y, int w, int h) {
    std::vector<std::uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, x, y, SRCCOPY);
    GdiFlush();
    const auto* src = static_cast<const std::uint32_t*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = src[i] & 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool dark(std::uint32_t c, int threshold) {
    return static_cast<int>((c >> 16) & 0xFF) < threshold &&
           static_cast<int>((c >> 8) & 0xFF) < threshold && static_cast<int>(c & 0xFF) < threshold;
}

// The toolkit's drawing of one candidate over white, as the main window draws
// its status label (top left, wrapping) or a push button's caption.
std::vector<std::uint32_t> render(const std::string& kind, const std::wstring& text, int w, int h) {
    using namespace korvel::skin;
    std::vector<std::uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0xFFFFFF);
    WindowDc screen(nullptr);
    DibBuffer buffer;
    if (!buffer.Make(screen.get(), w, h)) return pixels;
    korvel::skin::FillRect(buffer.Graphics(), {0, 0, float(w), float(h)}, 0xFFFFFFFF);
    const std::string gbk = korvel::text::toGbk(text);
    const RectF r{0, 0, float(w), float(h)};
    if (kind == "button") {
        ButtonFacePaint p;
        p.caption = gbk;
        p.font = DefaultFont();
        p.textColor = defaultButtonTextColor();
        DrawButtonFace(buffer.Graphics(), r, p);
    } else {
        LabelPaint p;
        p.text = gbk;
        p.font = DefaultFont();
        p.textColor = defaultLabelTextColor();
        p.alignment = 0;
        p.formatFlags = 0;
        DrawLabel(buffer.Graphics(), r, p);
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[static_cast<size_t>(y * w + x)] = buffer.Pixel(x, y) & 0xFFFFFF;
    return pixels;
}

// How well two text masks agree (intersection over union), at the best
// shift of up to two pixels; the frame of three pixels is left out.
double agreement(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int w,
                 int h) {
    constexpr int kThreshold = 110, kFrame = 3;
    double best = 0;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            int both = 0, either = 0;
            for (int y = kFrame; y < h - kFrame; ++y)
                for (int x = kFrame; x < w - kFrame; ++x) {
                    const bool da = dark(a[static_cast<size_t>(y * w + x)], kThreshold);
                    const int bx = x + dx, by = y + dy;
                    const bool db = bx >= 0 && by >= 0 && bx < w && by < h &&
                                    dark(b[static_cast<size_t>(by * w + bx)], kThreshold);
                    both += da && db;
                    either += da || db;
                }
            if (either) best = std::max(best, double(both) / either);
        }
    return best;
}

void answerDrawn(HWND window, const std::string& kind, int x, int y, int w, int h,
                 const std::string& texts) {
    if (!window) window = findProgram().main;
    if (!window || w <= 0 || h <= 0) {
        std::cout << "{\"best\":null}" << std::endl;
        return;
    }
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    const auto shown = grab(origin.x + x, origin.y + y, w, h);
    int darkShown = 0;
    for (std::uint32_t c : shown) darkShown += dark(c, 110);
    std::string out = "{\"dark\":" + std::to_string(darkShown) + ",\"scores\":{";
    std::string best = "null";
    double bestScore = -1;
    size_t start = 0;
    bool first = true;
    while (start <= texts.size()) {
        size_t bar = texts.find('|', start);
        if (bar == std::string::npos) bar = texts.size();
        const std::string candidate = texts.substr(start, bar - start);
        start = bar + 1;
        if (candidate.empty()) continue;
        const double score = agreement(shown, render(kind, fromUtf8(candidate), w, h), w, h);
        char num[32];
        std::snprintf(num, sizeof num, "%.3f", score);
        if (!first) out += ",";
        out += quote(fromUtf8(candidate));
        out += ":";
        out += num;
        first = false;
        if (score > bestScore) {
            bestScore = score;
            best = quote(fromUtf8(candidate));
        }
    }
    std::cout << out << "},\"best\":" << best << "}" << std::endl;
}

void answerMean(int x, int y, int w, int h) {
    const Program p = findProgram();
    POINT origin{0, 0};
    if (p.main) ClientToScreen(p.main, &origin);
    const auto pixels = grab(origin.x + x, origin.y + y, w, h);
    double r = 0, g = 0, b = 0;
    for (std::uint32_t c : pixels) {
        r += (c >> 16) & 0xFF;
        g += (c >> 8) & 0xFF;
        b += c & 0xFF;
    }
    const double n = pixels.empty() ? 1 : double(pixels.size());
    std::cout << "[" << int(r / n) << "," << int(g / n) << "," << int(b / n) << "]" << std::endl;
}

void answerInk(int x, int y, int w, int h) {
    const auto pixels = w > 0 && h > 0 ? grab(x, y, w, h) : std::vector<std::uint32_t>();
    std::map<std::uint32_t, int> counts;
    for (std::uint32_t c : pixels) ++counts[c];
    std::uint32_t background = 0, farColour = 0;
    int most = -1, farthest = -1;
    for (auto [colour, count] : counts)
        if (count > most) most = count, background = colour;
    auto channel = [](std::uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    for (const auto& entry : counts) {
        int distance = 0;
        for (int shift : {16, 8, 0})
            distance += std::abs(channel(entry.first, shift) - channel(background, shift));
        if (distance > farthest) farthest = distance, farColour = entry.first;
    }
    auto rgb = [&](std::uint32_t c) {
        std::ostringstream o;
        o << "[" << channel(c, 16) << "," << channel(c, 8) << "," << channel(c, 0) << "]";
        return o.str();
    };
    std::cout << "{\"background\":" << rgb(background) << ",\"far\":" << rgb(farColour)
              << ",\"differing\":" << (static_cast<int>(pixels.size()) - std::max(most, 0)) << "}"
              << std::endl;
}

// Menu items are drawn lines of text: find the bands of rows that hold text
// and tell black (enabled) from grey (disabled) text. A separator is a thin
// band without black or grey text glyphs in the middle.
void answerMenu() {
    HWND menu = programWindow(L"#32768");
    if (!menu) {
        std::cout << "{\"open\":false}" << std::endl;
        return;
    }
    const RECT r = screenRect(menu);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const auto pixels = grab(r.left, r.top, w, h);
    auto isText = [](std::uint32_t c) { return dark(c, 170); };
    std::string out = "{\"open\":true,\"rect\":" + rectJson(r) + ",\"items\":[";
    bool first = true;
    int y = 3;
    while (y < h - 3) {
        // Text pixels are looked for away from the edges (3D frame lines).
        auto rowHasText = [&](int row) {
            int count = 0;
            for (int x = 6; x < w - 6; ++x)
                count += isText(pixels[static_cast<size_t>(row * w + x)]);
            return count > 0 && count < (w - 12) / 2;
        };
        if (!rowHasText(y)) {
            ++y;
            continue;
        }
        const int top = y;
        bool black = false;
        while (y < h - 3 && rowHasText(y)) {
            for (int x = 6; x < w - 6; ++x)
                black |= dark(pixels[static_cast<size_t>(y * w + x)], 40);
            ++y;
        }
        if (y - top < 4) continue;  // a separator's line or a speck
        out += (first ? "" : ",");
        first = false;
        out += "{\"y\":" + std::to_string(r.top + (top + y) / 2) +
               ",\"enabled\":" + (black ? "true" : "false") + "}";
    }
    std::cout << out << "]}" << std::endl;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 2) {
        std::cerr << "usage: window_reader.exe PROGRAM_PATH" << std::endl;
        return 2;
    }
    gProgramPath = argv[1];
    LocalFree(argv);
    korvel::skin::InitToolkit();
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream in(line);
        std::string command;
        in >> command;
        if (command == "quit") break;
        if (command == "state") {
            answerState();
        } else if (command == "programs") {
            answerPrograms();
        } else if (command == "use") {
            in >> gTarget;
            std::cout << "{\"pid\":" << gTarget << "}" << std::endl;
        } else if (command == "endsession") {
            answerEndSession();
        } else if (command == "tree") {
            answerTree();
        } else if (command == "windows") {
            answerWindows();
        } else if (command == "dialog") {
            std::uintptr_t hwnd = 0;
            in >> hwnd;
            answerDialog(reinterpret_cast<HWND>(hwnd));
        } else if (command == "list") {
            answerList();
        } else if (command == "menu") {
            answerMenu();
        } else if (command == "drawn" || command == "drawn-in") {
            std::uintptr_t window = 0;
            if (command == "drawn-in") in >> window;
            std::string kind, texts;
            int x = 0, y = 0, w = 0, h = 0;
            in >> kind >> x >> y >> w >> h;
            std::getline(in >> std::ws, texts);
            answerDrawn(reinterpret_cast<HWND>(window), kind, x, y, w, h, texts);
        } else if (command == "result-pos") {
            unsigned long at = 0;
            in >> at;
            answerResultPosition(at);
        } else if (command == "clipboard") {
            answerClipboard();
        } else if (command == "put-clipboard") {
            std::string text;
            std::getline(in >> std::ws, text);
            answerPutClipboard(text);
        } else if (command == "item-rect") {
            std::uintptr_t hwnd = 0;
            int id = 0;
            in >> hwnd >> id;
            answerItemRect(reinterpret_cast<HWND>(hwnd), id);
        } else if (command == "mean") {
            int x = 0, y = 0, w = 0, h = 0;
            in >> x >> y >> w >> h;
            answerMean(x, y, w, h);
        } else if (command == "ink") {
            int x = 0, y = 0, w = 0, h = 0;
            in >> x >> y >> w >> h;
            answerInk(x, y, w, h);
        } else {
            std::cout << "{\"error\":\"unknown command\"}" << std::endl;
        }
    }
    return 0;
}
