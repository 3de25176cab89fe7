#include "app/QtUserPrompt.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <array>
#include <utility>

namespace tarnscope {

namespace {

constexpr std::array<std::pair<MessageIcon, QMessageBox::Icon>, 3> ICONS { {
    { MessageIcon::Information, QMessageBox::Information },
    { MessageIcon::Warning, QMessageBox::Warning },
    { MessageIcon::Error, QMessageBox::Critical },
} };

constexpr std::array<std::pair<QMessageBox::StandardButton, MessageAnswer>, 4> ANSWERS { {
    { QMessageBox::Ok, MessageAnswer::Ok },
    { QMessageBox::Yes, MessageAnswer::Yes },
    { QMessageBox::No, MessageAnswer::No },
    { QMessageBox::Cancel, MessageAnswer::Cancel },
} };

QMessageBox::Icon ToQtIcon(MessageIcon icon)
{
    for (const auto& [ours, qt] : ICONS) {
        if (ours == icon)
            return qt;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QColor ToQColor(std::uint32_t colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

std::uint32_t ToColourValue(const QColor& colour)
{
    const QRgb rgb = colour.rgb();
    return static_cast<std::uint32_t>(qRed(rgb)) | static_cast<std::uint32_t>(qGreen(rgb)) << 8
        | static_cast<std::uint32_t>(qBlue(rgb)) << 16;
}

QtUserPrompt::QtUserPrompt(QWidget* parent)
    : m_parent(parent)
{ }

MessageAnswer QtUserPrompt::showMessage(
    const std::string& text, const std::string& caption, MessageIcon icon, MessageButtons buttons)
{
    const QMessageBox::StandardButtons choices = buttons == MessageButtons::YesNoCancel
        ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
        : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(ToQtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text), choices, m_parent);
    box.setTextFormat(Qt::PlainText);
    const auto clicked = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const auto& [qt, ours] : ANSWERS) {
        if (qt == clicked)
            return ours;
    }
    // Closed without a button: Escape or the close box.
    return buttons == MessageButtons::YesNoCancel ? MessageAnswer::Cancel : MessageAnswer::Ok;
}

std::optional<std::string> QtUserPrompt::askSaveFileName(const SaveFileRequest& request)
{
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromStdString(request.filter));
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultSuffix));
    dialog.selectFile(QString::fromStdString(request.defaultName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

std::optional<std::uint32_t> QtUserPrompt::askColour(std::uint32_t initial)
{
    const QColor chosen = QColorDialog::getColor(ToQColor(initial), m_parent);
    if (!chosen.isValid())
        return std::nullopt;
    return ToColourValue(chosen);
}

} // namespace tarnscope
