#include "logindlg.h"

#include "dialogbuttons.h"

#include "db/errors.h"
#include "db/messages.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace kx::shell {

QString AttemptLogin(const TConnectOptions& options, const QString& userNo, const QString& password, suite::TLoginUser& user)
{
    if (userNo.trimmed().isEmpty())
        return QStringLiteral("请输入用户名!");
    TConnection connection;
    Configure(connection, options);
    try {
        connection.Open();
    } catch (const EDatabaseError& e) {
        return QStringLiteral("无法连接数据库服务器\"%1\"的数据库\"%2\"!\r\r原因: %3")
            .arg(options.Server.isEmpty() ? QStringLiteral("(本机)") : options.Server, options.Database, e.Message().trimmed());
    }
    try {
        if (suite::CheckLogin(connection, userNo, password, user) != suite::TLoginCheck::Accepted)
            return QStringLiteral("用户名或密码错误, 请重新输入!");
    } catch (const EDatabaseError& e) {
        return QStringLiteral("数据库\"%1\"不是可用的套件数据库!\r\r原因: %2").arg(options.Database, e.Message().trimmed());
    }
    return QString();
}

TLastLogin ReadLastLogin()
{
    QSettings settings(QStringLiteral("KX_MRP"), QStringLiteral("kxshell"));
    return {settings.value(QStringLiteral("login/server")).toString(), settings.value(QStringLiteral("login/database")).toString(),
            settings.value(QStringLiteral("login/user")).toString()};
}

void WriteLastLogin(const TLastLogin& login)
{
    QSettings settings(QStringLiteral("KX_MRP"), QStringLiteral("kxshell"));
    settings.setValue(QStringLiteral("login/server"), login.Server);
    settings.setValue(QStringLiteral("login/database"), login.Database);
    settings.setValue(QStringLiteral("login/user"), login.UserNo);
}

TLoginDlg::TLoginDlg(const TConnectOptions& options, const QString& userNo, QWidget* parent) : QDialog(parent), FOptions(options)
{
    setWindowTitle(QStringLiteral("登录 - KX_MRP 物料需求计划"));
    const TLastLogin last = ReadLastLogin();
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    edtServer = new QLineEdit(options.Server.isEmpty() ? last.Server : options.Server, this);
    edtServer->setObjectName(QStringLiteral("edtServer"));
    edtServer->setPlaceholderText(QStringLiteral("主机名、主机名:端口 或 套接字目录"));
    edtDatabase = new QLineEdit(last.Database.isEmpty() || !options.Server.isEmpty() ? options.Database : last.Database, this);
    edtDatabase->setObjectName(QStringLiteral("edtDatabase"));
    edtUser = new QLineEdit(userNo.isEmpty() ? last.UserNo : userNo, this);
    edtUser->setObjectName(QStringLiteral("edtUser"));
    edtPassword = new QLineEdit(this);
    edtPassword->setObjectName(QStringLiteral("edtPassword"));
    edtPassword->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("服务器(&S):"), edtServer);
    form->addRow(QStringLiteral("数据库(&D):"), edtDatabase);
    form->addRow(QStringLiteral("用户名(&U):"), edtUser);
    form->addRow(QStringLiteral("密码(&P):"), edtPassword);
    layout->addLayout(form);
    AddDialogButtons(this, layout, QStringLiteral("登录"));
    (edtUser->text().isEmpty() ? edtUser : edtPassword)->setFocus();
    resize(420, sizeHint().height());
}

void TLoginDlg::accept()
{
    TConnectOptions options = FOptions;
    options.Server = edtServer->text().trimmed();
    options.Database = edtDatabase->text().trimmed();
    const QString error = AttemptLogin(options, edtUser->text(), edtPassword->text(), FUser);
    if (!error.isEmpty()) {
        ShowError(error);
        edtPassword->clear();
        edtPassword->setFocus();
        return;
    }
    FOptions = options;
    WriteLastLogin({options.Server, options.Database, edtUser->text().trimmed()});
    QDialog::accept();
}

} // namespace kx::shell
