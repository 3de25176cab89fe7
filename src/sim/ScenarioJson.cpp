#include "sim/BoardGeometry.h"
#include "sim/Scenario.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string_view>
#include <utility>

namespace tarnscope {

namespace {

using nlohmann::json;

// Thrown inside the parser only; ParseScenarioJson turns it into an error text.
struct ScenarioError {
    std::string message;
};

[[noreturn]] void Fail(const std::string& path, const std::string& what)
{
    throw ScenarioError { path + ": " + what };
}

template<typename E> using NameTable = std::span<const std::pair<std::string_view, E>>;

constexpr std::array<std::pair<std::string_view, DeviceKind>, 2> DEVICE_KINDS { {
    { "frame", DeviceKind::Frame },
    { "mouse", DeviceKind::Mouse },
} };
constexpr std::array<std::pair<std::string_view, InterfaceLayout>, 3> INTERFACE_LAYOUTS { {
    { "two", InterfaceLayout::Two },
    { "one", InterfaceLayout::One },
    { "noOutput", InterfaceLayout::NoOutput },
} };
constexpr std::array<std::pair<std::string_view, PacketNumbering>, 2> NUMBERINGS { {
    { "trailer", PacketNumbering::Trailer },
    { "packetNumber", PacketNumbering::PacketNumber },
} };

constexpr std::uint16_t MOUSE_VENDOR_ID = 0x046D;
constexpr std::uint16_t MOUSE_PRODUCT_ID = 0xC077;
constexpr int SERIAL_OFFSET_MIN = 6; // after board size and firmware
constexpr int SERIAL_OFFSET_MAX = 50; // the end marker still fits before the trailer
constexpr int MAX_DELAY_MS = 60000;
constexpr int MAX_RATE = 100000;
constexpr int MAX_TIME_MS = 24 * 3600 * 1000;

std::vector<std::uint8_t> ParseHexBytes(std::string text, const std::string& path)
{
    if (text.starts_with("0x") || text.starts_with("0X"))
        text.erase(0, 2);
    std::erase_if(text, [](unsigned char ch) { return std::isspace(ch); });
    if (text.empty() || text.size() % 2 != 0)
        Fail(path, "expected an even number of hex digits, got \"" + text + "\"");
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        std::uint8_t byte = 0;
        const char* begin = text.data() + i;
        const auto [end, ec] = std::from_chars(begin, begin + 2, byte, 16);
        if (ec != std::errc {} || end != begin + 2)
            Fail(path, "\"" + text.substr(i, 2) + "\" is not a hex byte");
        bytes.push_back(byte);
    }
    return bytes;
}

// One JSON object being read: types and ranges are checked, defaults filled
// in, and a key nobody asked for (usually a typo) is an error.
class ObjectReader {
public:
    ObjectReader(const json& value, std::string path)
        : m_value(value)
        , m_path(std::move(path))
    {
        if (!m_value.is_object())
            Fail(m_path, "expected an object");
    }

    std::string pathOf(const std::string& key) const { return m_path + "." + key; }

    const json* find(const std::string& key)
    {
        m_used.insert(key);
        auto it = m_value.find(key);
        return it == m_value.end() ? nullptr : &*it;
    }

    long long integer(const std::string& key, long long fallback, long long min, long long max)
    {
        const json* value = find(key);
        if (!value)
            return fallback;
        if (!value->is_number_integer())
            Fail(pathOf(key), "expected an integer");
        const auto number = value->get<long long>();
        if (number < min || number > max)
            Fail(pathOf(key),
                std::to_string(number) + " is outside " + std::to_string(min) + ".." + std::to_string(max));
        return number;
    }

    double probability(const std::string& key, double fallback)
    {
        const json* value = find(key);
        if (!value)
            return fallback;
        if (!value->is_number())
            Fail(pathOf(key), "expected a number");
        const auto number = value->get<double>();
        if (!(number >= 0 && number <= 1))
            Fail(pathOf(key), "expected a probability from 0 to 1");
        return number;
    }

    bool flag(const std::string& key, bool fallback)
    {
        const json* value = find(key);
        if (!value)
            return fallback;
        if (!value->is_boolean())
            Fail(pathOf(key), "expected true or false");
        return value->get<bool>();
    }

    std::optional<std::string> text(const std::string& key)
    {
        const json* value = find(key);
        if (!value)
            return std::nullopt;
        if (!value->is_string())
            Fail(pathOf(key), "expected a string");
        return value->get<std::string>();
    }

    std::optional<std::vector<std::uint8_t>> hexBytes(const std::string& key)
    {
        auto value = text(key);
        if (!value)
            return std::nullopt;
        return ParseHexBytes(*value, pathOf(key));
    }

    std::uint16_t hex16(const std::string& key, std::uint16_t fallback)
    {
        auto bytes = hexBytes(key);
        if (!bytes)
            return fallback;
        if (bytes->size() != 2)
            Fail(pathOf(key), "expected four hex digits");
        return static_cast<std::uint16_t>(((*bytes)[0] << 8) | (*bytes)[1]);
    }

    template<typename E> E choice(const std::string& key, E fallback, NameTable<E> names)
    {
        auto value = text(key);
        if (!value)
            return fallback;
        for (const auto& [name, choice] : names)
            if (name == *value)
                return choice;
        std::string known;
        for (const auto& entry : names)
            known += (known.empty() ? "\"" : ", \"") + std::string(entry.first) + "\"";
        Fail(pathOf(key), "\"" + *value + "\" is not one of " + known);
    }

    // Integer lists under "x" and "y", each entry below the axis's limit.
    AxisPositions positions(const std::string& key, int xLimit, int yLimit)
    {
        const json* value = find(key);
        if (!value)
            return {};
        ObjectReader axes(*value, pathOf(key));
        AxisPositions out { axes.list("x", xLimit), axes.list("y", yLimit) };
        axes.finish();
        return out;
    }

    void finish() const
    {
        for (const auto& [key, value] : m_value.items())
            if (!m_used.contains(key))
                Fail(pathOf(key), "unknown key");
    }

private:
    std::vector<int> list(const std::string& key, int limit)
    {
        const json* value = find(key);
        if (!value)
            return {};
        if (!value->is_array())
            Fail(pathOf(key), "expected an array of integers");
        std::vector<int> out;
        for (std::size_t i = 0; i < value->size(); ++i) {
            const json& entry = (*value)[i];
            const std::string where = pathOf(key) + "[" + std::to_string(i) + "]";
            if (!entry.is_number_integer())
                Fail(where, "expected an integer");
            const auto number = entry.get<long long>();
            if (number < 0 || number >= limit)
                Fail(where, std::to_string(number) + " is outside 0.." + std::to_string(limit - 1));
            out.push_back(static_cast<int>(number));
        }
        return out;
    }

    const json& m_value;
    std::string m_path;
    std::set<std::string> m_used;
};

void ReadFaults(ObjectReader& frame, const BoardGeometry& geometry, FrameFaults& faults)
{
    const json* value = frame.find("faults");
    if (!value)
        return;
    ObjectReader in(*value, frame.pathOf("faults"));
    const int xLength = geometry.xLength;
    const int yLength = geometry.yLength;
    const int xBlocks = geometry.blockCount(SCAN_AXIS_X);
    const int yBlocks = geometry.blockCount(SCAN_AXIS_Y);
    const int lastElement = geometry.chainLength() - 1;
    faults.deadEmitters = in.positions("deadEmitters", xLength, yLength);
    faults.weakReceivers = in.positions("weakReceivers", xLength, yLength);
    faults.deadEmitterBlocks = in.positions("deadEmitterBlocks", xBlocks, yBlocks);
    faults.weakReceiverBlocks = in.positions("weakReceiverBlocks", xBlocks, yBlocks);
    faults.emitterChainBreakAfter = static_cast<int>(in.integer("emitterChainBreakAfter", -1, -1, lastElement));
    faults.receiverChainBreakAfter = static_cast<int>(in.integer("receiverChainBreakAfter", -1, -1, lastElement));
    faults.noise = in.probability("noise", 0);
    faults.neverAnswerIdentify = in.flag("neverAnswerIdentify", false);
    faults.neverConfirmScan = in.flag("neverConfirmScan", false);
    faults.answerDelayMs = static_cast<int>(in.integer("answerDelayMs", 0, 0, MAX_DELAY_MS));
    faults.malformedRate = in.probability("malformedRate", 0);
    in.finish();
}

void RequireSomeAlive(const std::vector<int>& dead, int length, const std::string& path)
{
    std::set<int> distinct(dead.begin(), dead.end());
    if (static_cast<int>(distinct.size()) >= length)
        Fail(path, "every position of the axis is dead; nothing could be reported");
}

void ReadAdvance(ObjectReader& frame, const BoardGeometry& geometry, AdvanceSettings& advance)
{
    const json* value = frame.find("advance");
    if (!value)
        return;
    ObjectReader in(*value, frame.pathOf("advance"));
    advance.reportsPerSecond = static_cast<int>(in.integer("reportsPerSecond", advance.reportsPerSecond, 0, MAX_RATE));
    advance.deadPositions = in.positions("deadPositions", geometry.xLength, geometry.yLength);
    advance.interferencePositions = in.positions("interferencePositions", geometry.xLength, geometry.yLength);
    advance.interferenceRate = in.probability("interferenceRate", advance.interferenceRate);
    RequireSomeAlive(advance.deadPositions.x, geometry.xLength, in.pathOf("deadPositions.x"));
    RequireSomeAlive(advance.deadPositions.y, geometry.yLength, in.pathOf("deadPositions.y"));
    in.finish();
}

void ReadIdentity(ObjectReader& in, FrameSpec& frame)
{
    frame.firmware = static_cast<int>(in.integer("firmware", frame.firmware, 0, 255));
    if (auto serial = in.hexBytes("serialId")) {
        if (serial->size() != frame.serialId.size())
            Fail(in.pathOf("serialId"), "expected 12 bytes (24 hex digits)");
        std::ranges::copy(*serial, frame.serialId.begin());
    }
    frame.serialOffset
        = static_cast<int>(in.integer("serialOffset", frame.serialOffset, SERIAL_OFFSET_MIN, SERIAL_OFFSET_MAX));
    if (auto status = in.hexBytes("identifyStatus")) {
        if (status->size() != 1)
            Fail(in.pathOf("identifyStatus"), "expected one hex byte");
        frame.identifyStatus = status->front();
    }
    if (auto extra = in.hexBytes("extraId")) {
        if (extra->size() < 2 || extra->size() > HID_REPORT_SIZE || (*extra)[0] != HID_REPORT_ID
            || (*extra)[1] != HID_CMD_EXTRA_ID)
            Fail(in.pathOf("extraId"), "expected 2 to 64 bytes beginning with 08DC");
        HidReport report {};
        std::ranges::copy(*extra, report.begin());
        frame.extraId = report;
    }
}

FrameSpec ReadFrame(const json& value, const std::string& path, std::size_t index)
{
    ObjectReader in(value, path);
    FrameSpec frame;
    frame.name = in.text("name").value_or("frame" + std::to_string(index + 1));
    if (frame.name.empty())
        Fail(in.pathOf("name"), "must not be empty");
    frame.kind = in.choice<DeviceKind>("kind", DeviceKind::Frame, DEVICE_KINDS);
    const bool mouse = frame.kind == DeviceKind::Mouse;
    frame.vendorId = in.hex16("vendorId", mouse ? MOUSE_VENDOR_ID : frame.vendorId);
    frame.productId = in.hex16("productId", mouse ? MOUSE_PRODUCT_ID : frame.productId);
    frame.interfaces = in.choice<InterfaceLayout>("interfaces", frame.interfaces, INTERFACE_LAYOUTS);
    frame.boardSize = static_cast<int>(in.integer("boardSize", frame.boardSize, 0, 255));
    const BoardGeometry* geometry = FindBoardGeometry(frame.boardSize);
    if (!geometry) {
        std::string known;
        for (int size : KnownBoardSizes())
            known += (known.empty() ? "" : ", ") + std::to_string(size);
        Fail(in.pathOf("boardSize"), std::to_string(frame.boardSize) + " is not a known board size (" + known + ")");
    }
    ReadIdentity(in, frame);
    frame.packetsPerSecond = static_cast<int>(in.integer("packetsPerSecond", frame.packetsPerSecond, 0, MAX_RATE));
    frame.numbering = in.choice<PacketNumbering>("numbering", frame.numbering, NUMBERINGS);
    ReadFaults(in, *geometry, frame.faults);
    ReadAdvance(in, *geometry, frame.advance);
    in.finish();
    return frame;
}

TimelineEvent ReadEvent(const json& value, const std::string& path, const std::vector<FrameSpec>& frames)
{
    ObjectReader in(value, path);
    TimelineEvent event;
    event.atMs = static_cast<int>(in.integer("atMs", 0, 0, MAX_TIME_MS));
    auto plug = in.text("plug");
    auto unplug = in.text("unplug");
    if (plug.has_value() == unplug.has_value())
        Fail(path, "needs exactly one of \"plug\" and \"unplug\"");
    event.action = plug ? TimelineEvent::Action::Plug : TimelineEvent::Action::Unplug;
    event.frame = plug ? *plug : *unplug;
    if (std::ranges::find(frames, event.frame, &FrameSpec::name) == frames.end())
        Fail(in.pathOf(plug ? "plug" : "unplug"), "no frame is named \"" + event.frame + "\"");
    in.finish();
    return event;
}

const json& RequireArray(const json* value, const std::string& path)
{
    if (!value->is_array())
        Fail(path, "expected an array");
    return *value;
}

Scenario ReadScenario(const json& root)
{
    ObjectReader in(root, "scenario");
    Scenario scenario;
    scenario.seed = static_cast<std::uint32_t>(in.integer("seed", 1, 0, std::numeric_limits<std::uint32_t>::max()));
    if (const json* frames = in.find("frames")) {
        const json& list = RequireArray(frames, in.pathOf("frames"));
        for (std::size_t i = 0; i < list.size(); ++i)
            scenario.frames.push_back(ReadFrame(list[i], in.pathOf("frames") + "[" + std::to_string(i) + "]", i));
    } else {
        scenario.frames.push_back(ReadFrame(json::object(), in.pathOf("frames") + "[0]", 0));
    }
    std::set<std::string> names;
    for (const FrameSpec& frame : scenario.frames)
        if (!names.insert(frame.name).second)
            Fail(in.pathOf("frames"), "two frames are named \"" + frame.name + "\"");

    if (const json* timeline = in.find("timeline")) {
        const json& list = RequireArray(timeline, in.pathOf("timeline"));
        for (std::size_t i = 0; i < list.size(); ++i)
            scenario.timeline.push_back(
                ReadEvent(list[i], in.pathOf("timeline") + "[" + std::to_string(i) + "]", scenario.frames));
        std::ranges::stable_sort(scenario.timeline, {}, &TimelineEvent::atMs);
    } else {
        for (const FrameSpec& frame : scenario.frames)
            scenario.timeline.push_back({ 0, TimelineEvent::Action::Plug, frame.name });
    }
    in.finish();
    return scenario;
}

} // namespace

Scenario ParseScenarioJson(const std::string& text, std::string& error)
{
    error.clear();
    try {
        return ReadScenario(json::parse(text));
    } catch (const json::exception& e) {
        error = std::string("scenario: not valid JSON: ") + e.what();
    } catch (const ScenarioError& e) {
        error = e.message;
    }
    return {};
}

std::optional<Scenario> LoadScenarioFile(const std::string& path, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot be read";
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    Scenario scenario = ParseScenarioJson(text.str(), error);
    if (!error.empty()) {
        error = path + ": " + error;
        return std::nullopt;
    }
    return scenario;
}

} // namespace tarnscope
