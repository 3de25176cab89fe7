#include "troubleshoot/SignalView.h"

#include <algorithm>

namespace tarnscope {

bool SignalView::Clear()
{
    if (!m_surfaces)
        return false;
    m_surfaces->copyBackgroundToDisplay(m_viewWidth, m_contentHeight);
    return true;
}

void SignalView::Present()
{
    if (m_surfaces)
        m_surfaces->presentDisplay(m_scrollOffset);
}

bool SignalView::ScrollBy(int kind, int clientHeight, bool present)
{
    if (m_contentHeight <= clientHeight)
        return false;
    switch (kind) {
    case SCROLL_PAGE_UP:
    case SCROLL_LINE_UP: {
        const int step = kind == SCROLL_PAGE_UP ? m_lineHeight * m_pageLines : m_lineHeight;
        m_scrollOffset = std::max(m_scrollOffset - step, 0);
        break;
    }
    case SCROLL_LINE_DOWN:
    case SCROLL_PAGE_DOWN: {
        const int step = kind == SCROLL_PAGE_DOWN ? m_lineHeight * m_pageLines : m_lineHeight;
        m_scrollOffset = std::min(m_scrollOffset + step, m_contentHeight - clientHeight);
        break;
    }
    default:
        return false;
    }
    if (present)
        Present();
    return true;
}

void SignalView::ScrollToItem(int item, int clientHeight)
{
    // 64-bit so that any light range index read from the settings file is safe.
    const std::int64_t n = std::int64_t { item } - m_firstItem;
    const std::int64_t row = (n / m_columnCount + 1) * m_pageLines - 1;
    const std::int64_t offset = row < m_rowCount ? row * m_lineHeight : 0;
    const int lastOffset = std::max(0, m_contentHeight - clientHeight);
    m_scrollOffset = static_cast<int>(std::clamp<std::int64_t>(offset, 0, lastOffset));
}

bool SignalView::WheelScroll(int delta, int clientHeight, bool present)
{
    return ScrollBy(delta < 0 ? SCROLL_LINE_DOWN : SCROLL_LINE_UP, clientHeight, present);
}

void SignalView::AttachSurfaces(std::unique_ptr<SignalSurfaces> surfaces)
{
    m_surfaces = std::move(surfaces);
}

void SignalView::ReleaseSurfaces()
{
    m_surfaces.reset();
}

} // namespace tarnscope
