#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarnscope {

enum class MessageIcon { Information, Warning, Error };
enum class MessageButtons { Ok, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct SaveFileRequest {
    std::string defaultName; // e.g. "DiagnosisResult26-12-11 10-00-00.rep"
    std::string filter; // e.g. "Text file(*.rep)"
    std::string defaultSuffix; // added when the typed name has none, e.g. "rep"
};

// Everything the user sees or answers. The window answers with real dialogs;
// tests and batch mode answer with scripted or fixed replies.
class UserPrompt {
public:
    virtual ~UserPrompt() = default;
    // A modal message box on the main window. Texts are shown exactly as given.
    virtual MessageAnswer showMessage(const std::string& text, const std::string& caption, MessageIcon icon,
        MessageButtons buttons = MessageButtons::Ok)
        = 0;
    // Save-file dialog that confirms overwriting; nullopt when cancelled.
    virtual std::optional<std::string> askSaveFileName(const SaveFileRequest& request) = 0;
    // Colour chooser starting at `initial` (0x00BBGGRR); nullopt when cancelled.
    virtual std::optional<std::uint32_t> askColour(std::uint32_t initial) = 0;
};

} // namespace tarnscope
