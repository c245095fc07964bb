#include "workbench/mainedit.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/strutils.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "engine/schemelock.h"
#include "workbench/itembom.h"
#include "workbench/schemeops.h"
#include "masterdata/itemsetting.h"

#include <QLocale>

namespace kx {

namespace {

int OwnPeriod(const TMainLineQty& line, const TPlanPeriods& periods)
{
    return PeriodOfDate(periods, line.Date);
}

// The hints of a line with its whole quantity in one period are written out only when that
// period is not its own.
void SetSinglePeriod(TMainLineQty& line, int period, int own)
{
    line.Hints = period == own ? QString() : FormatHints(THints{{period, line.Qty}});
}

bool SameQty(double a, double b)
{
    return std::abs(a - b) < 5e-9;
}

} // namespace

double PeriodCellQty(const TMainLineQty& line, const TPlanPeriods& periods, int period)
{
    if (line.Hints.trimmed().isEmpty())
        return period == OwnPeriod(line, periods) ? line.Qty : 0;
    return ParseHints(line.Hints).value(period, 0);
}

QString PeriodCellText(double qty)
{
    if (SameQty(qty, 0))
        return QString();
    QLocale c(QLocale::C);
    QString text = c.toString(std::abs(qty), 'f', 8);
    // Trailing zeros of the eight decimals go, and the point with them.
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return qty < 0 ? QLatin1Char('-') + text : text;
}

bool TypePeriodQty(TMainLineQty& line, const TPlanPeriods& periods, int period, const QString& text)
{
    double v = 0;
    const QString trimmed = QString(text).remove(QLatin1Char(',')).trimmed();
    if (!trimmed.isEmpty()) {
        bool ok = false;
        v = trimmed.toDouble(&ok);
        if (!ok || v < 0 || !std::isfinite(v))
            return false;
    }
    v = Round8(v);
    const int own = OwnPeriod(line, periods);
    if (line.Hints.trimmed().isEmpty() && period == own) {
        line.Qty = v;
    } else {
        THints hints = ParseHints(line.Hints);
        if (hints.isEmpty() && line.Qty != 0)
            hints.insert(own, line.Qty);
        line.Qty = Round8(line.Qty - hints.value(period, 0) + v);
        if (v == 0)
            hints.remove(period);
        else
            hints[period] = v;
        const bool allInOwn = hints.size() == 1 && hints.contains(own) && SameQty(hints.value(own), line.Qty);
        line.Hints = allInOwn ? QString() : FormatHints(hints);
    }
    line.AdjQty = Round8(line.Qty - line.NeedQty);
    return true;
}

bool MovePeriodQty(TMainLineQty& line, const TPlanPeriods& periods, int period)
{
    if (ParseHints(line.Hints).size() > 1 || PeriodCellQty(line, periods, period) != 0 || period < 0 || period >= periods.size())
        return false;
    SetSinglePeriod(line, period, OwnPeriod(line, periods));
    return true;
}

bool AdjustLineToPeriod(TMainLineQty& line, const TPlanPeriods& periods, int target, bool onlyEarlier)
{
    const int own = OwnPeriod(line, periods);
    const QString before = line.Hints;
    if (line.Hints.trimmed().isEmpty()) {
        if (own < target || (own > target && !onlyEarlier))
            SetSinglePeriod(line, target, own);
    } else if (!onlyEarlier) {
        SetSinglePeriod(line, target, own);
    } else {
        THints hints = ParseHints(line.Hints);
        double moved = 0;
        for (auto it = hints.begin(); it != hints.end();) {
            if (it.key() < target) {
                moved += it.value();
                it = hints.erase(it);
            } else {
                ++it;
            }
        }
        if (moved != 0)
            hints[target] = Round8(hints.value(target, 0) + moved);
        const bool allInOwn = hints.size() == 1 && hints.contains(own) && SameQty(hints.value(own), line.Qty);
        line.Hints = allInOwn ? QString() : FormatHints(hints);
    }
    return line.Hints != before;
}

bool FindMainItem(TConnection& connection, const QString& itemNo, TMainItem& item)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select i.ItmID, i.ItmName, i.ItmSpec, u.UntName, pl.EmpName as Planner, by.EmpName as Buyer, %1 as PropMask "
                           "from KX_Base_ItemMaster as i left join KX_Base_Unit as u on u.UntID=i.ItmUnitID "
                           "left join KX_MRP_ItemSetting as mt on mt.ItmID=i.ItmID "
                           "left join KX_Base_Employee as pl on pl.EmpID=mt.ItmPlannerID "
                           "left join KX_Base_Employee as by on by.EmpID=mt.ItmBuyerID where i.ItmNo=%2 and i.ItmDisabled=0")
                .arg(ItemPropMaskSQL(QStringLiteral("i")), QuotedStr(itemNo.trimmed()));
    q.Open();
    if (q.IsEmpty())
        return false;
    item = {q.TextAt(0, 0), q.TextAt(0, 1), q.TextAt(0, 2), q.TextAt(0, 3), q.TextAt(0, 4), q.TextAt(0, 5), q.TextAt(0, 6)};
    return true;
}

TMainLineFault CheckFreeLine(TConnection& connection, TMainLine& line, const TPlanPeriods& periods,
                             const std::function<QString(const QString& field)>& caption, bool tagHidden)
{
    const QString dateField = QStringLiteral("ManDate");
    if (!line.Q.Date.isValid())
        return {dateField, FieldCheckText(fcEmpty, caption(dateField))};
    const QDate begin = HorizonBegin(periods), end = HorizonEnd(periods);
    if (!begin.isValid() || line.Q.Date < begin || line.Q.Date > end)
        return {dateField, QStringLiteral("[%1]的值(%2)没有介于%3与%4之间!")
                               .arg(caption(dateField), DateToText(line.Q.Date), DateToText(begin), DateToText(end))};

    const QString itemField = QStringLiteral("ItmNo");
    if (line.ItmNo.trimmed().isEmpty())
        return {itemField, FieldCheckText(fcEmpty, caption(itemField))};
    TMainItem item;
    if (!FindMainItem(connection, line.ItmNo, item))
        return {itemField, FieldCheckText(fcNotExists, caption(itemField), line.ItmNo.trimmed())};
    line.ItmID = item.ItmID;
    line.PropMask = item.PropMask;

    if (line.PropMask.contains(QLatin1Char('1'))) {
        for (int n = 0; n < 10; ++n) {
            if (line.PropMask.mid(n, 1) != QLatin1String("1"))
                line.ItmProp[n].clear();
            else if (line.ItmProp[n].trimmed().isEmpty())
                return {QStringLiteral("ManItmProp%1").arg(n + 1), FieldCheckText(fcEmpty, caption(QStringLiteral("ManItmProp%1").arg(n + 1)))};
        }
        QStringList args{QuotedStr(line.ItmID)};
        for (const QString& p : line.ItmProp)
            args << QuotedStr(p.trimmed());
        TQuery q(&connection);
        q.SQL = QStringLiteral("select ID, ErrNum from KX_MRP_GetItemPropsID(%1)").arg(args.join(QStringLiteral(", ")));
        q.Open();
        const int err = q.IntAt(0, 1);
        if (err >= 1 && err <= 10) {
            const QString field = QStringLiteral("ManItmProp%1").arg(err);
            return {field, FieldCheckText(fcInvalid, caption(field), line.ItmProp[err - 1])};
        }
        if (q.TextAt(0, 0).isEmpty())
            return {QStringLiteral("ManItmProps"), FieldCheckText(fcEmpty, caption(QStringLiteral("ManItmProps")))};
        line.ItmProps = q.TextAt(0, 0);
    } else {
        line.ItmProps.clear();
        for (QString& p : line.ItmProp)
            p.clear();
    }

    const QString bomField = QStringLiteral("BomNo");
    TItemBom bom;
    if (!line.BomNo.trimmed().isEmpty() && !FindItemBom(connection, line.ItmID, line.ItmProps, line.Q.Date, line.BomNo, bom))
        return {bomField, FieldCheckText(fcNotExists, caption(bomField), line.BomNo.trimmed())};
    line.BomType = bom.Type;
    line.BomID = bom.ID;
    line.BomNo = bom.No;

    if (line.GroupType == 0) {
        line.GroupNo.clear();
    } else {
        line.GroupNo = line.GroupNo.trimmed();
        if (line.GroupNo.isEmpty())
            return {QStringLiteral("ManGroupNo"), FieldCheckText(fcEmpty, caption(QStringLiteral("ManGroupNo")))};
        if (tagHidden)
            line.OrigTag = line.GroupNo;
    }

    if (!(line.Q.Qty > 0))
        return {QStringLiteral("ManQty"),
                FieldCheckText(fcNotGreater, caption(QStringLiteral("ManQty")), FloatToText(line.Q.Qty), QStringLiteral("0"))};
    return {};
}

QString MainDeleteSQL(int schemeIID, const QList<int>& deleted)
{
    QStringList ids;
    for (int id : deleted)
        ids << SQLInt(id);
    return QStringLiteral("delete from KX_MRP_Main where ManSchIID=%1 and ManIID in (%2)").arg(SQLInt(schemeIID), ids.join(QLatin1Char(',')));
}

QString MainLineSaveSQL(int schemeIID, const TMainLine& line, const TPlanPeriods& periods)
{
    const QString iid = SQLInt(schemeIID);
    auto text = [](const QString& v) { return QuotedStr(v); };
    auto nullable = [](const QString& v) { return v.isEmpty() ? QStringLiteral("null") : QuotedStr(v); };
    const QString qty = QStringLiteral("%1, %2").arg(SQLQty(line.Q.AdjQty), SQLQty(line.Q.Qty));
    if (line.IID > 0 && line.BillType != btFreeNeed)
        return QStringLiteral("update KX_MRP_Main set ManPriority=%1, ManAdjQty=%2, ManQty=%3, ManHints=%4, ManNote=%5 "
                              "where ManSchIID=%6 and ManIID=%7")
            .arg(SQLInt(line.Priority), SQLQty(line.Q.AdjQty), SQLQty(line.Q.Qty), text(line.Q.Hints), text(line.Note), iid,
                 SQLInt(line.IID));
    QStringList props;
    for (const QString& p : line.ItmProp)
        props << text(p);
    const QString period = SQLInt(qMax(0, PeriodOfDate(periods, line.Q.Date)));
    if (line.IID > 0) {
        QStringList sets;
        for (int n = 0; n < 10; ++n)
            sets << QStringLiteral("ManItmProp%1=%2").arg(n + 1).arg(props[n]);
        return QStringLiteral("update KX_MRP_Main set ManPeriod=%1, ManDate=%2, ManPriority=%3, ManItmID=%4, ManBomType=%5, ManBomID=%6, "
                              "ManAdjQty=%7, ManQty=%8, ManHints=%9, ManNote=%10, ManOrigTag=%11, ManOrigSubTag=%12, ManGroupType=%13, "
                              "ManGroupNo=%14, ManItmProps=%15, %16 where ManSchIID=%17 and ManIID=%18")
            .arg(period, SQLDate(line.Q.Date), SQLInt(line.Priority), text(line.ItmID), SQLInt(line.BomType), nullable(line.BomID),
                 SQLQty(line.Q.AdjQty), SQLQty(line.Q.Qty), text(line.Q.Hints))
            .arg(text(line.Note), text(line.OrigTag), text(line.OrigSubTag), SQLInt(line.GroupType), text(line.GroupNo),
                 text(line.ItmProps), sets.join(QStringLiteral(", ")), iid, SQLInt(line.IID));
    }
    // A new line takes the scheme's next line number and the next number among its free lines.
    return QStringLiteral("insert into KX_MRP_Main (ManSchIID, ManIID, ManPeriod, ManBillType, ManDate, ManPriority, ManItmID, "
                          "ManBomType, ManBomID, ManAdjQty, ManQty, ManHints, ManBillID, ManBillNo, ManBillEntry, ManNote, ManOrigTag, "
                          "ManOrigSubTag, ManGroupType, ManGroupNo, ManItmProps, ManItmProp1, ManItmProp2, ManItmProp3, ManItmProp4, "
                          "ManItmProp5, ManItmProp6, ManItmProp7, ManItmProp8, ManItmProp9, ManItmProp10) "
                          "select %1, (select coalesce(max(ManIID),0)+1 from KX_MRP_Main where ManSchIID=%1), %2, %3, %4, %5, %6, %7, %8, "
                          "%9, %10, '', '', coalesce(max(ManBillEntry),0)+1, %11, %12, %13, %14, %15, %16, %17 "
                          "from KX_MRP_Main where ManSchIID=%1 and ManBillType=%3")
        .arg(iid, period, SQLInt(btFreeNeed), SQLDate(line.Q.Date), SQLInt(line.Priority), text(line.ItmID), SQLInt(line.BomType),
             nullable(line.BomID), qty)
        .arg(text(line.Q.Hints), text(line.Note), text(line.OrigTag), text(line.OrigSubTag), SQLInt(line.GroupType), text(line.GroupNo),
             text(line.ItmProps), props.join(QStringLiteral(", ")));
}

QString MainStateSQL(int schemeIID)
{
    return QStringLiteral("update KX_MRP_Schemes set SchState=(case when SchMrpRunTime is null then %1 else %2 end), "
                          "SchMpsUpdTime=localtimestamp, SchMaxTime=localtimestamp where SchIID=%3")
        .arg(SQLInt(psMPSReady), SQLInt(psMPSChanged), SQLInt(schemeIID));
}

void SaveMainLines(TConnection& connection, int schemeIID, const QList<int>& deleted, const QStringList& statements)
{
    TTransaction transaction(connection);
    if (!deleted.isEmpty())
        connection.Execute(MainDeleteSQL(schemeIID, deleted));
    QString batch;
    for (const QString& s : statements) {
        batch += s + QStringLiteral(";\r");
        if (batch.size() > 65000) {
            connection.Execute(batch);
            batch.clear();
        }
    }
    batch += MainStateSQL(schemeIID);
    connection.Execute(batch);
    transaction.Commit();
}

int AdjustMainToPeriod(TConnection& connection, const TPlanScheme& scheme, const QList<int>& lines, int target, bool onlyEarlier,
                       IEngineProgress& progress)
{
    TSchemeLock lock(connection, scheme.SchemeIID, scheme.SchemeName, kMainEditOperation);
    const TPlanPeriods& periods = scheme.MpsPeriods;
    QString sql = QStringLiteral("select ManIID, ManDate, ManQty, ManHints from KX_MRP_Main where ManSchIID=%1").arg(SQLInt(scheme.SchemeIID));
    if (!lines.isEmpty()) {
        QStringList ids;
        for (int id : lines)
            ids << SQLInt(id);
        sql += QStringLiteral(" and ManIID in (%1)").arg(ids.join(QLatin1Char(',')));
    }
    TQuery q(&connection);
    q.SQL = sql + QStringLiteral(" order by ManIID");
    q.Open();
    QStringList statements;
    for (int r = 0; r < q.RecordCount(); ++r) {
        if (r % 256 == 0) {
            progress.CheckAbort();
            progress.ShowPosition(r, q.RecordCount());
        }
        TMainLineQty line;
        line.Date = q.DateAt(r, 1);
        line.Qty = q.NumberAt(r, 2);
        line.Hints = q.TextAt(r, 3);
        if (AdjustLineToPeriod(line, periods, target, onlyEarlier))
            statements << QStringLiteral("update KX_MRP_Main set ManHints=%1 where ManSchIID=%2 and ManIID=%3")
                              .arg(QuotedStr(line.Hints), SQLInt(scheme.SchemeIID), SQLInt(q.IntAt(r, 0)));
    }
    progress.CheckAbort();
    SaveMainLines(connection, scheme.SchemeIID, {}, statements);
    return int(statements.size());
}

QString PeriodColumnCaption(const TPlanPeriods& periods, int index)
{
    if (index < 0 || index >= periods.size())
        return QString();
    const TPlanPeriod& p = periods[index];
    if (p.PeriodKind == ppkDelay)
        return QStringLiteral("前期");
    if (p.PeriodKind == ppkExceed)
        return QStringLiteral("后期");
    const QString begin = p.DateBegin.toString(QStringLiteral("MM/dd"));
    return p.DateBegin == p.DateEnd ? begin : begin + QLatin1Char('-') + p.DateEnd.toString(QStringLiteral("MM/dd"));
}

} // namespace kx
