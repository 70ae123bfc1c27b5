#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Bytes of a name field.
inline constexpr int kNameLength = 20;

// How one field of a device page is shown in its control and written back. Positions are
// 1-based, as in the device documentation; 16-bit values are big-endian, signed.
enum class Codec {
    Name,        // 20 characters, blank-padded
    Whole,       // 16-bit whole number
    Tenths,      // 16-bit, always in tenths: shown with one decimal
    Limit,       // 16-bit, in tenths while the panel's TenthsMode is on, else whole
    Byte,        // one unsigned byte
    OptionByte,  // one byte choosing element 0 or 1 of an option pair (or a two-item list)
    OptionWord,  // the same as a 16-bit word
    ListWord,    // 16-bit index into a list; nothing selected keeps the bytes
    FixedWord,   // 16-bit constant (`first`): written by every upload, never shown
    PhoneNumber, // the dialer's digit field
};

// When a downloaded value appears: always, or only while its row has a name.
enum class Shown { Always, WhenNamed };

// What a blank box writes: nothing (the page keeps the device's bytes), or 0.
enum class Blank { KeepsBytes, WritesZero };

// Boxes that only the database keeps stand on this page.
constexpr int kStoredOnly = -1;

struct Field {
    int page;
    int byte;
    QString control; // object name of the box, list, or the option pair's common stem
    Codec codec;
    int row = -1; // the row whose name gates Shown::WhenNamed, and that names it in messages
    Shown shown = Shown::Always;
    Blank blank = Blank::KeepsBytes;
    int first = 0;  // option pairs: the value meaning element 0; FixedWord: its value
    int second = 1; // and the value written for element 1 (any other value reads as it)
};

// A box's text as a number, the way the operator typed it ("12.5", "-.5", " 7 ").
std::optional<float> BoxNumber(const QString &text);

// The ".0" text of a value held in tenths: 125 gives "12.5", 0 gives ".0".
QString TenthsText(qint32 tenths);

// What a text-box field shows for the page's bytes.
QString ShowField(const QByteArray &page, const Field &field, bool tenthsMode);
// The option element (0 or 1) an option field selects.
int OptionElement(const QByteArray &page, const Field &field);

// The value a text-box field would write, or nothing when the text is no number or does
// not fit the field (16 bits; in tenths -3276.8 to 3276.7; a byte 0 to 255).
std::optional<qint32> FieldValue(const Field &field, const QString &text, bool tenthsMode);
// "from -32768 to 32767", for the message that refuses a value.
QString FieldRangeText(const Field &field, bool tenthsMode);
// How many characters the field's longest text has: a name's length, or the widest number
// its range shows, sign and decimal point included.
int FieldCharacters(const Field &field);
// True when the field's text is written at all (a blank box may keep the device's bytes).
bool WritesText(const Field &field, const QString &text);

// Writes a text-box field; the text has passed FieldValue (names and phone numbers: any).
void WriteField(QByteArray &page, const Field &field, const QString &text, bool tenthsMode);
void WriteOption(QByteArray &page, const Field &field, int element);

// Number fields of the dialer: one byte per character, a digit as its value, "*" as 27,
// ended by 28 unless the 20 bytes are full; bytes after the end marker are kept.
constexpr int kPhoneNumberLength = 20;
QString DecodePhoneNumber(const QByteArray &page, int pos);
bool IsPhoneNumber(const QString &text);
void EncodePhoneNumber(QByteArray &page, int pos, const QString &text);
