#pragma once

#include "device/Protocol.h"

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace tarnscope {

// One accepted data packet on its way from the worker to the consumer.
struct PacketRecord {
    std::array<std::uint8_t, 68> values {}; // only the first `count` are valid
    std::int32_t first = 0;
    std::int32_t end = 0;
    std::int32_t count = 0;
};

using PacketQueue = std::deque<PacketRecord>;

// Suspicious LED entries of one axis: kind × 10000 + LED index.
using BadLightList = std::vector<std::int32_t>;

constexpr int BAD_LIGHT_KIND_RECEIVER = 1; // light value 124..130
constexpr int BAD_LIGHT_KIND_EMITTER = 2; // light value 0..105

// The kind of a light value, or 0 when the value is not suspicious.
int BadLightKind(std::uint8_t value);

// Appends the suspicious values of `record` to `list`, skipping LED indices
// 0..2 and the last two of the axis range ending at `axisEnd`.
void ClassifyPacket(const PacketRecord& record, std::int32_t axisEnd, BadLightList& list);

// Appends "[first,end]:" + "%02x" per value + "\n".
void AppendPacketLogLine(std::string& log, const PacketRecord& record);

} // namespace tarnscope
