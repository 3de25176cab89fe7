#include "device/PacketQueue.h"

#include <gtest/gtest.h>

namespace tarnscope {
namespace {

TEST(BadLightKind, SortsValuesIntoTheTwoSuspiciousBands)
{
    const std::pair<int, int> cases[]
        = { { 123, 0 }, { 124, 1 }, { 130, 1 }, { 131, 0 }, { 105, 2 }, { 106, 0 }, { 0, 2 }, { 255, 0 } };
    for (auto [value, kind] : cases)
        EXPECT_EQ(BadLightKind(static_cast<std::uint8_t>(value)), kind) << "value " << value;
}

PacketRecord Packet(std::int32_t first, std::vector<std::uint8_t> values)
{
    PacketRecord record;
    record.first = first;
    record.count = static_cast<std::int32_t>(values.size());
    record.end = first + record.count;
    std::copy(values.begin(), values.end(), record.values.begin());
    return record;
}

TEST(ClassifyPacket, ListsSuspiciousLedsInsideTheAxisWindow)
{
    BadLightList list;
    ClassifyPacket(Packet(0, std::vector<std::uint8_t>(10, 0)), 500, list);
    EXPECT_EQ(list, (BadLightList { 20003, 20004, 20005, 20006, 20007, 20008, 20009 }));

    list.clear();
    ClassifyPacket(Packet(96, { 200, 127, 127, 0 }), 100, list);
    EXPECT_EQ(list, (BadLightList { 10097 })) << "index 98 and beyond lie in the last two of the axis";
}

TEST(PacketLog, WritesOneHexLinePerPacket)
{
    std::string log;
    AppendPacketLogLine(log, Packet(0, { 1, 171, 255 }));
    AppendPacketLogLine(log, Packet(56, {}));
    EXPECT_EQ(log, "[0,3]:01abff\n[56,56]:\n");
}

} // namespace
} // namespace tarnscope
