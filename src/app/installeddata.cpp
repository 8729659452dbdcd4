#include <QCoreApplication>
#include <QDir>

#include "texture.h"

// An installed game finds its sprite sheet in the data folder installed beside
// it, wherever the prefix: the folder is given relative to the program's own.
// Run by every QCoreApplication at its construction, before the window loads
// the sheet, so the programs that link this need not call anything.
static void addInstalledDataFolder()
{
    Texture::fallbackDirs.append(
        QDir::cleanPath(QDir(QCoreApplication::applicationDirPath())
                            .filePath(QStringLiteral(SHMUP_DATA_FROM_PROGRAM))));
}
Q_COREAPP_STARTUP_FUNCTION(addInstalledDataFolder)
