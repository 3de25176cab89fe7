#include "results/ResultsFolder.h"

#include <QStandardPaths>
#include <filesystem>

namespace tarnscope {

namespace fs = std::filesystem;

std::string DocumentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
}

std::string GetResultsFolder(const std::string& documentsFolder)
{
    const std::string folder = documentsFolder + "/Velmora/";
    // Many Linux accounts have no documents folder yet; without it no result
    // could be written, so it is created along with ours.
    std::error_code error;
    fs::create_directories(folder, error);
    return folder;
}

std::string GetResultsFolder()
{
    return GetResultsFolder(DocumentsFolder());
}

void ClearResultsFolder(const std::string& path)
{
    std::error_code error;
    for (fs::directory_iterator item(path, error), end; !error && item != end; item.increment(error)) {
        std::error_code itemError;
        // A link is removed as a link, never followed into its target.
        if (!item->is_directory(itemError) || item->is_symlink(itemError))
            fs::remove(item->path(), itemError);
    }
    fs::remove(path, error);
}

} // namespace tarnscope
