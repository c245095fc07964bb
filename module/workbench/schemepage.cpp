#include "workbench/schemepage.h"

#include "db/settings.h"
#include "db/shared.h"
#include "db/strutils.h"
#include "masterdata/setplanperiodsdlg.h"
#include "views/mrpfilters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kx {

namespace {

QComboBox* NewCombo(QWidget* parent, const char* name, const QStringList& items)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    for (int i = 0; i < items.size(); ++i)
        box->addItem(items[i], i);
    box->setMinimumWidth(220);
    return box;
}

void SelectData(QComboBox* box, int value)
{
    const int index = box->findData(value);
    box->setCurrentIndex(index >= 0 ? index : 0);
}

int SelectedData(const QComboBox* box)
{
    return box->currentData().toInt();
}

QString TimeText(const QDateTime& t)
{
    return t.isValid() ? DateTimeToText(t) : QString();
}

} // namespace

TSchemePage::TSchemePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tabScheme"));
    cboSchemeName = new QComboBox(this);
    cboSchemeName->setObjectName(QStringLiteral("cboSchemeName"));
    cboSchemeName->setEditable(true);
    cboSchemeName->setMinimumWidth(220);
    cboMainSource = NewCombo(this, "cboMainSource", {QStringLiteral("产品预测+销售订单"), QStringLiteral("仅销售订单"),
                                                     QStringLiteral("仅产品预测"), QStringLiteral("(导入排程)")});
    cboNeedScope = NewCombo(this, "cboNeedScope",
                            {QStringLiteral("(全局物料需求)"), QStringLiteral("主需求+多级展开"), QStringLiteral("主需求+多级展开+同料待出"),
                             QStringLiteral("主毛需求+多级展开"), QStringLiteral("主毛需求+多级展开+同料待出"),
                             QStringLiteral("主需求+单级展开"), QStringLiteral("主需求+单级展开+同料待出"),
                             QStringLiteral("主毛需求+单级展开"), QStringLiteral("主毛需求+单级展开+同料待出")});
    cboCareItemSafety = NewCombo(this, "cboCareItemSafety",
                                 {QStringLiteral("(不考虑)"), QStringLiteral("有需求的考虑"), QStringLiteral("全部物料考虑")});
    cboCareItemReplace = NewCombo(this, "cboCareItemReplace",
                                  {QStringLiteral("(不考虑)"), QStringLiteral("即时库存"), QStringLiteral("即时库存+供应订单"),
                                   QStringLiteral("即时库存+供应订单+供应申请")});
    cboCareItemSuites = NewCombo(this, "cboCareItemSuites",
                                 {QStringLiteral("即时库存"), QStringLiteral("即时库存+采购在检"), QStringLiteral("即时库存+采购订单"),
                                  QStringLiteral("即时库存+采购订单+采购申请")});
    cboCareMRPTrackMode = NewCombo(this, "cboCareMRPTrackMode", {});
    for (const TEnumItem& item : GetEnumList(QStringLiteral("MrpTrackType")))
        cboCareMRPTrackMode->addItem(item.Name, item.ID);
    chkCareItemMRPTrack = new QCheckBox(QStringLiteral("考虑物料的计划跟踪合并参数(&I)"), this);
    chkCareItemLossRate = new QCheckBox(QStringLiteral("考虑BOM损耗率(&B)"), this);
    chkCareItemLotRule = new QCheckBox(QStringLiteral("考虑供应批量规则(&O)"), this);

    trlPlanPeriods = new QTreeWidget(this);
    trlPlanPeriods->setObjectName(QStringLiteral("trlPlanPeriods"));
    trlPlanPeriods->setHeaderHidden(true);
    trlPlanPeriods->setRootIsDecorated(false);
    btnSetPeriods = new QPushButton(QStringLiteral(" 设置(&E)..."), this);
    btnSetPeriods->setObjectName(QStringLiteral("btnSetPeriods"));
    famFilters = new TMRPFilterTree(TMRPFilterTree::RunObjectIDs(), this);
    famFilters->setObjectName(QStringLiteral("famFilters"));

    auto readOnly = [this](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(name));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    lblCreater = readOnly("lblCreater");
    lblPlanState = readOnly("lblPlanState");
    lblUpdateTime = readOnly("lblUpdateTime");
    lblMpsTime = readOnly("lblMpsTime");
    lblMrpTime = readOnly("lblMrpTime");

    // Left: the parameters and stamps; right: the horizon and the conditions.
    auto* params = new QGridLayout;
    int row = 0;
    auto addRow = [&](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        params->addWidget(label, row, 0);
        params->addWidget(field, row, 1);
        ++row;
    };
    addRow(QStringLiteral("计划方案(&S):"), cboSchemeName);
    addRow(QStringLiteral("主需求源(&X):"), cboMainSource);
    addRow(QStringLiteral("需求范围(&D):"), cboNeedScope);
    addRow(QStringLiteral("安全库存(&F):"), cboCareItemSafety);
    addRow(QStringLiteral("物料替代(&R):"), cboCareItemReplace);
    addRow(QStringLiteral("齐套计算(&T):"), cboCareItemSuites);
    addRow(QStringLiteral("跟踪合并(&H):"), cboCareMRPTrackMode);
    for (QCheckBox* box : {chkCareItemMRPTrack, chkCareItemLossRate, chkCareItemLotRule})
        params->addWidget(box, row++, 1);
    params->setRowMinimumHeight(row++, 12);
    for (const auto& [caption, label] : {std::pair{"创建者:", lblCreater}, {"最新状态:", lblPlanState}, {"更新时间:", lblUpdateTime},
                                         {"主需求时间:", lblMpsTime}, {"MRP时间:", lblMrpTime}}) {
        params->addWidget(new QLabel(QString::fromUtf8(caption), this), row, 0);
        params->addWidget(label, row++, 1);
    }
    params->setRowStretch(row, 1);

    auto listColumn = [this](const QString& caption, QTreeWidget* list, QPushButton* button) {
        auto* column = new QVBoxLayout;
        auto* head = new QHBoxLayout;
        auto* label = new QLabel(caption, this);
        label->setBuddy(list);
        head->addWidget(label);
        head->addStretch(1);
        head->addWidget(button);
        column->addLayout(head);
        column->addWidget(list, 1);
        return column;
    };
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(params);
    layout->addSpacing(16);
    layout->addLayout(listColumn(QStringLiteral("展望期(&P):"), trlPlanPeriods, btnSetPeriods), 2);
    layout->addSpacing(8);
    auto* filters = new QVBoxLayout;
    auto* filtersLabel = new QLabel(QStringLiteral("参与范围(&C):"), this);
    filtersLabel->setBuddy(famFilters->trlMRPFilters);
    filters->addWidget(filtersLabel);
    filters->addWidget(famFilters, 1);
    layout->addLayout(filters, 3);

    connect(cboNeedScope, &QComboBox::currentIndexChanged, this, &TSchemePage::cboNeedScopeChange);
    connect(btnSetPeriods, &QPushButton::clicked, this, &TSchemePage::EditPeriods);
    connect(trlPlanPeriods, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (FEditing)
            EditPeriods();
    });
    SetEditing(false);
}

void TSchemePage::cboNeedScopeChange()
{
    // "全部物料考虑" goes with the global scope only; another scope falls back to "有需求的考虑".
    const bool global = SelectedData(cboNeedScope) == 0;
    auto* model = qobject_cast<QStandardItemModel*>(cboCareItemSafety->model());
    if (!global && SelectedData(cboCareItemSafety) == 2)
        SelectData(cboCareItemSafety, 1);
    if (model && model->item(2))
        model->item(2)->setEnabled(global);
}

void TSchemePage::ShowScheme(const TPlanScheme& scheme)
{
    cboSchemeName->setEditText(scheme.SchemeName);
    SelectData(cboMainSource, scheme.PlanSource);
    SelectData(cboNeedScope, scheme.PlanNeedScope);
    SelectData(cboCareItemSafety, scheme.CareItemSafety);
    cboNeedScopeChange();
    SelectData(cboCareItemReplace, scheme.CareItemReplace);
    SelectData(cboCareItemSuites, scheme.CareItemSuites);
    SelectData(cboCareMRPTrackMode, scheme.CareMRPTrackMode);
    chkCareItemMRPTrack->setChecked(scheme.CareItemMRPTrack);
    chkCareItemLossRate->setChecked(scheme.CareItemLossRate);
    chkCareItemLotRule->setChecked(scheme.CareItemLotRule);
    FPeriods = scheme.PlanPeriods;
    FCalendarID = scheme.PlanCalIID;
    famFilters->SetFilters(scheme.DataFilters);
    ShowPeriods();
    ShowState(scheme);
}

void TSchemePage::ShowState(const TPlanScheme& scheme)
{
    lblCreater->setText(scheme.Creater);
    lblPlanState->setText(scheme.GetPlanStateText());
    lblUpdateTime->setText(TimeText(scheme.UpdateTime));
    // The main demand's time is when it was last changed, by a fetch or by hand.
    const QDateTime mps = scheme.MpsUpdTime.isValid() && scheme.MpsUpdTime > scheme.MpsRunTime ? scheme.MpsUpdTime : scheme.MpsRunTime;
    lblMpsTime->setText(TimeText(mps));
    lblMrpTime->setText(TimeText(scheme.MrpRunTime));
}

void TSchemePage::WriteScheme(TPlanScheme& scheme) const
{
    scheme.SchemeName = cboSchemeName->currentText().trimmed();
    scheme.PlanSource = SelectedData(cboMainSource);
    scheme.PlanNeedScope = SelectedData(cboNeedScope);
    scheme.CareItemSafety = SelectedData(cboCareItemSafety);
    scheme.CareItemReplace = SelectedData(cboCareItemReplace);
    scheme.CareItemSuites = SelectedData(cboCareItemSuites);
    scheme.CareMRPTrackMode = SelectedData(cboCareMRPTrackMode);
    scheme.CareItemMRPTrack = chkCareItemMRPTrack->isChecked();
    scheme.CareItemLossRate = chkCareItemLossRate->isChecked();
    scheme.CareItemLotRule = chkCareItemLotRule->isChecked();
    scheme.PlanPeriods = FPeriods;
    scheme.PlanCalIID = FCalendarID;
    scheme.DataFilters = famFilters->Filters();
}

void TSchemePage::SetEditing(bool editing)
{
    FEditing = editing;
    for (QComboBox* box : {cboMainSource, cboNeedScope, cboCareItemSafety, cboCareItemReplace, cboCareItemSuites, cboCareMRPTrackMode})
        box->setEnabled(editing);
    cboSchemeName->setEnabled(editing);
    for (QCheckBox* box : {chkCareItemMRPTrack, chkCareItemLossRate, chkCareItemLotRule})
        box->setEnabled(editing);
    btnSetPeriods->setEnabled(editing);
    famFilters->SetEditable(editing);
}

void TSchemePage::SetPeriods(const TPlanPeriods& periods, int calendarID)
{
    FPeriods = periods;
    FCalendarID = calendarID;
    ShowPeriods();
}

bool TSchemePage::EditPeriods()
{
    TPlanPeriods periods = FPeriods;
    int calendar = FCalendarID;
    const QDate start = periods.size() > 2 ? HorizonBegin(periods) : QDate::currentDate();
    if (!EditPlanPeriods(periods, calendar, SharedQuery(), start, this))
        return false;
    SetPeriods(periods, calendar);
    return true;
}

void TSchemePage::ShowPeriods()
{
    trlPlanPeriods->clear();
    for (int i = 1; i + 1 < FPeriods.size(); ++i) {
        auto* item = new QTreeWidgetItem(trlPlanPeriods, {PlanPeriodText(FPeriods[i].DateBegin, FPeriods[i].DateEnd)});
        item->setData(0, Qt::UserRole, i);
    }
}

} // namespace kx
