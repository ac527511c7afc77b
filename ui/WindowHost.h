// Turns a top-level window into a skinned, custom-drawn window: takes over
// its procedure (WindowSubclass), keeps its picture in off-screen layers,
// draws the frame (colour or nine-grid, content image, border, icon, title)
// and is the parent of custom controls, which it hit-tests, feeds with keys,
// captures the mouse for and composites into the window picture. Layered by
// default (per-pixel alpha through a LayeredCanvas); a direct-mode host
// paints into the window instead.
#pragma once

#include "BitmapObject.h"
#include "ChildSet.h"
#include "Endpoint.h"
#include "ImageButton.h"
#include "LayeredCanvas.h"
#include "UiGeometry.h"
#include "WindowSubclass.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvina {

// The sixteen optional parameters of attach; a parameter not set was not given.
struct HostOptions {
    std::optional<COLORREF> backgroundColour;          // default: the button-face colour
    std::optional<int> transparency;                   // background alpha = 255 - transparency
    std::optional<int> borderStyle;                    // 0 none, 1 single (default), 2 double, 3 raised
    std::optional<std::string> title;                  // GBK
    std::optional<bool> drawNow;                       // redraw at the end of attach
    std::optional<std::vector<uint8_t>> contentImage;  // image file bytes
    std::optional<int> backgroundMode;                 // 0, 1 colour fill; 2 nine-grid frame image
    std::optional<int> systemButtonMask;               // bit k-1 for kind k
    std::optional<bool> resizable;
    std::optional<std::vector<uint8_t>> frameImage;    // image file bytes for mode 2
    std::optional<Margins> frameMargins;
    std::optional<int> buttonSkin;                     // 0 or 1
    std::optional<int> contentFit;                     // 0 stretch, 1 natural size
    std::function<void(Endpoint*)> attachCallback;     // before the system buttons are made
    std::optional<bool> directMode;                    // no layered canvas
    std::optional<std::vector<uint8_t>> titleIcon;     // image file bytes
};

// Which frame zone (1..8, 0 for none) a pointer is in, for a resizable host
// of `width` x `height` whose visible frame is `inset` in from the edges.
int frameZone(int x, int y, int width, int height, int inset);
// The WM_SYSCOMMAND that sizes from a zone, and the cursor it shows.
WPARAM zoneSizeCommand(int zone);
LPCTSTR zoneCursor(int zone);

class WindowHost {
  public:
    using EndpointCallback = std::function<void(Endpoint*)>;
    using SystemButtonCallback = std::function<int(Endpoint*, int)>;
    using MessageHook = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

    WindowHost();
    virtual ~WindowHost();
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    // The window procedure after WindowSubclass.
    virtual LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT systemButtonAction(int kind);
    Endpoint* attach(HWND window, const HostOptions& options = {});
    // Makes a popup window of class "Vexa" (or `className`) and attaches to it
    // with `options`, drawn at once. Null when the window cannot be made.
    Endpoint* createWindow(float x, float y, float width, float height, const HostOptions& options,
                           const std::string& className = {}, EndpointCallback createCallback = {});
    void redraw(bool withLayout = false);
    void composeChildren();
    Endpoint* getEndpoint() { return &endpoint_; }
    LRESULT handleEngineMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT moveChild(Endpoint* child, const Rect& rect);
    void childChanged(Endpoint* child, const Rect& dirty);
    void recomposeArea(Endpoint* excluded, const Rect& area, int first, int last);
    void presentArea(const Rect& area);
    bool dispatchMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void paintDirect(const RECT& update);
    void present();
    void frameMouse(LPARAM lParam, bool buttonDown);
    COLORREF backgroundColourProperty(std::optional<COLORREF> colour = std::nullopt, int transparency = 0);
    int backgroundModeProperty(std::optional<int> mode = std::nullopt);
    void setOpacity(int alpha);
    void onDestroy();
    void close();
    // With a callback stores it; without one calls the stored one.
    void layoutCallbackProperty(std::optional<EndpointCallback> callback = std::nullopt);
    void setSizeLimits(int minWidth, int minHeight, std::optional<int> maxWidth = std::nullopt,
                       std::optional<int> maxHeight = std::nullopt);
    void setFrameInset(int pixels) { frameInset_ = pixels; }
    int systemButtonCallbackProperty(std::optional<SystemButtonCallback> callback, int kind = 0);
    void setSystemButtonOrigin(int fromRight, int fromTop);
    bool dragByClientProperty(std::optional<bool> flag = std::nullopt);
    bool resizableProperty(std::optional<bool> flag = std::nullopt);
    void setContentImage(const std::vector<uint8_t>& bytes);
    bool setContentMargins(int left, int top, int right, int bottom);
    void setMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }
    int interpolationModeProperty(std::optional<int> mode = std::nullopt, bool redrawNow = false);

    // What the host holds, for its owner and for tests.
    HWND hwnd() const { return hwnd_; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool isLayered() const { return layered_; }
    bool isDestroyed() const { return destroyed_; }
    bool isMaximised() const { return maximised_; }
    const ChildSet& children() const { return children_; }
    Endpoint* captureChild() const { return captureChild_; }
    const Rect& captureRect() const { return captureRect_; }
    LayeredCanvas& canvas() { return canvas_; }
    const GraphicsObject& compositeLayer() const { return compositeLayer_; }
    const GraphicsObject& backgroundLayer() const { return backgroundLayer_; }
    WindowSubclass& subclass() { return subclass_; }
    int presentCount() const { return presents_; }
    // The system button of kind 1..7 (null outside that range); created at
    // attach for the kinds of the mask.
    ImageButton* systemButton(int kind);
    const Rect& savedRect() const { return savedRect_; }

  private:
    Layers layers() const;
    HDC outputDc() const;
    void drawBackground();
    bool iconic() const;
    void releaseCapturedChild(bool sendButtonUp);
    LRESULT removeChild(Endpoint* child, bool quiet);
    // Output and subclassing released; layers, images and children stay.
    void letGoOfWindow();
    void createSystemButtons();
    void layOutSystemButtons();

    LayeredCanvas canvas_;
    GraphicsObject compositeLayer_;
    GraphicsObject backgroundLayer_;
    std::array<ImageButton, 7> systemButtons_;
    WindowSubclass subclass_;
    BoundEndpoint<std::function<LRESULT(UINT, WPARAM, LPARAM)>> endpoint_;
    HWND hwnd_ = nullptr;
    Gdiplus::ARGB backgroundColour_ = 0xFFF0F0F0;
    int borderStyle_ = 1;
    int width_ = 0;
    int height_ = 0;
    ChildSet children_;
    bool maximised_ = false;
    Rect savedRect_;
    int resizeZone_ = 0;
    std::string title_;
    int transparency_ = 0;
    BitmapObject contentImage_;
    bool destroyed_ = false;
    int backgroundMode_ = 0;
    int systemButtonMask_ = 0;
    bool resizable_ = false;
    Rect captureRect_;
    Endpoint* captureChild_ = nullptr;
    UINT captureButtonDown_ = 0; // last button press the capturing child got
    LPARAM captureLastPoint_ = 0; // its last pointer, in its own coordinates
    EndpointCallback layoutCallback_;
    bool painting_ = false;
    BitmapObject frameImage_;
    GraphicsObject frameSurface_; // frameImage_ as premultiplied pixels
    Margins frameMargins_;
    int buttonSkin_ = 0;
    int contentFit_ = 0;
    int frameInset_ = 0;
    SystemButtonCallback systemButtonCallback_;
    int buttonsRight_ = 0;
    int buttonsTop_ = 0;
    bool dragByClient_ = false;
    Margins contentMargins_;
    MessageHook messageHook_;
    int interpolationMode_ = 2;
    bool layered_ = false;
    HDC windowDc_ = nullptr;
    BitmapObject titleIcon_;
    int presents_ = 0;
    bool presentWhenShown_ = false; // a present came while the window was hidden
};

} // namespace corvina
