#include "CryptComponent.h"

#include "AnsiText.h"

#include <QCryptographicHash>

#include <openssl/evp.h>

#include <algorithm>
#include <memory>

namespace {

constexpr int kAes128KeyBytes = 16;
constexpr int kBlockBytes = 16;

bool IsHexText(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t u = c.toLower().unicode();
        return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f');
    });
}

// One pass of AES-128-CBC with a zero IV over `input`; nullopt when OpenSSL refuses it
// (on decryption: bad padding, which is how a wrong or damaged cipher text shows).
std::optional<QByteArray> RunCipher(const QByteArray &key, const QByteArray &input, bool encrypt)
{
    const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                              &EVP_CIPHER_CTX_free);
    const unsigned char iv[kBlockBytes] = {};
    if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr,
                                  reinterpret_cast<const unsigned char *>(key.constData()), iv,
                                  encrypt ? 1 : 0) != 1)
        return std::nullopt;

    QByteArray output(input.size() + kBlockBytes, Qt::Uninitialized);
    auto *out = reinterpret_cast<unsigned char *>(output.data());
    int written = 0;
    int last = 0;
    if (EVP_CipherUpdate(ctx.get(), out, &written,
                         reinterpret_cast<const unsigned char *>(input.constData()),
                         int(input.size())) != 1 ||
        EVP_CipherFinal_ex(ctx.get(), out + written, &last) != 1)
        return std::nullopt;
    output.truncate(written + last);
    return output;
}

} // namespace

bool CryptComponent::SetAlgorithm(const QString &name)
{
    m_aes = name == u"aes";
    return m_aes;
}

bool CryptComponent::SetCipherMode(const QString &mode)
{
    m_cbc = mode == u"cbc";
    return m_cbc;
}

bool CryptComponent::SetKeyLength(int bits)
{
    m_keyBytes = bits == 8 * kAes128KeyBytes ? kAes128KeyBytes : 0;
    return m_keyBytes != 0;
}

bool CryptComponent::SetEncodingMode(const QString &name)
{
    m_base64 = name == u"base64";
    return m_base64;
}

std::optional<QString> CryptComponent::GenerateSecretKey(const QString &passPhrase,
                                                         const QString &encoding) const
{
    if (m_keyBytes == 0 || encoding != u"hex")
        return std::nullopt;
    const QByteArray digest =
        QCryptographicHash::hash(ToAnsi(passPhrase), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.left(m_keyBytes).toHex());
}

bool CryptComponent::SetEncodedKey(const QString &keyText, const QString &encoding)
{
    m_key.clear();
    if (m_keyBytes == 0 || encoding != u"hex" || keyText.size() != 2 * m_keyBytes ||
        !IsHexText(keyText))
        return false;
    m_key = QByteArray::fromHex(keyText.toLatin1());
    return true;
}

bool CryptComponent::IsReady() const
{
    return m_aes && m_cbc && m_base64 && m_keyBytes != 0 && m_key.size() == m_keyBytes;
}

std::optional<QString> CryptComponent::EncryptString(const QString &plain) const
{
    if (!IsReady())
        return std::nullopt;
    const auto cipher = RunCipher(m_key, ToAnsi(plain), true);
    if (!cipher)
        return std::nullopt;
    return QString::fromLatin1(cipher->toBase64());
}

std::optional<QString> CryptComponent::DecryptString(const QString &encoded) const
{
    if (!IsReady())
        return std::nullopt;
    const auto decoded =
        QByteArray::fromBase64Encoding(encoded.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    const QByteArray &cipher = decoded.decoded;
    if (!decoded || cipher.isEmpty() || cipher.size() % kBlockBytes != 0)
        return std::nullopt;
    const auto plain = RunCipher(m_key, cipher, false);
    if (!plain)
        return std::nullopt;
    return FromAnsi(*plain);
}
