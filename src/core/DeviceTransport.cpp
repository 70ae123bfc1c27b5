#include "DeviceTransport.h"

#include "AnsiText.h"
#include "ConfigRecord.h"
#include "DeviceCommands.h"
#include "DeviceLink.h"
#include "EventWait.h"
#include "ServerDatabase.h"
#include "StatusBoard.h"

#include <QDeadlineTimer>
#include <QHostAddress>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr int kConnectWaitMs = 2500;
constexpr int kCloseWaitMs = 2000;
constexpr int kClosePauseMs = 100;
int g_longReplyWaitMs = 60000;

const QString kConnectionKey = QStringLiteral("Connection ");

DeviceLink &Link()
{
    DeviceLink *link = DeviceLink::Instance();
    if (!link)
        throw std::logic_error("no device link has been set up");
    return *link;
}

enum class WaitEnd { Done, WatchDog, Stopped };

// Sleeps on the event loop until `done`, the watchdog, or the end of monitoring.
template <typename Done> WaitEnd WaitFor(Done done)
{
    const DeviceLinkState &state = LinkState();
    for (;;) {
        if (done())
            return WaitEnd::Done;
        if (!state.Running)
            return WaitEnd::Stopped;
        if (state.WatchDogFired)
            return WaitEnd::WatchDog;
        YieldToEventLoop();
    }
}

bool SameEndpoint(const SocketControl &socket, const QString &host, int port)
{
    if (socket.RemotePort() != port)
        return false;
    // The usual case, the same text again, needs no address parsed.
    if (socket.RemoteHost() == host)
        return true;
    const QHostAddress open(socket.RemoteHost());
    const QHostAddress wanted(host);
    if (!open.isNull() && !wanted.isNull())
        return open.isEqual(wanted);
    return socket.RemoteHost().trimmed().compare(host.trimmed(), Qt::CaseInsensitive) == 0;
}

// Every reply is searched: without a lower-case copy of it. An "error" that lies wholly
// in the text fields (adjacent ones together) is the user's text; one reaching beyond
// them is the device's.
bool ContainsErrorText(const QByteArray &bytes, const TextFields &textFields)
{
    constexpr std::string_view kError = "error";
    const auto inText = [&textFields](qsizetype at) {
        return std::any_of(textFields.begin(), textFields.end(), [at](const TextField &field) {
            return at >= field.byte - 1 && at < field.byte - 1 + field.length;
        });
    };
    for (qsizetype at = IndexOfAsciiWord(bytes, kError); at >= 0;
         at = IndexOfAsciiWord(bytes, kError, at + 1)) {
        for (qsizetype i = at; i < at + qsizetype(kError.size()); ++i) {
            if (!inText(i))
                return true;
        }
    }
    return false;
}

QString DownloadProgressText(DeviceLink &link, qint64 waiting, int expectedLength)
{
    return QStringLiteral("Downloading log records from ") + link.TreeForm().ServerNameText() +
           QStringLiteral("  Total bytes Received: ") + QString::number(waiting) +
           QStringLiteral(" of ") + QString::number(expectedLength) + QStringLiteral(" bytes");
}

} // namespace

bool AcceptReply(const QByteArray &request, QByteArray &reply, int expectedLength,
                 const TextFields &textFields)
{
    const QByteArray header = request.left(4);
    const bool longEnough = reply.size() >= expectedLength;
    if (longEnough &&
        (header == DeviceCommand::DownloadDataLog() || header == DeviceCommand::DownloadHiLo()))
        return true;
    // Our own bytes back (a stored page echoed): whatever names they carry, no error reply.
    if (longEnough && reply == request)
        return true;
    if (longEnough && reply.startsWith(header) && !ContainsErrorText(reply, textFields))
        return true;
    const qsizetype p = reply.indexOf(header, 1);
    if (p < 0)
        return false;
    const QByteArray cut = reply.mid(p);
    if (cut.size() != kFrameLength || ContainsErrorText(cut, textFields))
        return false;
    reply = cut;
    return true;
}

bool ReadFromKV(const QString &ipAddress, int port, const QByteArray &request, QByteArray &reply,
                int expectedLength, ProgressForm progressForm, bool closeAfter,
                const TextFields &textFields)
{
    DeviceLinkState &state = LinkState();
    reply.clear();
    state.DataArrived = false;
    state.BytesReceived = 0;
    try {
        DeviceLink &link = Link();
        const bool opened = OpenWinSocket(ipAddress, port);
        if (!state.Running)
            return false;
        if (!opened) {
            link.MainForm().SetLampColour(kLampRed);
            return false;
        }
        link.MainForm().SetLampColour(kLampGreen);
        qint16 &timeOut = Config().TCPTimeOut;
        if (timeOut < 1 || timeOut > 9)
            timeOut = 3;
        link.Form(state.ActiveForm).SetHourglass(true);
        SendWinSocket(request);
        const bool longReply = expectedLength > kFrameLength;
        StartTimeout(longReply ? g_longReplyWaitMs : timeOut * 1000);
        const QDeadlineTimer wholeReply(
            g_longReplyWaitMs + qint64(expectedLength) * 1000 / kSlowestDownloadRate,
            Qt::PreciseTimer);

        // Nothing is read before the whole reply is waiting, so a split reply is taken in
        // one piece and a short one stays in the socket.
        WaitFor([&] {
            if (!state.DataArrived)
                return false;
            state.DataArrived = false;
            const qint64 waiting = link.Winsock().BytesReceived();
            // A long download may take minutes: a device that stops sending times out, and
            // one that trickles at the end of the whole reply's time.
            if (longReply)
                link.tmrWatchDog().start(
                    int(std::min<qint64>(g_longReplyWaitMs, wholeReply.remainingTime())));
            if (progressForm == ProgressForm::TreeConfiguration)
                link.TreeForm().SetServerErrorText(
                    DownloadProgressText(link, waiting, expectedLength));
            if (waiting < expectedLength)
                return false;
            QByteArray data;
            ReceiveWinSocket(data);
            reply += data;
            return true;
        });
        if (!state.Running)
            return false;

        StopTimeout();
        link.Form(state.ActiveForm).SetHourglass(false);
        link.MainForm().SetLampColour(kLampGrey);
        if (closeAfter)
            CloseWinSocket();
        const bool accepted = AcceptReply(request, reply, expectedLength, textFields);
        SetStatusMessage(QStringLiteral("Communication Error"), QStringLiteral("delete"));
        return accepted;
    } catch (const std::exception &error) {
        // Leave the window as after any finished exchange, not stuck busy.
        try {
            StopTimeout();
            if (DeviceLink *link = DeviceLink::Instance()) {
                link->Form(state.ActiveForm).SetHourglass(false);
                link->MainForm().SetLampColour(kLampGrey);
            }
            CloseWinSocket();
        } catch (const std::exception &) {
        }
        RecordSystemError(QStringLiteral("Error in ReadFromKV is "),
                          QString::fromLocal8Bit(error.what()));
        return false;
    }
}

void SetLongReplyWait(int milliseconds)
{
    g_longReplyWaitMs = milliseconds;
}

bool OpenWinSocket(const QString &host, int port)
{
    try {
        SocketControl &socket = Link().Winsock();
        if (socket.CurrentState() == SocketControl::State::Connecting)
            CloseWinSocket();
        if (socket.CurrentState() == SocketControl::State::Connected) {
            // An open connection serves only the device it leads to: another device's
            // requests, page stores included, must not reach it.
            if (SameEndpoint(socket, host, port)) {
                // Bytes left by an exchange that timed out would stand in front of the reply.
                socket.GetData();
                return true;
            }
            CloseWinSocket();
        }
        if (port < 0 || port > 65535)
            throw std::out_of_range("port " + std::to_string(port) + " is out of range");

        socket.Connect(host, quint16(port));
        StartTimeout(kConnectWaitMs);
        if (WaitFor([&] { return socket.CurrentState() == SocketControl::State::Connected; }) ==
            WaitEnd::Stopped)
            return false;
        StopTimeout();
        if (socket.CurrentState() == SocketControl::State::Connected) {
            SetStatusMessage(kConnectionKey, QStringLiteral("opened with IP Address ") + host);
            return true;
        }
        SetStatusMessage(kConnectionKey,
                         QStringLiteral("could not be established with IP Address ") + host);
        return false;
    } catch (const std::exception &error) {
        RecordSystemError(QStringLiteral("OpenWinSocket()"), QString::fromLocal8Bit(error.what()));
        return false;
    }
}

bool SendWinSocket(const QByteArray &data)
{
    DeviceLink *link = DeviceLink::Instance();
    return link && link->Winsock().SendData(data);
}

bool ReceiveWinSocket(QByteArray &data)
{
    DeviceLink *link = DeviceLink::Instance();
    if (!link)
        return false;
    data = link->Winsock().GetData();
    LinkState().LastReply = data;
    return true;
}

void CloseWinSocket()
{
    DeviceLink *link = DeviceLink::Instance();
    if (!link)
        return;
    SocketControl &socket = link->Winsock();
    SetStatusMessage(kConnectionKey, QStringLiteral("closing connection"));
    socket.Close();
    StartTimeout(kCloseWaitMs);
    if (WaitFor([&] { return socket.CurrentState() == SocketControl::State::Closed; }) ==
        WaitEnd::Stopped)
        return;
    StopTimeout();
    SetStatusMessage(kConnectionKey, socket.CurrentState() == SocketControl::State::Closed
                                         ? QStringLiteral("closed")
                                         : QStringLiteral("failed to close connection"));
    StartTimeout(kClosePauseMs);
    if (WaitFor([] { return false; }) == WaitEnd::Stopped)
        return;
    StopTimeout();
}

void StartTimeout(int milliseconds)
{
    DeviceLink *link = DeviceLink::Instance();
    if (!link)
        return;
    DeviceLinkState &state = LinkState();
    link->tmrWatchDog().stop();
    link->tmrWatchDog().setInterval(milliseconds);
    state.WatchDogFired = false;
    link->tmrWatchDog().start();
    link->tmrTenth().stop();
    link->tmrTenth().setInterval(100);
    link->tmrTenth().start();
    state.ProgressTicks = 0;
    link->Form(state.ActiveForm).ShowProgress(milliseconds / 100);
}

void StopTimeout()
{
    DeviceLink *link = DeviceLink::Instance();
    if (!link)
        return;
    DeviceLinkState &state = LinkState();
    // Stopped, never given interval 0: a zero-interval QTimer fires on every loop pass.
    link->tmrWatchDog().stop();
    state.WatchDogFired = false;
    link->tmrTenth().stop();
    state.ProgressTicks = 0;
    if (state.ActiveForm != AppForm::TreeConfiguration) {
        link->MainForm().SetProgressValue(0);
    } else {
        link->TreeForm().SetProgressValue(0);
        link->TreeForm().HideProgress();
    }
}
