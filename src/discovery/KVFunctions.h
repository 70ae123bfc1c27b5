#pragma once

#include <QByteArray>
#include <QString>

namespace discovery {

class ModuleLink;

// What the last identify reply said; kept between tests.
struct DeviceIdentity {
    qint16 DeviceFamily = 0;
    qint16 DeviceSubModel = 0;
    qint16 DeviceRevision = 0;
};

// One request and its reply over TCP: true when `expected` bytes came whole within the
// limit and echo the request's header. Tells the operator when no connection was made;
// false without a word once the window has closed.
bool ReadDeviceRecord(ModuleLink &link, const QString &address, quint16 port,
                      const QByteArray &request, QByteArray &reply, int expected);

// Family, sub-model and revision from an identify reply, signed 16-bit as the monitoring
// program reads them.
void ParseDeviceId(const QByteArray &reply, DeviceIdentity &identity);

// The success message of the device test for the identity read.
QString IdentityText(const QString &address, const DeviceIdentity &identity);

} // namespace discovery
