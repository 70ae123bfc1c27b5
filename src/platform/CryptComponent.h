#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Stand-in for the crypt component the settings record relies on: AES in CBC mode with
// a 128-bit key, a zero initialisation vector, PKCS#7 padding and base64 cipher text.
// Each setter accepts only the one value this system uses and reports false for any
// other; encrypting and decrypting fail until all of them (and the key) are set.
class CryptComponent {
public:
    bool SetAlgorithm(const QString &name);    // "aes"
    bool SetCipherMode(const QString &mode);   // "cbc"
    bool SetKeyLength(int bits);               // 128
    bool SetEncodingMode(const QString &name); // "base64"

    // A key of the set length made from a pass phrase, as text in `encoding` ("hex").
    std::optional<QString> GenerateSecretKey(const QString &passPhrase,
                                             const QString &encoding) const;
    bool SetEncodedKey(const QString &keyText, const QString &encoding);

    // Plain text is taken as its Windows-1252 bytes.
    std::optional<QString> EncryptString(const QString &plain) const;
    // Fails on text that is not base64 of whole cipher blocks with valid padding.
    std::optional<QString> DecryptString(const QString &encoded) const;

private:
    bool IsReady() const;

    bool m_aes = false;
    bool m_cbc = false;
    bool m_base64 = false;
    int m_keyBytes = 0;
    QByteArray m_key;
};
