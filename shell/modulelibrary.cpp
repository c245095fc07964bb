#include "modulelibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kx::shell {

QString TModuleLibrary::DefaultPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libkx_mrp.so"));
}

bool TModuleLibrary::Load(const QString& path)
{
    FLoaded = false;
    FError.clear();
    if (!QFileInfo::exists(path)) {
        FError = QStringLiteral("模块库文件\"%1\"不存在!").arg(path);
        return false;
    }
    FLibrary.setFileName(path);
    if (!FLibrary.load()) {
        FError = QStringLiteral("无法加载模块库\"%1\": %2").arg(path, FLibrary.errorString());
        return false;
    }
    const auto resolve = [this](const char* name, auto& slot) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(FLibrary.resolve(name));
        if (!slot && FError.isEmpty())
            FError = QStringLiteral("模块库\"%1\"缺少入口函数 %2!").arg(FLibrary.fileName(), QLatin1String(name));
    };
    resolve("SetDllEnvironment", SetDllEnvironment);
    resolve("LoadInfoView", LoadInfoView);
    resolve("LoadInfoFrame", LoadInfoFrame);
    resolve("LoadInfoForm", LoadInfoForm);
    resolve("LoadInfoEdit", LoadInfoEdit);
    resolve("LoadInfoAction", LoadInfoAction);
    FLoaded = FError.isEmpty();
    if (!FLoaded)
        FLibrary.unload();
    return FLoaded;
}

} // namespace kx::shell
