#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace tarnscope {

// Packs a folder, files and subfolders recursively, into a new zip archive
// with entry names relative to a root folder. Entry names use "/" and folders
// end with "/". Names beginning with "." are left out.
class CZipper {
public:
    CZipper() = default;
    CZipper(const CZipper&) = delete;
    CZipper& operator=(const CZipper&) = delete;
    // Closes an archive that is still open.
    virtual ~CZipper();

    // Packs everything in `folder` into a new archive at `archivePath`,
    // replacing any file there. A file that cannot be read is left out without
    // notice. False when the archive could not be created, written or closed;
    // then no archive is left behind.
    bool ZipFolder(const std::string& folder, const std::string& archivePath);

    // Creates the archive. The root is the archive's own directory when
    // `rootFolder` is missing, and no root at all when it is empty.
    bool OpenArchive(const std::string& archivePath, const std::optional<std::string>& rootFolder = std::nullopt);
    // Relative paths are taken relative to the root; absolute ones must lie
    // inside it. With `flatNames` the entry is the bare file name.
    bool AddFile(const std::string& path, bool flatNames);
    // Adds the folder's own entry, then everything inside it.
    bool AddFolder(const std::string& path, bool flatNames);
    // False when no archive was open, or any write to it failed.
    bool CloseArchive();

private:
    std::string CompletePath(const std::string& path) const;
    std::optional<std::string> NameBelowRoot(const std::string& fullPath) const;
    std::optional<std::string> FileEntryName(const std::string& path, bool flatNames) const;
    std::optional<std::string> FolderEntryName(const std::string& fullPath, bool flatNames) const;
    bool OpenEntry(const std::string& name, const std::string& sourcePath, unsigned long attributes);
    bool CopyIntoEntry(std::istream& source);
    void AddFolderContents(const std::string& folderPath, bool flatNames);
    // Notes a failed library call: the archive is then not a good one.
    bool Check(int zipResult);

    void* m_zip = nullptr;
    std::string m_rootFolder;
    bool m_bWriteFailed = false;
};

} // namespace tarnscope
