// The module plug-in loaded at run time: the library and its six entry points.
#pragma once

#include "kx_mrp/exports.h"

#include <QLibrary>
#include <QString>

namespace kx::shell {

class TModuleLibrary {
public:
    // The plug-in next to the program (libkx_mrp.so), unless a path is given.
    static QString DefaultPath();

    // Loads the library and resolves every entry point; false with ErrorText() when the
    // file is missing, cannot be loaded or lacks an entry point.
    bool Load(const QString& path);
    bool Loaded() const { return FLoaded; }
    const QString& ErrorText() const { return FError; }
    QString FileName() const { return FLibrary.fileName(); }

    TSetDllEnvironmentProc SetDllEnvironment = nullptr;
    TLoadInfoViewProc LoadInfoView = nullptr;
    TLoadInfoFrameProc LoadInfoFrame = nullptr;
    TLoadInfoFormProc LoadInfoForm = nullptr;
    TLoadInfoEditProc LoadInfoEdit = nullptr;
    TLoadInfoActionProc LoadInfoAction = nullptr;

private:
    QLibrary FLibrary;
    bool FLoaded = false;
    QString FError;
};

} // namespace kx::shell
