#include "workbench/supplyadjust.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "engine/hints.h"
#include "engine/schemelock.h"
#include "workbench/itembom.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace kx {

namespace {

const QString kTypeCaption = QStringLiteral("类型");
const QString kBomCaption = QStringLiteral("BOM单");
const QString kQtyCaption = QStringLiteral("计划数量");

bool SameQty(double a, double b)
{
    return std::abs(a - b) < 5e-9;
}

// The values before the first change are what the adjustment record keeps.
void RememberOriginal(TSupplyLine& line)
{
    if (line.HasAdjust)
        return;
    line.HasAdjust = true;
    line.AdjOldType = line.BillType;
    line.AdjOldBomID = line.BomID;
    line.AdjOldQty = line.AdjQty;
}

// The change reaches lower levels only through a run when a made supply (one that is not a
// purchase and has a BOM, before or after the change) changed its type, BOM or quantity.
void UpdatePending(TSupplyLine& line)
{
    const bool changed = line.BillType != line.AdjOldType || line.BomID != line.AdjOldBomID || !SameQty(line.AdjQty, line.AdjOldQty);
    const bool madeBefore = line.AdjOldType != btPlanPO && !line.AdjOldBomID.isEmpty();
    const bool madeAfter = line.BillType != btPlanPO && !line.BomID.isEmpty();
    line.AdjPending = changed && (madeBefore || madeAfter);
}

void SetBom(TSupplyLine& line, const TItemBom& bom)
{
    line.BomType = bom.Type;
    line.BomID = bom.ID;
    line.BomNo = bom.No;
}

QString QtyText(double value)
{
    return FloatToText(Round8(value));
}

TSupplyFault LineFault(int index, const QString& field, const QString& message)
{
    return TSupplyFault{field, message, index};
}

// A fault of a line a save would refuse, before anything is written.
TSupplyFault CheckLine(const TSupplyLine& line, int index)
{
    if (line.Qty < 0)
        return LineFault(index, sf::Qty, FieldCheckText(fcNotGreaterOrEqual, kQtyCaption, QtyText(line.Qty), QStringLiteral("0")));
    if (!IsAdjustableSupplyType(line.BillType) || !IsAdjustableSupplyType(line.SeenType))
        return LineFault(index, sf::BillType, FieldCheckText(fcInvalid, kTypeCaption, EnumText(QStringLiteral("MrpBillType"), line.BillType)));
    if (line.DestQty > 0)
        return LineFault(index, sf::DestQty, QStringLiteral("供应计划[%1]已有投放数量, 不能调整!").arg(line.BillNo));
    return {};
}

QString AdjustStatement(int schemeIID, const TSupplyLine& line)
{
    return QStringLiteral("select KX_MRP_AdjustSupply(%1, %2, %3, %4, %5, %6, %7, %8, %9, %10, %11, %12, %13, %14, %15, %16)")
        .arg(SQLInt(schemeIID), SQLInt(line.SupIID), SQLInt(line.SeenType), QuotedStr(line.SeenBomID), SQLQty(line.SeenQty),
             SQLInt(line.BillType), SQLInt(line.BomType), QuotedStr(line.BomID), SQLQty(line.AdjQty))
        .arg(SQLQty(line.Qty), SQLQty(line.RestQty), QuotedStr(line.Hints), SQLInt(line.AdjOldType), QuotedStr(line.AdjOldBomID),
             SQLQty(line.AdjOldQty), SQLInt(line.AdjPending ? 1 : 0));
}

// The scheme as it was loaded: the same state, and neither run again nor adjusted by another
// session since (their times are read again with the state).
bool SchemeAsLoaded(TPlanScheme& scheme)
{
    const QDateTime runTime = scheme.MrpRunTime;
    const QDateTime updTime = scheme.MrpUpdTime;
    if (!scheme.CheckState())
        return false;
    if (scheme.MrpRunTime == runTime && scheme.MrpUpdTime == updTime)
        return true;
    ShowError(QStringLiteral("计划方案[%1]最新状态已被改变, 不能执行本操作!").arg(scheme.SchemeName));
    return false;
}

// The plan types of cboPlanType: caption, the bill types shown, and those shown in edit mode.
struct TPlanTypeRow {
    const char* Caption;
    QList<int> Shown;
    QList<int> Editing;
};

const QList<TPlanTypeRow>& PlanTypeRows()
{
    static const QList<TPlanTypeRow> rows{
        {"生产计划", {btMO, btMR, btPlanMO}, {btPlanMO}},
        {"委外计划", {btOO, btOR, btPlanOO}, {btPlanOO}},
        {"委外+生产计划", {btOO, btOR, btPlanOO, btMO, btMR, btPlanMO}, {btPlanOO, btPlanMO}},
        {"采购计划", {btPO, btPI, btPR, btPlanPO}, {btPlanPO}},
        {"采购+委外计划", {btPO, btPI, btPR, btPlanPO, btOO, btOR, btPlanOO}, {btPlanPO, btPlanOO}},
        {"采购+委外+生产计划", {btPO, btPI, btPR, btPlanPO, btOO, btOR, btPlanOO, btMO, btMR, btPlanMO}, {btPlanPO, btPlanOO, btPlanMO}},
        {"MRP采购+委外+生产", {btPlanPO, btPlanOO, btPlanMO}, {btPlanPO, btPlanOO, btPlanMO}},
        {"MRP虚拟件+跳层", {btPlanOOSkip, btPlanMOSkip, btPlanOther, btPlanMOVirtual, btPlanOOVirtual},
         {btPlanOOSkip, btPlanMOSkip, btPlanOther, btPlanMOVirtual, btPlanOOVirtual}},
        {"即时库存", {btStock}, {btStock}},
        {"(全部)", {}, {btPlanPO, btPlanOO, btPlanMO}},
    };
    return rows;
}

} // namespace

const QStringList& SupplyPlanTypeCaptions()
{
    static const QStringList captions = [] {
        QStringList list;
        for (const TPlanTypeRow& row : PlanTypeRows())
            list << QString::fromUtf8(row.Caption);
        return list;
    }();
    return captions;
}

QList<int> SupplyPlanTypeBillTypes(int planType, bool editing)
{
    const TPlanTypeRow& row = PlanTypeRows().value(planType, PlanTypeRows()[kSupplyPlanTypeAll]);
    return editing ? row.Editing : row.Shown;
}

bool SupplyLineChanged(const TSupplyLine& line)
{
    return line.BillType != line.SeenType || line.BomID != line.SeenBomID || !SameQty(line.Qty, line.SeenQty);
}

bool IsAdjustableSupplyType(int type)
{
    return std::find(std::begin(kAdjustableSupplyTypes), std::end(kAdjustableSupplyTypes), type) != std::end(kAdjustableSupplyTypes);
}

TSupplyFault ChangeSupplyType(TConnection& connection, TSupplyLine& line, int type)
{
    if (!IsAdjustableSupplyType(type) || !IsAdjustableSupplyType(line.SeenType))
        return {sf::BillType, FieldCheckText(fcInvalid, kTypeCaption, EnumText(QStringLiteral("MrpBillType"), type))};
    RememberOriginal(line);
    line.BillType = type;
    // Purchase, or no default BOM: no BOM.
    TItemBom bom;
    if (type != btPlanPO)
        FindItemBom(connection, line.ItmID, line.ItmProps, line.DrawDate, QString(), bom);
    SetBom(line, bom);
    UpdatePending(line);
    return {};
}

TSupplyFault ChangeSupplyBom(TConnection& connection, TSupplyLine& line, const QString& bomNo)
{
    const QString no = bomNo.trimmed();
    TItemBom bom;
    if (!no.isEmpty() && !FindItemBom(connection, line.ItmID, line.ItmProps, line.DrawDate, no, bom))
        return {sf::BomNo, FieldCheckText(fcNotExists, kBomCaption, no)};
    RememberOriginal(line);
    SetBom(line, bom);
    UpdatePending(line);
    return {};
}

void ChangeSupplyQty(TSupplyLine& line, double qty)
{
    RememberOriginal(line);
    line.Qty = Round8(qty);
    line.AdjQty = Round8(line.Qty - line.BillQty);
    line.RestQty = Round8(line.Qty - line.AllotQty);
    line.Hints = SpreadSupplyHints(line.PHints, line.Qty);
    UpdatePending(line);
}

void ChangeSupplyAdjQty(TSupplyLine& line, double adjQty)
{
    ChangeSupplyQty(line, line.BillQty + adjQty);
}

QString SpreadSupplyHints(const QString& runHints, double qty)
{
    THints hints;
    const THints parsed = ParseHints(runHints);
    for (auto it = parsed.begin(); it != parsed.end(); ++it)
        if (it.value() > 0)
            hints.insert(it.key(), it.value());
    if (hints.isEmpty())
        return QString();
    double total = 0;
    for (double v : hints)
        total += v;
    double diff = Round8(qty - total);
    if (diff > 0)
        hints.first() = Round8(hints.first() + diff);
    for (auto it = hints.end(); diff < 0 && it != hints.begin();) {
        --it;
        const double take = std::min(it.value(), -diff);
        it.value() = Round8(it.value() - take);
        diff = Round8(diff + take);
    }
    hints.removeIf([](const auto& entry) { return entry.value() <= 0; });
    return hints.size() > 1 ? FormatHints(hints) : QString();
}

QString TSupplySaveNotes::Text() const
{
    QString text = QStringLiteral("数据保存完成。");
    if (!Any())
        return text;
    text += QStringLiteral("\r\r保存的内容存在以下情况需注意:");
    if (Pending)
        text += QStringLiteral("\r- 涉及到父级物料的BOM或数量变化, 请重新运算MRP以使相关子级物料需求计划同步!");
    if (MissingBom)
        text += QStringLiteral("\r- 发现有父级物料(非\"MRP采购\"类型)缺少BOM信息, 可能会影响MRP运算结果的完整性!");
    if (NegativeRest)
        text += QStringLiteral("\r- 发现有剩余数量为负数(即: 计划数量小于被分配数)的供应计划存在!");
    return text;
}

TSupplySaveResult SaveSupplyAdjustments(TConnection& connection, TPlanScheme& scheme, const QList<TSupplyLine>& lines)
{
    TSupplySaveResult result;
    for (int i = 0; i < lines.size(); ++i) {
        result.Fault = CheckLine(lines[i], i);
        if (!result.Fault.IsEmpty())
            return result;
    }
    for (const TSupplyLine& line : lines) {
        result.Notes.Pending = result.Notes.Pending || line.AdjPending;
        result.Notes.MissingBom = result.Notes.MissingBom || (line.BillType != btPlanPO && line.BomID.isEmpty());
        result.Notes.NegativeRest = result.Notes.NegativeRest || line.RestQty < 0;
    }
    if (lines.isEmpty()) {
        result.Saved = true;
        return result;
    }
    // Another session that rewrites the scheme (a run, a release, another planner's save) holds it.
    std::unique_ptr<TSchemeLock> lock;
    try {
        lock = std::make_unique<TSchemeLock>(connection, scheme.SchemeIID, scheme.SchemeName, QStringLiteral("调整供应计划"));
    } catch (const EAbort&) {
        throw;
    } catch (const EKxError& e) {
        ShowError(e.Message());
        return result;
    }
    try {
        if (!SchemeAsLoaded(scheme))
            return result;
        TTransaction transaction(connection);
        TSQLBatch batch(connection);
        for (const TSupplyLine& line : lines)
            batch.Add(AdjustStatement(scheme.SchemeIID, line));
        batch.Add(QStringLiteral("update KX_MRP_Schemes set %1SchMrpUpdTime=localtimestamp, SchMaxTime=localtimestamp where SchIID=%2")
                      .arg(result.Notes.Pending ? QStringLiteral("SchState=%1, ").arg(psResultsChanged) : QString(),
                           SQLInt(scheme.SchemeIID)));
        batch.Flush();
        transaction.Commit();
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        ShowException(e);
        ShowError(QStringLiteral("保存过程中出现意外错误, 操作被中止!"));
        return result;
    }
    result.Saved = true;
    (void)scheme.LoadState();
    return result;
}

QString SupplyLineColumns()
{
    return QStringLiteral("s.SupIID, s.SupBillNo, s.SupItmID, s.SupItmProps, s.SupDrawDate, s.SupBillType, s.SupBomType, s.SupBomID, "
                          "b.BomNo, s.SupBillQty, s.SupAdjQty, s.SupQty, s.SupAllotQty, s.SupRestQty, s.SupDestQty, s.SupHints, "
                          "s.SupPHints, s.SupBillType as \"SupSeenType\", s.SupBomID as \"SupSeenBomID\", s.SupQty as \"SupSeenQty\", "
                          "j.AdjSupIID, j.AdjOldType, j.AdjOldBomID, j.AdjOldQty, j.AdjPending");
}

TSupplyLine SupplyLineOf(const std::function<QVariant(const QString&)>& value)
{
    auto text = [&](const char* field) { return value(QLatin1String(field)).toString(); };
    auto number = [&](const char* field) { return value(QLatin1String(field)).toDouble(); };
    auto integer = [&](const char* field) { return value(QLatin1String(field)).toInt(); };
    TSupplyLine line;
    line.SupIID = integer("SupIID");
    line.BillNo = text("SupBillNo");
    line.ItmID = text("SupItmID");
    line.ItmProps = text("SupItmProps");
    line.DrawDate = value(QStringLiteral("SupDrawDate")).toDate();
    line.BillType = integer("SupBillType");
    line.BomType = integer("SupBomType");
    line.BomID = text("SupBomID");
    line.BomNo = text("BomNo");
    line.BillQty = number("SupBillQty");
    line.AdjQty = number("SupAdjQty");
    line.Qty = number("SupQty");
    line.AllotQty = number("SupAllotQty");
    line.RestQty = number("SupRestQty");
    line.DestQty = number("SupDestQty");
    line.Hints = text("SupHints");
    line.PHints = text("SupPHints");
    line.SeenType = integer("SupSeenType");
    line.SeenBomID = text("SupSeenBomID");
    line.SeenQty = number("SupSeenQty");
    line.HasAdjust = !value(QStringLiteral("AdjSupIID")).isNull();
    line.AdjOldType = integer("AdjOldType");
    line.AdjOldBomID = text("AdjOldBomID");
    line.AdjOldQty = number("AdjOldQty");
    line.AdjPending = integer("AdjPending") != 0;
    return line;
}

QList<TSupplyLine> ReadSupplyLines(TConnection& connection, int schemeIID, const QList<int>& supIIDs)
{
    QStringList ids;
    for (int id : supIIDs)
        ids << SQLInt(id);
    TQuery q(&connection);
    q.SQL = QStringLiteral("select %1 from KX_MRP_Supplies as s left join KX_Bom_Head as b on b.BomID=s.SupBomID "
                           "left join KX_MRP_SupAdjusts as j on j.AdjSchIID=s.SupSchIID and j.AdjSupIID=s.SupIID "
                           "where s.SupSchIID=%2 and %3 order by s.SupIID")
                .arg(SupplyLineColumns(), SQLInt(schemeIID),
                     ids.isEmpty() ? QStringLiteral("s.SupBillType in (%1, %2, %3)").arg(btPlanPO).arg(btPlanMO).arg(btPlanOO)
                                   : QStringLiteral("s.SupIID in (%1)").arg(ids.join(QLatin1String(", "))));
    q.Open();
    QList<TSupplyLine> lines;
    lines.reserve(q.RecordCount());
    for (q.First(); !q.Eof(); q.Next())
        lines << SupplyLineOf([&q](const QString& field) { return q.FieldByName(field).Value(); });
    return lines;
}

} // namespace kx
