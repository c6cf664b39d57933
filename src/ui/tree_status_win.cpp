#include "ui/tree_status_win.h"

#include <windowsx.h>

#include <array>

#include "text/gbk_text.h"
#include "text/wide_text_win.h"
#include "tracking/courier_hint.h"
#include "tracking/tracking_texts.h"

namespace korvel::ui {

using tracking::KeptOutcome;
using tracking::OutcomeRecord;
using tracking::ParcelOutcome;
using tracking::ParcelState;

namespace {

// Every text of the tooltips (GBK literals).
namespace texts {
constexpr std::string_view kNotQueried = tracking::texts::kNotQueried;
constexpr std::string_view kAskedAt = "上次查询：";
constexpr std::string_view kTotalBefore = "共 ";
constexpr std::string_view kTotalAfter = " 单";
constexpr std::string_view kCountsStart = "：";
constexpr std::string_view kCountsBreak = "，";
constexpr std::string_view kEllipsis = "…";
}  // namespace texts

constexpr std::string_view kLineBreak = "\r\n";
constexpr UINT_PTR kSubclassId = 0x5453;  // "TS"
constexpr UINT_PTR kToolId = 1;
// Timers of the tree window, apart from the control's own (small numbers).
constexpr UINT_PTR kRefreshTimer = 0x5453;  // colours and tip after new outcomes
constexpr UINT kRefreshMs = 15;
constexpr UINT_PTR kSeenTimer = 0x5454;  // the store hears which numbers the tree holds
constexpr UINT kSeenMs = 60 * 1000;
// The store is read once the window has shown itself: timers come after every
// paint waiting, and nothing shows an outcome before the list holds numbers.
constexpr UINT_PTR kLoadTimer = 0x5455;
// The tree's numbers go to the store at least this often, unchanged or not,
// so a list left open for months is never forgotten.
constexpr tracking::Seconds kSeenAgain = 24 * 3600;
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

TreeStatus::TreeStatus(TrackingTree& tree, std::string storeFolder)
    : tree_(tree), treeView_(tree.handle()) {
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
    if (!storeFolder.empty()) {
        keeper_ = std::make_unique<OutcomeKeeper>(
            std::move(storeFolder),
            [this](tracking::OutcomeStore news) { heardFromStore(std::move(news)); });
        SetTimer(treeView_, kSeenTimer, kSeenMs, nullptr);
        if (!SetTimer(treeView_, kLoadTimer, USER_TIMER_MINIMUM, nullptr)) keeper_->start();
    }
}

TreeStatus::~TreeStatus() {
    if (keeper_) {
        tellSeen(false);
        keeper_.reset();  // waits for the last sync
    }
    if (IsWindow(treeView_)) {
        KillTimer(treeView_, kRefreshTimer);
        KillTimer(treeView_, kSeenTimer);
        KillTimer(treeView_, kLoadTimer);
        RemoveWindowSubclass(treeView_, treeProc, kSubclassId);
    }
}

void TreeStatus::numberFinished(const std::string& company, const std::string& number,
                                const ParcelOutcome& outcome) {
    const tracking::Seconds now = OutcomeKeeper::now();
    OutcomeRecord record{company, number, {outcome, now, now}};
    store_.merge(record);
    if (keeper_) keeper_->add(std::move(record));
    refreshSoon();
}

// The first news, what the file held at start, is taken over whole: no
// record at a time on this thread.
void TreeStatus::heardFromStore(tracking::OutcomeStore news) {
    const bool changed = store_.empty() ? !news.empty() : store_.merge(news);
    if (store_.empty()) store_ = std::move(news);
    if (changed) refreshSoon();
}

// The tree repaints and the tip is made again once for all the outcomes of
// a moment, not once for each: a company's tip counts all its numbers.
void TreeStatus::refreshSoon() {
    if (refreshDue_) return;
    refreshDue_ = SetTimer(treeView_, kRefreshTimer, kRefreshMs, nullptr) != 0;
    if (!refreshDue_) refresh();
}

void TreeStatus::refresh() {
    KillTimer(treeView_, kRefreshTimer);
    refreshDue_ = false;
    InvalidateRect(treeView_, nullptr, FALSE);
    if (tipItem_) setTipText(tipText(tipItem_));
}

void TreeStatus::tellSeen(bool always) {
    const std::uint64_t changes = tree_.changeCount()->load();
    const tracking::Seconds now = OutcomeKeeper::now();
    if (!always && changes == seenChanges_ && now - seenAt_ < kSeenAgain) return;
    seenChanges_ = changes;
    seenAt_ = now;
    OutcomeKeeper::Numbers numbers;
    const int count = tree_.itemCount();
    for (int i = 0; i < count; ++i) {
        const int parent = tree_.parentOf(i);
        if (parent != -1) numbers.emplace_back(tree_.itemText(parent), tree_.itemText(i));
    }
    keeper_->seen(std::move(numbers));
}

bool TreeStatus::keepNow() {
    if (!keeper_) return false;
    tellSeen(true);
    return keeper_->syncNow();
}

bool TreeStatus::onNotify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != treeView_) return false;
    switch (header.code) {
        case NM_CUSTOMDRAW: {
            auto& draw = *reinterpret_cast<NMTVCUSTOMDRAW*>(const_cast<NMHDR*>(&header));
            if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
                // Nothing coloured: the tree draws as if nobody listened.
                result = store_.empty() ? CDRF_DODEFAULT : CDRF_NOTIFYITEMDRAW;
                return true;
            }
            if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                const KeptOutcome* kept =
                    outcomeOf(reinterpret_cast<HTREEITEM>(draw.nmcd.dwItemSpec));
                if (kept && kept->outcome.state != ParcelState::InTransit)
                    draw.clrText = colourOf(kept->outcome.state);
                result = CDRF_DODEFAULT;
                return true;
            }
            return false;
        }
        case TVN_DELETEITEMW:
        case TVN_DELETEITEMA: {
            // Both forms carry the old item's handle at the same place. The
            // outcome stays with its number.
            const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
            if (change.itemOld.hItem == tipItem_) hideTip();
            return false;  // the window may want to hear of it too
        }
    }
    return false;
}

COLORREF TreeStatus::colourOf(ParcelState state) {
    return kStateColours[static_cast<size_t>(state)];
}

const KeptOutcome* TreeStatus::outcomeOf(HTREEITEM item) const {
    const TrackingTree::ItemTexts texts = tree_.textsOf(item);
    return texts.parent ? store_.find(*texts.parent, *texts.item) : nullptr;
}

bool TreeStatus::open(const std::string& company, const std::string& number) const {
    const KeptOutcome* kept = store_.find(company, number);
    return !kept || kept->outcome.state != ParcelState::Delivered;
}

std::string TreeStatus::tipText(HTREEITEM item) const {
    const TrackingTree::ItemTexts texts = tree_.textsOf(item);
    if (!texts.item) return {};
    return texts.parent ? numberTip(item) : companyTip(item);
}

std::string TreeStatus::numberTip(HTREEITEM item) const {
    const TrackingTree::ItemTexts texts = tree_.textsOf(item);
    std::string tip;
    if (const KeptOutcome* kept = store_.find(*texts.parent, *texts.item)) {
        const ParcelOutcome& outcome = kept->outcome;
        tip = tracking::parcelStateName(outcome.state);
        if (outcome.state != ParcelState::WrongNumber) {
            tip += kLineBreak;
            tip += outcome.time;
            tip += ' ';
            tip += shortened(outcome.context, kContextShown);
        }
        tip += kLineBreak;
        tip += texts::kAskedAt;
        tip += OutcomeKeeper::localMinuteText(kept->askedAt);
    } else {
        tip = texts::kNotQueried;
    }
    const std::string hint = tracking::courierHint(*texts.item, *texts.parent);
    if (!hint.empty()) {
        tip += kLineBreak;
        tip += hint;
    }
    return tip;
}

// Counted in the tree's own mirror by index: the numbers of a company follow
// it, and no message names an item.
std::string TreeStatus::companyTip(HTREEITEM company) const {
    std::array<int, tracking::kParcelStateCount> counts{};
    int total = 0, queried = 0;
    const int index = tree_.indexOf(company), count = tree_.itemCount();
    const std::string name = tree_.itemText(index);
    for (int i = index + 1; i < count; ++i) {
        const int parent = tree_.parentOf(i);
        if (parent == -1) break;
        if (parent != index) continue;
        ++total;
        if (const KeptOutcome* kept = store_.find(name, tree_.itemText(i))) {
            ++counts[static_cast<size_t>(kept->outcome.state)];
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
        case WM_TIMER:
            if (wp == kRefreshTimer) {
                self->refresh();
                return 0;
            }
            if (wp == kSeenTimer) {
                self->tellSeen(false);
                return 0;
            }
            if (wp == kLoadTimer) {
                KillTimer(hwnd, kLoadTimer);
                self->keeper_->start();
                return 0;
            }
            break;
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
