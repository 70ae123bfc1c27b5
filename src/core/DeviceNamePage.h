#pragma once

#include "DeviceTransport.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The device's name page: bytes 9-28 the name (20 bytes, blank-filled, Windows-1252),
// byte 29 the temperature unit letter, bytes 30-49 the address text; the rest belongs
// to the device and goes back as read.

// Family-3 devices keep the name on page 1, all others on page 2.
int NamePageNumber(qint16 family);

// The name and the address: the user's text, which may hold any word.
TextFields NamePageTextFields();

struct NamePageFields {
    QString name; // trimmed
    QString unit; // the unit letter, blanks removed
    bool celsius = false;
};
NamePageFields ReadNamePage(const QByteArray &page);

// The store request for a page as read: name trimmed and cut to 20 bytes, the unit
// letter, the address cut or filled to 20 bytes, the store header over bytes 1-3.
QByteArray StoreNamePage(const QByteArray &page, const QString &name, char unitLetter,
                         const QString &address);

// Bytes 1-3 become the store command; everything else stays.
bool InsertStoreUserPageCommand(QByteArray &strSend);
