#include "CryptComponent.h"

#include <gtest/gtest.h>

namespace {

const QString kHex = QStringLiteral("hex");

CryptComponent SettingsCipher()
{
    CryptComponent crypt;
    EXPECT_TRUE(crypt.SetAlgorithm(QStringLiteral("aes")));
    EXPECT_TRUE(crypt.SetCipherMode(QStringLiteral("cbc")));
    EXPECT_TRUE(crypt.SetKeyLength(128));
    const auto key = crypt.GenerateSecretKey(QStringLiteral("greenkettlesoupbyrivers"), kHex);
    EXPECT_TRUE(key && crypt.SetEncodedKey(*key, kHex));
    EXPECT_TRUE(crypt.SetEncodingMode(QStringLiteral("base64")));
    return crypt;
}

} // namespace

// Reference values from `openssl enc -aes-128-cbc -iv 0 -base64` with the key below, so
// settings files written earlier keep decrypting.
TEST(CryptComponent, MatchesAes128CbcWithZeroIvAndPkcs7)
{
    const CryptComponent crypt = SettingsCipher();
    CryptComponent keyOnly;
    keyOnly.SetKeyLength(128);
    EXPECT_EQ(keyOnly.GenerateSecretKey(QStringLiteral("greenkettlesoupbyrivers"), kHex),
              QStringLiteral("a8abf85679da49eeb006ea589f4349ab"));

    const struct {
        const char *name;
        QString plain;
        QString cipher;
    } rows[] = {
        {"Empty", QString(), QStringLiteral("wpLGrozj6Rbc2mWoaFGsmQ==")},
        {"Word", QStringLiteral("mailer"), QStringLiteral("4q3NgwUlF2tQnXVr6xB/yQ==")},
        {"Windows1252Bytes", QStringLiteral("Adm1n\u00B0pw"),
         QStringLiteral("0KTGIT4Rn2w2PpgWGQogaQ==")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(crypt.EncryptString(row.plain), row.cipher);
        EXPECT_EQ(crypt.DecryptString(row.cipher), row.plain);
    }
}

TEST(CryptComponent, DecryptReportsDamagedTextAsFailure)
{
    const CryptComponent crypt = SettingsCipher();
    const struct {
        const char *name;
        QString encoded;
    } rows[] = {
        {"Empty", QString()},
        {"NotBase64", QStringLiteral("!!not base64!!")},
        {"PartBlock", QStringLiteral("wpLGrozj6Rbc2mWo")},
        {"BadPadding", QStringLiteral("AAAAAAAAAAAAAAAAAAAAAA==")},
        {"CutBase64", QStringLiteral("wpLGrozj6Rbc2mWoaFGsm")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(crypt.DecryptString(row.encoded), std::nullopt);
    }
}

TEST(CryptComponent, RefusesOtherSchemesAndWorksOnlyOnceFullySetUp)
{
    CryptComponent crypt;
    EXPECT_FALSE(crypt.SetAlgorithm(QStringLiteral("des")));
    EXPECT_FALSE(crypt.SetCipherMode(QStringLiteral("ecb")));
    EXPECT_FALSE(crypt.SetKeyLength(256));
    EXPECT_FALSE(crypt.SetEncodingMode(QStringLiteral("hex")));
    EXPECT_EQ(crypt.EncryptString(QStringLiteral("x")), std::nullopt);

    crypt = SettingsCipher();
    EXPECT_FALSE(crypt.SetEncodedKey(QStringLiteral("a8abf856"), kHex));
    EXPECT_FALSE(crypt.SetEncodedKey(QStringLiteral("z8abf85679da49eeb006ea589f4349ab"), kHex));
    EXPECT_EQ(crypt.EncryptString(QStringLiteral("x")), std::nullopt);
}
