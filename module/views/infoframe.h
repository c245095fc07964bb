// The base of workbench frames that are not record lists: implements the host's frame
// interface with neutral answers that the workbenches override.
#pragma once

#include "kx_mrp/interfaces.h"

#include <QFrame>

namespace kx {

class TCustomInfoFrame : public QFrame, public IInfoFrame {
    Q_OBJECT

public:
    explicit TCustomInfoFrame(QWidget* owner = nullptr);

    HRESULT QueryInterface(const TGUID& IID, void** Obj) override;
    int AddRef() override { return -1; }
    int Release() override { return -1; }

    void ProcessIdle() override;
    void RefreshMainUI() override;
    bool QueryClose() override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;
    void SetParentControl(QWidget* Parent) final;
};

} // namespace kx
