#include "engine/mainimport.h"

#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "engine/objectquery.h"
#include "engine/progress.h"
#include "masterdata/itemsetting.h"

#include <QHash>

#include <cmath>

namespace kx {

namespace {

// How one kind of bill line is read as main demand.
struct TBillKind {
    int BillType;
    const char* Prefix;
    const char* ObjectID;
    const char* Dept;             // department or workshop column, or null
    const char* Supp;             // supplier column, or null
    const char* Qty;              // open quantity to plan
    bool OwnOrigin;               // customer bills are their own origin; others carry one
};

const TBillKind kCustomerBills[] = {
    {btSO, "SO", "KX_MRP.SO", "s.SODeptID", "null", "s.SOQty", true},
    {btSI, "SI", "KX_MRP.SI", "s.SIDeptID", "null", "s.SIQty", true},
    {btForcast, "For", "KX_MRP.Forcast", "s.ForDeptID", "null", "s.ForQty-coalesce(x.ForDedAQty,0)-coalesce(x.ForDedMQty,0)", true},
};
const TBillKind kSupplyBills[] = {
    {btMO, "MO", "KX_MRP.MO", "s.MODeptID", "null", "(case when s.MOQty>0 then s.MOQty else 0 end)", false},
    {btMR, "MR", "KX_MRP.MR", "s.MRDeptID", "null", "s.MRQty", false},
    {btOO, "OO", "KX_MRP.OO", "s.OODeptID", "s.OOSuppID", "(case when s.OOQty>s.OOChkQty then s.OOQty else s.OOChkQty end)", false},
    {btOR, "OR", "KX_MRP.OR", "null", "s.ORSuppID", "s.ORQty", false},
};

QString BillLookupFields(const TBillKind& k)
{
    const QString p = QLatin1String(k.Prefix);
    QStringList f;
    f << QStringLiteral("s.%1ID as \"BillID\"").arg(p) << QStringLiteral("s.%1No as \"BillNo\"").arg(p)
      << QStringLiteral("s.%1Entry as \"BillEntry\"").arg(p) << QStringLiteral("s.%1Date as \"BillDate\"").arg(p)
      << QStringLiteral("s.%1BillQty as \"BillQty\"").arg(p) << QStringLiteral("s.%1OkQty as \"ExeQty\"").arg(p)
      << QStringLiteral("%1 as \"NeedQty\"").arg(QLatin1String(k.Qty)) << QStringLiteral("s.%1DelivDate as \"NeedDate\"").arg(p)
      << QStringLiteral("%1 as \"DeptID\"").arg(QLatin1String(k.Dept)) << QStringLiteral("%1 as \"SuppID\"").arg(QLatin1String(k.Supp))
      << QStringLiteral("s.%1ItmID as \"ItmID\"").arg(p) << QStringLiteral("coalesce($$ItmProps$$, '') as \"ItmProps\"");
    for (int n = 1; n <= 10; ++n)
        f << QStringLiteral("$$ItmProp%1$$ as \"ItmProp%1\"").arg(n);
    f << QStringLiteral("$$OrigTag$$ as \"OrigTag\"") << QStringLiteral("$$OrigSubTag$$ as \"OrigSubTag\"")
      << QStringLiteral("coalesce($$MRPGroupType$$, 0) as \"GroupType\"") << QStringLiteral("coalesce($$MRPGroupNo$$, '') as \"GroupNo\"")
      << QStringLiteral("coalesce(s.%1BomType, 0) as \"BomType\"").arg(p) << QStringLiteral("s.%1BomID as \"BomID\"").arg(p);
    if (k.OwnOrigin) {
        f << QStringLiteral("%1 as \"OrigType\"").arg(k.BillType) << QStringLiteral("s.%1ID as \"OrigID\"").arg(p)
          << QStringLiteral("s.%1No as \"OrigNo\"").arg(p) << QStringLiteral("s.%1Entry as \"OrigEntry\"").arg(p)
          << QStringLiteral("s.%1ItmID as \"OrigItmID\"").arg(p) << QStringLiteral("s.%1CustID as \"OrigCustID\"").arg(p)
          << (k.BillType == btForcast ? QStringLiteral("null as \"OrigCustPO\"") : QStringLiteral("s.%1CustPO as \"OrigCustPO\"").arg(p))
          << (k.BillType == btForcast ? QStringLiteral("coalesce(x.ForDedAQty,0)+coalesce(x.ForDedMQty,0) as \"DedQty\"")
                                      : QStringLiteral("coalesce(x.%1DedAQty,0)+coalesce(x.%1DedMQty,0) as \"DedQty\"").arg(p));
    } else {
        f << QStringLiteral("coalesce($$OrigType$$, 0) as \"OrigType\"") << QStringLiteral("$$OrigID$$ as \"OrigID\"")
          << QStringLiteral("$$OrigNo$$ as \"OrigNo\"") << QStringLiteral("coalesce($$OrigEntry$$, 0) as \"OrigEntry\"")
          << QStringLiteral("$$OrigItmID$$ as \"OrigItmID\"") << QStringLiteral("$$OrigCustID$$ as \"OrigCustID\"")
          << QStringLiteral("$$OrigCustPO$$ as \"OrigCustPO\"") << QStringLiteral("0 as \"DedQty\"");
    }
    f << QStringLiteral("left(coalesce(s.%1Note,''), 500) as \"Note\"").arg(p);
    return f.join(QStringLiteral(", "));
}

// The fields a file may carry, with the caption a refusal names and, for texts, the length
// of the column they are stored in.
struct TImportField {
    const char* Name;
    const char* Caption;
    int Length;
};

const TImportField kImportFields[] = {
    {"ManBillNo", "需求单号", 80},      {"ManBillEntry", "需求行", 0},      {"ItmNo", "物料代码", 80},
    {"ManItmProp1", "辅助项1", 80},     {"ManItmProp2", "辅助项2", 80},     {"ManItmProp3", "辅助项3", 80},
    {"ManItmProp4", "辅助项4", 80},     {"ManItmProp5", "辅助项5", 80},     {"ManItmProp6", "辅助项6", 80},
    {"ManItmProp7", "辅助项7", 80},     {"ManItmProp8", "辅助项8", 80},     {"ManItmProp9", "辅助项9", 80},
    {"ManItmProp10", "辅助项10", 80},   {"ManOrigTag", "需求分类号", 80},   {"ManOrigSubTag", "子件需求分类号", 80},
    {"ManGroupNo", "MRP分组号", 100},   {"ManDate", "需求日期", 0},         {"ManNeedQty", "需求数量", 0},
    {"ManAdjQty", "调整数量", 0},       {"ManQty", "计划数量", 0},
};

// Quantities are stored as numeric(28,8): below 10^20, with eight decimals.
constexpr double kQtyLimit = 1e20;

// A cell's text as a refusal shows it: a long one cut short.
QString Shown(const QString& text)
{
    return text.size() > 60 ? text.left(60) + QStringLiteral("…") : text;
}

// The cells of one row, each read as its column's type. The first cell that does not read,
// or whose value the column cannot hold, becomes the row's refusal (caption and value):
// nothing is put in its place.
class TImportRow {
public:
    TImportRow(const TTableFile& table, const QHash<QString, int>& columns, int row)
        : FTable(table), FColumns(columns), FRow(row) {}

    bool Ok() const { return FProblem.isEmpty(); }
    const QString& Problem() const { return FProblem; }
    QString Raw(const QString& name) const
    {
        const int field = FColumns.value(name, -1);
        return field < 0 ? QString() : FTable.Rows[FRow][field].trimmed();
    }
    // A text, refused when longer than its column.
    QString Text(const char* name)
    {
        const TImportField& f = Field(name);
        const QString text = Raw(QLatin1String(name));
        if (f.Length > 0 && text.size() > f.Length)
            Refuse(f, text, QStringLiteral("长度%1个字符, 超过%2个字符").arg(text.size()).arg(f.Length));
        return text;
    }
    // A line number: empty is 0 (any line of the bill).
    int Entry(const char* name)
    {
        const QString text = Raw(QLatin1String(name));
        bool ok = true;
        const int value = text.isEmpty() ? 0 : text.toInt(&ok);
        if (!ok || value < 0)
            Refuse(Field(name), text);
        return value;
    }
    // A quantity; false when the cell is empty. One that is not a number, that the column
    // cannot hold, or that is not zero but would be stored as zero is refused.
    bool Quantity(const char* name, double& value)
    {
        const QString text = Raw(QLatin1String(name));
        if (text.isEmpty())
            return false;
        bool ok = false;
        const double v = text.toDouble(&ok);
        if (!ok || !std::isfinite(v))
            Refuse(Field(name), text);
        else if (std::fabs(v) >= kQtyLimit)
            Refuse(Field(name), text, QStringLiteral("数量的绝对值须小于10的20次方"));
        else if (v != 0 && Round8(v) == 0)
            Refuse(Field(name), text, QStringLiteral("数量保留8位小数后为0"));
        value = Round8(v);
        return Ok();
    }
    // A date within the plan's horizon; invalid when the cell is empty.
    QDate Date(const char* name, const TPlanPeriods& periods)
    {
        const QString text = Raw(QLatin1String(name));
        if (text.isEmpty())
            return QDate();
        const QDate date = TextToDateTime(text).date();
        if (!date.isValid() || date.year() < 1900 || date.year() > 9999) {
            Refuse(Field(name), text);
            return QDate();
        }
        const QDate begin = HorizonBegin(periods), end = HorizonEnd(periods);
        if (Ok() && (date < begin || date > end)) {
            FProblem = QStringLiteral("[%1]的值(%2)没有介于%3与%4之间!")
                           .arg(QString::fromUtf8(Field(name).Caption), text, DateToText(begin), DateToText(end));
            return QDate();
        }
        return date;
    }

private:
    static const TImportField& Field(const char* name)
    {
        for (const TImportField& f : kImportFields)
            if (qstrcmp(f.Name, name) == 0)
                return f;
        Q_UNREACHABLE();
    }
    void Refuse(const TImportField& f, const QString& text, const QString& reason = QString())
    {
        if (!Ok())
            return;
        FProblem = QStringLiteral("[%1]的值(%2)无效!").arg(QString::fromUtf8(f.Caption), Shown(text));
        if (!reason.isEmpty())
            FProblem += QStringLiteral("\r\r") + reason;
    }

    const TTableFile& FTable;
    const QHash<QString, int>& FColumns;
    int FRow;
    QString FProblem;
};

} // namespace

static const TBillKind* KindOf(int billType)
{
    for (const TBillKind& k : kCustomerBills)
        if (k.BillType == billType)
            return &k;
    for (const TBillKind& k : kSupplyBills)
        if (k.BillType == billType)
            return &k;
    return nullptr;
}

QString MainBillLineFields(int billType)
{
    const TBillKind* k = KindOf(billType);
    return k ? BillLookupFields(*k) : QString();
}

QString MainBillObjectID(int billType)
{
    const TBillKind* k = KindOf(billType);
    return k ? QLatin1String(k->ObjectID) : QString();
}

void ReadBillLine(const std::function<QVariant(const QString& name)>& value, TMainDemandLine& line)
{
    auto text = [&](const char* name) { return value(QLatin1String(name)).toString(); };
    auto number = [&](const char* name) { return value(QLatin1String(name)).toDouble(); };
    auto integer = [&](const char* name) { return value(QLatin1String(name)).toInt(); };
    line.BillID = text("BillID");
    line.BillNo = text("BillNo");
    line.BillEntry = integer("BillEntry");
    line.BillDate = value(QStringLiteral("BillDate")).toDateTime();
    line.BillQty = number("BillQty");
    line.ExeQty = number("ExeQty");
    line.DedQty = number("DedQty");
    line.DeptID = text("DeptID");
    line.SuppID = text("SuppID");
    line.ItmID = text("ItmID");
    line.ItmProps = text("ItmProps");
    for (int n = 0; n < 10; ++n)
        line.ItmProp[n] = value(QStringLiteral("ItmProp%1").arg(n + 1)).toString();
    line.OrigType = integer("OrigType");
    line.OrigID = text("OrigID");
    line.OrigNo = text("OrigNo");
    line.OrigEntry = integer("OrigEntry");
    line.OrigItmID = text("OrigItmID");
    line.OrigCustID = text("OrigCustID");
    line.OrigCustPO = text("OrigCustPO");
    line.OrigTag = text("OrigTag");
    line.OrigSubTag = text("OrigSubTag");
    line.GroupType = integer("GroupType");
    line.GroupNo = text("GroupNo");
    line.BomType = integer("BomType");
    line.BomID = text("BomID");
    line.Note = text("Note");
    line.NeedQty = number("NeedQty");
    line.Date = value(QStringLiteral("NeedDate")).toDate();
}

QStringList MainImportFields()
{
    QStringList fields;
    for (const TImportField& f : kImportFields)
        fields << QLatin1String(f.Name);
    return fields;
}

bool ImportMainDemand(TPlanScheme& scheme, TMRPMainImportType importType, const TTableFile& table, TMPSOverwriteType writeType,
                      IEngineProgress& progress, QList<TImportIssue>& issues)
{
    QHash<QString, int> col;
    int known = 0;
    for (const QString& f : MainImportFields()) {
        col.insert(f, table.FieldIndex(f));
        known += table.FieldIndex(f) >= 0;
    }
    if (known == 0)
        throw EKxError(QStringLiteral("导入的表格中没有可识别的字段(%1), 不能导入!").arg(MainImportFields().join(QStringLiteral(", "))));
    if (table.Rows.isEmpty())
        throw EKxError(QStringLiteral("导入的表格中除标题行外没有任何数据行, 没有可以导入的内容!"));
    const TPlanPeriods& periods = MainLinePeriods(scheme);
    if (periods.size() <= 2)
        throw EKxError(QStringLiteral("展望期间不能为空, 请设置!"));
    // Held from before the first row is read: a second import of the scheme is refused at
    // once, and one that finds the scheme changed when it saves writes nothing.
    const TMainDemandHold hold(scheme, QStringLiteral("导入主需求"));

    const bool freeNeed = importType == itImportFreeNeed;
    QList<TBillKind> kinds;
    if (importType == itImportSOorForcast)
        kinds = QList<TBillKind>(std::begin(kCustomerBills), std::end(kCustomerBills));
    else if (importType == itImportMOorOO)
        kinds = QList<TBillKind>(std::begin(kSupplyBills), std::end(kSupplyBills));
    QList<const TInfoObjectDef*> defs;
    for (const TBillKind& k : kinds) {
        const TInfoObjectDef* def = RequireObjectDef(QLatin1String(k.ObjectID));
        if (!def)
            return false;
        defs << def;
    }
    TQuery q(scheme.Query().Connection);
    QList<TMainDemandLine> lines;
    QHash<QString, int> lineOfBill;           // a bill line imported twice keeps the later row
    for (int row = 0; row < table.Rows.size(); ++row) {
        progress.CheckAbort();
        progress.ShowPosition(row, table.Rows.size());
        const int rowNo = table.RowNumbers[row];
        auto report = [&](const QString& text) { issues << TImportIssue{rowNo, mkWarning, text}; };
        TImportRow cells(table, col, row);

        QStringList required{QStringLiteral("ItmNo")};
        if (freeNeed)
            required << QStringLiteral("ManDate");
        else
            required.prepend(QStringLiteral("ManBillNo"));
        bool missing = false;
        for (const QString& f : required)
            if (!missing && cells.Raw(f).isEmpty()) {
                report(QStringLiteral("字段%1导入内容为空, 忽略导入!").arg(f));
                missing = true;
            }
        if (missing)
            continue;

        // Every cell is read first: a row with one that does not read is refused whole.
        const QString billNo = cells.Text("ManBillNo");
        const int entry = cells.Entry("ManBillEntry");
        const QString itemNo = cells.Text("ItmNo");
        QString props[10];
        for (int n = 0; n < 10; ++n)
            props[n] = cells.Text(QStringLiteral("ManItmProp%1").arg(n + 1).toLatin1().constData());
        const QString origTag = cells.Text("ManOrigTag");
        const QString origSubTag = cells.Text("ManOrigSubTag");
        const QString groupNo = cells.Text("ManGroupNo");
        const QDate date = cells.Date("ManDate", periods);
        double needQty = 0, adjQty = 0, qty = 0;
        const bool hasNeed = cells.Quantity("ManNeedQty", needQty);
        cells.Quantity("ManAdjQty", adjQty);
        const bool hasQty = cells.Quantity("ManQty", qty);
        if (!cells.Ok()) {
            report(cells.Problem());
            continue;
        }

        TMainDemandLine line;
        q.SQL = QStringLiteral("select ItmID, %1 as \"PropMask\" from KX_Base_ItemMaster where ItmNo=%2")
                    .arg(ItemPropMaskSQL(QString()), QuotedStr(itemNo));
        q.Open();
        if (q.IsEmpty()) {
            report(QStringLiteral("[%1]的值(%2)不存在!").arg(QStringLiteral("物料代码"), Shown(itemNo)));
            continue;
        }
        line.ItmID = q.Fields(0).AsString();
        const QString mask = q.Fields(1).AsString();
        for (int n = 0; n < 10; ++n)
            line.ItmProp[n] = mask.mid(n, 1) == QLatin1String("1") ? props[n] : QString();

        if (freeNeed) {
            line.BillType = btFreeNeed;
            line.Date = date;
            line.BillNo = billNo;
            line.BillEntry = entry;
            line.NeedQty = needQty;
        } else {
            int found = 0;
            for (qsizetype k = 0; k < kinds.size() && found == 0; ++k) {
                const TBillKind& kind = kinds[k];
                const QString p = QLatin1String(kind.Prefix);
                const QString sql = ComposeObjectStatement(
                    defs[k], QString(), BillLookupFields(kind),
                    QStringLiteral("s.%1No=%2 and (s.%1Entry=%3 or %3=0) and i.ItmNo=%4 and s.CanMRP=1")
                        .arg(p, QuotedStr(billNo), SQLInt(entry), QuotedStr(itemNo)),
                    QStringLiteral("s.%1Entry").arg(p));
                if (sql.isEmpty())
                    return false;
                q.SQL = sql;
                q.Open();
                found = q.RecordCount();
                if (found > 0)
                    line.BillType = kind.BillType;
            }
            if (found == 0) {
                report(QStringLiteral("导入的需求单据不存在, 或不符合计划运算条件!\r\r需求单号: %1\r需求行: %2\r物料代码: %3")
                           .arg(billNo).arg(entry).arg(itemNo));
                continue;
            }
            if (found > 1) {
                report(QStringLiteral("导入的需求单据因未指定行号而存在重复内容, 忽略导入!\r\r需求单号: %1\r物料代码: %2").arg(billNo, itemNo));
                continue;
            }
            ReadBillLine([&q](const QString& name) { return FieldValueOrNull(q, name); }, line);
            if (hasNeed)
                line.NeedQty = needQty;
            if (date.isValid())
                line.Date = date;
        }
        if (!origTag.isEmpty())
            line.OrigTag = origTag;
        if (!origSubTag.isEmpty())
            line.OrigSubTag = origSubTag;
        if (!groupNo.isEmpty()) {
            line.GroupNo = groupNo;
            line.GroupType = 9;
        }
        // A plan quantity given outright fixes the adjustment; otherwise the adjustment adds
        // to the need.
        line.Qty = Round8(hasQty ? qty : line.NeedQty + adjQty);
        line.AdjQty = Round8(hasQty ? qty - line.NeedQty : adjQty);
        if (!(line.Qty > 0)) {
            report(QStringLiteral("导入内容无计划数量, 或计划数量不大于0, 忽略导入。"));
            continue;
        }
        if (std::fabs(line.AdjQty) >= kQtyLimit) {
            report(QStringLiteral("[%1]的值(%2)无效!\r\r数量的绝对值须小于10的20次方").arg(QStringLiteral("调整数量"), FloatToText(line.AdjQty)));
            continue;
        }
        // Free lines, and bill lines without a property set, resolve the typed properties.
        if (mask.contains(QLatin1Char('1')) && (freeNeed || line.ItmProps.isEmpty())) {
            QStringList args{QuotedStr(line.ItmID)};
            for (const QString& p : line.ItmProp)
                args << QuotedStr(p);
            q.SQL = QStringLiteral("select * from KX_MRP_GetItemPropsID(%1)").arg(args.join(QStringLiteral(", ")));
            q.Open();
            const int err = q.FieldByName(QStringLiteral("ErrNum")).AsInteger();
            if (err != 0) {
                report(QStringLiteral("[%1]的值(%2)无效!").arg(QStringLiteral("辅助项%1").arg(err), line.ItmProp[qBound(1, err, 10) - 1]));
                continue;
            }
            line.ItmProps = q.FieldByName(QStringLiteral("ID")).AsString();
        }
        // A line given twice keeps the later row: a bill line, a free line by its demand number
        // and line, or, without a number, by its item, property set and date.
        const QString key = !freeNeed || !line.BillNo.isEmpty()
                                ? QStringLiteral("%1|%2|%3|%4").arg(line.BillType).arg(line.BillID, line.BillNo).arg(line.BillEntry)
                                : QStringLiteral("%1||%2|%3|%4").arg(line.BillType).arg(line.ItmID, line.ItmProps, line.Date.toString(Qt::ISODate));
        if (lineOfBill.contains(key)) {
            lines[lineOfBill.value(key)] = line;
        } else {
            lineOfBill.insert(key, int(lines.size()));
            lines << line;
        }
    }
    if (lines.isEmpty())
        throw EKxError(QStringLiteral("导入的%1行数据都有错误, 没有导入任何内容, 主需求未改变!").arg(table.Rows.size()));
    return SaveMainDemandLines(scheme, lines, writeType, progress, &hold);
}

} // namespace kx
