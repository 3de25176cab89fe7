#include "ArchiveReader.h"

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

namespace tarnscope::test {

namespace {

// Prints a JSON list with one object per archive, binary fields as hex, or
// null for a file that is not a zip archive.
constexpr const char* READER_SCRIPT = R"(
import json, sys, zipfile
def listing(path):
    try:
        with zipfile.ZipFile(path) as z:
            return {"intact": z.testzip() is None, "comment": z.comment.hex(), "entries": [
                {"name": i.filename, "date_time": list(i.date_time), "compress_type": i.compress_type,
                 "external_attr": i.external_attr, "internal_attr": i.internal_attr,
                 "extra": i.extra.hex(), "comment": i.comment.hex(), "data": z.read(i).hex()}
                for i in z.infolist()]}
    except (OSError, zipfile.BadZipFile):
        return None
print(json.dumps([listing(path) for path in sys.argv[1:]]))
)";

bool CommandSucceeds(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::optional<std::string> CaptureOutput(const std::string& command)
{
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return std::nullopt;
    std::string output;
    char buffer[4096];
    while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, count);
    if (pclose(pipe) != 0)
        return std::nullopt;
    return output;
}

ArchiveListing FromJson(const nlohmann::json& json)
{
    ArchiveListing listing;
    listing.intact = json.at("intact").get<bool>();
    listing.comment = FromHex(json.at("comment").get<std::string>());
    for (const nlohmann::json& item : json.at("entries")) {
        ArchiveEntry& entry = listing.entries.emplace_back();
        entry.name = item.at("name").get<std::string>();
        entry.dateTime = item.at("date_time").get<std::array<int, 6>>();
        entry.compressType = item.at("compress_type").get<int>();
        entry.externalAttributes = item.at("external_attr").get<unsigned>();
        entry.internalAttributes = item.at("internal_attr").get<unsigned>();
        entry.extra = FromHex(item.at("extra").get<std::string>());
        entry.comment = FromHex(item.at("comment").get<std::string>());
        entry.data = FromHex(item.at("data").get<std::string>());
    }
    return listing;
}

} // namespace

bool HavePython()
{
    return CommandSucceeds("command -v python3 >/dev/null 2>&1");
}

bool HaveUnzip()
{
    return CommandSucceeds("command -v unzip >/dev/null 2>&1");
}

std::vector<std::optional<ArchiveListing>> ReadArchives(const std::vector<std::string>& archivePaths)
{
    std::string command = "python3 -c '" + std::string(READER_SCRIPT) + "'";
    for (const std::string& path : archivePaths)
        command += " '" + path + "'";
    const std::optional<std::string> output = CaptureOutput(command);
    std::vector<std::optional<ArchiveListing>> listings(archivePaths.size());
    if (!output)
        return listings;
    const nlohmann::json json = nlohmann::json::parse(*output);
    for (std::size_t i = 0; i < listings.size() && i < json.size(); ++i) {
        if (!json[i].is_null())
            listings[i] = FromJson(json[i]);
    }
    return listings;
}

std::optional<ArchiveListing> ReadArchive(const std::string& archivePath)
{
    return ReadArchives({ archivePath })[0];
}

bool UnzipTestPasses(const std::string& archivePath)
{
    return CommandSucceeds("unzip -tqq '" + archivePath + "' >/dev/null 2>&1");
}

std::vector<std::string> EntryNames(const ArchiveListing& listing)
{
    std::vector<std::string> names;
    for (const ArchiveEntry& entry : listing.entries)
        names.push_back(entry.name);
    return names;
}

} // namespace tarnscope::test
