#pragma once

#include "common/UserPrompt.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tarnscope::testing {

// Answers the colour chooser from a script and records every request.
class ScriptedPrompt final : public UserPrompt {
public:
    MessageAnswer showMessage(const std::string&, const std::string&, MessageIcon, MessageButtons) override
    {
        return MessageAnswer::Ok;
    }
    std::optional<std::string> askSaveFileName(const SaveFileRequest&) override { return std::nullopt; }
    std::optional<std::uint32_t> askColour(std::uint32_t initial) override
    {
        colourRequests.push_back(initial);
        return colourAnswer;
    }

    std::optional<std::uint32_t> colourAnswer;
    std::vector<std::uint32_t> colourRequests;
};

} // namespace tarnscope::testing
