#include "passwords.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>

namespace kx::suite {

namespace {

constexpr int kSaltBytes = 16;
constexpr int kKeyBytes = 32;
constexpr int kMinIterations = 1000;

bool IsLowerHex(const QString& text)
{
    for (const QChar c : text)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    return !text.isEmpty() && text.size() % 2 == 0;
}

} // namespace

TPasswordDigest HashPassword(const QString& password, const QByteArray& salt, int iterations)
{
    const QByteArray key = QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt,
                                                              iterations, kKeyBytes);
    return TPasswordDigest{QString::fromLatin1(key.toHex()), QString::fromLatin1(salt.toHex()), iterations};
}

TPasswordDigest HashPassword(const QString& password, int iterations)
{
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltBytes / int(sizeof(quint32)));
    return HashPassword(password, salt, iterations);
}

bool VerifyPassword(const QString& password, const TPasswordDigest& stored)
{
    if (stored.Iterations < kMinIterations || !IsLowerHex(stored.Hash) || !IsLowerHex(stored.Salt))
        return false;
    const QByteArray expected = QByteArray::fromHex(stored.Hash.toLatin1());
    const QByteArray actual = QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(),
                                                                 QByteArray::fromHex(stored.Salt.toLatin1()),
                                                                 stored.Iterations, quint64(expected.size()));
    if (actual.size() != expected.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < actual.size(); ++i)
        difference |= static_cast<unsigned char>(actual[i] ^ expected[i]);
    return difference == 0;
}

} // namespace kx::suite
