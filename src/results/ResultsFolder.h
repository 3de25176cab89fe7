#pragma once

#include <string>

namespace tarnscope {

// The user's documents folder as the desktop reports it (may be empty).
std::string DocumentsFolder();

// `documentsFolder` + "/Velmora/", created when missing together with the
// documents folder (a failure shows up when the folder is written to).
std::string GetResultsFolder(const std::string& documentsFolder);
// The results folder under the user's documents folder.
std::string GetResultsFolder();

// Deletes the files directly in `path`, then the folder itself. Subfolders are
// left alone, and so is the folder when anything is left in it.
void ClearResultsFolder(const std::string& path);

} // namespace tarnscope
