#pragma once

#include <QByteArray>
#include <QString>

// Whose screen shows the byte count of a long download while it arrives.
enum class ProgressForm { None, TreeConfiguration };

// One request/reply exchange with a device over the program's one connection (see
// DeviceLink). True when `reply` holds an acceptable reply: the request's header echoed,
// at least `expectedLength` bytes and no "error" text (the data-log and high/low
// downloads by length alone). A refused reply stays in `reply`, so callers can test it
// for the busy reply; a wait that times out leaves `reply` empty.
bool ReadFromKV(const QString &ipAddress, int port, const QByteArray &request, QByteArray &reply,
                int expectedLength, ProgressForm progressForm, bool closeAfter);

// How long a data-log or high/low download may go without a byte (60 s; tests shorten it).
void SetLongReplyWait(int milliseconds);

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
bool AcceptReply(const QByteArray &request, QByteArray &reply, int expectedLength);
