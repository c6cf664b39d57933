#include "skin/picture_box_win.h"

#include <memory>

#include "skin/border_paint_win.h"
#include "skin/skin_engine_win.h"

namespace korvel::skin {

namespace {

RectF rectOf(int x, int y, int width, int height) {
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
            static_cast<float>(height)};
}

}  // namespace

int PictureBox::Create(HWND hwnd, int x, int y, int width, int height,
                       std::span<const std::uint8_t> picture, bool animate, bool replaceZeroDelays,
                       int borderStyle, bool visible) {
    if (IsRegistered()) return 0;
    if (picture.empty())
        picture_.Release();
    else
        picture_.LoadFromBytes(picture);
    return registerBox(hwnd, rectOf(x, y, width, height), animate, replaceZeroDelays, borderStyle,
                       visible);
}

int PictureBox::CreateFromImage(HWND hwnd, int x, int y, int width, int height, GpImage* image,
                                int borderStyle, bool visible) {
    if (IsRegistered()) return 0;
    GpImage* copy = nullptr;
    if (image && gdip::GdipCloneImage(image, &copy) == Gdiplus::Ok)
        picture_.SetHandle(copy);
    else
        picture_.Release();
    return registerBox(hwnd, rectOf(x, y, width, height), false, false, borderStyle, visible);
}

int PictureBox::registerBox(HWND hwnd, const RectF& rect, bool animate, bool replaceZeroDelays,
                            int borderStyle, bool visible) {
    animate_ = animate;
    replaceZeroDelays_ = replaceZeroDelays;
    borderStyle_ = borderStyle;
    started_ = false;
    if (!Register(hwnd, rect, kKindPictureBox, visible ? 1 : 0, true, kCursorArrow)) return 0;
    readFrames();
    if (visible) Repaint();
    return ControlNumber();
}

void PictureBox::readFrames() {
    opaque_.Forget();
    std::vector<int> delays;
    picture_.FrameDelays(delays);
    clock_.Reset(picture_ ? picture_.FrameCount() : 0, std::move(delays), replaceZeroDelays_);
    shownFrame_ = -1;
}

bool PictureBox::Animate(bool value) {
    animate_ = value;
    clock_.Restart();
    if (!value) {
        started_ = false;
        stopTimer();
    }
    Repaint();
    return animate_;
}

void PictureBox::SetPicture(std::span<const std::uint8_t> picture, bool repaint) {
    stopTimer();
    if (picture.empty())
        picture_.Release();
    else
        picture_.LoadFromBytes(picture);
    started_ = false;
    readFrames();
    if (repaint) Repaint();
}

void PictureBox::stopTimer() {
    if (SkinEngine* engine = Engine()) engine->StopControlTimer(ControlNumber());
    timerInterval_ = 0;
}

void PictureBox::drawFrame(int frame) {
    GpGraphics* g = BeginRepaint();
    if (!g) return;
    const RectF r = Rectangle();
    if (GpImage* image = picture_.Handle()) {
        SkinEngine* engine = Engine();
        SkinWindowRecord* record = engine ? engine->Record() : nullptr;
        if (clock_.FrameCount() > 1) {
            picture_.SelectFrame(frame);
            gdip::GdipDrawImageRect(g, image, r.x, r.y, r.width, r.height);
        } else if (record && opaque_.Prepare(image, record->windowDc.get())) {
            // Graphics g draws into the present buffer.
            opaque_.Draw(record->present,
                         {static_cast<int>(r.x), static_cast<int>(r.y), static_cast<int>(r.width),
                          static_cast<int>(r.height)},
                         engine->RepaintClip());
        } else {
            gdip::GdipDrawImageRect(g, image, r.x, r.y, r.width, r.height);
        }
    }
    DrawBorder(g, r, borderStyle_);
    shownFrame_ = frame;
    // A picture box never fades: each frame shows at once.
    EndRepaint(true);
}

void PictureBox::DrawFrame(int window, int control, const RectF&, int) {
    if (window != WindowNumber() || control != ControlNumber()) return;
    if (!CanPaint()) {
        // Hidden (as on a page not shown): the animation rests and starts
        // again with the next paint once the box shows.
        stopTimer();
        started_ = false;
        return;
    }
    const int frame = clock_.Take();
    drawFrame(frame);
    SkinEngine* engine = Engine();
    if (!engine) return;
    if (animate_ && clock_.FrameCount() > 1) {
        timerInterval_ = clock_.IntervalMs(frame);
        engine->StartControlTimer(control, timerInterval_);
    } else if (timerInterval_ != 0) {
        stopTimer();
    }
}

LRESULT PictureBox::HandleMessage(HWND, UINT message, WPARAM, LPARAM, int window, int control,
                                  int extra) {
    switch (message) {
        case WM_DESTROY:
            if (animate_) {
                stopTimer();
                clock_.Reset(0, {}, false);
                animate_ = false;
                started_ = false;
            }
            picture_.Release();
            opaque_.Forget();
            break;
        case kMsgTimer:
            if (animate_ && clock_.FrameCount() > 0)
                DrawFrame(window, control, Rectangle(), 1);
            else
                stopTimer();
            break;
        case kMsgPaint:
            if (!animate_) {
                clock_.Restart();
                DrawFrame(window, control, Rectangle(), extra);
            } else if (!started_) {
                started_ = true;
                DrawFrame(window, control, Rectangle(), extra);
            } else if (shownFrame_ >= 0) {
                // The timer owns the animation; a repaint of the window only
                // puts the frame on show back, so it never blinks out.
                drawFrame(shownFrame_);
            }
            break;
        default:
            break;
    }
    return 0;
}

void InstallPictureBoxIcons() {
    SkinEngine::SetIconFactory([](HWND hwnd, const IntRect& at) -> std::unique_ptr<SkinControl> {
        auto icon = std::make_unique<PictureBox>();
        icon->Create(hwnd, at.x, at.y, at.width, at.height, {});
        return icon;
    });
}

}  // namespace korvel::skin
