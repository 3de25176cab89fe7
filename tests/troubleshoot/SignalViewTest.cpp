#include "troubleshoot/SignalView.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace tarnscope {
namespace {

struct ScrollStep {
    int kind;
    bool scrolled;
    int offset;
};

struct ScrollCase {
    const char* name;
    int clientHeight;
    std::vector<ScrollStep> steps;
};

class SignalViewScroll : public ::testing::TestWithParam<ScrollCase> { };

TEST_P(SignalViewScroll, MovesWithinTheContent)
{
    SignalView view;
    for (const ScrollStep& step : GetParam().steps) {
        EXPECT_EQ(view.ScrollBy(step.kind, GetParam().clientHeight, false), step.scrolled) << "kind " << step.kind;
        EXPECT_EQ(view.scrollOffset(), step.offset) << "kind " << step.kind;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SignalViewScroll,
    ::testing::Values(
        ScrollCase { "ContentFitsExactly", 50,
            { { SCROLL_LINE_DOWN, false, 0 }, { SCROLL_PAGE_DOWN, false, 0 }, { SCROLL_LINE_UP, false, 0 } } },
        ScrollCase { "TallClient", 51, { { SCROLL_LINE_DOWN, false, 0 }, { SCROLL_PAGE_UP, false, 0 } } },
        ScrollCase { "ShortClient", 30,
            { { SCROLL_LINE_DOWN, true, 20 }, { SCROLL_LINE_DOWN, true, 20 }, { SCROLL_LINE_UP, true, 0 },
                { SCROLL_PAGE_UP, true, 0 }, { SCROLL_PAGE_DOWN, true, 20 }, { 0, false, 20 }, { 3, false, 20 },
                { SCROLL_PAGE_UP, true, 0 } } },
        ScrollCase { "EmptyClient", 0, { { SCROLL_PAGE_DOWN, true, 50 }, { SCROLL_LINE_UP, true, 0 } } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SignalView, WheelTowardsTheUserScrollsDownAnyOtherUp)
{
    SignalView view;
    EXPECT_FALSE(view.WheelScroll(-120, 60, false));
    EXPECT_EQ(view.scrollOffset(), 0);

    EXPECT_TRUE(view.WheelScroll(-120, 30, false));
    EXPECT_EQ(view.scrollOffset(), 20);
    EXPECT_TRUE(view.WheelScroll(0, 30, false));
    EXPECT_EQ(view.scrollOffset(), 0);
    view.WheelScroll(-1, 30, false);
    EXPECT_TRUE(view.WheelScroll(120, 30, false));
    EXPECT_EQ(view.scrollOffset(), 0);
}

TEST(SignalView, ScrollToItemAlwaysLandsOnTheOnlyRow)
{
    const struct {
        int item;
        int clientHeight;
    } cases[] = {
        { 0, 30 },
        { 3, 30 },
        { 0, 200 },
        { -1, 30 }, // the light range index of a list without selection
        { std::numeric_limits<int>::max(), 30 },
        { std::numeric_limits<int>::min(), 30 },
    };
    for (const auto& c : cases) {
        SignalView view;
        view.ScrollBy(SCROLL_LINE_DOWN, 30, false);
        ASSERT_EQ(view.scrollOffset(), 20);
        view.ScrollToItem(c.item, c.clientHeight);
        EXPECT_EQ(view.scrollOffset(), 0) << "item " << c.item << ", client " << c.clientHeight;
    }
}

// Records what the view asks of its surfaces.
struct SurfaceLog {
    std::vector<std::pair<int, int>> copies;
    std::vector<int> presents;
    bool destroyed = false;
};

class RecordingSurfaces : public SignalSurfaces {
public:
    explicit RecordingSurfaces(SurfaceLog& log)
        : m_log(log)
    { }
    ~RecordingSurfaces() override { m_log.destroyed = true; }
    void copyBackgroundToDisplay(int width, int height) override { m_log.copies.emplace_back(width, height); }
    void presentDisplay(int sourceTop) override { m_log.presents.push_back(sourceTop); }

private:
    SurfaceLog& m_log;
};

TEST(SignalView, ClearAndPresentNeedSurfaces)
{
    SignalView view;
    EXPECT_FALSE(view.Clear());
    view.Present();
    EXPECT_TRUE(view.ScrollBy(SCROLL_LINE_DOWN, 30, true));

    SurfaceLog log;
    view.AttachSurfaces(std::make_unique<RecordingSurfaces>(log));
    EXPECT_TRUE(view.Clear());
    EXPECT_EQ(log.copies, (std::vector<std::pair<int, int>> { { 100, 50 } }));
    view.Present();
    EXPECT_EQ(log.presents, std::vector<int> { 20 });

    view.ReleaseSurfaces();
    EXPECT_TRUE(log.destroyed);
    EXPECT_FALSE(view.Clear());
    EXPECT_EQ(log.copies.size(), 1u);
}

TEST(SignalView, ScrollingPresentsOnlyWhenAskedAndWhenItMoved)
{
    SurfaceLog log;
    SignalView view;
    view.AttachSurfaces(std::make_unique<RecordingSurfaces>(log));

    view.ScrollBy(SCROLL_LINE_DOWN, 30, false);
    view.ScrollBy(SCROLL_LINE_DOWN, 100, true); // refused
    view.ScrollBy(7, 30, true); // unknown kind
    view.ScrollToItem(0, 30);
    EXPECT_TRUE(log.presents.empty());

    view.ScrollBy(SCROLL_PAGE_DOWN, 30, true);
    view.WheelScroll(0, 30, true);
    EXPECT_EQ(log.presents, (std::vector<int> { 20, 0 }));
}

} // namespace
} // namespace tarnscope
