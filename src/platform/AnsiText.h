#pragma once

#include <QByteArray>
#include <QString>

// The system's ANSI code page is Windows-1252: fixed-width text on disk and on the wire
// is one byte per character in it. Characters it cannot hold become '?'.
QByteArray ToAnsi(const QString &text);
QString FromAnsi(const QByteArray &bytes);

// Text cut or blank-filled to exactly `width` bytes.
QByteArray FixedAnsi(const QString &text, int width);
// The same written at `out`, for records built in place; gives the end of the field.
char *PutFixedAnsi(char *out, QStringView text, int width);
