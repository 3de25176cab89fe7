#include "PackagingSupport.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace tarnscope {

CommandResult RunCommand(const std::string& command)
{
    CommandResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer {};
    while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        result.output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    if (status != -1 && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

bool HaveTool(const std::string& tool)
{
    return RunCommand("command -v '" + tool + "'").exitCode == 0;
}

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::filesystem::path SourcePath(const std::string& relative)
{
    return std::filesystem::path(TARNSCOPE_SOURCE_DIR) / relative;
}

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tarnscope-packaging-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
        m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
}

} // namespace tarnscope
