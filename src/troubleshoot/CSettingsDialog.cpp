#include "troubleshoot/CSettingsDialog.h"

#include "troubleshoot/CColourPickerCB.h"
#include "troubleshoot/TextParsing.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>
#include <initializer_list>
#include <string>
#include <utility>

namespace tarnscope {

namespace {

const QString ADMINISTRATOR_PASSWORD = QStringLiteral("Corvalt4726");

QLineEdit* ValueBox(const QString& name, const std::string& text, QWidget* parent)
{
    auto* box = new QLineEdit(QString::fromStdString(text), parent);
    box->setObjectName(name);
    return box;
}

std::uint8_t HexValue(const QLineEdit* box)
{
    return ParseHexByte(box->text().toStdString());
}

} // namespace

CSettingsDialog::CSettingsDialog(const DiagnosisSettings& settings, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_password(new QLineEdit(this))
    , m_xLowThreshold(ValueBox(QStringLiteral("xLow"), FormatHexByte(settings.xLowThreshold), this))
    , m_xHighThreshold(ValueBox(QStringLiteral("xHigh"), FormatHexByte(settings.xHighThreshold), this))
    , m_yLowThreshold(ValueBox(QStringLiteral("yLow"), FormatHexByte(settings.yLowThreshold), this))
    , m_yHighThreshold(ValueBox(QStringLiteral("yHigh"), FormatHexByte(settings.yHighThreshold), this))
    , m_differenceRange(ValueBox(QStringLiteral("differenceRange"), std::to_string(settings.differenceRange), this))
    , m_changeDelta(ValueBox(QStringLiteral("changeDelta"), FormatHexByte(settings.changeDelta), this))
    , m_lowColourPicker(new CColourPickerCB(settings.lowColour, prompt, this))
    , m_highColourPicker(new CColourPickerCB(settings.highColour, prompt, this))
    , m_lightRange(new QComboBox(this))
    , m_ok(new QPushButton(QStringLiteral("OK"), this))
{
    setWindowTitle(QStringLiteral("Settings"));
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_lowColourPicker->setObjectName(QStringLiteral("lowColour"));
    m_highColourPicker->setObjectName(QStringLiteral("highColour"));
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setDefault(true);

    auto* activate = new QPushButton(QStringLiteral("Activate"), this);
    activate->setObjectName(QStringLiteral("activate"));
    activate->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    connect(activate, &QPushButton::clicked, this, &CSettingsDialog::OnActivate);
    connect(m_ok, &QPushButton::clicked, this, &CSettingsDialog::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* passwordRow = new QHBoxLayout;
    passwordRow->addWidget(new QLabel(QStringLiteral("Administrator Password:"), this));
    passwordRow->addWidget(m_password);
    passwordRow->addWidget(activate);

    auto* frames = new QHBoxLayout;
    frames->addWidget(CreateValueBoxes());
    frames->addWidget(CreateSingleBoardFrame(), 0, Qt::AlignTop);

    auto* lowerRows = new QFormLayout;
    lowerRows->addRow(QStringLiteral("差值变化范围（绝对值)大于等于："), m_differenceRange);
    lowerRows->addRow(QStringLiteral("Change Deta:"), m_changeDelta);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(passwordRow);
    layout->addLayout(frames);
    layout->addLayout(lowerRows);
    layout->addLayout(buttons);

    EnableEditing(false);
}

// The unlabelled frame: thresholds per axis and the two colour lists.
QWidget* CSettingsDialog::CreateValueBoxes()
{
    auto* frame = new QGroupBox(this);
    auto* grid = new QGridLayout(frame);
    const std::array<std::pair<const char*, std::pair<QLineEdit*, QLineEdit*>>, 2> axes { {
        { "X", { m_xLowThreshold, m_xHighThreshold } },
        { "Y", { m_yLowThreshold, m_yHighThreshold } },
    } };
    int row = 0;
    for (const auto& [axis, boxes] : axes) {
        grid->addWidget(new QLabel(QString::fromLatin1(axis), frame), row, 0);
        grid->addWidget(new QLabel(QStringLiteral("Low:"), frame), row, 1);
        grid->addWidget(boxes.first, row, 2);
        grid->addWidget(new QLabel(QStringLiteral("High:"), frame), row, 3);
        grid->addWidget(boxes.second, row, 4);
        ++row;
    }
    grid->addWidget(new QLabel(QStringLiteral("Low Color:"), frame), row, 0, 1, 2);
    grid->addWidget(m_lowColourPicker, row, 2, 1, 3);
    ++row;
    grid->addWidget(new QLabel(QStringLiteral("High Color:"), frame), row, 0, 1, 2);
    grid->addWidget(m_highColourPicker, row, 2, 1, 3);
    return frame;
}

QWidget* CSettingsDialog::CreateSingleBoardFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("Single Board Mode:"), this);
    m_lightRange->setObjectName(QStringLiteral("lightRange"));
    for (int k = 0; k < LIGHT_RANGE_COUNT; ++k)
        m_lightRange->addItem(QString::fromStdString(LightRangeText(k)));
    const int index = m_settings.lightRangeIndex;
    m_lightRange->setCurrentIndex(index >= 0 && index < LIGHT_RANGE_COUNT ? index : -1);
    auto* form = new QFormLayout(frame);
    form->addRow(QStringLiteral("Light Rang:"), m_lightRange);
    return frame;
}

void CSettingsDialog::EnableEditing(bool enable)
{
    for (QWidget* control : std::initializer_list<QWidget*> { m_ok, m_xLowThreshold, m_yLowThreshold, m_xHighThreshold,
             m_yHighThreshold, m_changeDelta, m_differenceRange, m_lowColourPicker, m_highColourPicker })
        control->setEnabled(enable);
}

void CSettingsDialog::OnActivate()
{
    EnableEditing(m_password->text() == ADMINISTRATOR_PASSWORD);
}

void CSettingsDialog::OnOk()
{
    m_settings.lowColour = m_lowColourPicker->SelectedColour();
    m_settings.highColour = m_highColourPicker->SelectedColour();
    m_settings.xLowThreshold = HexValue(m_xLowThreshold);
    m_settings.yLowThreshold = HexValue(m_yLowThreshold);
    m_settings.xHighThreshold = HexValue(m_xHighThreshold);
    m_settings.yHighThreshold = HexValue(m_yHighThreshold);
    m_settings.changeDelta = HexValue(m_changeDelta);
    m_settings.differenceRange = ParseDecimal(m_differenceRange->text().toStdString());
    m_settings.lightRangeIndex = m_lightRange->currentIndex();
    accept();
}

} // namespace tarnscope
