#include "sim/FrameResponder.h"

#include <algorithm>

namespace tarnscope {

namespace {

constexpr int FALLBACK_BOARD_SIZE = 82;
constexpr std::uint8_t SERIAL_MARKER = 0x1D;
constexpr std::uint8_t ANSWER_STATUS = 0x01;
constexpr std::uint8_t HANDSHAKE_STATUS = 0x28;

const BoardGeometry& GeometryFor(int boardSize)
{
    const BoardGeometry* geometry = FindBoardGeometry(boardSize);
    return geometry ? *geometry : *FindBoardGeometry(FALLBACK_BOARD_SIZE);
}

void PutBigEndian16(HidReport& report, std::size_t at, int value)
{
    report[at] = static_cast<std::uint8_t>(value >> 8);
    report[at + 1] = static_cast<std::uint8_t>(value);
}

void PutLittleEndian16(HidReport& report, std::size_t at, int value)
{
    report[at] = static_cast<std::uint8_t>(value);
    report[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

int ScanModeOf(std::uint8_t code)
{
    if (code == HID_CMD_SCAN_X_RX || code == HID_CMD_SCAN_Y_RX)
        return SCAN_MODE_RX;
    if (code == HID_CMD_SCAN_X_TX || code == HID_CMD_SCAN_Y_TX)
        return SCAN_MODE_TX;
    return SCAN_MODE_ALL;
}

int AxisOf(std::uint8_t code)
{
    return IsXScanCode(code) ? SCAN_AXIS_X : SCAN_AXIS_Y;
}

// The positions of an axis that are reported, in sweep order.
std::vector<int> SweepPositions(int length, const std::vector<int>& dead)
{
    std::vector<int> positions;
    for (int p = 0; p < length; ++p)
        if (std::ranges::find(dead, p) == dead.end())
            positions.push_back(p);
    return positions;
}

int Coordinate(int position)
{
    return position * COORDINATE_PER_POSITION + 2;
}

} // namespace

FrameResponder::FrameResponder(const FrameSpec& setup, std::uint32_t seed)
    : m_spec(setup)
    , m_geometry(&GeometryFor(setup.boardSize))
    , m_light(*m_geometry, setup.faults)
    , m_seed(seed)
    , m_random({ seed })
    , m_sweepX(SweepPositions(m_geometry->xLength, setup.advance.deadPositions.x))
    , m_sweepY(SweepPositions(m_geometry->yLength, setup.advance.deadPositions.y))
{ }

std::vector<HidReport> FrameResponder::onCommand(std::span<const std::uint8_t> report)
{
    if (report.size() < HID_REPORT_SIZE || report[0] != HID_REPORT_ID)
        return {};
    const std::uint8_t code = report[1];
    switch (code) {
    case HID_CMD_IDENTIFY:
        if (m_spec.faults.neverAnswerIdentify)
            return {};
        return { identifyAnswer() };
    case HID_CMD_HANDSHAKE:
        return { BuildCommand(HID_CMD_HANDSHAKE, HANDSHAKE_STATUS) };
    case HID_CMD_EXTRA_ID:
        return { ExtraIdReport(m_spec) };
    case HID_CMD_DIAG_MODE:
        if (report[2] == 0 && m_stream == Stream::Scan)
            m_stream = Stream::None;
        return { BuildCommand(HID_CMD_DIAG_MODE, ANSWER_STATUS) };
    case HID_CMD_ADVANCE_ENTER:
        startStream(Stream::Advance);
        return { BuildCommand(HID_CMD_ADVANCE_ENTER, ANSWER_STATUS) };
    case HID_CMD_ADVANCE_LEAVE:
        if (m_stream == Stream::Advance)
            m_stream = Stream::None;
        return { BuildCommand(HID_CMD_ADVANCE_LEAVE, ANSWER_STATUS) };
    default:
        break;
    }
    if (!(IsXScanCode(code) || IsYScanCode(code)) || m_spec.faults.neverConfirmScan)
        return {};
    m_scanCode = code;
    startStream(Stream::Scan);
    return { scanStartAnswer() };
}

int FrameResponder::streamRate() const
{
    return m_stream == Stream::Advance ? m_spec.advance.reportsPerSecond : m_spec.packetsPerSecond;
}

HidReport FrameResponder::nextStreamReport()
{
    switch (m_stream) {
    case Stream::Scan:
        return nextDataPacket();
    case Stream::Advance:
        return nextPositionReport();
    case Stream::None:
        break;
    }
    return {};
}

HidReport FrameResponder::identifyAnswer() const
{
    HidReport answer = BuildCommand(HID_CMD_IDENTIFY, m_spec.identifyStatus);
    answer[4] = static_cast<std::uint8_t>(m_spec.boardSize);
    answer[5] = static_cast<std::uint8_t>(m_spec.firmware);
    const auto marker = static_cast<std::size_t>(m_spec.serialOffset);
    answer[marker] = SERIAL_MARKER;
    std::ranges::copy(m_spec.serialId, answer.begin() + static_cast<std::ptrdiff_t>(marker + 1));
    answer[marker + 13] = SERIAL_MARKER;
    return answer;
}

HidReport FrameResponder::scanStartAnswer() const
{
    HidReport answer = BuildCommand(m_scanCode, 0);
    PutBigEndian16(answer, 3, 0);
    PutBigEndian16(answer, 5, m_geometry->axisLength(AxisOf(m_scanCode)) - 1);
    return answer;
}

void FrameResponder::startStream(Stream stream)
{
    m_stream = stream;
    m_random.reseed({ m_seed, ++m_streamStarts });
    m_packetIndex = 0;
    m_nextX = 0;
    m_nextY = 0;
    m_nextInterference = 0;
}

HidReport FrameResponder::nextDataPacket()
{
    const int axis = AxisOf(m_scanCode);
    const int length = m_geometry->axisLength(axis);
    const int first = MAX_PACKET_VALUES * m_packetIndex;
    const int count = std::min(MAX_PACKET_VALUES, length - first);

    HidReport packet {};
    packet[0] = HID_REPORT_ID;
    packet[1] = m_scanCode;
    packet[2] = static_cast<std::uint8_t>(count);
    PutBigEndian16(packet, 3, first);
    PutBigEndian16(packet, 5, first + count - 1);
    for (int j = 0; j < count; ++j)
        packet[7 + static_cast<std::size_t>(j)] = m_light.value(axis, first + j, ScanModeOf(m_scanCode), m_random);
    packet[63] = m_spec.numbering == PacketNumbering::Trailer ? HID_TRAILER : static_cast<std::uint8_t>(m_packetIndex);

    m_packetIndex = first + count >= length ? 0 : m_packetIndex + 1;
    if (m_random.chance(m_spec.faults.malformedRate))
        malformDataPacket(packet);
    return packet;
}

void FrameResponder::malformDataPacket(HidReport& packet)
{
    switch (m_random.between(0, 2)) {
    case 0:
        packet[0] = HID_REPORT_ID + 1;
        break;
    case 1:
        // Neither the trailer nor the packet number that fits the first LED.
        ++packet[63];
        break;
    default:
        packet[2] = static_cast<std::uint8_t>(m_random.between(MAX_PACKET_VALUES + 1, 255));
        break;
    }
}

HidReport FrameResponder::nextPositionReport()
{
    HidReport report {};
    report[0] = POSITION_REPORT_ID;

    const AxisPositions& noisy = m_spec.advance.interferencePositions;
    const bool canInterfere = !noisy.x.empty() || !noisy.y.empty();
    if (canInterfere && m_random.chance(m_spec.advance.interferenceRate)) {
        // Both points at the configured positions. An axis without any puts
        // them on its last LED, which the host never lists.
        const auto pick = [this](const std::vector<int>& list, int axis, std::size_t offset) {
            return list.empty() ? m_geometry->axisLength(axis) - 1 : list[(m_nextInterference + offset) % list.size()];
        };
        report[7] = POSITION_STATUS_INTERFERENCE;
        PutLittleEndian16(report, 3, Coordinate(pick(noisy.x, SCAN_AXIS_X, 0)));
        PutLittleEndian16(report, 5, Coordinate(pick(noisy.y, SCAN_AXIS_Y, 0)));
        PutLittleEndian16(report, 9, Coordinate(pick(noisy.x, SCAN_AXIS_X, 1)));
        PutLittleEndian16(report, 11, Coordinate(pick(noisy.y, SCAN_AXIS_Y, 1)));
        m_nextInterference += 2;
    } else {
        report[7] = POSITION_STATUS_TOUCH;
        PutLittleEndian16(report, 3, Coordinate(m_sweepX[m_nextX++ % m_sweepX.size()]));
        PutLittleEndian16(report, 5, Coordinate(m_sweepY[m_nextY++ % m_sweepY.size()]));
    }
    if (m_random.chance(m_spec.faults.malformedRate)) {
        PutLittleEndian16(report, 3, m_random.between(COORDINATE_OUT_OF_RANGE, 0xFFFF));
        PutLittleEndian16(report, 5, m_random.between(COORDINATE_OUT_OF_RANGE, 0xFFFF));
    }
    return report;
}

} // namespace tarnscope
