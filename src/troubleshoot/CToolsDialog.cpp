#include "troubleshoot/CToolsDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnscope {

namespace {

constexpr int AXIS_X = 1;
constexpr int AXIS_Y = 0;

} // namespace

CToolsDialog::CToolsDialog(int selectedAxis, QWidget* parent)
    : QDialog(parent)
    , m_selectedAxis(selectedAxis)
    , m_result(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Tools"));

    auto* xAxis = new QRadioButton(QStringLiteral("X Coordinate"), this);
    auto* yAxis = new QRadioButton(QStringLiteral("Y Coordinate"), this);
    xAxis->setChecked(selectedAxis == AXIS_X);
    yAxis->setChecked(selectedAxis == AXIS_Y);
    connect(xAxis, &QRadioButton::clicked, this, [this] { m_selectedAxis = AXIS_X; });
    connect(yAxis, &QRadioButton::clicked, this, [this] { m_selectedAxis = AXIS_Y; });

    auto* lightNumber = new QLineEdit(this);
    lightNumber->setObjectName(QStringLiteral("lightNumber"));
    m_result->setObjectName(QStringLiteral("result"));
    connect(lightNumber, &QLineEdit::textChanged, this,
        [this] { m_result->setText(QStringLiteral("Not validate input")); });

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* axes = new QHBoxLayout;
    axes->addWidget(xAxis);
    axes->addWidget(yAxis);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Input Light Number:"), lightNumber);
    fields->addRow(QStringLiteral("Result:"), m_result);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(axes);
    layout->addLayout(fields);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

} // namespace tarnscope
