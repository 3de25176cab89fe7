#include "ScriptedPrompt.h"
#include "troubleshoot/CColourPickerCB.h"
#include "troubleshoot/CSettingsDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace tarnscope {
namespace {

using testing::ScriptedPrompt;

constexpr const char* EDITABLE[]
    = { "ok", "xLow", "xHigh", "yLow", "yHigh", "changeDelta", "differenceRange", "lowColour", "highColour" };
constexpr const char* ALWAYS_ENABLED[] = { "password", "activate", "cancel", "lightRange" };

class SettingsDialogTest : public ::testing::Test {
protected:
    template<class T = QWidget> T* Control(const char* name) const
    {
        T* control = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    void Open(const DiagnosisSettings& settings) { dialog = std::make_unique<CSettingsDialog>(settings, prompt); }

    void Activate(const QString& password)
    {
        Control<QLineEdit>("password")->setText(password);
        Control<QPushButton>("activate")->click();
    }

    bool Unlocked() const
    {
        int enabled = 0;
        for (const char* name : EDITABLE)
            enabled += Control(name)->isEnabled() ? 1 : 0;
        EXPECT_TRUE(enabled == 0 || enabled == static_cast<int>(std::size(EDITABLE))) << "controls out of step";
        return enabled > 0;
    }

    ScriptedPrompt prompt;
    std::unique_ptr<CSettingsDialog> dialog;
};

TEST_F(SettingsDialogTest, ShowsTheValuesLockedWithTheirLabels)
{
    Open(DiagnosisSettings {});
    EXPECT_EQ(dialog->windowTitle(), "Settings");
    const std::pair<const char*, const char*> texts[] = {
        { "xLow", "80" },
        { "xHigh", "FF" },
        { "yLow", "80" },
        { "yHigh", "FF" },
        { "changeDelta", "20" },
        { "differenceRange", "5" },
    };
    for (const auto& [name, text] : texts)
        EXPECT_EQ(Control<QLineEdit>(name)->text(), text) << name;
    EXPECT_EQ(Control<QLineEdit>("password")->echoMode(), QLineEdit::Password);

    auto* lightRange = Control<QComboBox>("lightRange");
    ASSERT_EQ(lightRange->count(), 6);
    EXPECT_EQ(lightRange->itemText(0), " 0 <====> 63 ");
    EXPECT_EQ(lightRange->itemText(5), " 320 <====> 383 ");
    EXPECT_EQ(lightRange->currentIndex(), 0);
    EXPECT_EQ(Control<CColourPickerCB>("lowColour")->currentText(), "Red");

    QStringList labels;
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        labels << label->text();
    for (const char* expected :
        { "Administrator Password:", "Low:", "High:", "Low Color:", "High Color:", "Light Rang:", "Change Deta:" })
        EXPECT_TRUE(labels.contains(QString::fromLatin1(expected))) << expected;
    EXPECT_TRUE(labels.contains(QStringLiteral("差值变化范围（绝对值)大于等于：")));

    EXPECT_FALSE(Unlocked());
    for (const char* name : ALWAYS_ENABLED)
        EXPECT_TRUE(Control(name)->isEnabled()) << name;
}

TEST_F(SettingsDialogTest, OnlyTheExactPasswordUnlocksAndAWrongOneLocksAgain)
{
    struct Case {
        std::vector<QString> passwords;
        bool unlocked;
    };
    const Case cases[] = {
        { { "wrong", "Corvalt4726" }, true },
        { { "Corvalt4726", "corvalt4726" }, false },
        { { "Corvalt4726 " }, false },
        { { "Corvalt472" }, false },
    };
    for (const Case& c : cases) {
        Open(DiagnosisSettings {});
        for (const QString& password : c.passwords)
            Activate(password);
        EXPECT_EQ(Unlocked(), c.unlocked) << c.passwords.back().toStdString();
        EXPECT_EQ(Control<QLineEdit>("password")->text(), c.passwords.back());
        for (const char* name : ALWAYS_ENABLED)
            EXPECT_TRUE(Control(name)->isEnabled()) << name;
    }
}

TEST_F(SettingsDialogTest, OkStoresTheParsedValues)
{
    Open(DiagnosisSettings {});
    Activate("Corvalt4726");
    const std::pair<const char*, const char*> edits[] = {
        { "xLow", "7F0" },
        { "xHigh", "z" },
        { "yLow", "00" },
        { "yHigh", "5G" },
        { "changeDelta", "a" },
        { "differenceRange", "  -12abc" },
    };
    for (const auto& [name, text] : edits)
        Control<QLineEdit>(name)->setText(text);
    Control<QComboBox>("lightRange")->setCurrentIndex(4);
    Control<QComboBox>("highColour")->setCurrentIndex(6);

    Control<QPushButton>("ok")->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    DiagnosisSettings expected;
    expected.xLowThreshold = 0x7F;
    expected.xHighThreshold = 0;
    expected.yLowThreshold = 0;
    expected.yHighThreshold = 0x50;
    expected.changeDelta = 0x0A;
    expected.differenceRange = -12;
    expected.lowColour = 0x000000FF;
    expected.highColour = 0x0000FF00;
    expected.lightRangeIndex = 4;
    EXPECT_EQ(dialog->Settings(), expected);
}

TEST_F(SettingsDialogTest, UnknownRangeAndColourStoreMinusOneAndWhite)
{
    DiagnosisSettings opened;
    opened.lightRangeIndex = 9;
    opened.lowColour = 0x00123456;
    Open(opened);
    EXPECT_EQ(Control<QComboBox>("lightRange")->currentIndex(), -1);
    EXPECT_EQ(Control<QComboBox>("lowColour")->currentText(), "Custom...");

    Activate("Corvalt4726");
    Control<QPushButton>("ok")->click();
    EXPECT_EQ(dialog->Settings().lightRangeIndex, -1);
    EXPECT_EQ(dialog->Settings().lowColour, 0x00FFFFFFu);
}

TEST_F(SettingsDialogTest, CancelStoresNothing)
{
    DiagnosisSettings opened;
    opened.differenceRange = 7;
    Open(opened);
    Activate("Corvalt4726");
    Control<QLineEdit>("xLow")->setText("01");
    Control<QLineEdit>("differenceRange")->setText("99");
    Control<QComboBox>("lightRange")->setCurrentIndex(3);

    Control<QPushButton>("cancel")->click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(dialog->Settings(), opened);
}

} // namespace
} // namespace tarnscope
