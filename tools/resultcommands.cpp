#include "resultcommands.h"

#include "cliargs.h"
#include "clihost.h"
#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/strutils.h"
#include "engine/tablefile.h"
#include "workbench/supplyadjust.h"

#include <limits>

namespace kx::cli {

namespace {

const char* const kUsage =
    "用法: kxmrp supplies --scheme ID [--type 0-9 | --adjust 文件]\n"
    "  --type 计划类型 (0 生产计划 ... 8 即时库存, 缺省 9 (全部)): 列出计划方案的供应计划。\n"
    "  --adjust 表格文件 (CSV或xlsx), 列: 供应内码, 以及 类型 / BOM单 / 计划数量 中的任意几列:\n"
    "    调整MRP计划供应并保存, 检查和提示与桌面程序相同; 任一行有误则不保存任何内容。\n"
    "  列出需要[供应计划]的浏览权限; 调整需要[供应计划]的修改权限, 且方案须是用户自己的、未发布的。\n";


void ListSupplies(TConnection& connection, int schemeIID, int planType)
{
    const QList<int> types = SupplyPlanTypeBillTypes(planType, false);
    TQuery q(&connection);
    q.SQL = QStringLiteral("select s.SupIID, i.ItmNo, i.ItmName, s.SupBillType, s.SupBillNo, s.SupDate, s.SupQty, s.SupAdjQty, "
                           "s.SupAllotQty, s.SupRestQty, b.BomNo, j.AdjSupIID from KX_MRP_Supplies as s join KX_Base_ItemMaster as i "
                           "on i.ItmID=s.SupItmID left join KX_Bom_Head as b on b.BomID=s.SupBomID left join KX_MRP_SupAdjusts as j "
                           "on j.AdjSchIID=s.SupSchIID and j.AdjSupIID=s.SupIID where s.SupSchIID=%1%2 and (s.SupQty>0 or "
                           "s.SupBillType>=%3) order by i.ItmNo, s.SupDate, s.SupBillType, s.SupBillNo")
                .arg(SQLInt(schemeIID),
                     types.isEmpty() ? QString() : QStringLiteral(" and s.SupBillType in (%1)").arg(SQLIntList(types)))
                .arg(btPlanMO);
    q.Open();
    Print(QStringLiteral("供应内码\t物料代码\t物料名称\t类型\t单据编号\t交货日期\t计划数量\t(调整数)\t被分配数\t剩余数量\tBOM单\t已调整"));
    for (int r = 0; r < q.RecordCount(); ++r)
        Print(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\t%8\t%9\t%10\t%11\t%12")
                  .arg(q.TextAt(r, 0), q.TextAt(r, 1), q.TextAt(r, 2), EnumText(QStringLiteral("MrpBillType"), q.IntAt(r, 3)),
                       q.TextAt(r, 4), DateToText(q.DateAt(r, 5)), FloatToText(q.NumberAt(r, 6)), FloatToText(q.NumberAt(r, 7)),
                       FloatToText(q.NumberAt(r, 8)))
                  .arg(FloatToText(q.NumberAt(r, 9)), q.TextAt(r, 10), q.IsNullAt(r, 11) ? QString() : QStringLiteral("是")));
    Print(QStringLiteral("共 %1 行").arg(q.RecordCount()));
}

// A type cell: its code, or the caption of a planned type.
int TypeOfCell(const QString& text)
{
    bool ok = false;
    const int code = text.toInt(&ok);
    if (ok)
        return code;
    for (int type : kAdjustableSupplyTypes)
        if (EnumText(QStringLiteral("MrpBillType"), type) == text)
            return type;
    return -1;
}

// Applies the rows of the file to the lines they name; the first refused value stops it.
bool ApplyAdjustments(TConnection& connection, int schemeIID, const TTableFile& table, QList<TSupplyLine>& changed)
{
    const int iidAt = table.FieldIndex(QStringLiteral("供应内码"));
    const int typeAt = table.FieldIndex(QStringLiteral("类型"));
    const int bomAt = table.FieldIndex(QStringLiteral("BOM单"));
    const int qtyAt = table.FieldIndex(QStringLiteral("计划数量"));
    if (iidAt < 0)
        throw EKxError(FieldCheckText(fcEmpty, QStringLiteral("供应内码")));
    QList<int> ids;
    for (const QStringList& row : table.Rows)
        ids << row.value(iidAt).trimmed().toInt();
    QHash<int, TSupplyLine> lines;
    for (const TSupplyLine& line : ReadSupplyLines(connection, schemeIID, ids))
        lines.insert(line.SupIID, line);
    for (int r = 0; r < table.Rows.size(); ++r) {
        const QStringList& row = table.Rows[r];
        auto refuse = [&](const QString& message) {
            Print(QStringLiteral("第%1行: %2").arg(table.RowNumbers.value(r)).arg(message));
            return false;
        };
        const QString iidText = row.value(iidAt).trimmed();
        auto it = lines.find(iidText.toInt());
        if (it == lines.end())
            return refuse(FieldCheckText(fcNotExists, QStringLiteral("供应内码"), iidText));
        TSupplyLine& line = it.value();
        if (line.DestQty > 0)
            return refuse(QStringLiteral("供应计划[%1]已有投放数量, 不能调整!").arg(line.BillNo));
        const QString typeText = typeAt < 0 ? QString() : row.value(typeAt).trimmed();
        if (!typeText.isEmpty() && TypeOfCell(typeText) != line.BillType) {
            const int type = TypeOfCell(typeText);
            const TSupplyFault fault = type < 0 ? TSupplyFault{sf::BillType, FieldCheckText(fcInvalid, QStringLiteral("类型"), typeText)}
                                                : ChangeSupplyType(connection, line, type);
            if (!fault.IsEmpty())
                return refuse(fault.Message);
        }
        if (bomAt >= 0 && row.value(bomAt).trimmed() != line.BomNo) {
            const TSupplyFault fault = ChangeSupplyBom(connection, line, row.value(bomAt));
            if (!fault.IsEmpty())
                return refuse(fault.Message);
        }
        const QString qtyText = qtyAt < 0 ? QString() : row.value(qtyAt).trimmed();
        if (!qtyText.isEmpty()) {
            bool ok = false;
            const double qty = qtyText.toDouble(&ok);
            if (!ok)
                return refuse(FieldCheckText(fcInvalid, QStringLiteral("计划数量"), qtyText));
            ChangeSupplyQty(line, qty);
        }
    }
    for (const TSupplyLine& line : lines)
        if (SupplyLineChanged(line))
            changed << line;
    return true;
}

} // namespace

int RunSuppliesCommand(const TConnectOptions& options, QStringList args)
{
    TCliArgs a(args, QStringLiteral("supplies"), QString::fromUtf8(kUsage));
    const int iid = a.RequiredInt("scheme", 1, std::numeric_limits<int>::max());
    const bool adjusting = a.Has("adjust");
    const QString file = adjusting ? a.ExistingFile("adjust") : QString();
    const int planType = a.Int("type", 0, int(SupplyPlanTypeCaptions().size()) - 1, kSupplyPlanTypeAll);
    a.Finish();

    TCliHost host(options);
    host.RequireRight(QStringLiteral("KX_MRP.MRP.Supplies"), adjusting ? QStringLiteral("Update") : QString());
    std::unique_ptr<TPlanScheme> scheme = host.OpenScheme(iid, adjusting ? saMaintain : saRead);
    if (!adjusting) {
        Print(QStringLiteral("计划方案[%1] (%2), %3:").arg(scheme->SchemeName, scheme->GetPlanStateText(), SupplyPlanTypeCaptions()[planType]));
        ListSupplies(host.Connection(), iid, planType);
        return esDone;
    }
    // As the view allows it: a scheme with results, not yet published.
    if (scheme->PlanState < psMPSReady || scheme->PlanState >= psPublished)
        throw ECliRefusal(QStringLiteral("计划方案[%1]处于\"%2\"状态, 不能调整供应计划!").arg(scheme->SchemeName, scheme->GetPlanStateText()),
                          esFailed);
    QList<TSupplyLine> lines;
    if (!ApplyAdjustments(host.Connection(), iid, ReadTableFile(file), lines))
        return esFailed;
    const TSupplySaveResult result = SaveSupplyAdjustments(host.Connection(), *scheme, lines);
    if (!result.Fault.IsEmpty()) {
        Print(QStringLiteral("供应内码%1: %2").arg(lines.value(result.Fault.Line).SupIID).arg(result.Fault.Message));
        return esFailed;
    }
    if (!result.Saved)
        return esFailed;
    Print(QString(result.Notes.Text()).replace(QLatin1String("\r\r"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    Print(QStringLiteral("调整了 %1 行供应计划; 状态: %2").arg(lines.size()).arg(scheme->GetPlanStateText()));
    return esDone;
}

} // namespace kx::cli
