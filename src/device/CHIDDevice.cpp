#include "device/CHIDDevice.h"

#include <algorithm>
#include <span>
#include <vector>

namespace tarnscope {

namespace {

// hidraw keeps a queue of 64 input reports per reader.
constexpr std::uint16_t DEFAULT_INPUT_BUFFER_COUNT = 64;

// The positions a walk looks at: the first 64 at most.
std::span<const HidInterfaceInfo> walkable(const std::vector<HidInterfaceInfo>& listed)
{
    return { listed.data(), std::min<std::size_t>(listed.size(), CHIDDevice::MAX_INTERFACES) };
}

bool matches(const HidInterfaceInfo& info, std::uint16_t vendorId, std::uint16_t productId)
{
    return info.vendorId == vendorId && info.productId == productId;
}

HidStatus toStatus(TransferResult result)
{
    switch (result) {
    case TransferResult::Done:
        return HidStatus::Success;
    case TransferResult::Timeout:
        return HidStatus::Timeout;
    case TransferResult::Failed:
    case TransferResult::Gone:
        break;
    }
    return HidStatus::TransferFailed;
}

} // namespace

CHIDDevice::CHIDDevice(HidBackend& backend)
    : m_backend(backend)
{
    std::lock_guard lock(m_mutex);
    resetLocked();
}

CHIDDevice::~CHIDDevice()
{
    std::lock_guard lock(m_mutex);
    resetLocked();
}

bool CHIDDevice::GetDevicePath(int index, std::string& path)
{
    if (index < 0 || index >= MAX_INTERFACES)
        return false;
    const std::vector<HidInterfaceInfo> listed = m_backend.enumerate();
    if (static_cast<std::size_t>(index) >= listed.size())
        return false;
    path = listed[index].path;
    return true;
}

int CHIDDevice::CountDevices(std::uint16_t vendorId, std::uint16_t productId)
{
    const std::vector<HidInterfaceInfo> listed = m_backend.enumerate();
    const auto positions = walkable(listed);
    return static_cast<int>(std::count_if(positions.begin(), positions.end(),
        [&](const HidInterfaceInfo& info) { return matches(info, vendorId, productId); }));
}

HidStatus CHIDDevice::Open(int index, std::uint16_t vendorId, std::uint16_t productId)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_bOpen)
            return HidStatus::AlreadyOpen;
    }
    const std::vector<HidInterfaceInfo> listed = m_backend.enumerate();
    const HidInterfaceInfo* retained = nullptr;
    int number = 0;
    for (const HidInterfaceInfo& info : walkable(listed)) {
        if (matches(info, vendorId, productId) && number++ == index) {
            retained = &info;
            break;
        }
    }

    OpenError error = OpenError::None;
    std::unique_ptr<HidConnection> connection = retained ? m_backend.open(*retained, error) : nullptr;
    std::lock_guard lock(m_mutex);
    m_lastOpenPath = retained ? retained->path : std::string();
    if (!connection) {
        m_lastOpenError = retained ? error : OpenError::None;
        return HidStatus::NoMatch;
    }
    m_lastOpenError = OpenError::None;
    m_bOpen = true;
    if (retained->inputReportLength != 0)
        m_inputReportLength = retained->inputReportLength;
    if (retained->outputReportLength != 0)
        m_outputReportLength = retained->outputReportLength;
    m_inputBufferCount = connection->inputBufferCount();
    m_connection = std::move(connection);
    return HidStatus::Success;
}

bool CHIDDevice::IsOpen()
{
    std::lock_guard lock(m_mutex);
    return liveConnectionLocked() != nullptr;
}

HidStatus CHIDDevice::Close()
{
    std::lock_guard lock(m_mutex);
    if (!m_bOpen)
        return HidStatus::NotOpen;
    const bool stale = !m_connection->isValid();
    resetLocked();
    return stale ? HidStatus::StaleHandleReset : HidStatus::Success;
}

HidStatus CHIDDevice::WriteReport(const std::uint8_t* buffer)
{
    std::shared_ptr<HidConnection> connection;
    {
        std::lock_guard lock(m_mutex);
        // Checked before the open state: a closed object (length 0) answers 8.
        if (m_outputReportLength < REPORT_BYTES)
            return HidStatus::BadReportLengths;
        connection = liveConnectionLocked();
    }
    if (!connection)
        return HidStatus::NotOpen;
    return toStatus(connection->write({ buffer, REPORT_BYTES }, m_writeTimeout));
}

HidStatus CHIDDevice::ReadReport(std::uint8_t* buffer, std::uint32_t& byteCount)
{
    std::shared_ptr<HidConnection> connection;
    std::uint16_t length = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_inputReportLength > REPORT_BYTES || m_inputBufferCount == 0)
            return HidStatus::BadReportLengths;
        std::fill_n(buffer, REPORT_BYTES, std::uint8_t { 0 });
        connection = liveConnectionLocked();
        length = m_inputReportLength;
    }
    if (!connection)
        return HidStatus::NotOpen;
    std::size_t transferred = 0;
    const TransferResult result = connection->read({ buffer, length }, m_readTimeout, transferred);
    if (result == TransferResult::Done)
        byteCount = static_cast<std::uint32_t>(transferred);
    return toStatus(result);
}

void CHIDDevice::SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs)
{
    m_readTimeout = readMs;
    m_writeTimeout = writeMs;
}

std::uint16_t CHIDDevice::InputReportLength() const
{
    std::lock_guard lock(m_mutex);
    return m_inputReportLength;
}

std::uint16_t CHIDDevice::OutputReportLength() const
{
    std::lock_guard lock(m_mutex);
    return m_outputReportLength;
}

std::uint16_t CHIDDevice::InputBufferCount() const
{
    std::lock_guard lock(m_mutex);
    return m_inputBufferCount;
}

OpenError CHIDDevice::LastOpenError() const
{
    std::lock_guard lock(m_mutex);
    return m_lastOpenError;
}

std::string CHIDDevice::LastOpenPath() const
{
    std::lock_guard lock(m_mutex);
    return m_lastOpenPath;
}

void CHIDDevice::resetLocked()
{
    m_connection.reset();
    m_bOpen = false;
    m_inputReportLength = 0;
    m_outputReportLength = 0;
    m_inputBufferCount = DEFAULT_INPUT_BUFFER_COUNT;
}

std::shared_ptr<HidConnection> CHIDDevice::liveConnectionLocked()
{
    if (m_bOpen && !m_connection->isValid())
        resetLocked();
    return m_bOpen ? m_connection : nullptr;
}

} // namespace tarnscope
