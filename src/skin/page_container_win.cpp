#include "skin/page_container_win.h"

#include "skin/skin_color.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_toolkit_win.h"
#include "skin/skin_window_table_win.h"
#include "text/wide_text_win.h"

namespace korvel::skin {

namespace {

constexpr int kDefaultHeaderSize = 24;

}  // namespace

int PageContainer::Create(HWND hwnd, int x, int y, int width, int height, bool visible) {
    if (!Register(hwnd,
                  {static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                   static_cast<float>(height)},
                  kKindPageContainer, visible ? 1 : 0, false))
        return 0;
    if (visible) Repaint();
    return ControlNumber();
}

void PageContainer::SetLook(int headerPosition, int headerSize) {
    headerPosition_ = headerPosition;
    if (headerSize >= 1) headerSize_ = headerSize;
    if (headerSize_ < 1) headerSize_ = kDefaultHeaderSize;
    if (SkinEngine* engine = Engine()) engine->RecomposeArea(Rectangle());
    Repaint();
}

int PageContainer::AddPage(const std::string& name) {
    pages_.push_back({name, {}, {}});
    Repaint();
    return PageCount();
}

const std::string& PageContainer::PageName(int page) const {
    static const std::string none;
    return IsValidPage(page) ? pages_[static_cast<size_t>(page - 1)].name : none;
}

void PageContainer::applyVisibility(int page, bool visible) {
    if (!IsValidPage(page)) return;
    Page& p = pages_[static_cast<size_t>(page - 1)];
    for (SkinControl* c : p.elements) c->Visible(visible);
    for (HWND w : p.windows) ShowWindow(w, visible ? SW_SHOW : SW_HIDE);
}

bool PageContainer::SelectedPage(int page) {
    if (!IsValidPage(page)) return false;
    if (changing_ && !changing_(selected_, page)) return false;
    applyVisibility(selected_, false);
    selected_ = page;
    applyVisibility(selected_, true);
    // Elements of both pages may overlap anything: compose the window anew.
    if (SkinEngine* engine = Engine()) engine->Redraw();
    if (changed_) changed_(page);
    return true;
}

bool PageContainer::AddElement(int page, int controlNumber) {
    if (!IsValidPage(page)) return false;
    ControlEntry* entry = FindControlEntry(WindowNumber(), controlNumber);
    if (!entry || !entry->control || entry->control == this) return false;
    SkinControl* control = entry->control;
    // A control sits on one page at most.
    for (Page& p : pages_) std::erase(p.elements, control);
    pages_[static_cast<size_t>(page - 1)].elements.push_back(control);
    const bool shown = page == selected_;
    if (control->Visible() != shown) {
        control->Visible(shown);
        if (SkinEngine* engine = Engine()) {
            if (shown)
                control->Repaint();
            else
                engine->RecomposeArea(entry->rect);
        }
    }
    return true;
}

bool PageContainer::AddWindow(int page, HWND child) {
    if (!IsValidPage(page) || !IsWindow(child)) return false;
    for (Page& p : pages_) std::erase(p.windows, child);
    pages_[static_cast<size_t>(page - 1)].windows.push_back(child);
    ShowWindow(child, page == selected_ ? SW_SHOW : SW_HIDE);
    return true;
}

RectF PageContainer::headerRect(int page) const {
    const RectF r = Rectangle();
    const int n = std::max(1, PageCount());
    const float size = static_cast<float>(headerSize_);
    const int i = page - 1;
    switch (headerPosition_) {
        case 2:  // right
            return {r.x + r.width - size, r.y + r.height * i / n, size, r.height / n};
        case 3:  // bottom
            return {r.x + r.width * i / n, r.y + r.height - size, r.width / n, size};
        case 4:  // left
            return {r.x, r.y + r.height * i / n, size, r.height / n};
        default:  // top
            return {r.x + r.width * i / n, r.y, r.width / n, size};
    }
}

int PageContainer::headerHit(float x, float y) const {
    if (headerPosition_ < 1 || headerPosition_ > 4) return 0;
    for (int page = 1; page <= PageCount(); ++page) {
        const RectF h = headerRect(page);
        if (x >= h.x && x < h.x + h.width && y >= h.y && y < h.y + h.height) return page;
    }
    return 0;
}

void PageContainer::paint() {
    if (headerPosition_ < 1 || headerPosition_ > 4) return;  // draws nothing at all
    GpGraphics* g = BeginRepaint();
    if (!g) return;
    const RectF r = Rectangle();
    GpPen* frame = nullptr;
    gdip::GdipCreatePen1(rgbaToArgb(0, 0, 0, 90), 1, Gdiplus::UnitPixel, &frame);
    gdip::GdipDrawRectangle(g, frame, r.x, r.y, r.width - 1, r.height - 1);
    GpStringFormat* format = nullptr;
    gdip::GdipCreateStringFormat(0, 0, &format);
    gdip::GdipSetStringFormatAlign(format, Gdiplus::StringAlignmentCenter);
    gdip::GdipSetStringFormatLineAlign(format, Gdiplus::StringAlignmentCenter);
    Gdiplus::GpSolidFill* selected = nullptr;
    Gdiplus::GpSolidFill* ink = nullptr;
    gdip::GdipCreateSolidFill(rgbaToArgb(255, 255, 255, 60), &selected);
    gdip::GdipCreateSolidFill(rgbaToArgb(0, 0, 0, 250), &ink);
    for (int page = 1; page <= PageCount(); ++page) {
        const RectF h = headerRect(page);
        if (page == selected_) gdip::GdipFillRectangle(g, selected, h.x, h.y, h.width, h.height);
        gdip::GdipDrawRectangle(g, frame, h.x, h.y, h.width - 1, h.height - 1);
        const std::wstring name = text::toWide(PageName(page));
        Gdiplus::RectF layout(h.x, h.y, h.width, h.height);
        gdip::GdipDrawString(g, name.c_str(), static_cast<INT>(name.size()), DefaultFont(), &layout,
                             format, ink);
    }
    gdip::GdipDeleteBrush(selected);
    gdip::GdipDeleteBrush(ink);
    gdip::GdipDeleteStringFormat(format);
    gdip::GdipDeletePen(frame);
    EndRepaint(true);
}

LRESULT PageContainer::HandleMessage(HWND, UINT message, WPARAM, LPARAM lParam, int, int, int) {
    switch (message) {
        case kMsgPaint:
            paint();
            break;
        case WM_LBUTTONDOWN:
            if (int page = headerHit(static_cast<float>(static_cast<short>(LOWORD(lParam))),
                                     static_cast<float>(static_cast<short>(HIWORD(lParam)))))
                SelectedPage(page);
            break;
    }
    return 0;
}

}  // namespace korvel::skin
