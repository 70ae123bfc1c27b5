#pragma once

#include <QString>
#include <QStringList>

#include <chrono>

class QObject;

// The system programs the discovery program starts, found on PATH and never through a
// shell, so no typed text is ever read as a command.
namespace discovery {

// The exit code a program still running at the limit gives, as the system reports it.
constexpr int kStillActive = 259;

// Starts the program and waits up to `limit` for it: -1 when it does not start, else its
// exit code, or kStillActive when it still runs (it is left running, its process object
// a child of `keeper`).
int RunAndWait(const QString &program, const QStringList &arguments,
               std::chrono::milliseconds limit, QObject *keeper);

// `ip` arguments that bind the address to the MAC on the interface, so the next packets
// for the address reach the module. The MAC is typed with "-" between its pairs.
QStringList NeighbourArguments(const QString &address, const QString &mac,
                               const QString &interfaceName);

// Starts, detached, the first system information tool found; false when none is found or
// it does not start.
bool StartSystemInformation();

} // namespace discovery
