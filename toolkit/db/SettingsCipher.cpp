#include "SettingsCipher.h"

#include <openssl/evp.h>
#include <openssl/provider.h>

#include <memory>

namespace toolkit {

namespace {

// OpenSSL 3 keeps Blowfish in its legacy provider; the default provider must
// then be loaded explicitly as well, or it would no longer be used.
const EVP_CIPHER* blowfishEcb()
{
    static const EVP_CIPHER* cipher = [] {
        OSSL_PROVIDER_load(nullptr, "legacy");
        OSSL_PROVIDER_load(nullptr, "default");
        return static_cast<const EVP_CIPHER*>(EVP_CIPHER_fetch(nullptr, "BF-ECB", nullptr));
    }();
    return cipher;
}

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

} // namespace

Blowfish::Blowfish(const QByteArray& key) : key_(key) {}

std::optional<QByteArray> Blowfish::encryptBlocks(const QByteArray& data) const
{
    return run(data, true);
}

std::optional<QByteArray> Blowfish::decryptBlocks(const QByteArray& data) const
{
    return run(data, false);
}

std::optional<QByteArray> Blowfish::run(const QByteArray& data, bool encrypt) const
{
    const EVP_CIPHER* cipher = blowfishEcb();
    if (!cipher || data.size() % 8 != 0 || key_.size() < 4 || key_.size() > 56)
        return std::nullopt;
    CipherContext ctx(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    const int enc = encrypt ? 1 : 0;
    if (!ctx || EVP_CipherInit_ex(ctx.get(), cipher, nullptr, nullptr, nullptr, enc) != 1
        || EVP_CIPHER_CTX_set_key_length(ctx.get(), int(key_.size())) != 1
        || EVP_CipherInit_ex(ctx.get(), nullptr, nullptr,
                             reinterpret_cast<const unsigned char*>(key_.constData()), nullptr, enc)
               != 1
        || EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1)
        return std::nullopt;
    QByteArray out(data.size() + 8, '\0');
    int len = 0, tail = 0;
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    if (EVP_CipherUpdate(ctx.get(), o, &len, reinterpret_cast<const unsigned char*>(data.constData()),
                         int(data.size()))
            != 1
        || EVP_CipherFinal_ex(ctx.get(), o + len, &tail) != 1)
        return std::nullopt;
    out.resize(len + tail);
    return out;
}

const std::array<std::uint8_t, 16>& SettingsCipherKey()
{
    static const std::array<std::uint8_t, 16> key = {0x54, 0x71, 0x37, 0x2d, 0xb3, 0x5e, 0x09, 0xc4,
                                                     0x6f, 0x81, 0x2a, 0xd7, 0x18, 0xe5, 0x4c, 0x92};
    return key;
}

SettingsCipher::SettingsCipher()
    : SettingsCipher(QByteArray(reinterpret_cast<const char*>(SettingsCipherKey().data()),
                                qsizetype(SettingsCipherKey().size())))
{
}

SettingsCipher::SettingsCipher(const QByteArray& key) : cipher_(key) {}

QString SettingsCipher::encrypt(const QString& text) const
{
    QByteArray plain = text.toUtf8();
    const char pad = char(8 - plain.size() % 8);
    plain.append(QByteArray(pad, pad));
    return QString::fromLatin1(cipher_.encryptBlocks(plain).value_or(QByteArray()).toBase64());
}

std::optional<QString> SettingsCipher::decrypt(const QString& base64) const
{
    const auto decoded = QByteArray::fromBase64Encoding(base64.trimmed().toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        return std::nullopt;
    const auto plain = cipher_.decryptBlocks(decoded.decoded);
    if (!plain)
        return std::nullopt;
    const int pad = static_cast<unsigned char>(plain->back());
    if (pad < 1 || pad > 8 || plain->endsWith(QByteArray(pad, char(pad))) == false)
        return std::nullopt;
    return QString::fromUtf8(plain->left(plain->size() - pad));
}

} // namespace toolkit
