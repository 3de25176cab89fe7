#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tarnscope::test {

// One entry as Python's zipfile module sees it.
struct ArchiveEntry {
    std::string name;
    std::array<int, 6> dateTime {}; // year, month, day, hour, minute, second
    int compressType = 0;
    unsigned externalAttributes = 0;
    unsigned internalAttributes = 0;
    std::string extra;
    std::string comment;
    std::string data;
};

struct ArchiveListing {
    bool intact = false; // every entry's data matches its CRC
    std::string comment;
    std::vector<ArchiveEntry> entries;
};

bool HavePython();
bool HaveUnzip();

// Reads archives with an independent zip reader, all in one run of it;
// nullopt for a file that is not a readable zip archive.
std::vector<std::optional<ArchiveListing>> ReadArchives(const std::vector<std::string>& archivePaths);
std::optional<ArchiveListing> ReadArchive(const std::string& archivePath);

// `unzip -t` on the archive.
bool UnzipTestPasses(const std::string& archivePath);

std::vector<std::string> EntryNames(const ArchiveListing& listing);

} // namespace tarnscope::test
