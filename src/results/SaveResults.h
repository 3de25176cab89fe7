#pragma once

#include "common/Clock.h"
#include "common/UserPrompt.h"
#include "results/ResultLog.h"

#include <ctime>
#include <functional>
#include <optional>
#include <string>

namespace tarnscope {

enum class SaveStatus {
    Cancelled, // the file dialog was cancelled: nothing written, nothing changed
    Saved, // log written, archive written, results folder emptied
    LogFailed, // the log could not be written: no archive, folder kept
    ArchiveFailed, // the archive could not be written: folder kept
};

struct SaveOutcome {
    SaveStatus status = SaveStatus::Cancelled;
    std::string archivePath; // empty when cancelled

    // Whether the window's m_bSaved is to be set.
    bool marksSaved() const { return status == SaveStatus::Saved; }
};

// The "Save" button: asks for the archive name (or takes `fixedPath` in batch
// mode), writes the log into the results folder, packs the folder and empties
// it. `collect` is called with the save time once a name is chosen. Failures
// are shown to the user and keep the results folder as it is, so nothing is
// lost. `documentsFolder` replaces the user's documents folder when given.
SaveOutcome SaveResults(UserPrompt& prompt, Clock& clock, const std::function<LogInputs(std::time_t)>& collect,
    const std::optional<std::string>& fixedPath = {}, const std::optional<std::string>& documentsFolder = {});

enum class CloseDecision { Close, StayOpen };

// The window's close request: unsaved results are offered for saving first.
// `save` runs the window's save; when it does not save (the file dialog was
// cancelled or the save failed), the window stays open with its results.
CloseDecision AskBeforeClose(bool saved, UserPrompt& prompt, const std::function<SaveOutcome()>& save);

} // namespace tarnscope
