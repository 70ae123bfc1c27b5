#include "ExternalPrograms.h"

#include <QProcess>
#include <QStandardPaths>

#include <memory>

namespace discovery {

int RunAndWait(const QString &program, const QStringList &arguments,
               std::chrono::milliseconds limit, QObject *keeper)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return -1;
    auto process = std::make_unique<QProcess>();
    process->start(path, arguments);
    if (!process->waitForStarted())
        return -1;
    if (!process->waitForFinished(int(limit.count()))) {
        process.release()->setParent(keeper);
        return kStillActive;
    }
    return process->exitCode();
}

QStringList NeighbourArguments(const QString &address, const QString &mac,
                               const QString &interfaceName)
{
    QString linkAddress = mac;
    linkAddress.replace(u'-', u':');
    return {QStringLiteral("neigh"),
            QStringLiteral("replace"),
            address,
            QStringLiteral("lladdr"),
            linkAddress,
            QStringLiteral("dev"),
            interfaceName,
            QStringLiteral("nud"),
            QStringLiteral("permanent")};
}

bool StartSystemInformation()
{
    struct Tool {
        const char *program;
        QStringList arguments;
    };
    const Tool tools[] = {{"hardinfo", {}},
                          {"kinfocenter", {}},
                          {"gnome-control-center", {QStringLiteral("info-overview")}}};
    for (const Tool &tool : tools) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(tool.program));
        if (!path.isEmpty())
            return QProcess::startDetached(path, tool.arguments);
    }
    return false;
}

} // namespace discovery
