#include "app/MainDialogForm.h"

#include "app/DialogUnits.h"

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

namespace tarnscope {
namespace {

class MainDialogFormTest : public ::testing::Test {
protected:
    QDialog dialog;
    MainDialogForm form { dialog };
    DialogBaseUnits units = BaseUnitsOf(dialog.font());
};

TEST_F(MainDialogFormTest, CaptionAndClientSize)
{
    EXPECT_EQ(dialog.windowTitle(), "Vantrel System Diagnosis");
    EXPECT_EQ(dialog.size(), DialogUnitsToPixels(units, 544, 275));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(MainDialogFormTest, EveryControlHasItsKindTextAndGeometry)
{
    struct Expected {
        int id;
        const char* className;
        const char* text;
        int x, y, width, height;
    };
    const Expected controls[] = {
        { 1024, "QLabel", "X    Position LED Number:", 15, 14, 269, 15 },
        { 1032, "QLabel", "Version: 3.0.2.4", 314, 10, 224, 21 },
        { 1018, "QPlainTextEdit", "", 15, 36, 508, 59 },
        { 1025, "QLabel", "Y    Posistion LED Number:", 15, 105, 279, 16 },
        { 1019, "QPlainTextEdit", "", 15, 127, 508, 61 },
        { 1021, "QProgressBar", "", 23, 191, 495, 14 },
        { 1020, "QPushButton", "Auto Diagnosis", 24, 210, 131, 37 },
        { 1022, "QPushButton", "Advance Diagnosis", 205, 210, 131, 37 },
        { 1031, "QPushButton", "Save", 386, 210, 131, 37 },
        { 1003, "QLabel", "Do not Touch WhiteBoard while Auto Diagnosis scanning in progress", 0, 251, 539, 23 },
    };
    for (const Expected& e : controls) {
        SCOPED_TRACE(e.id);
        QWidget* widget = form.control(e.id);
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), e.className);
        EXPECT_EQ(widget->geometry(), DialogUnitsToPixels(units, e.x, e.y, e.width, e.height));
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(label->text(), e.text);
            EXPECT_EQ(label->font().family(), "Arail");
            EXPECT_EQ(label->font().pointSize(), 17);
        }
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(button->text(), e.text);
        }
        if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
            EXPECT_TRUE(edit->isReadOnly());
            EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        }
    }
    EXPECT_EQ(dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), std::size(controls));
}

TEST_F(MainDialogFormTest, AccessorsReachTheControlsOfTheirIds)
{
    EXPECT_EQ(form.xList(), form.control(IDC_X_LIST));
    EXPECT_EQ(form.yList(), form.control(IDC_Y_LIST));
    EXPECT_EQ(form.progress(), form.control(IDC_PROGRESS));
    EXPECT_EQ(form.autoDiagnosisButton(), form.control(IDC_AUTO_DIAGNOSIS));
    EXPECT_EQ(form.advanceDiagnosisButton(), form.control(IDC_ADVANCE_DIAGNOSIS));
    EXPECT_EQ(form.saveButton(), form.control(IDC_SAVE));
    EXPECT_EQ(form.control(1), nullptr);

    ASSERT_NE(form.progress(), nullptr);
    EXPECT_EQ(form.progress()->minimum(), 0);
    EXPECT_EQ(form.progress()->maximum(), 100);
    EXPECT_EQ(form.progress()->value(), 0);
}

} // namespace
} // namespace tarnscope
