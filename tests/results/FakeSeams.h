#pragma once

#include "common/Clock.h"
#include "common/UserPrompt.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace tarnscope::test {

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
    MessageButtons buttons;
};

// Answers from a script and records what the user was shown.
class ScriptedPrompt final : public UserPrompt {
public:
    std::deque<MessageAnswer> answers; // Ok once the script is used up
    std::deque<std::optional<std::string>> saveNames; // cancelled once used up
    std::vector<ShownMessage> messages;
    std::vector<SaveFileRequest> saveRequests;

    MessageAnswer showMessage(
        const std::string& text, const std::string& caption, MessageIcon icon, MessageButtons buttons) override
    {
        messages.push_back({ text, caption, icon, buttons });
        return Next(answers, MessageAnswer::Ok);
    }
    std::optional<std::string> askSaveFileName(const SaveFileRequest& request) override
    {
        saveRequests.push_back(request);
        return Next(saveNames, std::optional<std::string>());
    }
    std::optional<std::uint32_t> askColour(std::uint32_t) override { return std::nullopt; }

private:
    template<typename T> static T Next(std::deque<T>& script, T fallback)
    {
        if (script.empty())
            return fallback;
        T next = script.front();
        script.pop_front();
        return next;
    }
};

// Calendar time stands still.
class FixedClock final : public Clock {
public:
    explicit FixedClock(std::time_t now)
        : m_now(now)
    { }
    void sleepMs(int) override { }
    std::int64_t nowMs() override { return 0; }
    std::time_t calendarTime() override { return m_now; }

private:
    std::time_t m_now;
};

} // namespace tarnscope::test
