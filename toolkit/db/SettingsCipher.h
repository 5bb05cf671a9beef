#pragma once
// The settings cipher: Blowfish in ECB mode over the text's UTF-8 bytes, the
// cipher output stored as Base64. It protects the stored Q7 login and the
// journal's TERVALENUSER login. PKCS#7 padding (1 to 8 bytes, always added),
// so a wrong key or a damaged value is detected instead of read as garbage.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace toolkit {

// Raw Blowfish ECB on whole 8-byte blocks; key of 4 to 56 bytes.
class Blowfish {
public:
    explicit Blowfish(const QByteArray& key);
    // Both return nothing when the data are not a whole number of blocks or
    // the cipher is not available.
    std::optional<QByteArray> encryptBlocks(const QByteArray& data) const;
    std::optional<QByteArray> decryptBlocks(const QByteArray& data) const;

private:
    std::optional<QByteArray> run(const QByteArray& data, bool encrypt) const;
    QByteArray key_;
};

// The installation's 16-byte key. Values stored by another key cannot be read.
const std::array<std::uint8_t, 16>& SettingsCipherKey();

class SettingsCipher {
public:
    SettingsCipher(); // with SettingsCipherKey()
    explicit SettingsCipher(const QByteArray& key);

    QString encrypt(const QString& text) const;
    // Nothing when the text is not Base64 of a whole number of blocks, or its
    // padding is wrong (another key, a damaged or a plain-text value).
    std::optional<QString> decrypt(const QString& base64) const;

private:
    Blowfish cipher_;
};

} // namespace toolkit
