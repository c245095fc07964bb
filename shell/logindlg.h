// Logging in: the server, database, login name and password, checked against the suite's
// user table. The last server, database and login name are remembered for the next start;
// the password never is.
#pragma once

#include "hostsession.h"

#include <QDialog>

class QLineEdit;

namespace kx::shell {

// Connects and checks the password; the message to show when refused (empty: accepted).
QString AttemptLogin(const TConnectOptions& options, const QString& userNo, const QString& password, suite::TLoginUser& user);

struct TLastLogin {
    QString Server;
    QString Database;
    QString UserNo;
};
TLastLogin ReadLastLogin();
void WriteLastLogin(const TLastLogin& login);

class TLoginDlg : public QDialog {
    Q_OBJECT

public:
    // Starts from the given options and login name (the remembered ones where empty).
    TLoginDlg(const TConnectOptions& options, const QString& userNo, QWidget* parent = nullptr);

    const TConnectOptions& Options() const { return FOptions; }
    const suite::TLoginUser& User() const { return FUser; }
    void accept() override;

    QLineEdit* edtServer;
    QLineEdit* edtDatabase;
    QLineEdit* edtUser;
    QLineEdit* edtPassword;

private:
    TConnectOptions FOptions;
    suite::TLoginUser FUser;
};

} // namespace kx::shell
