#pragma once

#include "device/Protocol.h"
#include "sim/BoardGeometry.h"
#include "sim/LightField.h"
#include "sim/Scenario.h"
#include "sim/SimRandom.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tarnscope {

// Report id of advance-mode position reports: not the vendor id 8, so a host
// that is not counting positions ignores them.
constexpr std::uint8_t POSITION_REPORT_ID = 1;
// Byte 7 of a position report: a plain touch, or interference with a second point.
constexpr std::uint8_t POSITION_STATUS_TOUCH = 1;
constexpr std::uint8_t POSITION_STATUS_INTERFERENCE = 7;
// A coordinate names LED position coordinate / 5.
constexpr int COORDINATE_PER_POSITION = 5;
// Malformed position reports name coordinates from here on.
constexpr int COORDINATE_OUT_OF_RANGE = 4000;

// The protocol side of one simulated frame: what it answers to each host
// command and what it streams while scanning or in advance mode. No threads
// and no clock; VirtualFrame paces it. Deterministic for a seed: every stream
// draws from its own sequence, seeded from the frame's seed and the number of
// streams started before it.
class FrameResponder {
public:
    enum class Stream { None, Scan, Advance };

    FrameResponder(const FrameSpec& setup, std::uint32_t seed);

    // The answers to one host report, in order. Scan, advance and diag-mode
    // commands may start, switch or stop the stream.
    std::vector<HidReport> onCommand(std::span<const std::uint8_t> report);

    Stream stream() const { return m_stream; }
    // Streams started so far; a change means the stream began anew.
    std::uint32_t streamStarts() const { return m_streamStarts; }
    // Reports per second of the running stream; 0: as fast as they are taken.
    int streamRate() const;
    // The next report of the running stream (None: an all-zero report).
    HidReport nextStreamReport();

private:
    HidReport identifyAnswer() const;
    HidReport scanStartAnswer() const;
    void startStream(Stream stream);
    HidReport nextDataPacket();
    HidReport nextPositionReport();
    void malformDataPacket(HidReport& report);

    FrameSpec m_spec;
    const BoardGeometry* m_geometry;
    LightField m_light;
    std::uint32_t m_seed;
    SimRandom m_random;

    Stream m_stream = Stream::None;
    std::uint32_t m_streamStarts = 0;
    std::uint8_t m_scanCode = 0;
    int m_packetIndex = 0;

    std::vector<int> m_sweepX; // advance mode: positions that get reported
    std::vector<int> m_sweepY;
    std::size_t m_nextX = 0;
    std::size_t m_nextY = 0;
    std::size_t m_nextInterference = 0;
};

} // namespace tarnscope
