#pragma once

#include "device/HidBackend.h"

#include <filesystem>

namespace tarnscope {

// HID interfaces through the Linux hidraw driver. Listing reads sysfs only;
// nothing is opened until open().
class HidrawBackend final : public HidBackend {
public:
    explicit HidrawBackend(std::filesystem::path sysfsRoot = "/sys", std::filesystem::path devRoot = "/dev");

    // <sysfs>/class/hidraw/hidrawN in numeric order of N, path <dev>/hidrawN.
    std::vector<HidInterfaceInfo> enumerate() override;
    std::unique_ptr<HidConnection> open(const HidInterfaceInfo& info, OpenError& error) override;

    // Reports hidraw queues per reader.
    static constexpr std::uint16_t INPUT_BUFFER_COUNT = 64;

private:
    std::filesystem::path m_classDir;
    std::filesystem::path m_devRoot;
};

} // namespace tarnscope
