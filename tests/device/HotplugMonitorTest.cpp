#include "device/HotplugMonitor.h"

#include "FakeHidrawTree.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarnscope {
namespace {

namespace fs = std::filesystem;

class InotifyFallback : public testing::Test {
protected:
    testing_support::FakeHidrawTree m_tree; // only its empty dev folder is used
    HotplugMonitor m_monitor { { m_tree.devRoot(), m_tree.devRoot() / "no-udev-here" } };
};

TEST_F(InotifyFallback, ReportsHidrawNodesComingAndGoing)
{
    ASSERT_STREQ(m_monitor.sourceName(), "inotify");
    ASSERT_GE(m_monitor.fd(), 0);
    EXPECT_FALSE(m_monitor.drainEvents());

    struct Step {
        const char* what;
        void (*act)(const fs::path& dev);
        bool expected;
    };
    const Step steps[] = {
        { "hidraw9 created", [](const fs::path& dev) { std::ofstream { dev / "hidraw9" }; }, true },
        { "nothing new", [](const fs::path&) {}, false },
        { "other node created", [](const fs::path& dev) { std::ofstream { dev / "ttyUSB0" }; }, false },
        { "hidraw9 deleted", [](const fs::path& dev) { fs::remove(dev / "hidraw9"); }, true },
        { "hidraw1 moved in", [](const fs::path& dev) { fs::rename(dev / "ttyUSB0", dev / "hidraw1"); }, true },
    };
    for (const Step& step : steps) {
        step.act(m_tree.devRoot());
        EXPECT_EQ(m_monitor.drainEvents(), step.expected) << step.what;
    }
}

TEST(HotplugMonitor, NothingToWatchGivesNoSource)
{
    testing_support::FakeHidrawTree tree;
    HotplugMonitor monitor({ tree.devRoot() / "absent", tree.devRoot() / "no-udev-here" });
    EXPECT_STREQ(monitor.sourceName(), "none");
    EXPECT_EQ(monitor.fd(), -1);
    EXPECT_FALSE(monitor.drainEvents());
}

TEST(HotplugMonitor, PrefersUdevWhileItsDaemonRuns)
{
    const int probe = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT);
    if (probe < 0)
        GTEST_SKIP() << "no uevent netlink socket here: " << std::strerror(errno);
    ::close(probe);

    testing_support::FakeHidrawTree tree;
    const fs::path control = tree.devRoot() / "udev-control";
    std::ofstream { control };
    HotplugMonitor monitor({ tree.devRoot(), control });
    EXPECT_STREQ(monitor.sourceName(), "udev");
    EXPECT_GE(monitor.fd(), 0);
    // The dev folder is not watched: only udev speaks for hidraw nodes now.
    std::ofstream { tree.devRoot() / "hidraw3" };
    EXPECT_FALSE(monitor.drainEvents());
}

} // namespace
} // namespace tarnscope
