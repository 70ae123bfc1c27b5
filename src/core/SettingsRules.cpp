#include "SettingsRules.h"

#include "AnsiText.h"
#include "ConfigRecord.h"

#include <limits>

std::optional<qint16> SettingsInteger(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < std::numeric_limits<qint16>::min() ||
        value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(value);
}

bool FitsAnsiField(const QString &text, int width)
{
    const QByteArray bytes = ToAnsi(text);
    return bytes.size() <= width && FromAnsi(bytes) == text;
}

bool CredentialFits(const QString &text)
{
    return FitsAnsiField(text.trimmed(), kMaxCredentialBytes);
}

bool LooksLikeEmailAddress(const QString &text)
{
    return text.contains(u'.') && text.contains(u'@');
}
