#include "AlarmRecipients.h"

QStringList ParseAddressText(const QString &stored)
{
    QStringList addresses = stored.split(QLatin1Char(','));
    // The comma after the last address leaves an empty piece that is no entry.
    if (addresses.last().isEmpty())
        addresses.removeLast();
    return addresses;
}

QString JoinAddresses(const QStringList &addresses)
{
    QString stored;
    for (const QString &address : addresses)
        stored += address + QLatin1Char(',');
    return stored;
}
