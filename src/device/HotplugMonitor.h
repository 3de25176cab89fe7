#pragma once

#include <filesystem>

struct udev;
struct udev_monitor;

namespace tarnscope {

// Notices hidraw interfaces arriving and leaving. The owner watches fd() for
// readability (e.g. with a QSocketNotifier) and then calls drainEvents().
// udev is used where a udev daemon runs; elsewhere (containers) the dev folder
// is watched for hidraw* nodes with inotify.
class HotplugMonitor {
public:
    struct Paths {
        std::filesystem::path devRoot = "/dev";
        std::filesystem::path udevControl = "/run/udev/control"; // present while udevd runs
    };

    HotplugMonitor();
    explicit HotplugMonitor(const Paths& paths);
    ~HotplugMonitor();
    HotplugMonitor(const HotplugMonitor&) = delete;
    HotplugMonitor& operator=(const HotplugMonitor&) = delete;

    // -1 when neither source could be set up.
    int fd() const { return m_fd; }
    // Reads everything pending without blocking; true when an interface
    // arrived or left.
    bool drainEvents();
    // "udev", "inotify", or "none".
    const char* sourceName() const;

private:
    bool startUdev();
    bool startInotify(const std::filesystem::path& devRoot);
    bool drainUdev();
    bool drainInotify();

    enum class Source { None, Udev, Inotify };
    Source m_source = Source::None;
    int m_fd = -1;
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
};

} // namespace tarnscope
