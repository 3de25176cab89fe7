#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tarnscope::testing_support {

// Folder of the descriptor samples shipped with the tests.
std::filesystem::path DescriptorDataDir();
// A descriptor sample: one line of space-separated hex bytes.
std::vector<std::uint8_t> ReadDescriptorSample(const std::string& fileName);

// A throw-away sysfs and /dev pair, laid out as the hidraw driver lays it out:
// <sysfs>/class/hidraw/hidrawN/device/{uevent,report_descriptor} and <dev>/hidrawN.
class FakeHidrawTree {
public:
    enum class Node { PlainFile, Fifo, Missing };

    FakeHidrawTree();
    ~FakeHidrawTree();
    FakeHidrawTree(const FakeHidrawTree&) = delete;
    FakeHidrawTree& operator=(const FakeHidrawTree&) = delete;

    void addInterface(unsigned number, std::uint16_t vendorId, std::uint16_t productId,
        std::span<const std::uint8_t> descriptor, Node node = Node::PlainFile);

    std::filesystem::path sysfsRoot() const { return m_root / "sys"; }
    std::filesystem::path devRoot() const { return m_root / "dev"; }

private:
    std::filesystem::path m_root;
};

} // namespace tarnscope::testing_support
