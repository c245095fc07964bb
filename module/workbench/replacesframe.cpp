#include "workbench/replacesframe.h"

#include "db/fieldlists.h"
#include "db/quote.h"
#include "db/strutils.h"
#include "engine/planscheme.h"
#include "views/designedcolumns.h"
#include "views/gridmodel.h"
#include "views/messagebox.h"
#include "workbench/schemeviewlink.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

namespace kx {

namespace {

const QString kDivertType = QStringLiteral("[DivertType]");

} // namespace

QString ReplacesCondition(int schemeIID, int divertType)
{
    // Supply made for a sales or export order (or a forecast) that went to another demand.
    const QString orders = QStringLiteral("s.SupOrigType in (%1, %2)").arg(btSO).arg(btSI);
    QString divert;
    switch (divertType) {
    case dtOrderLine:
        divert = QStringLiteral(" or %1 and (s.SupOrigType<>coalesce(d.DmdOrigType,0) or s.SupOrigID<>d.DmdOrigID or "
                                "coalesce(s.SupOrigEntry,0)<>0 and s.SupOrigEntry<>coalesce(d.DmdOrigEntry,0))")
                     .arg(orders);
        break;
    case dtOrder:
        divert = QStringLiteral(" or %1 and (s.SupOrigType<>coalesce(d.DmdOrigType,0) or s.SupOrigID<>d.DmdOrigID)").arg(orders);
        break;
    case dtCustomer:
        divert = QStringLiteral(" or %1 and (s.SupOrigType<>coalesce(d.DmdOrigType,0) or s.SupOrigCustID<>coalesce(d.DmdOrigCustID,''))")
                     .arg(orders);
        break;
    case dtForcastCustomer:
        divert = QStringLiteral(" or s.SupOrigType=%1 and s.SupOrigCustID<>'' and s.SupOrigCustID<>coalesce(d.DmdOrigCustID,'')").arg(btForcast);
        break;
    default: break;
    }
    return QStringLiteral("a.AltSchIID=%1 and (a.AltIsRepl=1%2)").arg(SQLInt(schemeIID), divert);
}

TMRPReplacesFrame::TMRPReplacesFrame(QWidget* owner, const TInfoObjectDef* objectDef) : TInfoGridView(owner, objectDef)
{
    grdMain->setObjectName(QStringLiteral("grvReplaces"));
    Link = new TSchemeViewLink(this);
    AddDesignedColumns(*this, {{"需求",
                                flFixedLeft,
                                {{"DmdBillType", "需求类型", 96}, {"DmdBillNo", "需求单据编号", 130}, {"DmdItmNo", "需求物料代码", 100},
                                 {"DmdItmName", "需求物料名称", 110}, {"DmdItmSpec", "需求规格型号", 100}, {"DmdDate", "需求日期", 78},
                                 {"DmdQty", "需求数量", 70}}},
                               {"", flNormal, {{"AltIsRepl", "替代", 40}}},
                               {"供应",
                                flNormal,
                                {{"SupBillType", "供应类型", 90}, {"SupBillNo", "供应单据编号", 120}, {"SupItmNo", "供应物料代码", 100},
                                 {"SupItmName", "供应物料名称", 110}, {"SupItmSpec", "供应规格型号", 100}, {"SupQty", "供应数量", 70},
                                 {"AltAdjDays", "供应调整天数", 84}}}});
    cboDivertType = new QComboBox(this);
    cboDivertType->setObjectName(QStringLiteral("cboDivertType"));
    cboDivertType->addItems({QStringLiteral("(不显示同料挪用)"), QStringLiteral("显示跨销售订单行挪用"), QStringLiteral("显示跨销售订单挪用"),
                             QStringLiteral("显示跨销售客户挪用"), QStringLiteral("显示跨预测客户挪用")});
    auto* label = new QLabel(QStringLiteral("同料挪用(&D):"), this);
    label->setBuddy(cboDivertType);
    ContentLayout()->insertLayout(0, Link->NewBar({label, cboDivertType}));
    connect(cboDivertType, &QComboBox::currentIndexChanged, this, [this] {
        ViewScheme.Params = SetParamValue(ViewScheme.Params, kDivertType, QString::number(cboDivertType->currentIndex()));
        RefreshData(false);
    });
}

void TMRPReplacesFrame::SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events)
{
    Link->Set(scheme, events);
}

void TMRPReplacesFrame::InitializeView(const QString& AAsDetailID, IInfoView* AMasterView)
{
    TInfoGridView::InitializeView(AAsDetailID, AMasterView);
    bool ok = false;
    const int kept = GetParamValue(ViewScheme.Params, kDivertType).toInt(&ok);
    const QSignalBlocker block(cboDivertType);
    cboDivertType->setCurrentIndex(ok && kept >= dtNone && kept <= dtForcastCustomer ? kept : dtNone);
}

bool TMRPReplacesFrame::QueryClose()
{
    ViewScheme.Params = SetParamValue(ViewScheme.Params, kDivertType, QString::number(cboDivertType->currentIndex()));
    return TInfoGridView::QueryClose();
}

void TMRPReplacesFrame::LoadData(bool KeepPosition)
{
    const QString position = KeepPosition ? GetViewPosition() : QString();
    if (!Link->Loaded()) {
        RecordModel()->Clear();
        return;
    }
    QStringList designed;
    for (const TViewColumn* c : Columns.DisplayOrder())
        if (!c->Dynamic && c->Tag < 1 && ObjectDef && ObjectDef->GetFieldDef(c->FieldName))
            designed << c->FieldName;
    BuiltSQL = BuildViewSQL(MakeFieldList(designed), QString(),
                            ReplacesCondition(Link->Scheme()->SchemeIID, cboDivertType->currentIndex()),
                            QStringLiteral("d.DmdDate, di.ItmNo, d.DmdBillNo"), true);
    if (!BuiltSQL.isEmpty())
        LoadRows(BuiltSQL, true, position);
}

} // namespace kx
