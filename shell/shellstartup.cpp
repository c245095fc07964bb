#include "shellstartup.h"

#include "logindlg.h"

#include "db/messages.h"
#include "db/shared.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

#include <unistd.h>

namespace kx::shell {

TShellOptions ParseShellOptions(QStringList args)
{
    TShellOptions o;
    o.Connect = TakeConnectOptions(args, QStringLiteral("dbuser"), QStringLiteral("dbpassword"));
    o.UserNo = TakeOption(args, QStringLiteral("user"), qEnvironmentVariable("KXSHELL_USER"));
    o.HasPassword = args.contains(QStringLiteral("--password")) || !args.filter(QStringLiteral("--password=")).isEmpty()
        || qEnvironmentVariableIsSet("KXSHELL_PASSWORD");
    o.Password = TakeOption(args, QStringLiteral("password"), qEnvironmentVariable("KXSHELL_PASSWORD"));
    o.Library = TakeOption(args, QStringLiteral("library"), TModuleLibrary::DefaultPath());
    for (QString id = TakeOption(args, QStringLiteral("open")); !id.isEmpty(); id = TakeOption(args, QStringLiteral("open")))
        o.Open << id;
    o.Screenshot = TakeOption(args, QStringLiteral("screenshot"));
    o.MaxRows = TakeOption(args, QStringLiteral("max-rows"), QStringLiteral("5000")).toInt();
    o.Unknown = args;
    return o;
}

bool InstallQtTranslations(const QString& folder)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    static QTranslator* translator = nullptr;
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    auto* loaded = new QTranslator(QCoreApplication::instance());
    const QString path = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    if (!loaded->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"), path)) {
        delete loaded;
        std::fprintf(stderr, "kxshell: 没有找到 Qt 的中文翻译 (%s/qtbase_zh_CN.qm), 标准按钮和对话框将显示英文。\n",
                     path.toUtf8().constData());
        return false;
    }
    QCoreApplication::installTranslator(loaded);
    translator = loaded;
    return true;
}

std::intptr_t NewContextID()
{
    static int logins = 0;
    return (std::intptr_t(getpid()) << 8) | (++logins & 0xFF);
}

TShellRun::TShellRun(const TShellOptions& options) : FOptions(options)
{
    if (!FModule.Load(options.Library))
        ShowError(FModule.ErrorText() + QStringLiteral("\r\r模块的功能暂时不能使用, 套件的业务列表仍可打开。"));
}

TShellRun::~TShellRun()
{
    FWindow.reset();
    FSession.reset();
}

bool TShellRun::LogIn(bool allowDialog)
{
    TConnectOptions connect = FOptions.Connect;
    suite::TLoginUser user;
    bool accepted = false;
    if (!FOptions.UserNo.isEmpty() && FOptions.HasPassword) {
        FLastError = AttemptLogin(connect, FOptions.UserNo, FOptions.Password, user);
        accepted = FLastError.isEmpty();
        if (!accepted)
            ShowError(FLastError);
    }
    if (!accepted) {
        if (!allowDialog)
            return false;
        TLoginDlg dialog(connect, FOptions.UserNo);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        connect = dialog.Options();
        user = dialog.User();
    }
    FSession = std::make_unique<suite::THostSession>(connect, user, NewContextID(), FOptions.MaxRows);
    // The host's lists and schemes run on the host's shared connection.
    SetEnvironment(&FSession->Env());
    return true;
}

TMainWindow* TShellRun::ShowMainWindow()
{
    if (!FSession)
        return nullptr;
    FWindow = std::make_unique<TMainWindow>(*FSession, &FModule);
    FWindow->ShowAtLastGeometry();
    return FWindow.get();
}

void TShellRun::OpenRequestedObjects()
{
    for (const QString& id : FOptions.Open)
        if (FWindow)
            FWindow->OpenObject(id);
}

} // namespace kx::shell
