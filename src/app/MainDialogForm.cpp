#include "app/MainDialogForm.h"

#include "app/DialogUnits.h"

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <array>

namespace tarnscope {

namespace {

enum class ControlKind { StaticText, ListEdit, ProgressBar, PushButton };

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, width, height; // dialog units
};

// In creation (and tab) order.
constexpr std::array<ControlTemplate, 10> MAIN_CONTROLS { {
    { IDC_X_LIST_LABEL, ControlKind::StaticText, "X    Position LED Number:", 15, 14, 269, 15 },
    { IDC_VERSION, ControlKind::StaticText, "Version: 3.0.2.4", 314, 10, 224, 21 },
    { IDC_X_LIST, ControlKind::ListEdit, "", 15, 36, 508, 59 },
    { IDC_Y_LIST_LABEL, ControlKind::StaticText, "Y    Posistion LED Number:", 15, 105, 279, 16 },
    { IDC_Y_LIST, ControlKind::ListEdit, "", 15, 127, 508, 61 },
    { IDC_PROGRESS, ControlKind::ProgressBar, "", 23, 191, 495, 14 },
    { IDC_AUTO_DIAGNOSIS, ControlKind::PushButton, "Auto Diagnosis", 24, 210, 131, 37 },
    { IDC_ADVANCE_DIAGNOSIS, ControlKind::PushButton, "Advance Diagnosis", 205, 210, 131, 37 },
    { IDC_SAVE, ControlKind::PushButton, "Save", 386, 210, 131, 37 },
    { IDC_SCAN_NOTE, ControlKind::StaticText, "Do not Touch WhiteBoard while Auto Diagnosis scanning in progress", 0,
        251, 539, 23 },
} };

constexpr int CLIENT_WIDTH_DU = 544;
constexpr int CLIENT_HEIGHT_DU = 275;
constexpr int STATIC_TEXT_POINTS = 17;
constexpr int PROGRESS_MAX = 100;

// The face name is kept as the resource has it; the platform substitutes a
// sans-serif face for it.
QFont StaticTextFont()
{
    QFont font(QStringLiteral("Arail"), STATIC_TEXT_POINTS);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QWidget* CreateControl(const ControlTemplate& item, QDialog& dialog)
{
    const QString text = QString::fromLatin1(item.text);
    switch (item.kind) {
    case ControlKind::StaticText: {
        auto* label = new QLabel(text, &dialog);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        label->setFont(StaticTextFont());
        return label;
    }
    case ControlKind::ListEdit: {
        auto* edit = new QPlainTextEdit(&dialog);
        edit->setReadOnly(true);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        return edit;
    }
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(&dialog);
        bar->setRange(0, PROGRESS_MAX);
        bar->setValue(0);
        bar->setTextVisible(false);
        return bar;
    }
    case ControlKind::PushButton:
        return new QPushButton(text, &dialog);
    }
    return nullptr;
}

} // namespace

MainDialogForm::MainDialogForm(QDialog& dialog)
    : m_dialog(dialog)
{
    dialog.setWindowTitle(QStringLiteral("Vantrel System Diagnosis"));
    dialog.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    dialog.setFont(DialogFont());
    const DialogBaseUnits units = BaseUnitsOf(dialog.font());
    dialog.setFixedSize(DialogUnitsToPixels(units, CLIENT_WIDTH_DU, CLIENT_HEIGHT_DU));

    for (const ControlTemplate& item : MAIN_CONTROLS) {
        QWidget* widget = CreateControl(item, dialog);
        widget->setObjectName(QString::number(item.id));
        widget->setGeometry(DialogUnitsToPixels(units, item.x, item.y, item.width, item.height));
    }

    m_xList = qobject_cast<QPlainTextEdit*>(control(IDC_X_LIST));
    m_yList = qobject_cast<QPlainTextEdit*>(control(IDC_Y_LIST));
    m_progress = qobject_cast<QProgressBar*>(control(IDC_PROGRESS));
    m_autoDiagnosis = qobject_cast<QPushButton*>(control(IDC_AUTO_DIAGNOSIS));
    m_advanceDiagnosis = qobject_cast<QPushButton*>(control(IDC_ADVANCE_DIAGNOSIS));
    m_save = qobject_cast<QPushButton*>(control(IDC_SAVE));
}

QWidget* MainDialogForm::control(int id) const
{
    return m_dialog.findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

} // namespace tarnscope
