#include "masterdata/itemsetting.h"

#include "db/fieldlists.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "masterdata/lossrate.h"

namespace kx {

namespace {

const TInfoObjectDef* ItemsObjectDef()
{
    TModuleEnvironment* env = Env();
    return env && env->GetObjectDef ? env->GetObjectDef(kItemsObjectID) : nullptr;
}

enum TParamKind { pkText, pkInt, pkFlag, pkQty };

struct TUpdateParam {
    const char* Name;
    TParamKind Kind;
    const char* Field;                    // the view's field that holds the value
};

// The parameters of KX_MRP_UpdateItemSetting in their order.
const TUpdateParam kUpdateParams[] = {
    {"ItmID", pkText, "ItmID"},
    {"ItmMrpType", pkInt, "ItmMrpType"},
    {"ItmMrpSkip", pkFlag, "ItmMrpSkip"},
    {"ItmPlannerID", pkText, "ItmPlannerID"},
    {"ItmBuyerID", pkText, "ItmBuyerID"},
    {"ItmMrpGroup", pkInt, "ItmMrpGroup"},
    {"ItmMrpTrack", pkInt, "ItmMrpTrack"},
    {"ItmPreLeadTime", pkInt, "ItmPreLeadTime"},
    {"ItmFixLeadTime", pkInt, "ItmFixLeadTime"},
    {"ItmVarLeadTime", pkInt, "ItmVarLeadTime"},
    {"ItmVarLeadLot", pkQty, "ItmVarLeadLot"},
    {"ItmPostLeadTime", pkInt, "ItmPostLeadTime"},
    {"ItmSafeQty", pkQty, "ItmSafeQty"},
    {"ItmMinQty", pkQty, "ItmMinQty"},
    {"ItmLotQty", pkQty, "ItmLotQty"},
    {"ItmMaxQty", pkQty, "ItmMaxQty"},
    {"ItmPutLossType", pkInt, "ItmPutLossType"},
    {"ItmPutLossRate", pkText, "ItmPutLossRate"},
    {"ItmPutInteger", pkFlag, "ItmPutInteger"},
    {"ItmSuitSkip", pkFlag, "ItmSuitSkip"},
    {"ItmOutSkip", pkFlag, "ItmOutSkip"},
    {"ItmMOBomSkip", pkInt, "ItmMOBomSkip"},
    {"ItmOOBomSkip", pkInt, "ItmOOBomSkip"},
    {"ItmMODeptID", pkText, "ItmMODeptID"},
    {"ItmPOSuppID", pkText, "ItmPOSuppID"},
    {"ItmOOSuppID", pkText, "ItmOOSuppID"},
    {"ItmPlanItmID", pkText, "ItmPlanItmID"},
};

QString ParamText(TParamKind kind, const QVariant& v)
{
    switch (kind) {
    case pkText: return QuotedStr(v.isNull() ? QString() : v.toString());
    case pkInt: return SQLInt(v.toLongLong());
    case pkFlag: return SQLInt(v.toDouble() != 0 ? 1 : 0);
    case pkQty: break;
    }
    return SQLQty(v.toDouble());
}

double Number(const TItemSettingRow& row, const char* field)
{
    return row.Value(QLatin1String(field)).toDouble();
}

} // namespace

QString BuildItemPickSQL(const QString& fieldIDs, const QString& filter, const QString& extraColumns)
{
    const TInfoObjectDef* def = ItemsObjectDef();
    if (!def)
        return QString();
    const QString wanted = MakeFieldList(FieldListItems(QStringLiteral("ItmNo|ItmName|ItmSpec|") + fieldIDs));
    QStringList columns;
    for (const TInfoFieldDef& f : def->Fields)
        if (FieldListContains(wanted, f.ID))
            columns << f.SQLExpress + QLatin1String(" as ") + QuotedIdent(f.Name);
    if (!extraColumns.trimmed().isEmpty())
        columns << extraColumns.trimmed();
    const QString select = columns.join(QLatin1String(", "));

    QString statement, join;
    TModuleEnvironment* env = Env();
    if (!(env && env->BuildObjectSelect && env->BuildObjectSelect(def, select, statement, join)))
        return QString();
    join = join.trimmed();
    if (!join.startsWith(QLatin1String("from "), Qt::CaseInsensitive))
        join.prepend(QLatin1String("from "));
    QString sql = QStringLiteral("select ") + select + QLatin1Char(' ') + join;
    if (!filter.trimmed().isEmpty())
        sql += QStringLiteral(" where ") + filter.trimmed();
    sql += QStringLiteral(" order by i.ItmNo");
    if (filter.trimmed().isEmpty() && EnvMaxRows() > 0)
        sql += QStringLiteral(" limit ") + SQLInt(EnvMaxRows());
    return sql;
}

QString ItemPickColumn(const QString& fieldID)
{
    const TInfoObjectDef* def = ItemsObjectDef();
    const TInfoFieldDef* field = def ? def->GetFieldDef(fieldID) : nullptr;
    return field ? field->Name : fieldID;
}

QString ItemPropMaskSQL(const QString& alias)
{
    const QString prefix = alias.isEmpty() ? QString() : alias + QLatin1Char('.');
    QStringList slots;
    for (int n = 1; n <= 10; ++n)
        slots << QStringLiteral("cast(%1ItmHasProp%2 as char(1))").arg(prefix).arg(n);
    return slots.join(QLatin1String("||"));
}

TItemSettingFault CheckItemSetting(const TItemSettingRow& row)
{
    static const char* const kNotNegative[] = {"ItmPreLeadTime", "ItmFixLeadTime", "ItmVarLeadTime", "ItmVarLeadLot", "ItmPostLeadTime",
                                               "ItmSafeQty", "ItmMinQty", "ItmLotQty", "ItmMaxQty"};
    for (const char* field : kNotNegative)
        if (Number(row, field) < 0) {
            const QString f = QLatin1String(field);
            return {f, FieldCheckText(fcNotGreaterOrEqual, row.Caption(f), row.Text(f), QStringLiteral("0"))};
        }
    if (Number(row, "ItmVarLeadTime") > 0 && Number(row, "ItmVarLeadLot") <= 0)
        return {QStringLiteral("ItmVarLeadLot"), QStringLiteral("设置[变动提前期]时(值大于0), [变动提前期批量]不能小于0 !")};
    if (Number(row, "ItmMaxQty") > 0 && Number(row, "ItmMaxQty") < Number(row, "ItmMinQty"))
        return {QStringLiteral("ItmMaxQty"), QStringLiteral("设置[最大供应量]时(值大于0), 不能小于[最小供应量]!")};
    const QString rate = QStringLiteral("ItmPutLossRate");
    const QString rateText = row.Value(rate).toString().trimmed();
    if (Number(row, "ItmPutLossType") != 0 && rateText.isEmpty())
        return {rate, QStringLiteral("设置[投料损耗控制]为\"默认损耗率\"时, 必须设置[投料默认损耗率]的值!")};
    // A text the loss arithmetic would read as zero is refused, never stored.
    if (!CheckLossRateText(rateText).isEmpty())
        return {rate, FieldCheckText(fcInvalid, row.Caption(rate), rateText)};
    return {};
}

QString ItemSettingUpdateSQL(const TItemSettingRow& row)
{
    QStringList args;
    for (const TUpdateParam& p : kUpdateParams)
        args << QStringLiteral("%1 => %2").arg(QLatin1String(p.Name), ParamText(p.Kind, row.Value(QLatin1String(p.Field))));
    return QStringLiteral("call KX_MRP_UpdateItemSetting(%1)").arg(args.join(QLatin1String(", ")));
}

void SaveItemSettings(TConnection& connection, const QStringList& statements)
{
    TTransaction transaction(connection);
    TSQLBatch batch(connection);
    for (const QString& s : statements)
        batch.Add(s);
    batch.Flush();
    transaction.Commit();
}

} // namespace kx
