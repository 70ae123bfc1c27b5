#pragma once

#include <QString>
#include <QStringList>

// A server's alarm recipients are stored as "a,b," : each address followed by a comma.
QStringList ParseAddressText(const QString &stored);
QString JoinAddresses(const QStringList &addresses);
