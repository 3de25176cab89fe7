#pragma once

#include "device/HidBackend.h"
#include "device/HidStatus.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace tarnscope {

// At most one open HID interface of the frame, moving one 64-byte report at a
// time. One thread may read while others write and ask IsOpen; Open and Close
// run only while no transfer is in progress.
class CHIDDevice {
public:
    // Interface positions from here on are never looked at.
    static constexpr int MAX_INTERFACES = 64;
    static constexpr std::size_t REPORT_BYTES = 64;

    explicit CHIDDevice(HidBackend& backend);
    virtual ~CHIDDevice();
    CHIDDevice(const CHIDDevice&) = delete;
    CHIDDevice& operator=(const CHIDDevice&) = delete;

    // Path of the present interface at `index`; false past the end or from 64 on.
    bool GetDevicePath(int index, std::string& path);
    int CountDevices(std::uint16_t vendorId, std::uint16_t productId);
    // Opens the index-th interface (0, 1, ...) carrying both ids.
    HidStatus Open(int index, std::uint16_t vendorId, std::uint16_t productId);
    bool IsOpen();
    HidStatus Close();
    // Sends exactly 64 bytes; byte 0 is the report id.
    HidStatus WriteReport(const std::uint8_t* buffer);
    // Receives one input report into a 64-byte buffer.
    HidStatus ReadReport(std::uint8_t* buffer, std::uint32_t& byteCount);

    // Milliseconds; HID_WAIT_FOREVER waits for ever. Kept across resets.
    void SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs);
    std::uint32_t ReadTimeout() const { return m_readTimeout; }
    std::uint32_t WriteTimeout() const { return m_writeTimeout; }

    std::uint16_t InputReportLength() const;
    std::uint16_t OutputReportLength() const;
    std::uint16_t InputBufferCount() const;
    // Why the last Open could not open the matching interface it retained;
    // None after a success and when no interface matched at the index.
    OpenError LastOpenError() const;
    // The path of that interface; empty when nothing matched at the index.
    std::string LastOpenPath() const;

private:
    // Both below: caller holds m_mutex.
    void resetLocked();
    // The open connection, or null when closed; resets a stale object.
    std::shared_ptr<HidConnection> liveConnectionLocked();

    HidBackend& m_backend;
    mutable std::mutex m_mutex;
    // Guarded by m_mutex. Transfers work on a copy of the connection, so a
    // reset on another thread never destroys it under them.
    std::shared_ptr<HidConnection> m_connection;
    bool m_bOpen = false;
    std::uint16_t m_inputReportLength = 0;
    std::uint16_t m_outputReportLength = 0;
    std::uint16_t m_inputBufferCount = 0;
    OpenError m_lastOpenError = OpenError::None;
    std::string m_lastOpenPath;

    std::atomic<std::uint32_t> m_readTimeout { HID_WAIT_FOREVER };
    std::atomic<std::uint32_t> m_writeTimeout { HID_WAIT_FOREVER };
};

} // namespace tarnscope
