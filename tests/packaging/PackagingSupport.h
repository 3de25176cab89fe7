#pragma once

#include <filesystem>
#include <string>

namespace tarnscope {

struct CommandResult {
    int exitCode = -1; // -1: the shell could not run it or it died by a signal
    std::string output; // stdout and stderr together
};

// Runs `command` with /bin/sh.
CommandResult RunCommand(const std::string& command);

// Whether `tool` is on the PATH; checks that need it are skipped otherwise.
bool HaveTool(const std::string& tool);

std::string ReadText(const std::filesystem::path& path);

// A file of the source tree, by its path from the top folder.
std::filesystem::path SourcePath(const std::string& relative);

// A fresh, empty folder, removed again with the object.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace tarnscope
