// kxmrp run as a separate program on a test database, as a nightly job runs it: without the
// login and connection of the environment, its output and exit status kept. A test program
// that includes this defines KX_KXMRP_PATH (tests.cmake: the kxmrp target's file).
#pragma once

#include "testdatabase.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace kx::test {

struct TCliResult {
    int Status = -1;
    QString Out, Err;
};

inline QProcessEnvironment CleanEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"KXMRP_LOGIN", "KXMRP_PASSWORD", "KXMRP_DATABASE", "KXMRP_SERVER", "KXMRP_DBUSER", "KXMRP_DBPASSWORD"})
        env.remove(QLatin1String(name));
    return env;
}

inline void StartKxmrp(QProcess& p, const QString& database, const QStringList& args, const QProcessEnvironment& env = CleanEnvironment())
{
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KX_KXMRP_PATH),
            QStringList{QStringLiteral("--server"), TTestDatabase::Server(), QStringLiteral("--database"), database} + args);
    p.closeWriteChannel();
}

inline TCliResult Finished(QProcess& p)
{
    EXPECT_TRUE(p.waitForFinished(300000));
    return TCliResult{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
                      QString::fromUtf8(p.readAllStandardError())};
}

inline TCliResult RunKxmrp(const QString& database, const QStringList& args)
{
    QProcess p;
    StartKxmrp(p, database, args);
    return Finished(p);
}

// The demo users' logins: the password is the user code followed by 123.
inline QStringList Login(const char* user)
{
    return {QStringLiteral("--login"), QLatin1String(user), QStringLiteral("--password"), QLatin1String(user) + QStringLiteral("123")};
}

} // namespace kx::test
