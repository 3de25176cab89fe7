#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tarnscope {

// Bytes per report, report id byte always counted; 0 when the descriptor
// declares no report of that kind.
struct ReportLengths {
    std::uint16_t input = 0;
    std::uint16_t output = 0;
    std::uint16_t feature = 0;
    bool operator==(const ReportLengths&) const = default;
};

enum class DescriptorError {
    None,
    TruncatedItem, // an item's data runs past the end
    PopWithoutPush,
    ReportSizeTooLarge, // more than 256 bits per field
    ReportCountTooLarge, // more than 12288 fields in one item
    ReportIdOutOfRange, // 0 or above 255
    ReportTooLong, // a report would not fit a 16-bit length
};

struct DescriptorParse {
    ReportLengths lengths; // valid only when error is None
    DescriptorError error = DescriptorError::None;
    std::string message; // what was wrong and at which byte
    bool ok() const { return error == DescriptorError::None; }
};

// Report lengths as the HID class driver derives them: per report id and kind,
// the bits of every Input, Output or Feature item summed; the largest report
// of each kind, rounded up to bytes, plus one byte for the report id.
DescriptorParse ParseReportDescriptor(std::span<const std::uint8_t> descriptor);

} // namespace tarnscope
