// One input report through the worker's path: classification, then for a data
// packet the copy into a PacketRecord, the packet log line and the consumer's
// bad-light sorting.
#include "device/PacketQueue.h"
#include "device/Protocol.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

using namespace tarnscope;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 + HID_REPORT_SIZE)
        return 0;
    const bool handshakeDone = data[0] & 1;
    // On the heap and exactly one report long, so ASan sees a read past its end.
    const auto report = std::make_unique<HidReport>();
    std::copy_n(data + 1, HID_REPORT_SIZE, report->begin());

    const ClassifiedReport answer = ClassifyInputReport(*report, handshakeDone);
    if (answer.kind != ReportKind::DataPacket)
        return 0;
    // The worker copies valueCount values from byte 7: more than 56 would read
    // past the report.
    if (answer.valueCount < 0 || answer.valueCount > MAX_PACKET_VALUES)
        __builtin_trap();

    PacketRecord record;
    record.first = answer.range.first;
    record.end = answer.range.end;
    record.count = answer.valueCount;
    std::copy_n(report->data() + 7, answer.valueCount, record.values.begin());

    std::string log;
    AppendPacketLogLine(log, record);
    BadLightList list;
    ClassifyPacket(record, answer.range.end, list);
    if (list.size() > static_cast<std::size_t>(record.count))
        __builtin_trap();
    return 0;
}
