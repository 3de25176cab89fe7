#include "cli/ConsoleView.h"

#include <cstdio>

namespace tarnscope {

void ConsoleView::setTitle(const std::string& title)
{
    if (title == m_title)
        return;
    m_title = title;
    if (!m_quiet)
        std::printf("%s\n", title.c_str());
    std::fflush(stdout);
}

void ConsoleView::quitProgram()
{
    m_quit = true;
    if (m_onQuit)
        m_onQuit();
}

void ConsoleView::setListTexts(const std::string& xText, const std::string& yText)
{
    m_xList = xText;
    m_yList = yText;
}

MessageAnswer ConsolePrompt::showMessage(
    const std::string& text, const std::string& caption, MessageIcon, MessageButtons buttons)
{
    ++m_messages;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return buttons == MessageButtons::YesNoCancel ? MessageAnswer::Cancel : MessageAnswer::Ok;
}

} // namespace tarnscope
