// Login passwords of KX_SYS_Users: never stored, only a salted PBKDF2-HMAC-SHA256 digest.
#pragma once

#include <QByteArray>
#include <QString>

namespace kx::suite {

// Iterations of new digests; stored with each digest, so raising it leaves old ones valid.
constexpr int kPasswordIterations = 100000;

// The stored form of a password: the columns UsrPwdHash, UsrPwdSalt and UsrPwdIter.
struct TPasswordDigest {
    QString Hash;          // lower-case hex of the 32-byte derived key
    QString Salt;          // lower-case hex of the salt bytes
    int Iterations = kPasswordIterations;
};

// Digest of a password (taken as UTF-8) under 16 fresh random bytes of salt.
TPasswordDigest HashPassword(const QString& password, int iterations = kPasswordIterations);
// Digest under a given salt; for verification and for reproducible digests.
TPasswordDigest HashPassword(const QString& password, const QByteArray& salt, int iterations);
// True when the password gives the stored digest. A malformed digest, salt or iteration
// count (fewer than 1000) never verifies. The comparison takes the same time wherever
// the digests differ.
bool VerifyPassword(const QString& password, const TPasswordDigest& stored);

} // namespace kx::suite
