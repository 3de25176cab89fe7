#include "ScriptedPrompt.h"
#include "troubleshoot/CColourPickerCB.h"
#include "troubleshoot/ColourTable.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyleOptionViewItem>
#include <gtest/gtest.h>

namespace tarnscope {
namespace {

using testing::ScriptedPrompt;

constexpr int CUSTOM = 10;

void PickByKeyboard(CColourPickerCB& picker, int index)
{
    picker.setCurrentIndex(index - 1);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&picker, &down);
    ASSERT_EQ(picker.currentIndex(), index);
}

TEST(ColourPickerTest, FillsTheTableAndCustomAndSelectsByColour)
{
    struct Case {
        std::uint32_t colour;
        int selected;
        std::uint32_t selectedColour;
    };
    const Case cases[] = {
        { 0x000000FF, 3, 0x000000FF },
        { 0x00FFFFFF, 1, 0x00FFFFFF },
        { 0x00000000, 0, 0x00000000 },
        { 0x00FF00FF, 9, 0x00FF00FF },
        { 0x00123456, CUSTOM, 0x00FFFFFF },
    };
    ScriptedPrompt prompt;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colour);
        CColourPickerCB picker(c.colour, prompt);
        ASSERT_EQ(picker.count(), 11);
        for (int i = 0; i < CUSTOM; ++i) {
            EXPECT_EQ(picker.itemText(i).toStdString(), ColourTable[i].name);
            EXPECT_EQ(picker.itemData(i).toUInt(), ColourTable[i].colour);
        }
        EXPECT_EQ(picker.itemText(CUSTOM), "Custom...");
        EXPECT_EQ(picker.currentIndex(), c.selected);
        EXPECT_EQ(picker.SelectedColour(), c.selectedColour);
    }
    EXPECT_TRUE(prompt.colourRequests.empty());
}

TEST(ColourPickerTest, CustomAsksFromBlackAndKeepsOnlyConfirmedColours)
{
    ScriptedPrompt prompt;
    CColourPickerCB picker(0x000000FF, prompt);

    prompt.colourAnswer = 0x00123456;
    PickByKeyboard(picker, CUSTOM);
    EXPECT_EQ(picker.SelectedColour(), 0x00123456u);
    EXPECT_EQ(picker.itemText(CUSTOM), "Custom...");

    PickByKeyboard(picker, 4);
    EXPECT_EQ(picker.SelectedColour(), 0x00007FFFu);

    prompt.colourAnswer = std::nullopt;
    PickByKeyboard(picker, CUSTOM);
    EXPECT_EQ(picker.SelectedColour(), 0x00123456u);

    prompt.colourAnswer = 0x00ABCDEF;
    PickByKeyboard(picker, CUSTOM);
    EXPECT_EQ(picker.SelectedColour(), 0x00ABCDEFu);

    EXPECT_EQ(prompt.colourRequests, (std::vector<std::uint32_t> { 0, 0, 0 }));
}

// Swatch from left + 2 to x = q (exclusive), q a quarter of the item width;
// background from the palette, highlight when selected; a disabled item's
// swatch takes the disabled text colour.
TEST(ColourPickerTest, ItemDrawingPlacesTheSwatchAndPicksItsColours)
{
    ScriptedPrompt prompt;
    CColourPickerCB picker(0x00FF0000, prompt); // Blue
    const QPalette& palette = picker.palette();
    const QRgb blue = qRgb(0, 0, 255);
    const QRgb base = palette.color(QPalette::Active, QPalette::Base).rgb();
    const QRgb highlight = palette.color(QPalette::Active, QPalette::Highlight).rgb();
    const QRgb disabled = palette.color(QPalette::Disabled, QPalette::Text).rgb();

    struct Case {
        int left;
        QStyle::State state;
        QRgb swatch;
        QRgb background;
    };
    const Case cases[] = {
        { 0, QStyle::State_Enabled, blue, base },
        { 0, QStyle::State_Enabled | QStyle::State_Selected, blue, highlight },
        { 0, QStyle::State_None, disabled, base },
        { 40, QStyle::State_Enabled, blue, base }, // swatch still ends at q = 50
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.left);
        QImage image(300, 24, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QStyleOptionViewItem option;
        option.rect = QRect(c.left, 0, 200, 24);
        option.state = c.state;
        option.palette = palette;
        {
            QPainter painter(&image);
            picker.itemDelegate()->paint(&painter, option, picker.model()->index(8, 0));
        }
        EXPECT_EQ(image.pixel(c.left + 3, 12), c.swatch);
        EXPECT_EQ(image.pixel(48, 12), c.swatch);
        EXPECT_EQ(image.pixel(c.left + 2, 12), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(49, 12), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(50, 12), c.background);
        EXPECT_EQ(image.pixel(c.left + 1, 12), c.background);
        EXPECT_EQ(image.pixel(c.left + 199, 23), c.background);
        EXPECT_EQ(image.pixel(c.left + 200, 12), qRgb(255, 0, 255));
    }
}

TEST(ColourPickerTest, SelectionFieldShowsTheSwatchGreyedWhenDisabled)
{
    ScriptedPrompt prompt;
    CColourPickerCB picker(0x0000FF00, prompt); // Green
    picker.resize(200, picker.sizeHint().height());
    QStyleOptionComboBox option;
    option.initFrom(&picker);
    const QRect field
        = picker.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &picker);
    const QPoint inSwatch(field.left() + 5, field.center().y());

    EXPECT_EQ(picker.grab().toImage().pixel(inSwatch), qRgb(0, 255, 0));
    picker.setEnabled(false);
    EXPECT_EQ(
        picker.grab().toImage().pixel(inSwatch), picker.palette().color(QPalette::Disabled, QPalette::Text).rgb());
}

} // namespace
} // namespace tarnscope
