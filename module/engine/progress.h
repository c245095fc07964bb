// How long engine work reports progress and lets the user stop it: the workbench shows a
// progress text and polls Esc, kxmrp draws a bar on the terminal, tests script it.
#pragma once

#include <QString>

namespace kx {

class IEngineProgress {
public:
    virtual ~IEngineProgress() = default;
    // The step now running ("正在获取主需求数据, 请稍候...").
    virtual void ShowText(const QString& text) = 0;
    // Position within the step; total 0 when unknown.
    virtual void ShowPosition(qint64 done, qint64 total) = 0;
    // Raises EAbort when the user wants the work to stop. Called between steps and rows.
    virtual void CheckAbort() = 0;
};

// Progress through the host's status text and the Esc question.
class TStatusProgress : public IEngineProgress {
public:
    void ShowText(const QString& text) override;
    void ShowPosition(qint64 done, qint64 total) override;
    void CheckAbort() override;
    ~TStatusProgress() override;
};

// Progress that reports nothing and never stops.
class TSilentProgress : public IEngineProgress {
public:
    void ShowText(const QString&) override {}
    void ShowPosition(qint64, qint64) override {}
    void CheckAbort() override {}
};

} // namespace kx
