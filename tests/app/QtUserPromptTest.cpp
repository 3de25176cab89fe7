#include "app/QtUserPrompt.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace tarnscope {
namespace {

// Runs `act` on the modal dialog of type Dialog as soon as it is shown.
template<class Dialog> void WhenShown(std::function<void(Dialog&)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*dialog);
        }
    });
    timer->start();
}

void PressEscape(QWidget& widget)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

class QtUserPromptTest : public ::testing::Test {
protected:
    QWidget parent;
    QtUserPrompt prompt { &parent };
};

TEST(ColourValueTest, RedIsTheLowByte)
{
    struct Case {
        std::uint32_t value;
        QColor colour;
    };
    const Case cases[] = {
        { 0x000000FF, QColor(255, 0, 0) },
        { 0x0000FF00, QColor(0, 255, 0) },
        { 0x00FF0000, QColor(0, 0, 255) },
        { 0x00123456, QColor(0x56, 0x34, 0x12) },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToQColor(c.value), c.colour) << std::hex << c.value;
        EXPECT_EQ(ToColourValue(c.colour), c.value) << std::hex << c.value;
    }
}

TEST_F(QtUserPromptTest, MessageBoxShowsTextsAndIconAndReportsTheAnswer)
{
    struct Case {
        MessageIcon icon;
        MessageButtons buttons;
        QMessageBox::Icon qtIcon;
        QMessageBox::StandardButtons qtButtons;
        QMessageBox::StandardButton click; // NoButton: press Escape
        MessageAnswer expected;
    };
    const auto yesNoCancel = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    const Case cases[] = {
        { MessageIcon::Information, MessageButtons::Ok, QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok,
            MessageAnswer::Ok },
        { MessageIcon::Error, MessageButtons::Ok, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::NoButton,
            MessageAnswer::Ok },
        { MessageIcon::Warning, MessageButtons::YesNoCancel, QMessageBox::Warning, yesNoCancel, QMessageBox::Yes,
            MessageAnswer::Yes },
        { MessageIcon::Warning, MessageButtons::YesNoCancel, QMessageBox::Warning, yesNoCancel, QMessageBox::No,
            MessageAnswer::No },
        { MessageIcon::Warning, MessageButtons::YesNoCancel, QMessageBox::Warning, yesNoCancel, QMessageBox::NoButton,
            MessageAnswer::Cancel },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.click));
        WhenShown<QMessageBox>([&c](QMessageBox& box) {
            EXPECT_EQ(box.text(), "Hardware is not connected,Connect hardware first!");
            EXPECT_EQ(box.windowTitle(), "Warning");
            EXPECT_EQ(box.icon(), c.qtIcon);
            EXPECT_EQ(box.standardButtons(), c.qtButtons);
            if (c.click == QMessageBox::NoButton)
                PressEscape(box);
            else
                box.button(c.click)->click();
        });
        EXPECT_EQ(prompt.showMessage("Hardware is not connected,Connect hardware first!", "Warning", c.icon, c.buttons),
            c.expected);
    }
}

TEST_F(QtUserPromptTest, ColourChooserStartsAtTheGivenColour)
{
    WhenShown<QColorDialog>([](QColorDialog& dialog) {
        EXPECT_EQ(dialog.currentColor(), QColor(0x56, 0x34, 0x12));
        dialog.setCurrentColor(QColor(1, 2, 3));
        dialog.accept();
    });
    EXPECT_EQ(prompt.askColour(0x00123456), std::optional<std::uint32_t>(0x00030201));

    WhenShown<QColorDialog>([](QColorDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(prompt.askColour(0), std::nullopt);
}

TEST_F(QtUserPromptTest, SaveDialogOffersTheNameAndAddsTheSuffix)
{
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const SaveFileRequest request { "DiagnosisResult26-12-11 10-00-00.rep", "Text file(*.rep)", "rep" };

    WhenShown<QFileDialog>([&folder](QFileDialog& dialog) {
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog.nameFilters(), QStringList { "Text file(*.rep)" });
        EXPECT_EQ(dialog.defaultSuffix(), "rep");
        EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
        ASSERT_FALSE(dialog.selectedFiles().isEmpty());
        EXPECT_TRUE(dialog.selectedFiles().constFirst().endsWith("/DiagnosisResult26-12-11 10-00-00.rep"));
        dialog.setDirectory(folder.path());
        dialog.selectFile(folder.filePath("chosen"));
        static_cast<QDialog&>(dialog).accept(); // QFileDialog's own accept is protected
    });
    EXPECT_EQ(prompt.askSaveFileName(request), folder.filePath("chosen.rep").toStdString());

    WhenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(prompt.askSaveFileName(request), std::nullopt);
}

} // namespace
} // namespace tarnscope
