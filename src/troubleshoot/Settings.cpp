#include "troubleshoot/Settings.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unistd.h>

namespace tarnscope {

namespace {

constexpr char CONFIG_FILE_NAME[] = "Config.dat";

// Bytes 0-5 are checked on reading; byte 6 is written as 0 but not checked.
constexpr std::array<std::uint8_t, 7> CONFIG_HEADER { 0x94, 0x87, 0xA3, 0x40, 0x4B, 0x36, 0x00 };
constexpr std::size_t CHECKED_HEADER_SIZE = 6;
constexpr std::size_t HEADER_SIZE = 8;

// Fields go one after another, little-endian, in a fixed order.
class FieldWriter {
public:
    explicit FieldWriter(ConfigBytes& bytes)
        : m_bytes(bytes)
    { }
    template<class T> void put(T value)
    {
        const auto raw = static_cast<std::make_unsigned_t<T>>(value);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            m_bytes[m_at++] = static_cast<std::uint8_t>(raw >> (8 * i));
    }

private:
    ConfigBytes& m_bytes;
    std::size_t m_at = HEADER_SIZE;
};

// Reads in the writer's order; a field the data does not hold whole keeps its value.
class FieldReader {
public:
    explicit FieldReader(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    { }
    template<class T> void take(T& field)
    {
        if (m_at + sizeof(T) <= m_bytes.size()) {
            std::make_unsigned_t<T> raw = 0;
            for (std::size_t i = 0; i < sizeof(T); ++i)
                raw |= static_cast<std::make_unsigned_t<T>>(m_bytes[m_at + i]) << (8 * i);
            field = static_cast<T>(raw);
        }
        m_at += sizeof(T);
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = HEADER_SIZE;
};

bool IsWritableFolder(const std::string& folder)
{
    std::error_code error;
    return !folder.empty() && std::filesystem::is_directory(folder, error) && ::access(folder.c_str(), W_OK) == 0;
}

std::string InFolder(const std::string& folder)
{
    return folder.empty() ? CONFIG_FILE_NAME : folder + "/" + CONFIG_FILE_NAME;
}

// The stored values in file order.
template<typename Settings, typename Visit> void ForEachStoredField(Settings& settings, Visit&& visit)
{
    visit(settings.xLowThreshold);
    visit(settings.xHighThreshold);
    visit(settings.yLowThreshold);
    visit(settings.yHighThreshold);
    visit(settings.changeDelta);
    visit(settings.differenceRange);
    visit(settings.lowColour);
    visit(settings.highColour);
    visit(settings.lightRangeIndex);
}

} // namespace

ConfigBytes SerializeConfig(const DiagnosisSettings& settings)
{
    ConfigBytes bytes {};
    std::copy(CONFIG_HEADER.begin(), CONFIG_HEADER.end(), bytes.begin());
    FieldWriter writer(bytes);
    ForEachStoredField(settings, [&](const auto& value) { writer.put(value); });
    return bytes;
}

bool ApplyConfigBytes(std::span<const std::uint8_t> bytes, DiagnosisSettings& settings)
{
    if (bytes.size() < HEADER_SIZE
        || !std::equal(CONFIG_HEADER.begin(), CONFIG_HEADER.begin() + CHECKED_HEADER_SIZE, bytes.begin()))
        return false;
    FieldReader reader(bytes);
    ForEachStoredField(settings, [&](auto& value) { reader.take(value); });
    return true;
}

bool WriteConfigFile(const std::string& path, const DiagnosisSettings& settings)
{
    const ConfigBytes bytes = SerializeConfig(settings);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

bool ReadConfigFile(const std::string& path, DiagnosisSettings& settings)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    ConfigBytes bytes {};
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return ApplyConfigBytes(std::span(bytes).first(static_cast<std::size_t>(file.gcount())), settings);
}

std::string ConfigFilePath(const std::string& executableDir, const std::string& userConfigDir)
{
    // An installed program's folder is writable for root only; settings
    // written there would outlive the package.
    const bool installed = executableDir == "/usr" || executableDir.starts_with("/usr/");
    if (!installed && IsWritableFolder(executableDir))
        return InFolder(executableDir);
    std::error_code ignored; // a folder that cannot be made shows up as a failed write later
    std::filesystem::create_directories(userConfigDir, ignored);
    return InFolder(userConfigDir);
}

} // namespace tarnscope
