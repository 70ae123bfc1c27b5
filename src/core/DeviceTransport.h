#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Whose screen shows the byte count of a long download while it arrives.
enum class ProgressForm { None, TreeConfiguration };

// Bytes of a reply that hold the user's own text (names, addresses): "error" there is a
// name the device keeps, not an error reply. `byte` counts from 1.
struct TextField {
    int byte;
    int length;
};
using TextFields = QList<TextField>;

// One request/reply exchange with a device over the program's one connection (see
// DeviceLink). True when `reply` holds an acceptable reply: the request itself echoed
// byte for byte, or the request's header echoed with at least `expectedLength` bytes and
// no "error" text outside `textFields` (the data-log and high/low downloads by length
// alone). A refused reply stays in `reply`, so callers can test it for the busy reply; a
// wait that times out leaves `reply` empty.
bool ReadFromKV(const QString &ipAddress, int port, const QByteArray &request, QByteArray &reply,
                int expectedLength, ProgressForm progressForm, bool closeAfter,
                const TextFields &textFields = {});

// How long a data-log or high/low download may go without a byte (60 s; tests shorten it).
// Besides, the whole download must arrive within that wait plus one second for every
// kSlowestDownloadRate bytes expected, however steadily the device trickles.
void SetLongReplyWait(int milliseconds);
inline constexpr int kSlowestDownloadRate = 100; // bytes per second

// The parts of an exchange, also called alone.
bool OpenWinSocket(const QString &host, int port);
bool SendWinSocket(const QByteArray &data);
bool ReceiveWinSocket(QByteArray &data);
void CloseWinSocket();
// Arms the wait's watchdog and the progress ticker; callers yield until WatchDogFired.
void StartTimeout(int milliseconds);
void StopTimeout();

// The acceptance rules applied to a collected reply. A reply whose header stands further
// on is cut to start there and accepted only as one whole 60-byte frame.
bool AcceptReply(const QByteArray &request, QByteArray &reply, int expectedLength,
                 const TextFields &textFields = {});
