#include "app/DiagnosisRecord.h"

#include "diagnosis/PictureRenderer.h"

#include <QImage>

namespace tarnscope {

QImage DrawRecordPicture(DiagnosisRecord& record, const std::string& folder)
{
    if (!record.result)
        return {};
    record.layout = LayoutPicture(*record.result, record.boardSize, record.serialId, record.analysisTime);
    QImage picture = RenderPicture(*record.layout);
    const std::string path = folder + PictureFileName(record.serialId);
    record.picturePath = FindPngEncoder() && SavePicturePng(picture, path) ? path : std::string();
    return picture;
}

} // namespace tarnscope
