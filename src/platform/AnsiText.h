#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <string_view>
#include <type_traits>

// The system's ANSI code page is Windows-1252: fixed-width text on disk and on the wire
// is one byte per character in it. Characters it cannot hold become '?'.
QByteArray ToAnsi(const QString &text);
QString FromAnsi(const QByteArray &bytes);

// Text cut or blank-filled to exactly `width` bytes.
QByteArray FixedAnsi(const QString &text, int width);
// The same written at `out`, for records built in place; gives the end of the field.
char *PutFixedAnsi(char *out, QStringView text, int width);

// Where `text` (bytes or characters) holds the ASCII `word` from `from` on, with ASCII
// letters matched in either case and nothing else folded: the index of its first unit, or
// -1. Cheap, and what a case-blind search finds in text that is ASCII; Qt's search folds
// other characters too (U+017F matches 's').
template <typename Text>
qsizetype IndexOfAsciiWord(const Text &text, std::string_view word, qsizetype from = 0)
{
    const auto unit = [](auto c) {
        char16_t u = 0;
        if constexpr (std::is_same_v<decltype(c), QChar>)
            u = c.unicode();
        else
            u = char16_t(uchar(c));
        return u >= u'A' && u <= u'Z' ? char16_t(u - u'A' + u'a') : u;
    };
    const auto found =
        std::search(text.begin() + from, text.end(), word.begin(), word.end(),
                    [&unit](auto c, char w) { return unit(c) == unit(w); });
    return found == text.end() ? -1 : qsizetype(found - text.begin());
}

template <typename Text> bool ContainsAsciiWord(const Text &text, std::string_view word)
{
    return IndexOfAsciiWord(text, word) >= 0;
}
