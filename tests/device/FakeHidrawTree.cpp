#include "FakeHidrawTree.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace tarnscope::testing_support {

namespace fs = std::filesystem;

fs::path DescriptorDataDir()
{
    return fs::path(TARNSCOPE_SOURCE_DIR) / "tests/device/data/hid-descriptors";
}

std::vector<std::uint8_t> ReadDescriptorSample(const std::string& fileName)
{
    std::ifstream in(DescriptorDataDir() / fileName);
    std::vector<std::uint8_t> bytes;
    unsigned value = 0;
    while (in >> std::hex >> value)
        bytes.push_back(static_cast<std::uint8_t>(value));
    return bytes;
}

FakeHidrawTree::FakeHidrawTree()
{
    std::string pattern = (fs::temp_directory_path() / "tarnscope-hidraw-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    m_root = pattern;
    fs::create_directories(sysfsRoot() / "class/hidraw");
    fs::create_directories(devRoot());
}

FakeHidrawTree::~FakeHidrawTree()
{
    std::error_code ec;
    fs::remove_all(m_root, ec);
}

void FakeHidrawTree::addInterface(unsigned number, std::uint16_t vendorId, std::uint16_t productId,
    std::span<const std::uint8_t> descriptor, Node node)
{
    const std::string name = "hidraw" + std::to_string(number);
    const fs::path device = sysfsRoot() / "class/hidraw" / name / "device";
    fs::create_directories(device);

    char hidId[32];
    std::snprintf(hidId, sizeof hidId, "HID_ID=0003:%08X:%08X", vendorId, productId);
    std::ofstream(device / "uevent") << "DRIVER=hid-generic\n" << hidId << "\nHID_NAME=Fake " << name << "\n";
    std::ofstream(device / "report_descriptor", std::ios::binary)
        .write(reinterpret_cast<const char*>(descriptor.data()), static_cast<std::streamsize>(descriptor.size()));

    const fs::path nodePath = devRoot() / name;
    switch (node) {
    case Node::PlainFile:
        std::ofstream { nodePath };
        break;
    case Node::Fifo:
        mkfifo(nodePath.c_str(), 0600);
        break;
    case Node::Missing:
        break;
    }
}

} // namespace tarnscope::testing_support
