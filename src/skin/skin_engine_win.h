// SkinEngine takes over one top-level window: it removes the system frame,
// composes frame, background, title and drawn controls in off-screen 32-bit
// buffers with GDI+, and hands the window's mouse and keyboard input to its
// input root (input_root_win.h), which routes it to the controls and raises
// the events the program registers here. One engine per skinned window; UI
// thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "skin/input_root_win.h"
#include "skin/opaque_picture_win.h"
#include "skin/skin_image_win.h"
#include "skin/skin_window_table_win.h"
#include "skin/toolkit_messages.h"

namespace korvel::skin {

class CaptionButton;
class SkinControl;

// Corner insets of a background drawn as a nine-grid (all zero: none).
struct NineGrid {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
};

struct AttachOptions {
    std::optional<std::uint32_t> panelColor;  // 0x00BBGGRR; absent: sampled from the picture
    std::optional<unsigned> captionFlags;     // absent: icon, title, close and the styles' boxes
    int alpha = -1;                           // -1 ordinary window, 0..255 layered
    bool stretchImage = false;
    int frameStyle = 5;  // corner size of the region; 1 draws the picture as the whole window
    bool fadeControls = true;
    bool notResizable = false;
    bool notDraggable = false;
    bool edgeHighlight = true;
    NineGrid nineGrid;
};

class SkinEngine {
  public:
    // Event subroutines (input_root_win.h). Control events get (hwnd,
    // identity, tag, kind); key events get (hwnd, focused identity, key or
    // character, lParam) and consume the key by returning anything but -1.
    using ControlEvent = skin::ControlEvent;
    using KeyEvent = skin::KeyEvent;
    // (hwnd, compose Graphics, compose DC, width, height)
    using PaintEventFn = std::function<void(HWND, GpGraphics*, HDC, int, int)>;
    using ResizedEventFn = std::function<void(HWND, int, int)>;
    // Any result but -1 is returned from the window procedure.
    using MessageHookFn = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;
    // Makes the window icon control (a picture box) at the given rectangle.
    using IconFactory = std::function<std::unique_ptr<SkinControl>(HWND, const IntRect&)>;

    SkinEngine();
    ~SkinEngine();
    SkinEngine(const SkinEngine&) = delete;
    SkinEngine& operator=(const SkinEngine&) = delete;

    // Takes the window over (see README.md); false when it cannot be skinned.
    bool Attach(HWND hwnd, std::span<const std::uint8_t> picture,
                const AttachOptions& options = {});
    bool InitWindow(HWND hwnd, bool stretchImage, bool fadeControls, int alpha);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Tear-down: the window gets its own procedure back and the engine lets it go.
    void Destroy(HWND hwnd);
    void Detach();
    void Resize(HWND hwnd, int width, int height);
    // The fade-in step or a control's tick; false for a timer that is not
    // the toolkit's (the window's own), which then passes on.
    bool OnTimer(HWND hwnd, UINT_PTR timerId);

    // Composes and shows the whole window. A given picture replaces the
    // background; a given colour replaces the panel colour; animate fades in.
    bool Redraw(std::optional<std::span<const std::uint8_t>> picture = std::nullopt,
                std::optional<std::uint32_t> panelColor = std::nullopt, bool animate = false);
    // While suspended (calls nest), Redraw, control repaints and area
    // recomposing draw nothing; the last resume makes one full Redraw.
    // Setting up a window of many controls thus composes it once.
    void SuspendPainting() { ++paintingSuspended_; }
    void ResumePainting();
    bool PaintingSuspended() const { return paintingSuspended_ > 0; }
    GpImage* BackgroundImage() const { return background_.Handle(); }
    GpImage* BackgroundImage(std::span<const std::uint8_t> picture);
    // Takes ownership of image as the background and redraws.
    GpImage* SetBackgroundImage(GpImage* image);
    void DrawTitle(const std::string& gbkText, bool restoreBackground, bool present);
    void LayoutCaptionButtons(int width);
    // kMsgPaint with state to one control (single) or to every active
    // control that intersects the window.
    void RepaintControls(int control, bool single, long state);

    int Alpha() const;
    int Alpha(int value);
    bool StretchImage() const;
    bool StretchImage(bool value);
    int FrameStyleProperty() const { return frameStyle_; }
    int FrameStyleProperty(int value);
    // 4, 8, 16, 32, 64, 128 or 256 for a caption button, 0 for anything else.
    unsigned CaptionButtonKind(int control) const;
    // The number of the control an event reported by its identity, 0 when none.
    int ControlOfIdentity(int identity) const;
    bool NotResizable() const { return notResizable_; }
    bool NotResizable(bool value) { return notResizable_ = value; }
    bool NotDraggable() const { return notDraggable_; }
    bool NotDraggable(bool value) { return notDraggable_ = value; }
    // Focus by the program (InputRoot::SetFocusControl).
    void SetFocusControl(int control);
    void CloseEffect(int kind) { closeEffect_ = kind; }
    bool FadeControls() const;
    bool FadeControls(bool value);

    void MessageHook(MessageHookFn hook = {}) { messageHook_ = std::move(hook); }
    void PaintEvent(PaintEventFn fn) { paint_ = std::move(fn); }
    void PostPaintEvent(PaintEventFn fn) { postPaint_ = std::move(fn); }
    void ResizedEvent(ResizedEventFn fn) { resized_ = std::move(fn); }
    void MouseLeaveEvent(ControlEvent fn) { events().mouseLeave = std::move(fn); }
    void MouseEnterEvent(ControlEvent fn) { events().mouseEnter = std::move(fn); }
    void LeftDownEvent(ControlEvent fn) { events().leftDown = std::move(fn); }
    void LeftUpEvent(ControlEvent fn) { events().leftUp = std::move(fn); }
    void ClickEvent(ControlEvent fn) { events().click = std::move(fn); }
    void DoubleClickEvent(ControlEvent fn) { events().doubleClick = std::move(fn); }
    void RightDownEvent(ControlEvent fn) { events().rightDown = std::move(fn); }
    void RightUpEvent(ControlEvent fn) { events().rightUp = std::move(fn); }
    void KeyDownEvent(KeyEvent fn) { events().keyDown = std::move(fn); }
    void KeyUpEvent(KeyEvent fn) { events().keyUp = std::move(fn); }
    void CharEvent(KeyEvent fn) { events().character = std::move(fn); }
    void FocusGainedEvent(ControlEvent fn) { events().focusGained = std::move(fn); }
    void FocusLostEvent(ControlEvent fn) { events().focusLost = std::move(fn); }

    // The window's interaction state and its input routing.
    InputRoot& Input() { return input_; }
    const InputRoot& Input() const { return input_; }

    // State the control classes read.
    HWND Hwnd() const { return hwnd_; }
    int WindowNumber() const { return windowNumber_; }
    SkinWindowRecord* Record() const;
    // Mouse input is ignored while a redraw or a fade-in runs.
    bool IsRedrawing() const { return redrawing_; }
    // True only inside the composing pass of Redraw.
    bool IsComposing() const { return composing_; }
    std::uint32_t PanelColor() const { return panelColor_; }
    unsigned CaptionFlags() const { return captionFlags_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int FadeInLevel() const { return fadeInLevel_; }
    HWND TooltipWindow() const { return tooltip_.get(); }
    HMENU SystemMenu() const { return systemMenu_; }
    SkinControl* IconControl() const { return icon_.get(); }
    int IconControlNumber() const;
    const std::vector<std::unique_ptr<CaptionButton>>& CaptionButtons() const {
        return captionButtons_;
    }
    // The window is zoomed: margin 0 and caption buttons one pixel from the top.
    bool Maximized() const;

    // Partial repaint of one control, used through SkinControl::BeginRepaint.
    // Null when the control may not paint (SkinControl::CanPaint).
    GpGraphics* BeginControlRepaint(int control);
    void EndControlRepaint(int control, bool immediate);
    // Shows a rectangle of the present buffer on screen at once.
    void PresentRect(const IntRect& rect);
    // Blends a rectangle of the present buffer onto the screen with a constant alpha.
    void BlendRect(const IntRect& rect, int alpha);
    // Control timers: id = control * 65536 + window number. The engine keeps
    // them by the control's token and gives a running timer its new id
    // whenever the control's or the window's number changes.
    void StartControlTimer(int control, unsigned interval = 0);
    void StopControlTimer(int control);
    UINT_PTR ControlTimerId(int control) const;
    bool TimerRunning(int control) const;
    // The area a partial repaint is bound to; GDI drawing (which the GDI+
    // clip does not bind) must keep inside it. Nothing outside partial repaints.
    std::optional<IntRect> RepaintClip() const { return repaintClip_; }
    // Removes a control from this window (SkinControl::Remove calls it).
    bool RemoveControl(int control);
    // Composes a window area again from the compose buffer and the active
    // controls over it, and shows it (a hidden or moved control disappears).
    void RecomposeArea(const RectF& area);
    // Moves a control to the top of the z-order, or to the bottom just above
    // the caption buttons and the icon; numbers are reassigned.
    void MoveInZOrder(int control, bool toBottom);
    // The control's rectangle widened to whole pixels and clipped to the window.
    IntRect ControlBounds(int control) const;

    // Program-wide: how the window icon is made (a placeholder that draws
    // nothing until the picture box class provides one).
    static void SetIconFactory(IconFactory factory);

  private:
    friend class SkinControl;
    friend void RemoveWindowRecord(int number);

    // The window procedure hands each group of messages to one function;
    // each answers whether it handled the message (result in result).
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT destroyMessage(HWND hwnd, WPARAM wParam, LPARAM lParam);
    bool frameMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool paintMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool toolkitMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void keepOnScreen(WINDOWPOS* pos) const;
    void limitTrackSize(MINMAXINFO* info) const;
    LRESULT defaultHandling(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void refreshWindowRect();
    void createCaptionControls(HWND hwnd);
    void clearCaptionControls();
    void composeFrame();
    void drawNineGrid(GpGraphics* g, GpImage* image, float width, float height);
    // After any change of the background: the decoded copy is stale.
    void forgetPicture();
    void drawPicture(GpGraphics* g, GpImage* image, const RectF& to);
    void updateLayered(int constantAlpha);
    void repaintOverlapping(int from, int to, const RectF& area);
    void drawFrameBorder(GpGraphics* g);
    void applyRegion();
    void presentAll();
    void fadeInStep();
    InputEvents& events() { return input_.Events(); }
    int numberOfToken(ControlToken token) const;
    void startTimer(int control, unsigned interval, bool fade);
    bool fading(int control) const;
    // New ids for running timers after control or window numbers changed.
    void rekeyTimers();
    void playCloseEffect();
    // After the list changed order or length: each control's number is its
    // place again, and running timers take the ids of their new numbers.
    void renumber();

    std::unique_ptr<SkinWindowRecord> record_;
    WNDPROC previousProc_ = nullptr;
    HWND hwnd_ = nullptr;
    int windowNumber_ = 0;
    bool redrawing_ = false;
    bool composing_ = false;
    int paintingSuspended_ = 0;
    std::uint32_t panelColor_ = 0;
    int frameStyle_ = 5;
    OwnedWindow tooltip_;
    int fadeInLevel_ = 0;
    unsigned captionFlags_ = 0;
    SkinImage background_;
    int width_ = 0;
    int height_ = 0;
    HMENU systemMenu_ = nullptr;
    std::vector<std::unique_ptr<CaptionButton>> captionButtons_;
    std::unique_ptr<SkinControl> icon_;
    NineGrid nineGrid_;
    int closeEffect_ = 0;
    bool notResizable_ = false;
    bool notDraggable_ = false;
    bool edgeHighlight_ = true;
    InputRoot input_{*this};

    int repaintDepth_ = 0;
    std::optional<IntRect> repaintClip_;
    struct ControlTimer {
        UINT_PTR id = 0;  // the system id it runs under now
        unsigned interval = 0;
        bool fade = false;  // a partial repaint fading onto the screen
    };
    std::map<ControlToken, ControlTimer> timers_;
    IntRect regionShape_{-1, -1, -1, -1};  // region last applied: margin, w, h, style
    OpaquePicture opaqueBackground_;

    MessageHookFn messageHook_;
    PaintEventFn paint_;
    PaintEventFn postPaint_;
    ResizedEventFn resized_;
};

// Suspends an engine's painting for the guard's lifetime.
class PaintingSuspension {
  public:
    explicit PaintingSuspension(SkinEngine& engine) : engine_(engine) { engine_.SuspendPainting(); }
    ~PaintingSuspension() { engine_.ResumePainting(); }
    PaintingSuspension(const PaintingSuspension&) = delete;
    PaintingSuspension& operator=(const PaintingSuspension&) = delete;

  private:
    SkinEngine& engine_;
};

}  // namespace korvel::skin
