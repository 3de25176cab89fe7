#pragma once

#include "device/Protocol.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnscope {

// What a scenario plugs in.
enum class DeviceKind {
    Frame, // answers the vendor protocol
    Mouse, // one input-only interface that never answers
};

// The HID interfaces a frame presents.
enum class InterfaceLayout {
    Two, // an input-only interface, then the vendor interface that answers
    One, // the vendor interface alone
    NoOutput, // two interfaces, neither accepts output reports
};

// How data packets are numbered in byte 63.
enum class PacketNumbering {
    Trailer, // always 0x55
    PacketNumber, // k for the packet whose first LED is 56 k
};

struct AxisPositions {
    std::vector<int> x;
    std::vector<int> y;
    bool operator==(const AxisPositions&) const = default;
};

struct FrameFaults {
    // LED faults, as positions or as whole blocks of an axis.
    AxisPositions deadEmitters; // read 0..105
    AxisPositions weakReceivers; // read 124..130
    AxisPositions deadEmitterBlocks;
    AxisPositions weakReceiverBlocks;
    // A broken link after chain element k darkens elements 0..k; -1: intact.
    int emitterChainBreakAfter = -1;
    int receiverChainBreakAfter = -1;
    double noise = 0; // chance that a healthy value reads as a suspicious one

    // Faults of the frame as a whole.
    bool neverAnswerIdentify = false;
    bool neverConfirmScan = false;
    int answerDelayMs = 0; // before every answer to a command
    double malformedRate = 0; // chance that a streamed report is malformed
    bool operator==(const FrameFaults&) const = default;
};

struct AdvanceSettings {
    int reportsPerSecond = 100; // 0: as fast as the host reads
    AxisPositions deadPositions; // never reported
    AxisPositions interferencePositions;
    double interferenceRate = 0.05; // chance that a report is an interference report
    bool operator==(const AdvanceSettings&) const = default;
};

struct FrameSpec {
    std::string name;
    DeviceKind kind = DeviceKind::Frame;
    std::uint16_t vendorId = 0xA3F0;
    std::uint16_t productId = 0xD400;
    InterfaceLayout interfaces = InterfaceLayout::Two;
    int boardSize = 82;
    int firmware = 3;
    SerialId serialId { 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C };
    int serialOffset = 14; // byte of the start marker in the identify answer
    std::uint8_t identifyStatus = 0x01; // byte 2 of the identify answer
    std::optional<HidReport> extraId; // none: derived from the serial id
    int packetsPerSecond = 100; // data packets while scanning; 0: as fast as the host reads
    PacketNumbering numbering = PacketNumbering::Trailer;
    FrameFaults faults;
    AdvanceSettings advance;
    bool operator==(const FrameSpec&) const = default;
};

// The extra-id answer of a frame: the configured one, or 08 DC 0C, the serial
// id, zeros and the trailer.
HidReport ExtraIdReport(const FrameSpec& frame);

struct TimelineEvent {
    enum class Action { Plug, Unplug };
    int atMs = 0; // from the start of the bus
    Action action = Action::Plug;
    std::string frame;
    bool operator==(const TimelineEvent&) const = default;
};

struct Scenario {
    std::uint32_t seed = 1;
    std::vector<FrameSpec> frames;
    std::vector<TimelineEvent> timeline; // ordered by time
    bool operator==(const Scenario&) const = default;
};

// One healthy-looking frame of board size 82 with a few scattered LED faults:
// the diagnosis lists problem LEDs, but no chain is broken.
Scenario DefaultScenario();

// A scenario from its JSON text. On bad input `error` says what and where and
// the result is an empty scenario; on success `error` is cleared.
Scenario ParseScenarioJson(const std::string& text, std::string& error);
std::optional<Scenario> LoadScenarioFile(const std::string& path, std::string& error);

} // namespace tarnscope
