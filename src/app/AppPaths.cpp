#include "app/AppPaths.h"

#include "troubleshoot/Settings.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace tarnscope {

FrameSession::Options DefaultSessionOptions()
{
    FrameSession::Options options;
    options.configPath = ConfigFilePath(QCoreApplication::applicationDirPath().toStdString(),
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).toStdString());
    return options;
}

} // namespace tarnscope
