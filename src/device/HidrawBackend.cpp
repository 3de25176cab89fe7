#include "device/HidrawBackend.h"

#include "device/ReportDescriptor.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <optional>
#include <poll.h>
#include <string_view>
#include <unistd.h>
#include <utility>

namespace tarnscope {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view NODE_PREFIX = "hidraw";
constexpr std::string_view HID_ID_KEY = "HID_ID=";

// N of "hidrawN", or nothing for other names.
std::optional<unsigned> nodeNumber(std::string_view name)
{
    if (!name.starts_with(NODE_PREFIX) || name.size() == NODE_PREFIX.size())
        return std::nullopt;
    unsigned number = 0;
    const char* end = name.data() + name.size();
    auto [ptr, ec] = std::from_chars(name.data() + NODE_PREFIX.size(), end, number);
    return ec == std::errc {} && ptr == end ? std::optional(number) : std::nullopt;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

// "HID_ID=bbbb:vvvvvvvv:pppppppp": bus, vendor and product in hex.
void readIds(const fs::path& uevent, HidInterfaceInfo& info)
{
    const std::string text = readFile(uevent);
    std::string_view rest(text);
    while (!rest.empty()) {
        const std::size_t eol = rest.find('\n');
        std::string_view line = rest.substr(0, eol);
        rest = eol == std::string_view::npos ? std::string_view {} : rest.substr(eol + 1);
        if (!line.starts_with(HID_ID_KEY))
            continue;
        line.remove_prefix(HID_ID_KEY.size());
        std::uint32_t fields[3] = {};
        const char* pos = line.data();
        const char* end = line.data() + line.size();
        for (int i = 0; i < 3; ++i) {
            auto [ptr, ec] = std::from_chars(pos, end, fields[i], 16);
            if (ec != std::errc {} || (i < 2 && (ptr == end || *ptr != ':')))
                return;
            pos = ptr + 1;
        }
        info.vendorId = static_cast<std::uint16_t>(fields[1]);
        info.productId = static_cast<std::uint16_t>(fields[2]);
        return;
    }
}

// Lengths stay 0 when the descriptor cannot be read or parsed.
void readLengths(const fs::path& descriptorFile, HidInterfaceInfo& info)
{
    const std::string bytes = readFile(descriptorFile);
    const DescriptorParse parsed
        = ParseReportDescriptor({ reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size() });
    if (!parsed.ok())
        return;
    info.inputReportLength = parsed.lengths.input;
    info.outputReportLength = parsed.lengths.output;
    info.featureReportLength = parsed.lengths.feature;
}

OpenError openErrorFor(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return OpenError::PermissionDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return OpenError::NotFound;
    case EBUSY:
        return OpenError::Busy;
    default:
        return OpenError::Other;
    }
}

class Deadline {
public:
    explicit Deadline(std::uint32_t timeoutMs)
    {
        if (timeoutMs != HID_WAIT_FOREVER)
            m_end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    }

    // For poll(): -1 waits for ever.
    int remainingMs() const
    {
        if (!m_end)
            return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*m_end - Clock::now()).count();
        return static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
    }

    bool passed() const { return m_end && Clock::now() >= *m_end; }

private:
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> m_end;
};

constexpr short GONE_EVENTS = POLLHUP | POLLERR | POLLNVAL;

class HidrawConnection final : public HidConnection {
public:
    explicit HidrawConnection(int fd)
        : m_fd(fd)
    { }

    ~HidrawConnection() override { ::close(m_fd); }

    TransferResult read(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs, std::size_t& transferred) override
    {
        const Deadline deadline(timeoutMs);
        for (;;) {
            if (const TransferResult ready = waitFor(POLLIN, deadline); ready != TransferResult::Done)
                return ready;
            const ssize_t n = ::read(m_fd, buffer.data(), buffer.size());
            if (n > 0) {
                transferred = static_cast<std::size_t>(n); // a report shorter than the buffer is fine
                return TransferResult::Done;
            }
            if (n == 0)
                return gone(); // end of stream: nothing will ever arrive again
            if (errno != EINTR && errno != EAGAIN)
                return failure(errno);
        }
    }

    // hidraw cannot cancel a write once the kernel has it. The wait for room is
    // bounded by the time-out; a write() that then outlives the time-out is left
    // to complete in the kernel and answers Timeout, as a cancelled transfer would.
    TransferResult write(std::span<const std::uint8_t> report, std::uint32_t timeoutMs) override
    {
        const Deadline deadline(timeoutMs);
        for (;;) {
            if (const TransferResult ready = waitFor(POLLOUT, deadline); ready != TransferResult::Done)
                return ready;
            const ssize_t n = ::write(m_fd, report.data(), report.size());
            if (n >= 0) {
                if (static_cast<std::size_t>(n) != report.size())
                    return TransferResult::Failed;
                return deadline.passed() ? TransferResult::Timeout : TransferResult::Done;
            }
            if (errno != EINTR && errno != EAGAIN)
                return failure(errno);
        }
    }

    std::uint16_t inputBufferCount() const override { return HidrawBackend::INPUT_BUFFER_COUNT; }

    bool isValid() const override
    {
        if (m_gone)
            return false;
        pollfd fds { m_fd, 0, 0 };
        return ::poll(&fds, 1, 0) >= 0 && (fds.revents & GONE_EVENTS) == 0;
    }

private:
    TransferResult waitFor(short events, const Deadline& deadline)
    {
        for (;;) {
            pollfd fds { m_fd, events, 0 };
            const int ready = ::poll(&fds, 1, deadline.remainingMs());
            if (ready > 0)
                return (fds.revents & GONE_EVENTS) != 0 ? gone() : TransferResult::Done;
            if (ready == 0)
                return TransferResult::Timeout;
            if (errno != EINTR)
                return TransferResult::Failed;
        }
    }

    TransferResult failure(int error)
    {
        // The kernel answers EIO or ENODEV once the device has been unplugged.
        return error == EIO || error == ENODEV ? gone() : TransferResult::Failed;
    }

    TransferResult gone()
    {
        m_gone = true;
        return TransferResult::Gone;
    }

    int m_fd;
    std::atomic<bool> m_gone { false };
};

} // namespace

HidrawBackend::HidrawBackend(fs::path sysfsRoot, fs::path devRoot)
    : m_classDir(std::move(sysfsRoot) / "class" / "hidraw")
    , m_devRoot(std::move(devRoot))
{ }

std::vector<HidInterfaceInfo> HidrawBackend::enumerate()
{
    std::vector<std::pair<unsigned, std::string>> nodes;
    std::error_code ec;
    for (fs::directory_iterator it(m_classDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (const auto number = nodeNumber(name))
            nodes.emplace_back(*number, std::move(name));
    }
    std::sort(nodes.begin(), nodes.end());

    std::vector<HidInterfaceInfo> list;
    list.reserve(nodes.size());
    for (const auto& [number, name] : nodes) {
        HidInterfaceInfo info;
        info.path = (m_devRoot / name).string();
        const fs::path device = m_classDir / name / "device";
        readIds(device / "uevent", info);
        readLengths(device / "report_descriptor", info);
        list.push_back(std::move(info));
    }
    return list;
}

std::unique_ptr<HidConnection> HidrawBackend::open(const HidInterfaceInfo& info, OpenError& error)
{
    // Non-blocking so a read never waits past its poll(); hidraw writes block in
    // the kernel regardless.
    const int fd = ::open(info.path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = openErrorFor(errno);
        return nullptr;
    }
    error = OpenError::None;
    return std::make_unique<HidrawConnection>(fd);
}

} // namespace tarnscope
