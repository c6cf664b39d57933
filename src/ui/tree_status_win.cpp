#include "ui/tree_status_win.h"

#include <windowsx.h>

#include <array>

#include "text/gbk_text.h"
#include "text/wide_text_win.h"
#include "tracking/courier_hint.h"

namespace korvel::ui {

using tracking::ParcelOutcome;
using tracking::ParcelState;

namespace {

// Every text of the tooltips (GBK literals).
namespace texts {
constexpr std::string_view kNotQueried = "尚未查询";
constexpr std::string_view kTotalBefore = "共 ";
constexpr std::string_view kTotalAfter = " 单";
constexpr std::string_view kCountsStart = "：";
constexpr std::string_view kCountsBreak = "，";
constexpr std::string_view kEllipsis = "…";
}  // namespace texts

constexpr std::string_view kLineBreak = "\r\n";
constexpr UINT_PTR kSubclassId = 0x5453;  // "TS"
constexpr UINT_PTR kToolId = 1;
constexpr int kTipWidth = 420;         // pixels; wider contexts wrap
constexpr int kTipBelow = 20;          // pixels below the pointer, clear of the cursor
constexpr size_t kContextShown = 240;  // bytes of a context a tooltip shows

// Label colours by state, in the order of ParcelState: 运输中 keeps the
// tree's black, then blue, dark green, dark orange and red.
constexpr std::array<COLORREF, tracking::kParcelStateCount> kStateColours = {
    RGB(0, 0, 0), RGB(0, 0, 230), RGB(0, 110, 0), RGB(200, 90, 0), RGB(210, 0, 0)};

// The order the company tip counts states in.
constexpr std::array<ParcelState, tracking::kParcelStateCount> kCountOrder = {
    ParcelState::Delivered, ParcelState::OutForDelivery, ParcelState::InTransit,
    ParcelState::Problem, ParcelState::WrongNumber};

HTREEITEM nextItem(HWND tree, HTREEITEM item, UINT how) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

// At most limit bytes of a GBK text, never half a character, with an
// ellipsis when something was left off.
std::string shortened(const std::string& text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t end = 0;
    while (end < text.size()) {
        const size_t step = text::isLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + step > limit) break;
        end += step;
    }
    return text.substr(0, end) + std::string(texts::kEllipsis);
}

}  // namespace

TreeStatus::TreeStatus(TrackingTree& tree) : tree_(tree), treeView_(tree.handle()) {
    // The tip lies over other rows, so the mouse goes through it: every
    // move, click and double-click reaches the row beneath. A layered window
    // with WS_EX_TRANSPARENT is left out of the system's own hit test, under
    // Wine too. (The tool flag TTF_TRANSPARENT answers WM_NCHITTEST with
    // HTTRANSPARENT, which Wine follows only while the window right below
    // the tip is its owner.)
    tooltip_.reset(CreateWindowExW(
        WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TRANSPARENT, TOOLTIPS_CLASSW, nullptr,
        WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
        CW_USEDEFAULT, treeView_, nullptr, GetModuleHandleW(nullptr), nullptr));
    if (tooltip_) {
        // A layered window shows only once it has its attributes: fully opaque.
        SetLayeredWindowAttributes(tooltip_.get(), 0, 255, LWA_ALPHA);
        // A tracking tool: the tip shows where and when the tree says, with
        // the text of the item under the pointer, not one text per window.
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
        tool.hwnd = treeView_;
        tool.uId = kToolId;
        tool.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, kTipWidth);
    }
    SetWindowSubclass(treeView_, treeProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

TreeStatus::~TreeStatus() {
    if (IsWindow(treeView_)) RemoveWindowSubclass(treeView_, treeProc, kSubclassId);
}

void TreeStatus::runStarted() {
    const bool hadAny = !outcomes_.empty();
    outcomes_.clear();
    taken_.clear();
    if (hadAny) InvalidateRect(treeView_, nullptr, FALSE);
    if (tipItem_) setTipText(tipText(tipItem_));
}

std::uintptr_t TreeStatus::numberTaken(int index) {
    HTREEITEM item = tree_.itemHandle(index);
    if (item) taken_.insert(item);
    return reinterpret_cast<std::uintptr_t>(item);
}

void TreeStatus::numberFinished(std::uintptr_t key, const ParcelOutcome& outcome) {
    HTREEITEM item = reinterpret_cast<HTREEITEM>(key);
    // An item deleted since it was taken up is gone from taken_, and its
    // handle may already name a new item.
    if (!taken_.erase(item)) return;
    outcomes_[item] = outcome;
    RECT row{};
    if (TreeView_GetItemRect(treeView_, item, &row, FALSE)) InvalidateRect(treeView_, &row, FALSE);
    // Naming an item makes the control search its items for it; with no tip
    // showing, the parent is not looked up at all.
    if (tipItem_ && (tipItem_ == item || tipItem_ == nextItem(treeView_, item, TVGN_PARENT)))
        setTipText(tipText(tipItem_));
}

bool TreeStatus::onNotify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != treeView_) return false;
    switch (header.code) {
        case NM_CUSTOMDRAW: {
            auto& draw = *reinterpret_cast<NMTVCUSTOMDRAW*>(const_cast<NMHDR*>(&header));
            if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
                // Nothing coloured: the tree draws as if nobody listened.
                result = outcomes_.empty() ? CDRF_DODEFAULT : CDRF_NOTIFYITEMDRAW;
                return true;
            }
            if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                const auto found =
                    outcomes_.find(reinterpret_cast<HTREEITEM>(draw.nmcd.dwItemSpec));
                if (found != outcomes_.end() && found->second.state != ParcelState::InTransit)
                    draw.clrText = colourOf(found->second.state);
                result = CDRF_DODEFAULT;
                return true;
            }
            return false;
        }
        case TVN_DELETEITEMW:
        case TVN_DELETEITEMA: {
            // Both forms carry the old item's handle at the same place.
            const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
            HTREEITEM gone = change.itemOld.hItem;
            outcomes_.erase(gone);
            taken_.erase(gone);
            if (gone == tipItem_) hideTip();
            return false;  // the window may want to hear of it too
        }
    }
    return false;
}

COLORREF TreeStatus::colourOf(ParcelState state) {
    return kStateColours[static_cast<size_t>(state)];
}

const ParcelOutcome* TreeStatus::outcomeOf(HTREEITEM item) const {
    const auto found = outcomes_.find(item);
    return found == outcomes_.end() ? nullptr : &found->second;
}

std::string TreeStatus::textOf(HTREEITEM item) const { return tree_.itemText(tree_.indexOf(item)); }

std::string TreeStatus::tipText(HTREEITEM item) const {
    if (!item) return {};
    HTREEITEM parent = nextItem(treeView_, item, TVGN_PARENT);
    return parent ? numberTip(item, parent) : companyTip(item);
}

std::string TreeStatus::numberTip(HTREEITEM item, HTREEITEM company) const {
    std::string tip;
    if (const ParcelOutcome* outcome = outcomeOf(item)) {
        tip = tracking::parcelStateName(outcome->state);
        if (outcome->state != ParcelState::WrongNumber) {
            tip += kLineBreak;
            tip += outcome->time;
            tip += ' ';
            tip += shortened(outcome->context, kContextShown);
        }
    } else {
        tip = texts::kNotQueried;
    }
    const std::string hint = tracking::courierHint(textOf(item), textOf(company));
    if (!hint.empty()) {
        tip += kLineBreak;
        tip += hint;
    }
    return tip;
}

std::string TreeStatus::companyTip(HTREEITEM company) const {
    std::array<int, tracking::kParcelStateCount> counts{};
    int total = 0, queried = 0;
    for (HTREEITEM child = nextItem(treeView_, company, TVGN_CHILD); child;
         child = nextItem(treeView_, child, TVGN_NEXT)) {
        ++total;
        if (const ParcelOutcome* outcome = outcomeOf(child)) {
            ++counts[static_cast<size_t>(outcome->state)];
            ++queried;
        }
    }
    std::string tip =
        std::string(texts::kTotalBefore) + std::to_string(total) + std::string(texts::kTotalAfter);
    if (total == 0) return tip;
    if (queried == 0)
        return tip + std::string(texts::kCountsBreak) + std::string(texts::kNotQueried);
    tip += texts::kCountsStart;
    bool first = true;
    for (ParcelState state : kCountOrder) {
        if (!first) tip += texts::kCountsBreak;
        first = false;
        tip += tracking::parcelStateName(state);
        tip += ' ';
        tip += std::to_string(counts[static_cast<size_t>(state)]);
    }
    if (queried < total) {
        tip += texts::kCountsBreak;
        tip += texts::kNotQueried;
        tip += ' ';
        tip += std::to_string(total - queried);
    }
    return tip;
}

void TreeStatus::setTipText(const std::string& text) {
    if (!tooltip_) return;
    std::wstring wide = text::toWide(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = treeView_;
    tool.uId = kToolId;
    tool.lpszText = wide.data();
    SendMessageW(tooltip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TreeStatus::trackMouse() {
    // Hover ends once reported; every move asks again, so resting on the
    // next item shows its tip too.
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = treeView_;
    track.dwHoverTime = HOVER_DEFAULT;
    TrackMouseEvent(&track);
}

void TreeStatus::showTip(POINT client) {
    TVHITTESTINFO hit{};
    hit.pt = client;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageW(treeView_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (!item || !(hit.flags & TVHT_ONITEM) || !tooltip_) {
        hideTip();
        return;
    }
    tipItem_ = item;
    setTipText(tipText(item));
    POINT screen = client;
    ClientToScreen(treeView_, &screen);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = treeView_;
    tool.uId = kToolId;
    SendMessageW(tooltip_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x, screen.y + kTipBelow));
    SendMessageW(tooltip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void TreeStatus::hideTip() {
    if (!tipItem_) return;
    tipItem_ = nullptr;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = treeView_;
    tool.uId = kToolId;
    SendMessageW(tooltip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

bool TreeStatus::onTip(LPARAM clientPoint) const {
    if (!tipItem_) return false;
    POINT at{GET_X_LPARAM(clientPoint), GET_Y_LPARAM(clientPoint)};
    ClientToScreen(treeView_, &at);
    RECT tip{};
    return GetWindowRect(tooltip_.get(), &tip) && PtInRect(&tip, at);
}

// The mouse goes through the tip, but a window hidden while pointer input is
// still on its way to it loses that input under Wine (it lands on the desktop
// at a point of the tip's own), so a double-click on a row under the tip came
// in as one click. While the pointer is on the tip, a move or a left click
// leaves it up: it goes once the pointer is off it, or moves to the row the
// pointer rests on.
LRESULT CALLBACK TreeStatus::treeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                      DWORD_PTR data) {
    auto* self = reinterpret_cast<TreeStatus*>(data);
    switch (msg) {
        case WM_MOUSEMOVE: {
            self->trackMouse();
            if (self->tipItem_ && !self->onTip(lp)) {
                TVHITTESTINFO hit{};
                hit.pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
                SendMessageW(hwnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
                if (hit.hItem != self->tipItem_ || !(hit.flags & TVHT_ONITEM)) self->hideTip();
            }
            break;
        }
        case WM_MOUSEHOVER:
            self->showTip({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            break;
        case WM_LBUTTONDOWN:
            if (!self->onTip(lp)) self->hideTip();
            break;
        case WM_MOUSELEAVE:
        case WM_RBUTTONDOWN:
        case WM_MOUSEWHEEL:
        case WM_KEYDOWN:
        case WM_VSCROLL:
        case WM_HSCROLL:
        case WM_KILLFOCUS:
        case WM_SHOWWINDOW:
            self->hideTip();
            break;
        case WM_NCDESTROY:
            self->hideTip();
            RemoveWindowSubclass(hwnd, treeProc, kSubclassId);
            break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace korvel::ui
