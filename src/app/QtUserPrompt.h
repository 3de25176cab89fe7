#pragma once

#include "common/UserPrompt.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

namespace tarnscope {

// Converts between colour values (0x00BBGGRR) and opaque QColors.
QColor ToQColor(std::uint32_t colour);
std::uint32_t ToColourValue(const QColor& colour);

// The user prompt seam on real Qt dialogs, each modal on `parent`.
class QtUserPrompt final : public UserPrompt {
public:
    explicit QtUserPrompt(QWidget* parent);

    MessageAnswer showMessage(const std::string& text, const std::string& caption, MessageIcon icon,
        MessageButtons buttons = MessageButtons::Ok) override;
    std::optional<std::string> askSaveFileName(const SaveFileRequest& request) override;
    std::optional<std::uint32_t> askColour(std::uint32_t initial) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace tarnscope
