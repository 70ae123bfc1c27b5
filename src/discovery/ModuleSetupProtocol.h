#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The network modules' setup protocol on port 30718: the bytes of each message. Positions
// count from 1, as in the module documentation.
namespace discovery {

constexpr quint16 kModulePort = 30718;

// Broadcast to find the modules; every datagram that comes back counts as one module.
QByteArray DiscoveryQuery();
// Asks a module, over TCP, for its setup record.
QByteArray SetupRecordRequest();

// A discovery reply's MAC text: bytes 25 to the end as upper-case hex pairs joined by "-".
// Empty for a reply of 24 bytes or fewer.
QString FormatMac(const QByteArray &reply);

// The setup record rewritten to give the module the address of the four octets (0-255)
// as a static one; same length, every byte it does not replace as it came. Nothing for a
// record too short to take the replacements (under 70 bytes) or longer than any module's.
constexpr int kSetupRecordMinimum = 70;
constexpr int kSetupRecordMaximum = 1024;
std::optional<QByteArray> PatchSetupRecord(QByteArray record, const int (&octets)[4]);

// Returns the module that sent `reply` to DHCP; it echoes the reply's last two bytes, so
// a reply shorter than that gives nothing.
std::optional<QByteArray> DhcpResetDatagram(const QByteArray &reply);

// The diagnostic lines of a record: "k: HEX" per byte, and "Len: n ,HEX,HEX..." in one.
QStringList ByteLines(const QByteArray &record);
QString LengthLine(const QByteArray &record);

} // namespace discovery
