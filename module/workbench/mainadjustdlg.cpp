#include "workbench/mainadjustdlg.h"

#include "db/errors.h"
#include "db/messages.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "workbench/importresults.h"
#include "workbench/mainedit.h"
#include "views/longwork.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kx {

TMRPMainAdjustDlg::TMRPMainAdjustDlg(const TPlanScheme& scheme, QWidget* parent) : TDialog(parent)
{
    setObjectName(QStringLiteral("TMRPMainAdjustDlg"));
    setWindowTitle(QStringLiteral("主需求批调整"));
    rbtAdjPeriod = new QRadioButton(QStringLiteral("自动调整交期至该期间(&P):"), this);
    rbtAdjPeriod->setChecked(true);
    cboAdjPeriod = new QComboBox(this);
    cboAdjPeriod->setObjectName(QStringLiteral("cboAdjPeriod"));
    const TPlanPeriods& periods = scheme.MpsPeriods;
    for (int i = 0; i < periods.size(); ++i) {
        const TPlanPeriod& p = periods[i];
        const QString text = p.PeriodKind == ppkNormal ? PlanPeriodText(p.DateBegin, p.DateEnd) : PeriodColumnCaption(periods, i);
        cboAdjPeriod->addItem(text, i);
    }
    cboAdjPeriod->setCurrentIndex(qMin(1, cboAdjPeriod->count() - 1));
    chkOnlyEarlier = new QCheckBox(QStringLiteral("仅针对早于该期间的记录(&B)"), this);
    chkOnlyEarlier->setChecked(true);
    rbtImport = new QRadioButton(QStringLiteral("从外部数据源导入交期调整信息(&F)"), this);
    auto* range = new QGroupBox(this);
    rbtSelected = new QRadioButton(QStringLiteral("已选择区域(&1)"), range);
    rbtSelected->setChecked(true);
    rbtAll = new QRadioButton(QStringLiteral("视图全部(&2)"), range);
    auto* rangeLayout = new QHBoxLayout(range);
    rangeLayout->addWidget(rbtSelected);
    rangeLayout->addWidget(rbtAll);
    rangeLayout->addStretch(1);

    auto* grid = new QGridLayout;
    grid->addWidget(rbtAdjPeriod, 0, 0);
    grid->addWidget(cboAdjPeriod, 0, 1);
    grid->addWidget(chkOnlyEarlier, 1, 1);
    grid->addWidget(rbtImport, 2, 0, 1, 2);
    grid->addWidget(range, 3, 0, 1, 2);
    ContentLayout()->addLayout(grid);
    connect(rbtAdjPeriod, &QRadioButton::toggled, this, &TMRPMainAdjustDlg::UpdateControls);
    UpdateControls();
}

void TMRPMainAdjustDlg::UpdateControls()
{
    const bool byPeriod = rbtAdjPeriod->isChecked();
    cboAdjPeriod->setEnabled(byPeriod);
    chkOnlyEarlier->setEnabled(byPeriod);
    rbtSelected->setEnabled(byPeriod);
    rbtAll->setEnabled(byPeriod);
}

bool TMRPMainAdjustDlg::Execute(QWidget* parent, const TPlanScheme& scheme, const QList<int>& selectedLines, const QString& importFile)
{
    TMRPMainAdjustDlg dlg(scheme, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    int changed = 0;
    if (dlg.rbtAdjPeriod->isChecked()) {
        const int target = dlg.cboAdjPeriod->currentData().toInt();
        const bool selected = dlg.rbtSelected->isChecked();
        if (selected && selectedLines.isEmpty())
            return false;
        const bool onlyEarlier = dlg.chkOnlyEarlier->isChecked();
        const QString caption = dlg.cboAdjPeriod->currentText();
        const QString title = selected ? QStringLiteral("正在调整当前所选内容的交期信息至期间\"%1\", 按[Esc]键可以中止...").arg(caption)
                                       : QStringLiteral("正在调整当前视图内容的交期信息至期间\"%1\", 按[Esc]键可以中止...").arg(caption);
        const QList<int> lines = selected ? selectedLines : QList<int>();
        RunLongWork(parent, title, [&](TConnection& connection, IEngineProgress& progress) {
            changed = AdjustMainToPeriod(connection, scheme, lines, target, onlyEarlier, progress);
            return true;
        });
        return changed > 0;
    }
    const QString file = !importFile.isEmpty() ? importFile
                                               : QFileDialog::getOpenFileName(parent, QStringLiteral("导入交期调整信息"), QString(),
                                                                              QStringLiteral("表格文件 (*.csv *.xlsx);;所有文件 (*)"));
    if (file.isEmpty())
        return false;
    QList<TImportIssue> issues;
    RunLongWork(parent, QStringLiteral("正在从外部数据源导入交期调整信息, 按[Esc]键可以中止..."),
                [&](TConnection& connection, IEngineProgress& progress) {
                    changed = ImportDeliveryAdjustments(connection, scheme, ReadTableFile(file), progress, issues);
                    return true;
                });
    ShowImportIssues(parent, QStringLiteral("导入交期调整信息"), issues);
    return changed > 0;
}

} // namespace kx
