#include "device/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <vector>

namespace tarnscope {

namespace {

constexpr std::uint32_t MAX_REPORT_SIZE_BITS = 256;
constexpr std::uint32_t MAX_REPORT_COUNT = 12288;
constexpr std::uint64_t MAX_REPORT_BITS = (0xFFFFull - 1) * 8; // the id byte must still fit
constexpr std::uint32_t MAX_REPORT_ID = 255;

constexpr std::uint8_t LONG_ITEM_PREFIX = 0xFE;
constexpr std::array<std::size_t, 4> SHORT_DATA_BYTES = { 0, 1, 2, 4 };

enum class ItemType : std::uint8_t { Main = 0, Global = 1, Local = 2, Reserved = 3 };

constexpr std::uint8_t TAG_INPUT = 0x8;
constexpr std::uint8_t TAG_OUTPUT = 0x9;
constexpr std::uint8_t TAG_FEATURE = 0xB;
constexpr std::uint8_t TAG_REPORT_SIZE = 0x7;
constexpr std::uint8_t TAG_REPORT_ID = 0x8;
constexpr std::uint8_t TAG_REPORT_COUNT = 0x9;
constexpr std::uint8_t TAG_PUSH = 0xA;
constexpr std::uint8_t TAG_POP = 0xB;

enum Kind { INPUT, OUTPUT, FEATURE, KIND_COUNT };

std::optional<Kind> kindOf(std::uint8_t mainTag)
{
    switch (mainTag) {
    case TAG_INPUT:
        return INPUT;
    case TAG_OUTPUT:
        return OUTPUT;
    case TAG_FEATURE:
        return FEATURE;
    default:
        return std::nullopt;
    }
}

struct Globals {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

struct Item {
    ItemType type = ItemType::Main;
    std::uint8_t tag = 0;
    std::uint32_t data = 0;
    std::size_t offset = 0;
};

class Parser {
public:
    explicit Parser(std::span<const std::uint8_t> descriptor)
        : m_bytes(descriptor)
    { }

    DescriptorParse run()
    {
        Item item;
        while (m_error == DescriptorError::None && next(item)) {
            if (item.type == ItemType::Main)
                mainItem(item);
            else if (item.type == ItemType::Global)
                globalItem(item);
        }
        if (m_error != DescriptorError::None)
            return { {}, m_error, m_message };
        return { { length(INPUT), length(OUTPUT), length(FEATURE) }, DescriptorError::None, {} };
    }

private:
    // Reads the next short item; long items carry no report fields and are
    // stepped over. False at the end or on a truncated item.
    bool next(Item& item)
    {
        while (m_pos < m_bytes.size()) {
            const std::size_t offset = m_pos;
            const std::uint8_t prefix = m_bytes[m_pos];
            if (prefix == LONG_ITEM_PREFIX) {
                if (m_bytes.size() - m_pos < 3 || m_bytes.size() - m_pos - 3 < m_bytes[m_pos + 1])
                    return fail(DescriptorError::TruncatedItem, "truncated long item", offset);
                m_pos += 3 + m_bytes[m_pos + 1];
                continue;
            }
            const std::size_t size = SHORT_DATA_BYTES[prefix & 0x3];
            if (m_bytes.size() - m_pos - 1 < size)
                return fail(DescriptorError::TruncatedItem, "truncated item", offset);
            item.type = static_cast<ItemType>((prefix >> 2) & 0x3);
            item.tag = prefix >> 4;
            item.offset = offset;
            item.data = 0;
            for (std::size_t i = 0; i < size; ++i)
                item.data |= std::uint32_t { m_bytes[m_pos + 1 + i] } << (8 * i);
            m_pos += 1 + size;
            return true;
        }
        return false;
    }

    void globalItem(const Item& item)
    {
        switch (item.tag) {
        case TAG_REPORT_SIZE:
            m_globals.reportSize = item.data;
            break;
        case TAG_REPORT_COUNT:
            m_globals.reportCount = item.data;
            break;
        case TAG_REPORT_ID:
            if (item.data == 0 || item.data > MAX_REPORT_ID)
                fail(DescriptorError::ReportIdOutOfRange, "Report ID " + std::to_string(item.data) + " out of 1..255",
                    item.offset);
            m_globals.reportId = item.data;
            break;
        case TAG_PUSH:
            m_stack.push_back(m_globals);
            break;
        case TAG_POP:
            if (m_stack.empty()) {
                fail(DescriptorError::PopWithoutPush, "Pop without Push", item.offset);
                break;
            }
            m_globals = m_stack.back();
            m_stack.pop_back();
            break;
        default:
            break;
        }
    }

    void mainItem(const Item& item)
    {
        const std::optional<Kind> kind = kindOf(item.tag);
        if (!kind)
            return;
        if (m_globals.reportSize > MAX_REPORT_SIZE_BITS) {
            fail(DescriptorError::ReportSizeTooLarge,
                "Report Size " + std::to_string(m_globals.reportSize) + " above 256 bits", item.offset);
            return;
        }
        if (m_globals.reportCount > MAX_REPORT_COUNT) {
            fail(DescriptorError::ReportCountTooLarge,
                "Report Count " + std::to_string(m_globals.reportCount) + " above 12288", item.offset);
            return;
        }
        std::uint64_t& bits = m_bits[*kind][m_globals.reportId];
        bits += std::uint64_t { m_globals.reportSize } * m_globals.reportCount;
        if (bits > MAX_REPORT_BITS)
            fail(DescriptorError::ReportTooLong, "report " + std::to_string(m_globals.reportId) + " too long",
                item.offset);
    }

    std::uint16_t length(Kind kind) const
    {
        const auto& reports = m_bits[kind];
        if (reports.empty())
            return 0;
        const auto largest = std::max_element(
            reports.begin(), reports.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
        return static_cast<std::uint16_t>((largest->second + 7) / 8 + 1);
    }

    bool fail(DescriptorError error, const std::string& what, std::size_t offset)
    {
        m_error = error;
        m_message = what + " at byte " + std::to_string(offset);
        return false;
    }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
    Globals m_globals;
    std::vector<Globals> m_stack;
    std::array<std::map<std::uint32_t, std::uint64_t>, KIND_COUNT> m_bits;
    DescriptorError m_error = DescriptorError::None;
    std::string m_message;
};

} // namespace

DescriptorParse ParseReportDescriptor(std::span<const std::uint8_t> descriptor)
{
    return Parser(descriptor).run();
}

} // namespace tarnscope
