#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tarnscope {

// The two off-screen surfaces of the live view and the window they are shown
// on, supplied by a widget that wants the view visible.
class SignalSurfaces {
public:
    virtual ~SignalSurfaces() = default;
    // Copies width x height pixels at (0, 0) of the background onto the display surface.
    virtual void copyBackgroundToDisplay(int width, int height) = 0;
    // Copies the display surface, from row sourceTop down, over the owner's whole client area.
    virtual void presentDisplay(int sourceTop) = 0;
};

// Scroll kinds of ScrollBy.
constexpr int SCROLL_PAGE_UP = -2;
constexpr int SCROLL_LINE_UP = -1;
constexpr int SCROLL_LINE_DOWN = 1;
constexpr int SCROLL_PAGE_DOWN = 2;

// The live signal view: thresholds and colours to draw with, a scroll model of
// fixed-height rows, and optional surfaces. Without surfaces, Clear and Present
// change nothing. User-interface thread only.
class SignalView {
public:
    SignalView() = default;
    ~SignalView() { ReleaseSurfaces(); }
    SignalView(const SignalView&) = delete;
    SignalView& operator=(const SignalView&) = delete;

    // Copies the background onto the display surface; false without surfaces.
    bool Clear();
    // Shows the display surface from the scroll offset down; nothing without surfaces.
    void Present();
    // Moves the offset by a line or a page (SCROLL_* kinds), kept inside the
    // content. False, with nothing changed, for an unknown kind or when the
    // content fits into the client area.
    bool ScrollBy(int kind, int clientHeight, bool present);
    // Puts the offset on the row of `item`, kept inside the content. Never presents.
    void ScrollToItem(int item, int clientHeight);
    // A negative wheel distance scrolls a line down, any other a line up.
    bool WheelScroll(int delta, int clientHeight, bool present);

    void AttachSurfaces(std::unique_ptr<SignalSurfaces> surfaces);
    void ReleaseSurfaces();
    bool hasSurfaces() const { return m_surfaces != nullptr; }

    int scrollOffset() const { return m_scrollOffset; }
    int viewWidth() const { return m_viewWidth; }
    int contentHeight() const { return m_contentHeight; }
    int lineHeight() const { return m_lineHeight; }
    const std::string& fontFace() const { return m_fontFace; }

    // Set from outside: the key commands, the scan start and the settings.
    bool m_iModeFlag = false;
    std::uint8_t m_lowThreshold = 0x80;
    std::uint8_t m_highThreshold = 0xFF;
    std::int32_t m_differenceRange = 5;
    std::uint32_t m_lowColour = 0x000000FF;
    std::uint32_t m_highColour = 0x000000FF;

private:
    // Geometry, fixed at construction; declared in the order it is derived.
    const int m_firstItem = 0;
    const int m_rowCount = 1;
    const int m_columnCount = 1;
    const int m_pageLines = 1;
    const int m_viewWidth = 100;
    const int m_columnWidth = m_viewWidth / m_columnCount;
    const int m_lineHeight = m_columnWidth / 2;
    const int m_contentHeight = m_rowCount * m_lineHeight;
    const std::string m_fontFace = "Arial";

    int m_scrollOffset = 0;
    std::unique_ptr<SignalSurfaces> m_surfaces;
};

} // namespace tarnscope
