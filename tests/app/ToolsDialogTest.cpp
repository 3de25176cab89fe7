#include "troubleshoot/CToolsDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace tarnscope {
namespace {

QRadioButton* Radio(const CToolsDialog& dialog, const QString& text)
{
    for (QRadioButton* radio : dialog.findChildren<QRadioButton*>()) {
        if (radio->text() == text)
            return radio;
    }
    return nullptr;
}

TEST(ToolsDialogTest, OpensWithTheCurrentAxisChecked)
{
    for (const int axis : { 0, 1 }) {
        CToolsDialog dialog(axis);
        EXPECT_EQ(dialog.windowTitle(), "Tools");
        ASSERT_NE(Radio(dialog, "X Coordinate"), nullptr);
        ASSERT_NE(Radio(dialog, "Y Coordinate"), nullptr);
        EXPECT_EQ(Radio(dialog, "X Coordinate")->isChecked(), axis == 1) << axis;
        EXPECT_EQ(Radio(dialog, "Y Coordinate")->isChecked(), axis == 0) << axis;
    }
}

TEST(ToolsDialogTest, AxisButtonsSetTheSelectedAxis)
{
    CToolsDialog dialog(0);
    Radio(dialog, "X Coordinate")->click();
    EXPECT_EQ(dialog.SelectedAxis(), 1);
    EXPECT_FALSE(Radio(dialog, "Y Coordinate")->isChecked());
    Radio(dialog, "Y Coordinate")->click();
    EXPECT_EQ(dialog.SelectedAxis(), 0);
}

TEST(ToolsDialogTest, EveryChangeOfTheLightNumberShowsNotValidateInput)
{
    CToolsDialog dialog(1);
    auto* number = dialog.findChild<QLineEdit*>("lightNumber");
    auto* result = dialog.findChild<QLabel*>("result");
    ASSERT_NE(number, nullptr);
    ASSERT_NE(result, nullptr);
    EXPECT_TRUE(result->text().isEmpty());

    for (const char* text : { "7", "", "-12abc" }) {
        result->clear();
        number->setText(text);
        EXPECT_EQ(result->text(), "Not validate input") << text;
    }
}

TEST(ToolsDialogTest, OkCloses)
{
    CToolsDialog dialog(1);
    dialog.show();
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == "OK")
            button->click();
    }
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

} // namespace
} // namespace tarnscope
