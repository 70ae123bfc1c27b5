#include "PanelFields.h"

#include "AnsiText.h"
#include "DeviceCommands.h"
#include "NumberText.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr char kStarByte = 27;
constexpr char kEndMarker = 28;

void PutByte(QByteArray &page, int pos, int value)
{
    page[pos - 1] = char(value & 0xFF);
}

void PutWord(QByteArray &page, int pos, qint32 value)
{
    const WordBytes split = SplitWord(value);
    PutByte(page, pos, split.hi);
    PutByte(page, pos + 1, split.lo);
}

bool InTenths(const Field &field, bool tenthsMode)
{
    return field.codec == Codec::Tenths || (field.codec == Codec::Limit && tenthsMode);
}

struct Range {
    qint32 lo;
    qint32 hi;
};

Range RangeOf(const Field &field)
{
    return field.codec == Codec::Byte ? Range{0, 255} : Range{-32768, 32767};
}

} // namespace

std::optional<float> BoxNumber(const QString &text)
{
    bool ok = false;
    const float value = text.trimmed().toFloat(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString TenthsText(qint32 tenths)
{
    return FormatPointZero(tenths / 10.0);
}

QString ShowField(const QByteArray &page, const Field &field, bool tenthsMode)
{
    switch (field.codec) {
    case Codec::Name: {
        // A never-written name is NULs; trailing blanks are padding.
        QString name = FromAnsi(page.mid(field.byte - 1, kNameLength));
        while (!name.isEmpty() && (name.back() == u' ' || name.back() == u'\0'))
            name.chop(1);
        while (!name.isEmpty() && (name.front() == u' ' || name.front() == u'\0'))
            name.remove(0, 1);
        return name;
    }
    case Codec::Byte:
        return QString::number(ReadDeviceInt(page, field.byte, 1));
    case Codec::PhoneNumber:
        return DecodePhoneNumber(page, field.byte);
    case Codec::Whole:
    case Codec::Tenths:
    case Codec::Limit:
    case Codec::OptionByte:
    case Codec::OptionWord:
    case Codec::ListWord:
    case Codec::FixedWord:
        break;
    }
    const qint32 value = ReadDeviceInt(page, field.byte, 2);
    return InTenths(field, tenthsMode) ? TenthsText(value) : QString::number(value);
}

int OptionElement(const QByteArray &page, const Field &field)
{
    const int size = field.codec == Codec::OptionWord ? 2 : 1;
    return ReadDeviceInt(page, field.byte, size) == field.first ? 0 : 1;
}

std::optional<qint32> FieldValue(const Field &field, const QString &text, bool tenthsMode)
{
    const std::optional<float> number = BoxNumber(text);
    if (!number)
        return std::nullopt;
    // Halves go to the even neighbour, as the device software always rounded.
    const float scaled = InTenths(field, tenthsMode) ? *number * 10.0f : *number;
    const double rounded = std::nearbyint(double(scaled));
    const Range range = RangeOf(field);
    if (rounded < range.lo || rounded > range.hi)
        return std::nullopt;
    return qint32(rounded);
}

QString FieldRangeText(const Field &field, bool tenthsMode)
{
    const Range range = RangeOf(field);
    if (InTenths(field, tenthsMode))
        return QStringLiteral("from %1 to %2").arg(TenthsText(range.lo), TenthsText(range.hi));
    return QStringLiteral("from %1 to %2").arg(range.lo).arg(range.hi);
}

int FieldCharacters(const Field &field)
{
    if (field.codec == Codec::Name)
        return kNameLength;
    if (field.codec == Codec::PhoneNumber)
        return kPhoneNumberLength;
    const Range range = RangeOf(field);
    // A limit may show tenths or wholes; the tenths are the wider.
    const bool tenths = InTenths(field, true);
    const auto width = [tenths](qint32 value) {
        return int((tenths ? TenthsText(value) : QString::number(value)).size());
    };
    return std::max(width(range.lo), width(range.hi));
}

bool WritesText(const Field &field, const QString &text)
{
    return field.blank == Blank::WritesZero || !text.trimmed().isEmpty() ||
           field.codec == Codec::Name || field.codec == Codec::PhoneNumber;
}

void WriteField(QByteArray &page, const Field &field, const QString &text, bool tenthsMode)
{
    switch (field.codec) {
    case Codec::Name:
        page.replace(field.byte - 1, kNameLength, FixedAnsi(text, kNameLength));
        return;
    case Codec::PhoneNumber:
        EncodePhoneNumber(page, field.byte, text);
        return;
    case Codec::OptionByte:
    case Codec::OptionWord:
        return;
    case Codec::FixedWord:
        PutWord(page, field.byte, field.first);
        return;
    case Codec::Whole:
    case Codec::Tenths:
    case Codec::Limit:
    case Codec::Byte:
    case Codec::ListWord:
        break;
    }
    if (!WritesText(field, text))
        return;
    const qint32 value =
        text.trimmed().isEmpty() ? 0 : FieldValue(field, text, tenthsMode).value_or(0);
    if (field.codec == Codec::Byte)
        PutByte(page, field.byte, value);
    else
        PutWord(page, field.byte, value);
}

void WriteOption(QByteArray &page, const Field &field, int element)
{
    const int value = element == 0 ? field.first : field.second;
    if (field.codec == Codec::OptionWord)
        PutWord(page, field.byte, value);
    else
        PutByte(page, field.byte, value);
}

QString DecodePhoneNumber(const QByteArray &page, int pos)
{
    QString number;
    for (int p = pos; p < pos + kPhoneNumberLength && p <= page.size(); ++p) {
        const char b = page.at(p - 1);
        if (b == kEndMarker)
            break;
        if (b >= 0 && b <= 9)
            number += QChar(u'0' + b);
        else if (b == kStarByte)
            number += u'*';
    }
    return number;
}

bool IsPhoneNumber(const QString &text)
{
    for (const QChar c : text) {
        if (c != u'*' && (c < u'0' || c > u'9'))
            return false;
    }
    return true;
}

void EncodePhoneNumber(QByteArray &page, int pos, const QString &text)
{
    const QString number = text.left(kPhoneNumberLength);
    for (int i = 0; i < number.size(); ++i)
        page[pos - 1 + i] = number.at(i) == u'*' ? kStarByte : char(number.at(i).unicode() - u'0');
    if (number.size() < kPhoneNumberLength)
        page[pos - 1 + number.size()] = kEndMarker;
}
