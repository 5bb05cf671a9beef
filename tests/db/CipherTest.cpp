#include "toolkit/db/SettingsCipher.h"

#include <gtest/gtest.h>

using toolkit::Blowfish;
using toolkit::SettingsCipher;

namespace {

// Eric Young's published Blowfish vectors (ECB, single blocks), including the
// variable-key set for a 16-byte key.
struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
};
const Vector kVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"F0E1D2C3B4A59687", "FEDCBA9876543210", "E87A244E2CC85E82"},
    {"F0E1D2C3B4A5968778695A4B3C2D1E0F", "FEDCBA9876543210", "93142887EE3BE15C"},
};

QByteArray hex(const char* s) { return QByteArray::fromHex(s); }

} // namespace

TEST(BlowfishTest, PublishedVectorsEncryptAndDecrypt)
{
    for (const Vector& v : kVectors) {
        SCOPED_TRACE(v.key);
        const Blowfish bf(hex(v.key));
        EXPECT_EQ(bf.encryptBlocks(hex(v.plain)).value_or("failed").toHex().toUpper(), QByteArray(v.cipher));
        EXPECT_EQ(bf.decryptBlocks(hex(v.cipher)).value_or("failed").toHex().toUpper(), QByteArray(v.plain));
    }
}

TEST(BlowfishTest, RefusesPartialBlocksAndBadKeys)
{
    EXPECT_FALSE(Blowfish(hex("0123456789ABCDEF")).encryptBlocks("seven b"));
    EXPECT_FALSE(Blowfish("abc").encryptBlocks("8 bytes!"));
}

TEST(SettingsCipherTest, RoundTripsTextsOfEveryLength)
{
    const SettingsCipher cipher;
    for (const QString& text : {QString(), QStringLiteral("sa"), QStringLiteral("1234567"),
                                QStringLiteral("12345678"), QStringLiteral("Lösenord för Åsa Öberg €"),
                                QStringLiteral("a;b=c d")}) {
        const QString stored = cipher.encrypt(text);
        EXPECT_EQ(stored.size() % 4, 0);
        EXPECT_EQ(QByteArray::fromBase64(stored.toLatin1()).size() % 8, 0);
        EXPECT_EQ(cipher.decrypt(stored), text) << text.toStdString();
    }
}

TEST(SettingsCipherTest, PadsWithWholeBlockWhenTextFillsBlocks)
{
    // Eight bytes of text get a whole block of padding, so the stored value
    // always carries its padding and a wrong key shows.
    EXPECT_EQ(QByteArray::fromBase64(SettingsCipher().encrypt(QStringLiteral("12345678")).toLatin1()).size(), 16);
}

TEST(SettingsCipherTest, UsesTheInstallationKey)
{
    const QString stored = SettingsCipher().encrypt(QStringLiteral("tq7"));
    const QByteArray key(reinterpret_cast<const char*>(toolkit::SettingsCipherKey().data()), 16);
    EXPECT_EQ(SettingsCipher(key).decrypt(stored), QStringLiteral("tq7"));
    // Same value, same text: ECB without a salt, as stored values need.
    EXPECT_EQ(SettingsCipher().encrypt(QStringLiteral("tq7")), stored);
}

TEST(SettingsCipherTest, RejectsValuesItDidNotWrite)
{
    const SettingsCipher cipher;
    const QString stored = cipher.encrypt(QStringLiteral("hemligt"));
    EXPECT_FALSE(SettingsCipher(QByteArray("another key 16by")).decrypt(stored));
    for (const QString& bad : {QString(), QStringLiteral("ERROR"), QStringLiteral("not base64 !"),
                               QStringLiteral("AAAA"), stored.left(stored.size() - 4)})
        EXPECT_FALSE(cipher.decrypt(bad)) << bad.toStdString();
}
