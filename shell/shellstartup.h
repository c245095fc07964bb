// Starting the desktop host: command-line options, loading the plug-in, logging in (from
// the options, else with the log-in dialog), the session and the main window with the
// objects to open.
#pragma once

#include "mainwindow.h"
#include "modulelibrary.h"

#include "hostsession.h"

#include <memory>

namespace kx::shell {

struct TShellOptions {
    TConnectOptions Connect;       // --server, --database, --dbuser, --dbpassword
    QString UserNo;                // --user: the suite login name
    QString Password;              // --password
    bool HasPassword = false;
    QString Library;               // --library: the plug-in, next to the program by default
    QStringList Open;              // --open ID (repeatable): objects opened after log-in
    QString Screenshot;            // --screenshot FILE: saves the window and quits
    int MaxRows = 5000;            // --max-rows
    QStringList Unknown;           // arguments nobody took
};

TShellOptions ParseShellOptions(QStringList args);

// Qt's own dialogs and buttons (message boxes, file dialogs, print preview) in Chinese:
// loads qtbase_zh_CN.qm from Qt's translations, or from the folder given. Without the
// file the shell still starts, with those texts in English; false then.
bool InstallQtTranslations(const QString& folder = QString());
// A context identity of its own for each log-in of this process.
std::intptr_t NewContextID();

class TShellRun {
public:
    // Loads the plug-in; a library that fails to load is reported, and the host's own lists
    // stay usable.
    explicit TShellRun(const TShellOptions& options);
    ~TShellRun();

    // Logs in with the options' user and password when both are given, else (or after a
    // refusal, when a dialog may be shown) through the log-in dialog. False: nobody logged in.
    bool LogIn(bool allowDialog = true);
    // The main window of the logged-in user, shown.
    TMainWindow* ShowMainWindow();
    // Opens the objects named by the options, in order.
    void OpenRequestedObjects();

    TModuleLibrary& Module() { return FModule; }
    suite::THostSession* Session() const { return FSession.get(); }
    TMainWindow* Window() const { return FWindow.get(); }
    const QString& LastError() const { return FLastError; }

private:
    TShellOptions FOptions;
    TModuleLibrary FModule;
    std::unique_ptr<suite::THostSession> FSession;
    std::unique_ptr<TMainWindow> FWindow;
    QString FLastError;
};

} // namespace kx::shell
