#include "MainWindowFixture.h"

#include "ServerDatabase.h"

qint32 MainWindowFixture::AddServerWithSensors(int sensors, const QString &ip, qint16 enabled)
{
    const QString name = QStringLiteral("Server ") + ip;
    EXPECT_TRUE(AddServer(name, QStringLiteral("RK730"), ip, {}, enabled, {}, {}, 1));
    const QStringList ids =
        Rows(QStringLiteral("SELECT IDNum FROM tblServers ORDER BY IDNum DESC LIMIT 1"));
    const qint32 id = ids.value(0).section(QLatin1Char('='), 1).toInt();
    for (int port = 1; port <= sensors; ++port)
        EXPECT_TRUE(SaveSensorRecord(id, QStringLiteral("Sensor %1").arg(port), qint16(port), {},
                                     QStringLiteral("Temperature"), QStringLiteral("90"),
                                     QStringLiteral("50"), QStringLiteral("0")));
    return id;
}
