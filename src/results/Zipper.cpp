#include "results/Zipper.h"

#include <array>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <minizip/zip.h>
#include <sys/stat.h>

namespace tarnscope {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t COPY_BLOCK_SIZE = 2048;
// Linux has no DOS attributes; these are the bits zip readers expect in the
// low byte of the external attributes.
constexpr unsigned long ATTRIBUTE_FOLDER = 0x10;
constexpr unsigned long ATTRIBUTE_FILE = 0x20;

bool IsAbsolute(const std::string& path)
{
    return path.starts_with('/');
}

std::string WithTrailingSlash(std::string path)
{
    if (!path.ends_with('/'))
        path += '/';
    return path;
}

// Local last-write time as separate parts (all zero when it cannot be read);
// the library derives the DOS date from them because dosDate is 0.
zip_fileinfo EntryInfo(const std::string& sourcePath, unsigned long attributes)
{
    zip_fileinfo info {};
    struct stat status { };
    std::tm local {};
    if (::stat(sourcePath.c_str(), &status) == 0 && localtime_r(&status.st_mtime, &local) != nullptr) {
        info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
        info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
        info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
        info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
        info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
        info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
    }
    info.external_fa = attributes;
    return info;
}

} // namespace

CZipper::~CZipper()
{
    if (m_zip != nullptr)
        CloseArchive();
}

bool CZipper::ZipFolder(const std::string& folder, const std::string& archivePath)
{
    std::error_code error;
    const fs::path fullFolder = fs::absolute(folder, error);
    const std::string root = error ? folder : fullFolder.string();
    if (!OpenArchive(archivePath, root))
        return false;
    AddFolderContents(root, false);
    if (CloseArchive())
        return true;
    fs::remove(archivePath, error);
    return false;
}

bool CZipper::OpenArchive(const std::string& archivePath, const std::optional<std::string>& rootFolder)
{
    if (m_zip != nullptr)
        CloseArchive();
    m_rootFolder.clear();
    m_bWriteFailed = false;
    if (archivePath.empty())
        return false;
    std::error_code error;
    const fs::path fullPath = fs::absolute(archivePath, error);
    if (error)
        return false;
    m_zip = zipOpen64(fullPath.c_str(), APPEND_STATUS_CREATE);
    if (m_zip == nullptr)
        return false;
    if (!rootFolder)
        m_rootFolder = WithTrailingSlash(fullPath.parent_path().string());
    else if (!rootFolder->empty())
        m_rootFolder = WithTrailingSlash(*rootFolder);
    return true;
}

bool CZipper::AddFile(const std::string& path, bool flatNames)
{
    if (m_zip == nullptr || (!flatNames && path.starts_with("../")))
        return false;
    const std::optional<std::string> name = FileEntryName(path, flatNames);
    const std::string fullPath = CompletePath(path);
    std::error_code error;
    // Also keeps fifos and devices out: opening those could block or never end.
    if (!name || !fs::is_regular_file(fullPath, error))
        return false;
    std::ifstream source(fullPath, std::ios::binary);
    if (!source)
        return false;
    if (!OpenEntry(*name, fullPath, ATTRIBUTE_FILE))
        return false;
    const bool copied = CopyIntoEntry(source);
    const bool closed = Check(zipCloseFileInZip(static_cast<zipFile>(m_zip)));
    return copied && closed;
}

bool CZipper::AddFolder(const std::string& path, bool flatNames)
{
    if (m_zip == nullptr)
        return false;
    const std::string fullPath = CompletePath(path);
    const std::optional<std::string> name = FolderEntryName(fullPath, flatNames);
    if (!name)
        return false;
    const bool added
        = OpenEntry(*name, fullPath, ATTRIBUTE_FOLDER) && Check(zipCloseFileInZip(static_cast<zipFile>(m_zip)));
    AddFolderContents(fullPath, flatNames);
    return added;
}

bool CZipper::CloseArchive()
{
    if (m_zip == nullptr)
        return false;
    const bool closed = zipClose(static_cast<zipFile>(m_zip), nullptr) == ZIP_OK;
    const bool good = closed && !m_bWriteFailed;
    m_zip = nullptr;
    m_rootFolder.clear();
    m_bWriteFailed = false;
    return good;
}

std::string CZipper::CompletePath(const std::string& path) const
{
    return IsAbsolute(path) ? path : m_rootFolder + path;
}

std::optional<std::string> CZipper::NameBelowRoot(const std::string& fullPath) const
{
    if (!fullPath.starts_with(m_rootFolder))
        return std::nullopt;
    std::string name = fullPath.substr(m_rootFolder.size());
    if (name.empty())
        return std::nullopt;
    return name;
}

std::optional<std::string> CZipper::FileEntryName(const std::string& path, bool flatNames) const
{
    if (flatNames)
        return fs::path(path).filename().string();
    if (IsAbsolute(path))
        return NameBelowRoot(path);
    return path.starts_with("./") ? path.substr(2) : path;
}

std::optional<std::string> CZipper::FolderEntryName(const std::string& fullPath, bool flatNames) const
{
    if (!flatNames) {
        const std::optional<std::string> name = NameBelowRoot(fullPath);
        return name ? std::optional(WithTrailingSlash(*name)) : std::nullopt;
    }
    fs::path folder(fullPath);
    if (!folder.has_filename())
        folder = folder.parent_path();
    return WithTrailingSlash(folder.stem().string());
}

bool CZipper::OpenEntry(const std::string& name, const std::string& sourcePath, unsigned long attributes)
{
    const zip_fileinfo info = EntryInfo(sourcePath, attributes);
    return Check(zipOpenNewFileInZip(static_cast<zipFile>(m_zip), name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
        Z_DEFLATED, Z_DEFAULT_COMPRESSION));
}

bool CZipper::CopyIntoEntry(std::istream& source)
{
    std::array<char, COPY_BLOCK_SIZE> block {};
    while (source) {
        source.read(block.data(), block.size());
        const auto count = static_cast<unsigned>(source.gcount());
        if (count == 0)
            break;
        if (!Check(zipWriteInFileInZip(static_cast<zipFile>(m_zip), block.data(), count)))
            return false;
    }
    return true;
}

void CZipper::AddFolderContents(const std::string& folderPath, bool flatNames)
{
    const std::string prefix = WithTrailingSlash(folderPath);
    std::error_code error;
    for (fs::directory_iterator item(prefix, error), end; !error && item != end; item.increment(error)) {
        const std::string name = item->path().filename().string();
        if (name.starts_with('.'))
            continue;
        std::error_code kindError;
        // Symbolic links to folders are not followed: they could loop.
        if (item->is_directory(kindError) && !item->is_symlink(kindError))
            AddFolder(prefix + name, flatNames);
        else
            AddFile(prefix + name, flatNames);
    }
}

bool CZipper::Check(int zipResult)
{
    if (zipResult != ZIP_OK)
        m_bWriteFailed = true;
    return zipResult == ZIP_OK;
}

} // namespace tarnscope
