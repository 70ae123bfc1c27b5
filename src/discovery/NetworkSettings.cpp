#include "NetworkSettings.h"

#include <QNetworkInterface>

namespace discovery {

Durations StandardDurations()
{
    return {.discoveryWait = milliseconds(2000),
            .setupRecordWait = milliseconds(3000),
            .restartWait = milliseconds(8000),
            .connectLimit = milliseconds(5000),
            .udpSwitchWait = milliseconds(100),
            .identifyPause = milliseconds(1),
            .identifyLimit = milliseconds(6000),
            .programLimit = milliseconds(5000)};
}

namespace {

bool Running(const QNetworkInterface &interface)
{
    const auto flags = interface.flags();
    return flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning);
}

} // namespace

QHostAddress FirstRunningIPv4Address()
{
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        if (!Running(interface) || interface.flags().testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.ip().isLoopback())
                return entry.ip();
        }
    }
    return {};
}

QString InterfaceHolding(const QHostAddress &address)
{
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol &&
                address.isInSubnet(entry.ip(), entry.prefixLength()))
                return interface.name();
        }
    }
    return {};
}

} // namespace discovery
