#include "TestFiles.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/time.h>

namespace tarnscope::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tarnscope-results-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        ADD_FAILURE() << "cannot create a temporary folder";
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

ScopedTimeZone::ScopedTimeZone(const char* zone)
{
    if (const char* previous = std::getenv("TZ")) {
        m_previous = previous;
        m_hadPrevious = true;
    }
    setenv("TZ", zone, 1);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone()
{
    if (m_hadPrevious)
        setenv("TZ", m_previous.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    ASSERT_TRUE(file.good()) << path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
}

void SetModificationTime(const std::string& path, std::time_t time)
{
    const timeval times[2] = { { time, 0 }, { time, 0 } };
    ASSERT_EQ(utimes(path.c_str(), times), 0) << path;
}

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm parts {};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return std::mktime(&parts);
}

} // namespace tarnscope::test
