// kxshell: loads the module library and shows the main window.
#include "kx_mrp/exports.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLibrary>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KX_MRP"));
    QLibrary module(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libkx_mrp.so")));
    auto setEnvironment = reinterpret_cast<kx::TSetDllEnvironmentProc>(module.resolve("SetDllEnvironment"));
    if (!setEnvironment) {
        QMessageBox::critical(nullptr, QStringLiteral("错误"),
                              QStringLiteral("无法加载模块库: %1").arg(module.errorString()));
        return 1;
    }
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("KX_MRP 物料需求计划"));
    window.setCentralWidget(new QLabel(QStringLiteral("物料需求计划模块已加载。"), &window));
    window.statusBar()->showMessage(module.fileName());
    window.resize(900, 600);
    window.show();
    return app.exec();
}
