#include "advance/CAdvanceDialog.h"
#include "app/DialogUnits.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QTimerEvent>
#include <gtest/gtest.h>
#include <thread>
#include <utility>
#include <vector>

namespace tarnscope {
namespace {

using Notice = std::pair<int, int>;
using Notices = std::vector<Notice>;

class AdvanceDialogTest : public ::testing::Test {
protected:
    AdvanceDialogTest()
    {
        QObject::connect(&dialog, &CAdvanceDialog::advanceNotice,
            [this](int first, int second) { notices.emplace_back(first, second); });
    }

    QPushButton* Button(int id) const { return dialog.findChild<QPushButton*>(QString::number(id)); }
    QTimer* Countdown() const { return dialog.findChild<QTimer*>(); }

    // Delivers one tick of the countdown timer without waiting for it.
    void Tick()
    {
        QTimerEvent tick(Countdown()->timerId());
        QApplication::sendEvent(Countdown(), &tick);
    }

    void PressKey(QWidget* target, int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }

    QWidget parent;
    CAdvanceDialog dialog { &parent };
    Notices notices;
};

TEST_F(AdvanceDialogTest, ButtonsKeepTheirOrderInTheLeftColumn)
{
    const DialogBaseUnits units = BaseUnitsOf(dialog.font());
    const std::pair<int, const char*> buttons[] = {
        { 1029, "From Left To Right" },
        { 1028, "From Up To Down" },
        { 1030, "Show Result" },
        { 2, "Close" },
    };
    const int tops[] = { 41, 67, 95, 123 };
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        QPushButton* button = Button(buttons[i].first);
        ASSERT_NE(button, nullptr) << buttons[i].first;
        EXPECT_EQ(button->text(), buttons[i].second);
        EXPECT_EQ(button->geometry(), DialogUnitsToPixels(units, 7, tops[i], 106, 22));
    }
    EXPECT_TRUE(Button(1029)->isDefault());
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(AdvanceDialogTest, EscapeClosesWithOneNoticeAndEnterDoesNothing)
{
    struct Case {
        int key;
        bool toButton; // else to the dialog itself
        Notices expected;
        bool visibleAfter;
    };
    const Case cases[] = {
        { Qt::Key_Escape, false, { { 1, 1 } }, false },
        { Qt::Key_Escape, true, { { 1, 1 } }, false },
        { Qt::Key_Return, false, {}, true },
        { Qt::Key_Return, true, {}, true },
        { Qt::Key_Enter, true, {}, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        notices.clear();
        dialog.show();
        PressKey(c.toButton ? static_cast<QWidget*>(Button(1029)) : &dialog, c.key);
        EXPECT_EQ(notices, c.expected);
        EXPECT_EQ(dialog.isVisible(), c.visibleAfter);
        EXPECT_FALSE(Countdown()->isActive());
    }
}

TEST_F(AdvanceDialogTest, CloseButtonAndShowResultHideWithTheirNotices)
{
    const std::pair<int, Notice> cases[] = { { 2, { 1, 1 } }, { 1030, { 0, 1 } } };
    for (const auto& [id, notice] : cases) {
        notices.clear();
        dialog.show();
        Button(id)->click();
        EXPECT_EQ(notices, Notices { notice }) << id;
        EXPECT_FALSE(dialog.isVisible()) << id;
    }
}

TEST_F(AdvanceDialogTest, PassButtonRestartsTheCountdownAtItsStartValue)
{
    Button(1029)->click();
    EXPECT_EQ(notices, (Notices { { 1, 0 } }));
    EXPECT_TRUE(Countdown()->isActive());
    EXPECT_EQ(Countdown()->interval(), 1000);
    EXPECT_TRUE(dialog.CountdownText().isEmpty());
    Tick();
    Tick();
    EXPECT_EQ(dialog.CountdownText(), "29");

    Button(1028)->click();
    EXPECT_EQ(notices, (Notices { { 1, 0 }, { 0, 0 } }));
    EXPECT_EQ(dialog.SecondsLeft(), 25);
    Tick();
    EXPECT_EQ(dialog.CountdownText(), "25");
    for (int i = 0; i < 25; ++i)
        Tick();
    EXPECT_EQ(dialog.CountdownText(), "0");
    EXPECT_FALSE(Countdown()->isActive());
}

TEST_F(AdvanceDialogTest, PositionFromAnotherThreadShowsOnceTheEventLoopRuns)
{
    std::thread worker([this] { dialog.ShowCurrentPos(17); });
    worker.join();
    EXPECT_TRUE(dialog.PositionText().isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.PositionText(), "Current Pos: 17 ");

    std::thread interference([this] {
        dialog.ShowCurrentPos(-1);
        dialog.ShowCurrentPos(-1);
    });
    interference.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.PositionText(), "Current Pos: interference");

    dialog.ShowCurrentPos(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.PositionText(), "Current Pos: 0 ");
}

// Both drawings are state, so any repaint (here a grab) shows them again.
TEST_F(AdvanceDialogTest, RepaintKeepsPositionAndCountdown)
{
    dialog.resize(800, 600);
    const QRect centreSquare(350, 250, 100, 100);
    const QRect positionArea(0, 0, 300, 30);
    const auto inkIn = [](const QImage& image, const QRect& area) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    return true;
        return false;
    };
    QImage blank = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_FALSE(inkIn(blank, centreSquare));
    EXPECT_FALSE(inkIn(blank, positionArea));

    Button(1028)->click();
    Tick();
    dialog.ShowCurrentPos(123);
    QCoreApplication::processEvents();
    for (int repaint = 0; repaint < 2; ++repaint) {
        const QImage shot = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(inkIn(shot, centreSquare));
        EXPECT_TRUE(inkIn(shot, positionArea));
        EXPECT_FALSE(inkIn(shot, QRect(500, 250, 100, 100)));
    }
}

} // namespace
} // namespace tarnscope
