#pragma once

#include <QByteArray>

// The device protocol's 60-byte frames. Requests are a 4-byte command header padded
// with NULs; a reply echoes the header. Positions here count from 1, as in the device
// documentation; 16-bit fields are big-endian except in the high/low records.
constexpr int kFrameLength = 60;
constexpr int kDevicePort = 10001;

namespace DeviceCommand {
inline QByteArray Identify() { return QByteArray::fromHex("2ACDDCBA"); }
inline QByteArray ReadCurrentData() { return QByteArray::fromHex("3FCDDC00"); }
inline QByteArray ReadPage(int page) { return QByteArray::fromHex("AABBCC").append(char(page)); }
// Three bytes only: a store is the page as read with these over bytes 1-3.
inline QByteArray StorePage() { return QByteArray::fromHex("DDCCBB"); }
inline QByteArray FactoryDefaults() { return QByteArray::fromHex("DEADDEAD"); }
inline QByteArray StoreClock() { return QByteArray::fromHex("DECADE00"); }
inline QByteArray ReadClock() { return QByteArray::fromHex("DECADE02"); }
inline QByteArray DownloadDataLog() { return QByteArray::fromHex("DECADE04"); }
inline QByteArray DownloadHiLo() { return QByteArray::fromHex("DECADE08"); }
inline QByteArray ReadCredentials() { return QByteArray::fromHex("F355AABC"); }
inline QByteArray StoreCredentials() { return QByteArray::fromHex("F3FF00BC"); }
// The device is on the telephone and did not serve the request.
inline QByteArray BusyReply() { return QByteArray::fromHex("B55EB55E"); }
} // namespace DeviceCommand

constexpr int kPageCount = 14;

bool IsBusyReply(const QByteArray &reply);

// The header (and any command data) followed by NULs up to 60 bytes; 60 or more unchanged.
QByteArray PadWithNulls(const QByteArray &header);

// Signed 16-bit value at pos (1-based); false and value unchanged beyond the end.
bool GetWordBE(const QByteArray &buf, int pos, float &value);
bool GetWordLE(const QByteArray &buf, int pos, float &value);

// size 2: 16-bit big-endian (signed / unsigned); other sizes: the byte at pos. 0 beyond the end.
qint32 ReadDeviceInt(const QByteArray &buf, int pos, int size);
qint32 ReadDeviceUInt(const QByteArray &buf, int pos, int size);

// The two bytes to write, high first, for a signed or unsigned 16-bit value.
struct WordBytes {
    int hi = 0;
    int lo = 0;
};
WordBytes SplitWord(qint32 value);
