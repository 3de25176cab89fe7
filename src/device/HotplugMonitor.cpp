#include "device/HotplugMonitor.h"

#include <cerrno>
#include <cstring>
#include <libudev.h>
#include <string_view>
#include <sys/inotify.h>
#include <unistd.h>

namespace tarnscope {

namespace {

constexpr std::string_view NODE_PREFIX = "hidraw";

bool isArrivalOrRemoval(const char* action)
{
    return action && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0);
}

} // namespace

HotplugMonitor::HotplugMonitor()
    : HotplugMonitor(Paths {})
{ }

HotplugMonitor::HotplugMonitor(const Paths& paths)
{
    std::error_code ec;
    if (std::filesystem::exists(paths.udevControl, ec) && startUdev())
        m_source = Source::Udev;
    else if (startInotify(paths.devRoot))
        m_source = Source::Inotify;
}

HotplugMonitor::~HotplugMonitor()
{
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
    if (m_source == Source::Inotify)
        ::close(m_fd);
}

bool HotplugMonitor::drainEvents()
{
    switch (m_source) {
    case Source::Udev:
        return drainUdev();
    case Source::Inotify:
        return drainInotify();
    case Source::None:
        break;
    }
    return false;
}

const char* HotplugMonitor::sourceName() const
{
    switch (m_source) {
    case Source::Udev:
        return "udev";
    case Source::Inotify:
        return "inotify";
    case Source::None:
        break;
    }
    return "none";
}

bool HotplugMonitor::startUdev()
{
    m_udev = udev_new();
    if (m_udev)
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor || udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0
        || udev_monitor_enable_receiving(m_monitor) < 0) {
        if (m_monitor)
            udev_monitor_unref(m_monitor);
        if (m_udev)
            udev_unref(m_udev);
        m_monitor = nullptr;
        m_udev = nullptr;
        return false;
    }
    // libudev makes the socket non-blocking, so draining never waits.
    m_fd = udev_monitor_get_fd(m_monitor);
    return true;
}

bool HotplugMonitor::startInotify(const std::filesystem::path& devRoot)
{
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return false;
    if (inotify_add_watch(fd, devRoot.c_str(), IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM) < 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool HotplugMonitor::drainUdev()
{
    bool changed = false;
    while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
        changed = changed || isArrivalOrRemoval(udev_device_get_action(device));
        udev_device_unref(device);
    }
    return changed;
}

bool HotplugMonitor::drainInotify()
{
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return changed;
        for (ssize_t pos = 0; pos < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + pos);
            // An overflowed queue lost events, so something may have changed.
            if ((event->mask & IN_Q_OVERFLOW) != 0
                || (event->len > 0 && std::string_view(event->name).starts_with(NODE_PREFIX)))
                changed = true;
            pos += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

} // namespace tarnscope
