#include "device/PacketQueue.h"

#include <charconv>

namespace tarnscope {

int BadLightKind(std::uint8_t value)
{
    if (value >= 124 && value <= 130)
        return BAD_LIGHT_KIND_RECEIVER;
    if (value <= 105)
        return BAD_LIGHT_KIND_EMITTER;
    return 0;
}

void ClassifyPacket(const PacketRecord& record, std::int32_t axisEnd, BadLightList& list)
{
    for (int j = 0; j < record.count; ++j) {
        const int kind = BadLightKind(record.values[j]);
        const std::int32_t index = record.first + j;
        if (kind == 0 || index <= 2 || index >= axisEnd - 2)
            continue;
        list.push_back(kind * 10000 + index);
    }
}

void AppendPacketLogLine(std::string& log, const PacketRecord& record)
{
    static constexpr char digits[] = "0123456789abcdef";
    char number[16];
    log += '[';
    log.append(number, std::to_chars(number, number + sizeof number, record.first).ptr);
    log += ',';
    log.append(number, std::to_chars(number, number + sizeof number, record.end).ptr);
    log += "]:";
    for (int j = 0; j < record.count; ++j) {
        log += digits[record.values[j] >> 4];
        log += digits[record.values[j] & 0x0F];
    }
    log += '\n';
}

} // namespace tarnscope
