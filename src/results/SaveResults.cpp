#include "results/SaveResults.h"

#include "results/ResultsFolder.h"
#include "results/TimeFormat.h"
#include "results/Zipper.h"

#include <cstdio>

namespace tarnscope {

namespace {

constexpr const char* DEFAULT_NAME_PATTERN = "DiagnosisResult%y-%m-%d %H-%M-%S.rep";
constexpr const char* ARCHIVE_FAILED_TEXT = "Open file for write failed,save result faile.";
constexpr const char* LOG_FAILED_TEXT = "The log file could not be written, so the results were not saved.";

// Creates or truncates the file and writes all of `bytes`; false when any of
// it did not reach the file.
bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

std::optional<std::string> ChooseArchivePath(
    UserPrompt& prompt, std::time_t now, const std::optional<std::string>& fixedPath)
{
    if (fixedPath)
        return fixedPath;
    return prompt.askSaveFileName({ FormatLocalTime(DEFAULT_NAME_PATTERN, now), "Text file(*.rep)", "rep" });
}

} // namespace

SaveOutcome SaveResults(UserPrompt& prompt, Clock& clock, const std::function<LogInputs(std::time_t)>& collect,
    const std::optional<std::string>& fixedPath, const std::optional<std::string>& documentsFolder)
{
    const std::optional<std::string> archivePath = ChooseArchivePath(prompt, clock.calendarTime(), fixedPath);
    if (!archivePath)
        return {};

    const std::string folder = documentsFolder ? GetResultsFolder(*documentsFolder) : GetResultsFolder();
    const std::time_t saveTime = clock.calendarTime();
    LogInputs inputs = collect(saveTime);
    inputs.saveTime = saveTime;
    if (!WriteWholeFile(folder + LogFileName(inputs.serialId), BuildLogBytes(inputs))) {
        prompt.showMessage(LOG_FAILED_TEXT, "Warning", MessageIcon::Warning);
        return { SaveStatus::LogFailed, *archivePath };
    }
    if (!CZipper().ZipFolder(folder, *archivePath)) {
        prompt.showMessage(ARCHIVE_FAILED_TEXT, "Warning", MessageIcon::Warning);
        return { SaveStatus::ArchiveFailed, *archivePath };
    }
    ClearResultsFolder(folder);
    return { SaveStatus::Saved, *archivePath };
}

CloseDecision AskBeforeClose(bool saved, UserPrompt& prompt, const std::function<SaveOutcome()>& save)
{
    if (saved)
        return CloseDecision::Close;
    switch (prompt.showMessage(
        "Diagnosis result is not save, save it?", "Save", MessageIcon::Information, MessageButtons::YesNoCancel)) {
    case MessageAnswer::No:
        return CloseDecision::Close;
    case MessageAnswer::Yes:
        return save().marksSaved() ? CloseDecision::Close : CloseDecision::StayOpen;
    default:
        return CloseDecision::StayOpen;
    }
}

} // namespace tarnscope
