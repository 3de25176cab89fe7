#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tarnscope {

// One present HID interface, as listed without opening it.
struct HidInterfaceInfo {
    std::string path; // e.g. "/dev/hidraw3" or "virtual:7"
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    // Bytes per report including the report id byte; 0 when the interface has
    // no report of that kind.
    std::uint16_t inputReportLength = 0;
    std::uint16_t outputReportLength = 0;
    std::uint16_t featureReportLength = 0;
};

// A time-out of all ones waits for ever.
constexpr std::uint32_t HID_WAIT_FOREVER = 0xFFFFFFFF;

enum class TransferResult { Done, Timeout, Failed, Gone };

// An open interface. read() may run on one thread while write() runs on another.
class HidConnection {
public:
    virtual ~HidConnection() = default;
    // Reads one input report into `buffer`; `transferred` gets the byte count on Done.
    virtual TransferResult read(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs, std::size_t& transferred) = 0;
    virtual TransferResult write(std::span<const std::uint8_t> report, std::uint32_t timeoutMs) = 0;
    // Input reports the platform queues for this reader; 0 when it cannot queue.
    virtual std::uint16_t inputBufferCount() const = 0;
    // False once the interface has gone away (the handle is stale).
    virtual bool isValid() const = 0;
};

enum class OpenError { None, NotFound, PermissionDenied, Busy, Other };

// One platform's way of listing and opening HID interfaces.
class HidBackend {
public:
    virtual ~HidBackend() = default;
    // Present interfaces in a stable order. Must not open any device.
    virtual std::vector<HidInterfaceInfo> enumerate() = 0;
    virtual std::unique_ptr<HidConnection> open(const HidInterfaceInfo& info, OpenError& error) = 0;
};

} // namespace tarnscope
