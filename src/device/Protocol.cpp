#include "device/Protocol.h"

#include <algorithm>

namespace tarnscope {

namespace {

constexpr std::size_t PARAMETER_BYTE = 2;
constexpr std::size_t PAYLOAD_START = 3;
constexpr std::size_t TRAILER_BYTE = HID_REPORT_SIZE - 1;
constexpr std::size_t FIRST_VALUE_BYTE = 7;

constexpr std::uint8_t SERIAL_MARKER = 0x1D;
constexpr std::size_t SERIAL_MARKER_FIRST = 14;
constexpr std::size_t SERIAL_MARKER_LAST = 49;

constexpr std::array<std::uint8_t, 4> ACCEPTED_ANSWER_STATUS { 0x00, 0x01, 0x13, 0x28 };
constexpr std::array<std::uint8_t, 3> X_SCAN_CODES { HID_CMD_SCAN_X, HID_CMD_SCAN_X_TX, HID_CMD_SCAN_X_RX };
constexpr std::array<std::uint8_t, 3> Y_SCAN_CODES { HID_CMD_SCAN_Y, HID_CMD_SCAN_Y_TX, HID_CMD_SCAN_Y_RX };

constexpr std::uint8_t NONCE_LENGTH_IDENTIFY = 0x40;
constexpr std::uint8_t NONCE_LENGTH_HANDSHAKE = 0x28;
constexpr std::uint8_t ADVANCE_PAYLOAD_LENGTH = 0x28;
constexpr int ADVANCE_FILLER_COUNT = 18;
constexpr std::uint16_t ADVANCE_FILLER_VALUE = 50;

// Commands that an answer with an accepted trailer and status leaves the flag
// set for; any other command clears it.
constexpr std::uint8_t FLAG_KEEPING_FIRST = 0xD0;
constexpr std::uint8_t FLAG_KEEPING_LAST = 0xD8;

void PutBigEndian16(HidReport& report, std::size_t at, int value)
{
    report[at] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    report[at + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

int BigEndian16(const HidReport& report, std::size_t at)
{
    return (report[at] << 8) | report[at + 1];
}

int LittleEndian16(const HidReport& report, std::size_t at)
{
    return report[at] | (report[at + 1] << 8);
}

HidReport BuildNonceCommand(std::uint8_t code, std::uint8_t length, const HandshakeNonce& nonce)
{
    HidReport report = BuildCommand(code, length);
    std::size_t at = PAYLOAD_START;
    for (std::int32_t value : nonce) {
        const auto bits = static_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            report[at++] = static_cast<std::uint8_t>((bits >> shift) & 0xFF);
    }
    return report;
}

bool IsAcceptedAnswerStatus(std::uint8_t status)
{
    return std::ranges::find(ACCEPTED_ANSWER_STATUS, status) != ACCEPTED_ANSWER_STATUS.end();
}

void ReadIdentifyAnswer(const HidReport& report, ClassifiedReport& out)
{
    out.kind = ReportKind::IdentifyAnswer;
    out.boardSize = report[4];
    out.firmware = report[5];
    for (std::size_t i = SERIAL_MARKER_FIRST; i <= SERIAL_MARKER_LAST; ++i) {
        if (report[i] == SERIAL_MARKER && report[i + 13] == SERIAL_MARKER) {
            out.hasSerialId = true;
            std::copy_n(report.begin() + static_cast<std::ptrdiff_t>(i + 1), out.serialId.size(), out.serialId.begin());
            return;
        }
    }
}

bool IsAcceptedDataPacket(const HidReport& report, const AxisRange& range, int count)
{
    const std::uint8_t trailer = report[TRAILER_BYTE];
    if (trailer == HID_TRAILER)
        return range.end - range.first <= MAX_PACKET_VALUES;
    return range.first == MAX_PACKET_VALUES * trailer && range.end - range.first == count;
}

void ReadScanReport(const HidReport& report, ClassifiedReport& out)
{
    out.axis = IsXScanCode(report[1]) ? SCAN_AXIS_X : SCAN_AXIS_Y;
    out.range = { BigEndian16(report, 3), BigEndian16(report, 5) + 1 };
    const int count = report[PARAMETER_BYTE];
    if (count == 0) {
        out.kind = ReportKind::ScanStartAnswer;
        return;
    }
    if (!IsAcceptedDataPacket(report, out.range, count))
        return;
    out.kind = ReportKind::DataPacket;
    // The count byte may claim more values than the report holds.
    out.valueCount = std::min(count, MAX_PACKET_VALUES);
}

} // namespace

void MakeNonce(HandshakeNonce& nonce, const std::function<int()>& nextRandom)
{
    for (std::int32_t& value : nonce)
        value = static_cast<std::int32_t>(nextRandom() / 32768.0 * 32766 + 1);
}

HidReport BuildCommand(std::uint8_t code, std::uint8_t parameter)
{
    HidReport report {};
    report[0] = HID_REPORT_ID;
    report[1] = code;
    report[PARAMETER_BYTE] = parameter;
    report[TRAILER_BYTE] = HID_TRAILER;
    return report;
}

HidReport BuildIdentifyCommand(const HandshakeNonce& nonce)
{
    return BuildNonceCommand(HID_CMD_IDENTIFY, NONCE_LENGTH_IDENTIFY, nonce);
}

HidReport BuildHandshakeCommand(const HandshakeNonce& nonce)
{
    return BuildNonceCommand(HID_CMD_HANDSHAKE, NONCE_LENGTH_HANDSHAKE, nonce);
}

HidReport BuildAdvanceEnterCommand(int screenWidth, int screenHeight)
{
    HidReport report = BuildCommand(HID_CMD_ADVANCE_ENTER, ADVANCE_PAYLOAD_LENGTH);
    PutBigEndian16(report, 3, screenWidth);
    PutBigEndian16(report, 5, screenHeight);
    for (int i = 0; i < ADVANCE_FILLER_COUNT; ++i)
        PutBigEndian16(report, 7 + 2 * static_cast<std::size_t>(i), ADVANCE_FILLER_VALUE);
    return report;
}

HidReport BuildDiagModeCommand(bool enter)
{
    return BuildCommand(HID_CMD_DIAG_MODE, enter ? 1 : 0);
}

std::uint8_t ScanCommandCode(int axis, int scanMode)
{
    const auto& codes = axis == SCAN_AXIS_X ? X_SCAN_CODES : Y_SCAN_CODES;
    switch (scanMode) {
    case SCAN_MODE_TX:
        return codes[1];
    case SCAN_MODE_RX:
        return codes[2];
    default:
        return codes[0];
    }
}

bool IsXScanCode(std::uint8_t code)
{
    return std::ranges::find(X_SCAN_CODES, code) != X_SCAN_CODES.end();
}

bool IsYScanCode(std::uint8_t code)
{
    return std::ranges::find(Y_SCAN_CODES, code) != Y_SCAN_CODES.end();
}

ClassifiedReport ClassifyInputReport(const HidReport& report, bool handshakeDone)
{
    ClassifiedReport out;
    if (report[0] != HID_REPORT_ID)
        return out;
    const std::uint8_t code = report[1];
    if (code >= HID_CMD_IDENTIFY)
        out.responseFlag = ResponseFlagChange::Set;
    if (code == HID_CMD_EXTRA_ID)
        out.kind = ReportKind::ExtraIdAnswer;

    if (IsXScanCode(code) || IsYScanCode(code)) {
        if (handshakeDone)
            ReadScanReport(report, out);
        return out;
    }
    if (report[TRAILER_BYTE] != HID_TRAILER || !IsAcceptedAnswerStatus(report[PARAMETER_BYTE]))
        return out;
    if (code < FLAG_KEEPING_FIRST || code > FLAG_KEEPING_LAST) {
        // Also for the extra-id answer, which stays stored.
        out.responseFlag = ResponseFlagChange::Cleared;
        return out;
    }
    if (code == HID_CMD_IDENTIFY)
        ReadIdentifyAnswer(report, out);
    else if (code == HID_CMD_HANDSHAKE)
        out.kind = ReportKind::HandshakeAnswer;
    return out;
}

AdvancePosition ParsePositionReport(const HidReport& report)
{
    AdvancePosition position;
    position.x1 = LittleEndian16(report, 3);
    position.y1 = LittleEndian16(report, 5);
    position.interference = report[7] == 4 || report[7] == 7;
    if (position.interference) {
        position.x2 = LittleEndian16(report, 9);
        position.y2 = LittleEndian16(report, 11);
    }
    return position;
}

} // namespace tarnscope
