#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tarnscope {

// The nine tunable values of the troubleshooting tools. Colours are 0x00BBGGRR.
struct DiagnosisSettings {
    std::uint8_t xLowThreshold = 0x80;
    std::uint8_t xHighThreshold = 0xFF;
    std::uint8_t yLowThreshold = 0x80;
    std::uint8_t yHighThreshold = 0xFF;
    std::uint8_t changeDelta = 0x20;
    std::int32_t differenceRange = 5;
    std::uint32_t lowColour = 0x000000FF;
    std::uint32_t highColour = 0x000000FF;
    std::int32_t lightRangeIndex = 0;

    bool operator==(const DiagnosisSettings&) const = default;
};

// Config.dat: an 8-byte header (float 5.1103, 0x4B, 0x36, 0x00, one free byte)
// and the nine values packed little-endian without padding.
constexpr std::size_t CONFIG_FILE_SIZE = 29;
using ConfigBytes = std::array<std::uint8_t, CONFIG_FILE_SIZE>;

ConfigBytes SerializeConfig(const DiagnosisSettings& settings);

// False, with nothing changed, unless bytes 0-5 hold the header. A file cut
// short changes only the fields it holds whole; values are not range-checked.
bool ApplyConfigBytes(std::span<const std::uint8_t> bytes, DiagnosisSettings& settings);

// Both report failure instead of throwing; on failure the settings in memory
// are what counts.
bool WriteConfigFile(const std::string& path, const DiagnosisSettings& settings);
bool ReadConfigFile(const std::string& path, DiagnosisSettings& settings);

// "<executableDir>/Config.dat" when that folder is writable and not under
// /usr (a portable install), otherwise "<userConfigDir>/Config.dat", creating
// the folder.
std::string ConfigFilePath(const std::string& executableDir, const std::string& userConfigDir);

} // namespace tarnscope
