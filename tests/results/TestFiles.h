#pragma once

#include <ctime>
#include <filesystem>
#include <string>

namespace tarnscope::test {

// A fresh folder under the system temp folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }

private:
    std::string m_path;
};

// Sets TZ for the life of the object, so local times are known in advance.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::string m_previous;
    bool m_hadPrevious = false;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
void SetModificationTime(const std::string& path, std::time_t time);
// A time given in local calendar parts (month 1..12).
std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second);

} // namespace tarnscope::test
