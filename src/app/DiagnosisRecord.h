#pragma once

#include "device/PacketQueue.h"
#include "device/Protocol.h"
#include "diagnosis/Analysis.h"
#include "diagnosis/PictureLayout.h"

#include <ctime>
#include <optional>
#include <string>

class QImage;

namespace tarnscope {

// One automatic diagnosis: its inputs as collected and what became of them.
struct DiagnosisRecord {
    int boardSize = 0;
    int firmware = 0;
    SerialId serialId {};
    std::time_t analysisTime = 0;
    BadLightList xBadLights; // as collected, in list order
    BadLightList yBadLights;
    std::optional<DiagnosisResult> result; // none: the board size has no model
    std::optional<PictureLayout> layout;
    std::string picturePath; // empty when no PNG was written
};

// Lays out the picture of an analysed record, renders it and writes it as PNG
// into `folder`. A null image when the record has no result.
QImage DrawRecordPicture(DiagnosisRecord& record, const std::string& folder);

} // namespace tarnscope
