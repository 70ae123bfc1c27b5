#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString g_folder;
}

QString ProgramFolder()
{
    if (!g_folder.isEmpty())
        return g_folder;
    const QString home = qEnvironmentVariable("VANTREL_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(home);
    return QCoreApplication::applicationDirPath();
}

QString ProgramFile(const QString &name)
{
    return ProgramFolder() + QLatin1Char('/') + name;
}

void SetProgramFolder(const QString &folder)
{
    g_folder = folder;
}
