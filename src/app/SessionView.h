#pragma once

#include <string>

class QImage;

namespace tarnscope {

// The main window's X and Y list boxes.
constexpr int LIST_X = 1018;
constexpr int LIST_Y = 1019;

// What a diagnosis session shows. The window implements it with its controls
// and dialogs, the command-line tool with text on the terminal. UI thread
// only, except showCurrentPos.
class SessionView {
public:
    virtual ~SessionView() = default;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setButtonEnabled(int buttonId, bool enabled) = 0;
    virtual int progress() const = 0;
    virtual void setProgress(int position) = 0;
    virtual void quitProgram() = 0;

    // The diagnosis picture, shown in the result view (maximised for some models).
    virtual void showDiagnosisPicture(const QImage& picture, bool maximised) = 0;
    // The advance report: stored in the result view without a picture, not shown.
    virtual void setResultText(const std::string& text) = 0;
    // The X and Y list boxes (1018, 1019).
    virtual void setListTexts(const std::string& xText, const std::string& yText) = 0;
    virtual std::string listText(int listId) const = 0;

    // The advance screen: shown full screen; its size in pixels goes to the frame.
    virtual void showAdvanceScreen() = 0;
    virtual int screenWidth() const = 0;
    virtual int screenHeight() const = 0;
    // Any thread: the position of the last counted advance report (-1: interference).
    virtual void showCurrentPos(int position) = 0;
};

} // namespace tarnscope
