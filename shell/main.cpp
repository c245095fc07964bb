// kxshell: the desktop host of the MRP module. Logs a suite user in, shows the object
// catalogue and opens the module's objects and the suite's lists in tabs.
//   kxshell [--server S] [--database D] [--dbuser U] [--dbpassword P]
//           [--user LOGIN --password PW] [--open OBJECT]... [--library PATH]
//           [--max-rows N] [--screenshot FILE]
#include "shellstartup.h"

#include "views/messagebox.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KX_MRP"));
    QApplication::setOrganizationName(QStringLiteral("KX_MRP"));
    kx::SetMessageResponder(kx::WidgetMessageBox);
    kx::shell::InstallQtTranslations();
    const kx::shell::TShellOptions options = kx::shell::ParseShellOptions(app.arguments().mid(1));
    if (!options.Unknown.isEmpty()) {
        std::fprintf(stderr, "kxshell: 不认识的参数: %s\n", options.Unknown.join(QLatin1Char(' ')).toUtf8().constData());
        return 2;
    }
    kx::shell::TShellRun run(options);
    if (!run.LogIn())
        return 1;
    kx::shell::TMainWindow* window = run.ShowMainWindow();
    if (!options.Screenshot.isEmpty())
        QTimer::singleShot(1500, window, [window, file = options.Screenshot] {
            if (!window->grab().save(file))
                std::fprintf(stderr, "kxshell: 无法保存截图 %s\n", file.toUtf8().constData());
            QApplication::quit();
        });
    run.OpenRequestedObjects();
    return app.exec();
}
