#pragma once

#include "advance/AdvanceReport.h"
#include "app/DiagnosisRecord.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace tarnscope {

// The document `diagnose --json` and `analyse --json` print.
nlohmann::json DiagnosisJson(const DiagnosisRecord& record, const std::string& title);

// True when a chain result or a problem LED points at a fault.
bool DiagnosisFoundProblems(const DiagnosisRecord& record);

// The analysis inputs (`--dump-state`), and back.
nlohmann::json StateJson(const DiagnosisRecord& record);
std::optional<DiagnosisRecord> RecordFromState(const std::string& text, std::string& error);

// The document `advance --json` prints.
nlohmann::json AdvanceJson(const AdvanceReport& report);

// A readable summary of the diagnosis for the terminal.
std::string DiagnosisSummary(const DiagnosisRecord& record);

} // namespace tarnscope
