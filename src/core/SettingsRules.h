#pragma once

#include <QString>

#include <optional>

// Rules the settings dialogs apply to what the operator typed before it goes into the
// settings record.

// A whole number as the record's 16-bit fields hold it; nothing for a blank, non-numeric
// or too large entry.
std::optional<qint16> SettingsInteger(const QString &text);

// Whether the text survives a fixed-width ANSI field of `width` bytes unchanged: every
// character in Windows-1252 and no more bytes than the field has.
bool FitsAnsiField(const QString &text, int width);

// Credentials are stored trimmed and encrypted into a 100-byte field, which holds the
// cipher of at most kMaxCredentialBytes.
bool CredentialFits(const QString &text);
inline constexpr char16_t kCredentialRefusal[] =
    u"A user name or password can hold at most 63 characters, all of them from the Western "
    u"European (Windows-1252) character set.  Please shorten it.";

// An administrator address holding both a full stop and an at sign is taken without asking.
bool LooksLikeEmailAddress(const QString &text);

constexpr qint16 kMinimumUpdateRate = 5;
