#include "cli/DiagnosisJson.h"

#include "diagnosis/ProblemText.h"

#include <charconv>
#include <sstream>

namespace tarnscope {

namespace {

using nlohmann::json;

json BlocksJson(const BlockTable& table, int count)
{
    json blocks = json::array();
    for (int b = 0; b < count; ++b)
        blocks.push_back({ { "length", table[b].length }, { "result", table[b].result } });
    return blocks;
}

json LedsJson(const std::vector<ProblemLed>& leds)
{
    json list = json::array();
    for (const ProblemLed& led : leds)
        list.push_back({ led.block, led.index });
    return list;
}

json MarksJson(const std::vector<Mark>& marks)
{
    json list = json::array();
    for (Mark mark : marks)
        list.push_back(MarkName(mark));
    return list;
}

bool ParseSerialId(const std::string& hex, SerialId& serial)
{
    if (hex.size() != serial.size() * 2)
        return false;
    for (std::size_t i = 0; i < serial.size(); ++i) {
        const char* begin = hex.data() + 2 * i;
        auto [ptr, ec] = std::from_chars(begin, begin + 2, serial[i], 16);
        if (ec != std::errc() || ptr != begin + 2)
            return false;
    }
    return true;
}

} // namespace

json DiagnosisJson(const DiagnosisRecord& record, const std::string& title)
{
    json doc;
    doc["board"] = { { "size", record.boardSize }, { "firmware", record.firmware },
        { "serialId", SerialIdHex(record.serialId) } };
    doc["title"] = title;
    doc["badLights"] = { { "x", record.xBadLights.size() }, { "y", record.yBadLights.size() } };
    doc["picture"] = record.picturePath.empty() ? json(nullptr) : json(record.picturePath);
    if (!record.result) {
        for (const char* key :
            { "model", "txChainResult", "rxChainResult", "blocks", "problemLeds", "boxes", "cables", "problemText" })
            doc[key] = nullptr;
        return doc;
    }
    const DiagnosisResult& result = *record.result;
    const int nX = result.model->nX;
    const int nY = result.model->nY;
    doc["model"] = { { "nX", nX }, { "nY", nY } };
    doc["txChainResult"] = result.txChainResult;
    doc["rxChainResult"] = result.rxChainResult;
    doc["blocks"]
        = { { "emitterX", BlocksJson(result.x.emitter, nX) }, { "emitterY", BlocksJson(result.y.emitter, nY) },
              { "receiverX", BlocksJson(result.x.receiver, nX) }, { "receiverY", BlocksJson(result.y.receiver, nY) } };
    doc["problemLeds"] = { { "emitterX", LedsJson(result.x.emitterProblems) },
        { "emitterY", LedsJson(result.y.emitterProblems) }, { "receiverX", LedsJson(result.x.receiverProblems) },
        { "receiverY", LedsJson(result.y.receiverProblems) } };
    if (record.layout) {
        const PictureLayout& layout = *record.layout;
        doc["boxes"] = { { "x", MarksJson(layout.xBoxes) }, { "y", MarksJson(layout.yBoxes) } };
        doc["cables"]
            = { { "emitter", MarksJson(layout.emitterCables) }, { "receiver", MarksJson(layout.receiverCables) } };
        doc["problemText"] = layout.problemText;
    }
    return doc;
}

bool DiagnosisFoundProblems(const DiagnosisRecord& record)
{
    if (!record.result)
        return false;
    const DiagnosisResult& r = *record.result;
    return r.txChainResult != CHAIN_NONE || r.rxChainResult != CHAIN_NONE || !r.x.emitterProblems.empty()
        || !r.x.receiverProblems.empty() || !r.y.emitterProblems.empty() || !r.y.receiverProblems.empty();
}

json StateJson(const DiagnosisRecord& record)
{
    return { { "boardSize", record.boardSize }, { "firmware", record.firmware },
        { "serialId", SerialIdHex(record.serialId) }, { "analysisTime", record.analysisTime },
        { "xBadLights", record.xBadLights }, { "yBadLights", record.yBadLights } };
}

std::optional<DiagnosisRecord> RecordFromState(const std::string& text, std::string& error)
{
    const json state = json::parse(text, nullptr, false);
    if (state.is_discarded() || !state.is_object()) {
        error = "the state is not a JSON object";
        return std::nullopt;
    }
    DiagnosisRecord record;
    try {
        record.boardSize = state.at("boardSize").get<int>();
        record.firmware = state.value("firmware", 0);
        record.analysisTime = state.value("analysisTime", std::time_t { 0 });
        record.xBadLights = state.at("xBadLights").get<BadLightList>();
        record.yBadLights = state.at("yBadLights").get<BadLightList>();
        if (!ParseSerialId(state.at("serialId").get<std::string>(), record.serialId)) {
            error = "serialId must be 24 hexadecimal digits";
            return std::nullopt;
        }
    } catch (const json::exception& e) {
        error = std::string("bad state: ") + e.what();
        return std::nullopt;
    }
    return record;
}

json AdvanceJson(const AdvanceReport& report)
{
    return { { "missing", { { "x", report.missingX }, { "y", report.missingY } } },
        { "interference", { { "x", report.interferenceX }, { "y", report.interferenceY } } },
        { "xList", report.xListBoxText }, { "yList", report.yListBoxText }, { "report", report.reportText },
        { "advanceLog", report.advanceLog } };
}

std::string DiagnosisSummary(const DiagnosisRecord& record)
{
    std::ostringstream out;
    out << "Board size " << record.boardSize << ", firmware " << record.firmware << ", serial id "
        << SerialIdHex(record.serialId) << "\n";
    out << "Suspicious light values: X " << record.xBadLights.size() << ", Y " << record.yBadLights.size() << "\n";
    if (!record.result) {
        out << "No analysis: board size " << record.boardSize << " has no model.\n";
        return out.str();
    }
    const DiagnosisResult& r = *record.result;
    out << "Emitter chain: " << r.txChainResult << ", receiver chain: " << r.rxChainResult << "\n";
    if (record.layout && !record.layout->problemText.empty())
        out << record.layout->problemText;
    out << (DiagnosisFoundProblems(record) ? "Problems found.\n" : "No problem found.\n");
    if (!record.picturePath.empty())
        out << "Picture: " << record.picturePath << "\n";
    return out.str();
}

} // namespace tarnscope
