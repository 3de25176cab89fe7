#pragma once

#include <array>
#include <cstdint>
#include <functional>

namespace tarnscope {

// The frame's vendor protocol: 64-byte reports, report id 8, trailer 0x55.
// Multi-byte fields are big-endian except the handshake integers and the
// advance-mode coordinates, which are little-endian.

constexpr std::size_t HID_REPORT_SIZE = 64;
using HidReport = std::array<std::uint8_t, HID_REPORT_SIZE>;

constexpr std::uint8_t HID_REPORT_ID = 8;
constexpr std::uint8_t HID_TRAILER = 0x55;

constexpr std::uint8_t HID_CMD_IDENTIFY = 0xD0;
constexpr std::uint8_t HID_CMD_HANDSHAKE = 0xD1;
constexpr std::uint8_t HID_CMD_ADVANCE_ENTER = 0xD2;
constexpr std::uint8_t HID_CMD_ADVANCE_LEAVE = 0xD4;
constexpr std::uint8_t HID_CMD_SCAN_X = 0xD6;
constexpr std::uint8_t HID_CMD_SCAN_Y = 0xD7;
constexpr std::uint8_t HID_CMD_DIAG_MODE = 0xD8;
constexpr std::uint8_t HID_CMD_EXTRA_ID = 0xDC;
constexpr std::uint8_t HID_CMD_SCAN_X_TX = 0xE0;
constexpr std::uint8_t HID_CMD_SCAN_X_RX = 0xE1;
constexpr std::uint8_t HID_CMD_SCAN_Y_TX = 0xE2;
constexpr std::uint8_t HID_CMD_SCAN_Y_RX = 0xE3;

// ScanAxis: 1 = X, 0 = Y (also the direction of an advance pass).
constexpr int SCAN_AXIS_X = 1;
constexpr int SCAN_AXIS_Y = 0;

// ScanMode: 0 emitters and receivers, 1 receivers only, 2 transmitters only.
constexpr int SCAN_MODE_ALL = 0;
constexpr int SCAN_MODE_RX = 1;
constexpr int SCAN_MODE_TX = 2;

// Most values a data packet carries (bytes 7..62).
constexpr int MAX_PACKET_VALUES = 56;

struct AxisRange {
    std::int32_t first = 0;
    std::int32_t end = 0; // last LED index + 1
    bool operator==(const AxisRange&) const = default;
};

using HandshakeNonce = std::array<std::int32_t, 10>;
using SerialId = std::array<std::uint8_t, 12>;

// Fills every integer with (int)(r / 32768.0 * 32766 + 1), r from `nextRandom`
// (0..32767; std::rand in the program, seeded once at start-up).
void MakeNonce(HandshakeNonce& nonce, const std::function<int()>& nextRandom);

// Command reports, byte-exact: all zero, byte 0 = 8, byte 1 = code, byte 2 and
// payload as the command needs, byte 63 = 0x55.
HidReport BuildCommand(std::uint8_t code, std::uint8_t parameter = 0);
HidReport BuildIdentifyCommand(const HandshakeNonce& nonce);
HidReport BuildHandshakeCommand(const HandshakeNonce& nonce);
HidReport BuildAdvanceEnterCommand(int screenWidth, int screenHeight);
HidReport BuildDiagModeCommand(bool enter);
// The scan code for an axis and scan mode; modes other than 1 and 2 act as 0.
std::uint8_t ScanCommandCode(int axis, int scanMode);
bool IsXScanCode(std::uint8_t code);
bool IsYScanCode(std::uint8_t code);

enum class ReportKind {
    Ignored, // report id not 8, or nothing to act on
    IdentifyAnswer,
    HandshakeAnswer,
    ExtraIdAnswer,
    ScanStartAnswer,
    DataPacket,
};

enum class ResponseFlagChange { None, Set, Cleared };

// What the worker does with one input report read outside advance mode.
struct ClassifiedReport {
    ReportKind kind = ReportKind::Ignored;
    ResponseFlagChange responseFlag = ResponseFlagChange::None;
    int axis = SCAN_AXIS_X; // scan-start answers and data packets
    AxisRange range; // scan start: the axis range; data packet: first and end
    int valueCount = 0; // data packet: values to take from bytes 7.., at most 56
    int boardSize = 0; // identify answer
    int firmware = 0; // identify answer
    bool hasSerialId = false; // identify answer: a marker pair was found
    SerialId serialId {};
};

// The acceptance and response-flag rules for one report. `handshakeDone`
// gates scan-start answers and data packets.
ClassifiedReport ClassifyInputReport(const HidReport& report, bool handshakeDone);

// Advance mode: every report read is a position report.
struct AdvancePosition {
    int x1 = 0; // first X coordinate (little-endian bytes 3..4)
    int y1 = 0; // first Y coordinate (bytes 5..6)
    bool interference = false; // byte 7 is 4 or 7
    int x2 = 0; // second point, only for interference (bytes 9..10)
    int y2 = 0; // (bytes 11..12)
};
AdvancePosition ParsePositionReport(const HidReport& report);

} // namespace tarnscope
