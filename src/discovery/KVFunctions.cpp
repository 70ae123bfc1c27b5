#include "KVFunctions.h"

#include "DeviceCommands.h"
#include "EventWait.h"
#include "ModuleLink.h"
#include "Prompt.h"

namespace discovery {

namespace {

constexpr int kFinchFamily = 3;
constexpr int kReplyProgressMaximum = 60;

} // namespace

bool ReadDeviceRecord(ModuleLink &link, const QString &address, quint16 port,
                      const QByteArray &request, QByteArray &reply, int expected)
{
    reply.clear();
    link.ReplyComplete = false;
    link.ExpectedBytes = expected;
    link.SwitchToTcp();
    if (!link.WaitMs(link.Wait().identifyPause))
        return false;
    if (!link.TcpConnect(address, port)) {
        link.CloseSocket();
        if (link.Running())
            Prompt::Show(QStringLiteral("Reading Error: Could Not Open Socket Connection"));
        return false;
    }
    link.SendSocket(request);
    link.StartWatchDog(link.Wait().identifyLimit);
    link.SetProgressRange(kReplyProgressMaximum);
    link.StartTenthTimer();
    while (!link.WatchDogFired() && link.Running()) {
        link.ShowProgress();
        if (link.ReplyComplete) {
            reply = link.ReadSocket();
            break;
        }
        YieldToEventLoop();
    }
    link.StopWatchDog();
    link.StopTenthTimer();
    link.ResetProgress();
    link.CloseSocket();
    return link.Running() && reply.left(4) == request.left(4) && reply.size() >= expected;
}

void ParseDeviceId(const QByteArray &reply, DeviceIdentity &identity)
{
    identity.DeviceFamily = qint16(ReadDeviceInt(reply, 5, 2));
    identity.DeviceSubModel = qint16(ReadDeviceInt(reply, 7, 2));
    identity.DeviceRevision = qint16(ReadDeviceInt(reply, 9, 2));
}

QString IdentityText(const QString &address, const DeviceIdentity &identity)
{
    const QString model =
        identity.DeviceFamily == kFinchFamily
            ? QStringLiteral("Finch 41") + QString::number(identity.DeviceSubModel)
            : QStringLiteral("RK710- ") + QString::number(identity.DeviceFamily);
    return QStringLiteral("Successfully communicated with IP address: ") + address +
           QStringLiteral("  Model: ") + model + QStringLiteral(" rev ") +
           QString::number(identity.DeviceRevision);
}

} // namespace discovery
