#include "passwords.h"

#include <gtest/gtest.h>

using namespace kx::suite;

TEST(Passwords, DigestMatchesThePbkdf2Sha256ReferenceVector)
{
    // RFC 7914 / RFC 6070-style vector for PBKDF2-HMAC-SHA256: "password", "salt", 4096 rounds.
    const TPasswordDigest d = HashPassword(QStringLiteral("password"), QByteArrayLiteral("salt"), 4096);
    EXPECT_EQ(d.Hash, QStringLiteral("c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a"));
    EXPECT_EQ(d.Salt, QStringLiteral("73616c74"));
    EXPECT_EQ(d.Iterations, 4096);
}

TEST(Passwords, FreshDigestsAreSaltedAndFitTheUserTable)
{
    const TPasswordDigest a = HashPassword(QStringLiteral("计划123"), 2000);
    const TPasswordDigest b = HashPassword(QStringLiteral("计划123"), 2000);
    // The column checks of KX_SYS_Users: 64 to 128 hex digits of hash, 32 to 64 of salt.
    EXPECT_EQ(a.Hash.size(), 64);
    EXPECT_EQ(a.Salt.size(), 32);
    EXPECT_NE(a.Salt, b.Salt);
    EXPECT_NE(a.Hash, b.Hash);
    EXPECT_EQ(HashPassword(QStringLiteral("x")).Iterations, 100000);
}

TEST(Passwords, OnlyTheRightPasswordVerifies)
{
    const TPasswordDigest stored = HashPassword(QStringLiteral("计划123"), 2000);
    EXPECT_TRUE(VerifyPassword(QStringLiteral("计划123"), stored));
    // Another salt: the stored one with its first byte changed (a random salt may start with 00).
    const QString otherSalt = (stored.Salt.startsWith(QStringLiteral("00")) ? QStringLiteral("01") : QStringLiteral("00")) + stored.Salt.mid(2);

    struct {
        const char* Password;
        TPasswordDigest Digest;
    } const refused[] = {
        {"计划124", stored},
        {"", stored},
        {"计划123 ", stored},
        {"计划123", {stored.Hash, stored.Salt, 2001}},                         // other iteration count
        {"计划123", {stored.Hash, otherSalt, 2000}},                            // other salt
        {"计划123", {stored.Hash.toUpper(), stored.Salt, 2000}},                // not the stored form
        {"计划123", {stored.Hash.left(63), stored.Salt, 2000}},                 // odd number of digits
        {"计划123", {QString(), QString(), 2000}},
        {"计划123", {stored.Hash, stored.Salt, 999}},                           // below the table's minimum
    };
    for (const auto& r : refused)
        EXPECT_FALSE(VerifyPassword(QString::fromUtf8(r.Password), r.Digest)) << r.Password << " " << r.Digest.Iterations;
}
