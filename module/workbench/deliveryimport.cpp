// Import of delivery adjustments: a file of bill lines with one quantity column per plan
// period moves the plan quantity of the matching main-demand lines into those periods.
#include "workbench/mainedit.h"

#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/strutils.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "engine/schemelock.h"
#include "workbench/schemeops.h"

namespace kx {

namespace {

// A column found by its field name or by its caption in the view.
int ColumnOf(const TTableFile& table, const char* field, const char* caption)
{
    const int byField = table.FieldIndex(QLatin1String(field));
    return byField >= 0 ? byField : table.FieldIndex(QString::fromUtf8(caption));
}

QString Cell(const TTableFile& table, int row, int column)
{
    return column < 0 ? QString() : table.Rows[row][column].trimmed();
}

} // namespace

QStringList DeliveryImportFields()
{
    return {QStringLiteral("ManBillNo"), QStringLiteral("ManBillEntry"), QStringLiteral("ItmNo")};
}

int ImportDeliveryAdjustments(TConnection& connection, const TPlanScheme& scheme, const TTableFile& table,
                              IEngineProgress& progress, QList<TImportIssue>& issues)
{
    TSchemeLock lock(connection, scheme.SchemeIID, scheme.SchemeName, kMainEditOperation);
    const TPlanPeriods& periods = scheme.MpsPeriods;
    const int billNoCol = ColumnOf(table, "ManBillNo", "需求单号");
    const int entryCol = ColumnOf(table, "ManBillEntry", "需求行");
    const int itemCol = ColumnOf(table, "ItmNo", "物料代码");
    // The period columns are named after the periods' captions, with or without brackets.
    QList<int> periodCols;
    bool anyPeriod = false;
    for (int p = 0; p < periods.size(); ++p) {
        const QString caption = PeriodColumnCaption(periods, p);
        int col = table.FieldIndex(QLatin1Char('[') + caption + QLatin1Char(']'));
        if (col < 0)
            col = table.FieldIndex(caption);
        periodCols << col;
        anyPeriod = anyPeriod || col >= 0;
    }
    if (billNoCol < 0 || itemCol < 0 || !anyPeriod)
        throw EKxError(QStringLiteral("导入的表格中没有可识别的字段(%1 及各期间的计划数量), 不能导入!")
                           .arg(DeliveryImportFields().join(QStringLiteral(", "))));

    TQuery q(&connection);
    QStringList statements;
    for (int row = 0; row < table.Rows.size(); ++row) {
        progress.CheckAbort();
        progress.ShowPosition(row, table.Rows.size());
        const int rowNo = table.RowNumbers[row];
        auto report = [&](const QString& text) { issues << TImportIssue{rowNo, mkWarning, text}; };
        const QString billNo = Cell(table, row, billNoCol);
        const QString itemNo = Cell(table, row, itemCol);
        const QString entryText = Cell(table, row, entryCol);
        if (billNo.isEmpty() || itemNo.isEmpty()) {
            report(QStringLiteral("字段%1导入内容为空, 忽略导入!").arg(billNo.isEmpty() ? QStringLiteral("ManBillNo") : QStringLiteral("ItmNo")));
            continue;
        }
        q.SQL = QStringLiteral("select ManIID, ManDate, ManQty, ManHints from KX_MRP_Main join KX_Base_ItemMaster on ManItmID=ItmID "
                               "where ManSchIID=%1 and ManBillNo=%2 and ItmNo=%3 %4 and ManQty>0 order by ManBillType, ManDate, ManBillEntry")
                    .arg(SQLInt(scheme.SchemeIID), QuotedStr(billNo), QuotedStr(itemNo),
                         entryText.isEmpty() ? QString() : QStringLiteral(" and ManBillEntry=") + SQLInt(entryText.toInt()));
        q.Open();
        if (q.IsEmpty()) {
            report(QStringLiteral("当前计划方案中不存在此需求记录, 或此需求无计划数量!\r\r需求单号: %1\r需求行: %2\r物料代码: %3")
                       .arg(billNo, entryText, itemNo));
            continue;
        }
        // The imported shares, period by period; what is not a positive number counts as none.
        QList<double> shares(periods.size(), 0);
        double imported = 0;
        for (int p = 0; p < periods.size(); ++p) {
            bool ok = false;
            const double v = QString(Cell(table, row, periodCols[p])).remove(QLatin1Char(',')).toDouble(&ok);
            if (ok && v > 0) {
                shares[p] = v;
                imported += v;
            }
        }
        if (!(imported > 0)) {
            report(QStringLiteral("导入内容无计划数量, 或计划数量不大于0, 忽略导入。"));
            continue;
        }
        double planned = 0;
        for (int r = 0; r < q.RecordCount(); ++r)
            planned += q.NumberAt(r, 2);
        if (imported > planned + 5e-9) {
            // The excess is dropped from the latest periods back.
            double excess = imported - planned;
            report(QStringLiteral("导入的计划数量大于相应需求单实际的计划数量, 超出的计划数量(%1)忽略导入。").arg(excess, 0, 'f', 6));
            for (int p = periods.size() - 1; p >= 0 && excess > 0; --p) {
                const double cut = qMin(shares[p], excess);
                shares[p] -= cut;
                excess -= cut;
            }
        }
        // Lines in their order take shares from the earliest period on, each up to its plan
        // quantity; what a line does not receive stays in its own period.
        int p = 0;
        for (int r = 0; r < q.RecordCount(); ++r) {
            TMainLineQty line;
            line.Date = q.DateAt(r, 1);
            line.Qty = q.NumberAt(r, 2);
            THints hints;
            double room = line.Qty;
            while (room > 5e-9 && p < shares.size()) {
                const double take = qMin(room, shares[p]);
                if (take > 0) {
                    hints[p] = Round8(hints.value(p, 0) + take);
                    shares[p] -= take;
                    room -= take;
                }
                if (shares[p] <= 5e-9)
                    ++p;
            }
            if (hints.isEmpty())
                continue;
            const int own = PeriodOfDate(periods, line.Date);
            if (room > 5e-9)
                hints[own] = Round8(hints.value(own, 0) + room);
            const bool allInOwn = hints.size() == 1 && hints.contains(own);
            const QString text = allInOwn ? QString() : FormatHints(hints);
            if (text != q.TextAt(r, 3))
                statements << QStringLiteral("update KX_MRP_Main set ManHints=%1 where ManSchIID=%2 and ManIID=%3")
                                  .arg(QuotedStr(text), SQLInt(scheme.SchemeIID), SQLInt(q.IntAt(r, 0)));
        }
    }
    progress.CheckAbort();
    if (!statements.isEmpty())
        SaveMainLines(connection, scheme.SchemeIID, {}, statements);
    return int(statements.size());
}

} // namespace kx
