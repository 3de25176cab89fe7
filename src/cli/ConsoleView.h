#pragma once

#include "app/SessionView.h"
#include "common/UserPrompt.h"

#include <functional>
#include <string>

namespace tarnscope {

// The session's view on a terminal: titles are printed as they change (unless
// quiet), everything else is kept for the summary.
class ConsoleView final : public SessionView {
public:
    explicit ConsoleView(bool quiet)
        : m_quiet(quiet)
    { }

    void setTitle(const std::string& title) override;
    void setButtonEnabled(int, bool) override { }
    int progress() const override { return m_progress; }
    void setProgress(int position) override { m_progress = position; }
    void quitProgram() override;
    void showDiagnosisPicture(const QImage&, bool) override { }
    void setResultText(const std::string&) override { }
    void setListTexts(const std::string& xText, const std::string& yText) override;
    std::string listText(int listId) const override { return listId == LIST_X ? m_xList : m_yList; }
    void showAdvanceScreen() override { }
    int screenWidth() const override { return 1920; }
    int screenHeight() const override { return 1080; }
    void showCurrentPos(int) override { }

    const std::string& LastTitle() const { return m_title; }
    bool QuitRequested() const { return m_quit; }
    void SetQuitHandler(std::function<void()> handler) { m_onQuit = std::move(handler); }

private:
    bool m_quiet;
    std::string m_title;
    int m_progress = 0;
    bool m_quit = false;
    std::string m_xList;
    std::string m_yList;
    std::function<void()> m_onQuit;
};

// Batch answers: messages go to the standard error, every question is
// answered with OK, and no file or colour is chosen interactively.
class ConsolePrompt final : public UserPrompt {
public:
    MessageAnswer showMessage(
        const std::string& text, const std::string& caption, MessageIcon icon, MessageButtons buttons) override;
    std::optional<std::string> askSaveFileName(const SaveFileRequest&) override { return std::nullopt; }
    std::optional<std::uint32_t> askColour(std::uint32_t) override { return std::nullopt; }

    int MessageCount() const { return m_messages; }

private:
    int m_messages = 0;
};

} // namespace tarnscope
