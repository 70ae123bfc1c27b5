#include "AnsiText.h"

#include <algorithm>
#include <array>

namespace {

// Windows-1252 0x80-0x9F; 0 marks the five codes it leaves undefined (read as Latin-1).
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char ToAnsiByte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == c)
            return static_cast<char>(0x80 + i);
    }
    if (c >= 0x80 && c < 0xA0 && kHighControls[c - 0x80] == 0) // undefined code, read back as is
        return static_cast<char>(c);
    return '?';
}

} // namespace

QByteArray ToAnsi(const QString &text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char *byte = out.data();
    for (const QChar ch : text)
        *byte++ = ToAnsiByte(ch.unicode());
    return out;
}

QString FromAnsi(const QByteArray &bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *ch = out.data();
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        const bool mapped = u >= 0x80 && u < 0xA0 && kHighControls[u - 0x80] != 0;
        *ch++ = QChar(mapped ? kHighControls[u - 0x80] : char16_t(u));
    }
    return out;
}

QByteArray FixedAnsi(const QString &text, int width)
{
    QByteArray bytes(width, Qt::Uninitialized);
    PutFixedAnsi(bytes.data(), text, width);
    return bytes;
}

char *PutFixedAnsi(char *out, QStringView text, int width)
{
    char *const end = out + width;
    for (const QChar ch : text.left(width)) {
        const char16_t c = ch.unicode();
        *out++ = c < 0x80 ? char(c) : ToAnsiByte(c); // dates and most names: ASCII
    }
    std::fill(out, end, ' ');
    return end;
}
