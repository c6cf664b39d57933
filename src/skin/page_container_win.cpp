#include "skin/page_container_win.h"

#include <windowsx.h>

#include "skin/skin_engine_win.h"
#include "skin/skin_paint_win.h"
#include "skin/skin_toolkit_win.h"

namespace korvel::skin {

namespace {

constexpr int kHeaderNone = 0;
constexpr int kHeaderTop = 1;
constexpr int kHeaderBottom = 2;
constexpr int kHeaderLeft = 3;
constexpr int kHeaderRight = 4;
constexpr float kCornerRadius = 4.0f;
const std::string kNoName;

}  // namespace

int PageContainer::Create(HWND hwnd, int x, int y, int width, int height, const PageLook& look,
                          std::optional<bool> rounded, bool visible) {
    look_ = look;
    const RectF rect{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                     static_cast<float>(height)};
    if (!Register(hwnd, rect, kKindPageContainer, visible ? 1 : 0, false)) return 0;
    rounded_ = DefaultRounded(*this, rounded);
    if (visible) Repaint();
    return ControlNumber();
}

void PageContainer::SetLook(int headerPosition, int headerSize) {
    const RectF before = Rectangle();
    headerPosition_ = (headerPosition >= kHeaderNone && headerPosition <= kHeaderRight)
                          ? headerPosition
                          : kHeaderNone;
    if (headerSize > 0) headerSize_ = headerSize;
    // The old header may lie where nothing is drawn any more.
    if (SkinEngine* engine = Engine()) engine->RecomposeArea(before);
}

int PageContainer::AddPage(const std::string& gbkName) {
    pages_.push_back({gbkName, {}, {}});
    if (headerPosition_ != kHeaderNone) Repaint();
    return PageCount();
}

const std::string& PageContainer::PageName(int page) const {
    return IsValidPage(page) ? pages_[static_cast<size_t>(page - 1)].name : kNoName;
}

void PageContainer::showPage(int page, bool show) {
    if (!IsValidPage(page)) return;
    const Page& p = pages_[static_cast<size_t>(page - 1)];
    for (SkinControl* element : p.elements) {
        if (!element->IsRegistered()) continue;
        if (show) {
            element->Show();
            element->Repaint();
        } else if (element->Visible()) {
            element->Hide();
            if (SkinEngine* engine = element->Engine()) engine->RecomposeArea(element->Rectangle());
        }
    }
    for (HWND window : p.windows) {
        if (IsWindow(window)) ShowWindow(window, show ? SW_SHOW : SW_HIDE);
    }
}

int PageContainer::SelectedPage(int page) {
    if (!IsValidPage(page)) return selected_;
    if (changing_ && changing_(page) == 0) return selected_;
    if (selected_ != page) showPage(selected_, false);
    selected_ = page;
    showPage(page, true);
    if (headerPosition_ != kHeaderNone) Repaint();
    if (changed_) changed_(page);
    return selected_;
}

bool PageContainer::AddElement(int page, int control) {
    const ControlEntry* e = FindControlEntry(WindowNumber(), control);
    if (!e || !e->control) return false;
    return AddElement(page, *e->control);
}

bool PageContainer::AddElement(int page, SkinControl& control) {
    if (!IsValidPage(page) || &control == this) return false;
    pages_[static_cast<size_t>(page - 1)].elements.push_back(&control);
    if (page != selected_ && control.Visible()) {
        control.Hide();
        if (SkinEngine* engine = control.Engine()) engine->RecomposeArea(control.Rectangle());
    }
    return true;
}

bool PageContainer::AddWindow(int page, HWND window) {
    if (!IsValidPage(page) || !IsWindow(window)) return false;
    pages_[static_cast<size_t>(page - 1)].windows.push_back(window);
    ShowWindow(window, page == selected_ ? SW_SHOW : SW_HIDE);
    return true;
}

RectF PageContainer::headerRect() const {
    const RectF r = Rectangle();
    const float size = static_cast<float>(headerSize_);
    switch (headerPosition_) {
        case kHeaderTop:
            return {r.x, r.y, r.width, size};
        case kHeaderBottom:
            return {r.x, r.y + r.height - size, r.width, size};
        case kHeaderLeft:
            return {r.x, r.y, size, r.height};
        case kHeaderRight:
            return {r.x + r.width - size, r.y, size, r.height};
        default:
            return {};
    }
}

RectF PageContainer::tabRect(int page) const {
    const RectF h = headerRect();
    const int n = std::max(PageCount(), 1);
    const float i = static_cast<float>(page - 1);
    if (headerPosition_ == kHeaderTop || headerPosition_ == kHeaderBottom) {
        const float w = h.width / static_cast<float>(n);
        return {h.x + i * w, h.y, w, h.height};
    }
    const float tabHeight = h.height / static_cast<float>(n);
    return {h.x, h.y + i * tabHeight, h.width, tabHeight};
}

int PageContainer::tabAt(float x, float y) const {
    for (int page = 1; page <= PageCount(); ++page)
        if (tabRect(page).contains(x, y)) return page;
    return 0;
}

bool PageContainer::HitsAt(float x, float y) const {
    return headerPosition_ != kHeaderNone && headerRect().contains(x, y);
}

void PageContainer::paint() {
    if (headerPosition_ == kHeaderNone) return;
    GpGraphics* g = BeginRepaint();
    if (!g) return;
    const float radius = rounded_ ? kCornerRadius : 0.0f;
    OutlineRounded(g, Rectangle(), radius, look_.lineColor);
    GdipStringFormatPtr format =
        MakeStringFormat(4, 4096, Gdiplus::StringTrimmingEllipsisCharacter);
    for (int page = 1; page <= PageCount(); ++page) {
        const RectF tab = tabRect(page);
        if (page == selected_) FillRounded(g, tab, radius, look_.selectedColor);
        OutlineRounded(g, tab, radius, look_.lineColor);
        DrawShadowedText(g, PageName(page), DefaultFont(), tab, format.get(), look_.headerColor);
    }
    EndRepaint(true);
}

LRESULT PageContainer::HandleMessage(HWND, UINT message, WPARAM, LPARAM lParam, int, int, int) {
    switch (message) {
        case kMsgPaint:
            paint();
            break;
        case WM_LBUTTONDOWN: {
            if (Disabled()) break;
            const int page = tabAt(static_cast<float>(GET_X_LPARAM(lParam)),
                                   static_cast<float>(GET_Y_LPARAM(lParam)));
            if (page) SelectedPage(page);
            break;
        }
        default:
            break;
    }
    return 0;
}

}  // namespace korvel::skin
