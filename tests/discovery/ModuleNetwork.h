#pragma once

#include "NetworkSettings.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QUdpSocket>

// The module port of this test process: other processes, other worktrees' runs among
// them, broadcast on loopback too, and must never reach this test's modules.
inline quint16 TestModulePort()
{
    static const quint16 port = [] {
        for (quint32 n = quint32(QCoreApplication::applicationPid());; ++n) {
            const quint16 candidate = quint16(20000 + n % 40000);
            QUdpSocket probe;
            if (probe.bind(QHostAddress(QStringLiteral("127.255.255.255")), candidate))
                return candidate;
        }
    }();
    return port;
}

// The program on a loopback network, with its waits at their shortest.
inline discovery::NetworkSettings LoopbackNetwork(const QString &broadcast = QStringLiteral("127.255.255.255"))
{
    const QHostAddress address(broadcast);
    // Nothing a test sends may leave this machine.
    if (!address.isInSubnet(QHostAddress(QStringLiteral("127.0.0.0")), 8))
        qFatal("refused broadcast address %s", qPrintable(broadcast));
    return {address,
            TestModulePort(),
            QHostAddress(QStringLiteral("127.77.0.1")),
            {.discoveryWait = std::chrono::milliseconds(300),
             .setupRecordWait = std::chrono::milliseconds(300),
             .restartWait = std::chrono::milliseconds(30),
             .connectLimit = std::chrono::milliseconds(1000),
             .udpSwitchWait = std::chrono::milliseconds(5),
             .identifyPause = std::chrono::milliseconds(1),
             .identifyLimit = std::chrono::milliseconds(300),
             .programLimit = std::chrono::milliseconds(1500)}};
}
