#pragma once

#include <QHostAddress>
#include <QString>

#include <chrono>

namespace discovery {

using std::chrono::milliseconds;

// How long each step of the program waits.
struct Durations {
    milliseconds discoveryWait;   // for replies after the discovery query
    milliseconds setupRecordWait; // for the setup record after asking for it
    milliseconds restartWait;     // for a module to restart after a new address or a reset
    milliseconds connectLimit;    // for a TCP connection
    milliseconds udpSwitchWait;   // after switching the socket to UDP
    milliseconds identifyPause;   // before connecting for the device test
    milliseconds identifyLimit;   // for the device's whole reply
    milliseconds programLimit;    // for an external program to finish
};

// The waits the modules need in the field.
Durations StandardDurations();

// Where the program sends and who it is on the network. Nothing here has a default: the
// program passes the real network, tests a loopback one.
struct NetworkSettings {
    QHostAddress broadcastAddress;
    // The modules' port; tests give each run one of its own, so that runs never meet.
    quint16 modulePort;
    // The computer's own IPv4 address; null when it has none, and the steps using it are
    // skipped.
    QHostAddress ownAddress;
    Durations durations;
};

// The first IPv4 address, not loopback, of an interface that is up and running.
QHostAddress FirstRunningIPv4Address();

// The name of the interface whose network holds the address; empty when none does.
QString InterfaceHolding(const QHostAddress &address);

} // namespace discovery
