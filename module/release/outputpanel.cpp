#include "release/outputpanel.h"

#include "db/strutils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace kx {

namespace {

const QString kItemSubs = QStringLiteral("[ItemSubs]");
const QString kPlanType = QStringLiteral("[PlanType]");
const QString kSuppDef = QStringLiteral("[SuppDef]");
const QString kSuppList = QStringLiteral("[SuppList]");
const QString kRefPOQty = QStringLiteral("[RefPOQty]");
const QString kRefUseQty = QStringLiteral("[RefUseQty]");
const QString kRefDate = QStringLiteral("[RefDate]");

QLabel* Link(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(text), parent);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    return label;
}

QDate FirstOfMonth()
{
    const QDate today = QDate::currentDate();
    return QDate(today.year(), today.month(), 1);
}

} // namespace

TMRPOutputPanel::TMRPOutputPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("pnlOptions"));
    cboScheme = new QComboBox(this);
    cboScheme->setObjectName(QStringLiteral("cboScheme"));
    cboScheme->setMinimumWidth(280);
    lblState = new QLabel(this);
    lblState->setObjectName(QStringLiteral("lblState"));
    chkReplace = new QCheckBox(QStringLiteral("替代料"), this);
    cboPlanType = new QComboBox(this);
    cboPlanType->setObjectName(QStringLiteral("cboPlanType"));
    cboPlanType->addItems({QStringLiteral("(全部)"), QStringLiteral("MRP生产"), QStringLiteral("MRP委外"), QStringLiteral("MRP采购")});
    cboEndPeriod = new QComboBox(this);
    cboEndPeriod->setObjectName(QStringLiteral("cboEndPeriod"));
    cboEndPeriod->setMinimumWidth(160);
    cboSuppDef = new QComboBox(this);
    cboSuppDef->addItems({QStringLiteral("物料设置"), QStringLiteral("最低价格"), QStringLiteral("最近订单")});
    cboSuppList = new QComboBox(this);
    cboSuppList->addItems({QStringLiteral("(全部)"), QStringLiteral("价格资料"), QStringLiteral("供货资料")});
    chkRefPOQty = new QCheckBox(QStringLiteral("计算历史采购数"), this);
    chkRefUseQty = new QCheckBox(QStringLiteral("计算历史领料数"), this);
    edtRefDate = new QDateEdit(this);
    edtRefDate->setCalendarPopup(true);
    edtRefDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    edtRefDate->setDate(FirstOfMonth());
    btnOk = new QPushButton(QStringLiteral("确定"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = new QPushButton(QStringLiteral("取消"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    lblSelectAll = Link(QStringLiteral("全选"), this);
    lblUnselectAll = Link(QStringLiteral("| 全清"), this);
    lblUnselectAll->setText(QStringLiteral("| <a href=\"#\">全清</a>"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 2);
    grid->addWidget(new QLabel(QStringLiteral("计划方案:"), this), 0, 0);
    grid->addWidget(cboScheme, 0, 1, 1, 3);
    grid->addWidget(lblState, 0, 4, 1, 2);
    grid->addWidget(chkReplace, 0, 6);
    grid->addWidget(new QLabel(QStringLiteral("计划类型:"), this), 1, 0);
    grid->addWidget(cboPlanType, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("投放截止:"), this), 1, 2);
    grid->addWidget(cboEndPeriod, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("默认供应商:"), this), 1, 4);
    grid->addWidget(cboSuppDef, 1, 5);
    grid->addWidget(new QLabel(QStringLiteral("可选供应商:"), this), 1, 6);
    grid->addWidget(cboSuppList, 1, 7);
    grid->addWidget(chkRefPOQty, 2, 0, 1, 2);
    grid->addWidget(chkRefUseQty, 2, 2, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("起算日期:"), this), 2, 4);
    grid->addWidget(edtRefDate, 2, 5);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    buttons->addStretch(1);
    buttons->addWidget(lblSelectAll);
    buttons->addWidget(lblUnselectAll);
    grid->addLayout(buttons, 2, 6, 1, 2);
    grid->setColumnStretch(8, 1);
    SetPending(false);

    connect(cboScheme, &QComboBox::currentIndexChanged, this, [this] {
        if (!FSetting)
            Q_EMIT SchemeChanged();
    });
    for (QComboBox* combo : {cboPlanType, cboEndPeriod, cboSuppDef, cboSuppList})
        connect(combo, &QComboBox::currentIndexChanged, this, &TMRPOutputPanel::OptionChanged);
    for (QCheckBox* check : {chkReplace, chkRefPOQty, chkRefUseQty})
        connect(check, &QCheckBox::toggled, this, &TMRPOutputPanel::OptionChanged);
    connect(edtRefDate, &QDateEdit::dateChanged, this, &TMRPOutputPanel::OptionChanged);
    connect(btnOk, &QPushButton::clicked, this, &TMRPOutputPanel::Applied);
    connect(btnCancel, &QPushButton::clicked, this, &TMRPOutputPanel::Dropped);
    connect(lblSelectAll, &QLabel::linkActivated, this, [this] { Q_EMIT SelectAll(true); });
    connect(lblUnselectAll, &QLabel::linkActivated, this, [this] { Q_EMIT SelectAll(false); });
}

TOutputPanelValues TMRPOutputPanel::Values() const
{
    TOutputPanelValues v;
    v.SchemeIID = cboScheme->currentData().toInt();
    v.Replace = chkReplace->isChecked();
    v.PlanType = cboPlanType->currentIndex();
    v.EndPeriod = cboEndPeriod->currentData().isValid() ? cboEndPeriod->currentData().toInt() : -1;
    v.SuppDef = cboSuppDef->currentIndex();
    v.SuppList = cboSuppList->currentIndex();
    v.RefPOQty = chkRefPOQty->isChecked();
    v.RefUseQty = chkRefUseQty->isChecked();
    v.RefDate = edtRefDate->date();
    return v;
}

void TMRPOutputPanel::SetValues(const TOutputPanelValues& v)
{
    FSetting = true;
    chkReplace->setChecked(v.Replace);
    cboPlanType->setCurrentIndex(qBound(0, v.PlanType, 3));
    const int period = cboEndPeriod->findData(v.EndPeriod);
    cboEndPeriod->setCurrentIndex(period < 0 ? 0 : period);
    cboSuppDef->setCurrentIndex(qBound(0, v.SuppDef, 2));
    cboSuppList->setCurrentIndex(qBound(0, v.SuppList, 2));
    chkRefPOQty->setChecked(v.RefPOQty);
    chkRefUseQty->setChecked(v.RefUseQty);
    edtRefDate->setDate(v.RefDate.isValid() ? v.RefDate : FirstOfMonth());
    FSetting = false;
}

bool TMRPOutputPanel::Pending() const
{
    return !btnOk->isHidden();
}

void TMRPOutputPanel::SetPending(bool pending)
{
    btnOk->setVisible(pending);
    btnCancel->setVisible(pending);
}

void TMRPOutputPanel::OptionChanged()
{
    if (!FSetting)
        SetPending(true);
}

void TMRPOutputPanel::ReadParams(const QString& params, TOutputPanelValues& v)
{
    v.Replace = GetParamValue(params, kItemSubs) == QLatin1String("1");
    v.PlanType = GetParamValue(params, kPlanType).toInt();
    v.SuppDef = GetParamValue(params, kSuppDef).toInt();
    v.SuppList = GetParamValue(params, kSuppList).toInt();
    v.RefPOQty = GetParamValue(params, kRefPOQty) == QLatin1String("1");
    v.RefUseQty = GetParamValue(params, kRefUseQty) == QLatin1String("1");
    const QDate date = TextToDateTime(GetParamValue(params, kRefDate)).date();
    v.RefDate = date.isValid() ? date : FirstOfMonth();
}

QString TMRPOutputPanel::WriteParams(const QString& params, const TOutputPanelValues& v)
{
    QString text = params;
    text = SetParamValue(text, kItemSubs, v.Replace ? QStringLiteral("1") : QStringLiteral("0"));
    text = SetParamValue(text, kPlanType, QString::number(v.PlanType));
    text = SetParamValue(text, kSuppDef, QString::number(v.SuppDef));
    text = SetParamValue(text, kSuppList, QString::number(v.SuppList));
    text = SetParamValue(text, kRefPOQty, v.RefPOQty ? QStringLiteral("1") : QStringLiteral("0"));
    text = SetParamValue(text, kRefUseQty, v.RefUseQty ? QStringLiteral("1") : QStringLiteral("0"));
    return SetParamValue(text, kRefDate, DateToText(v.RefDate));
}

} // namespace kx
