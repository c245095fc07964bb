#include "deduction/deductbill.h"

#include "db/dataset.h"
#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/strutils.h"
#include "engine/objectquery.h"

#include <cmath>

namespace kx {

namespace {

constexpr double kEpsilon = 1e-8;

const QString kCaptionQty = QStringLiteral("本次冲销数");
const QString kCaptionItem = QStringLiteral("物料代码");

QString Qty(double value)
{
    return FloatToText(Round8(value));
}

// The statement of a kind's lines under a condition, composed for the user.
QString LineSelect(TDeductBillKind kind, const QString& condition)
{
    const QString sql = ComposeObjectStatement(RequireObjectDef(DeductObjectID(kind)), QStringLiteral("select $$Fields$$ $$MainJoin$$"),
                                               DeductLineFields(kind), condition);
    if (sql.isEmpty())
        throw EKxError(QStringLiteral("访问信息对象\"%1\"受到限制!").arg(DeductObjectID(kind)));
    return sql;
}

QString KeyCondition(TDeductBillKind kind, const QString& id, int entry)
{
    return QStringLiteral("s.%1ID=%2 and s.%1Entry=%3").arg(DeductPrefix(kind), QuotedStr(id), SQLInt(entry));
}

const TDeductBillKind kOrderKinds[] = {dkSO, dkSI};

} // namespace

QString DeductObjectID(TDeductBillKind kind)
{
    return kind == dkForcast ? QStringLiteral("KX_MRP.Forcast") : QStringLiteral("KX_MRP.") + DeductPrefix(kind);
}

QString DeductLineFields(TDeductBillKind kind)
{
    const QString p = DeductPrefix(kind);
    const bool forcast = kind == dkForcast;
    QString props;
    for (int n = 1; n <= 10; ++n)
        props += QStringLiteral("$$ItmProp%1$$ as ItmProp%1, ").arg(n);
    const QString capacity = forcast ? QStringLiteral("s.ForBillQty-s.ForOkQty") : QStringLiteral("s.%1BillQty").arg(p);
    return QStringLiteral(
               "s.%1ID as BillID, s.%1Entry as BillEntry, s.%1No as BillNo, s.%1ItmID as ItmID, coalesce($$ItmProps$$, '') as ItmProps, "
               "%2i.ItmNo, i.ItmName, i.ItmSpec, u.UntName, nullif(mt.ItmPlanItmID, '') as PlanItmID, $$BomNo$$ as BomNo, "
               "$$OrigTag$$ as OrigTag, s.%1CustID as CustID, "
               "(select CustName from KX_Base_Customer as c where c.CustID=s.%1CustID) as CustName, %3 as CustPO, "
               "(select DeptName from KX_Base_Department as d where d.DeptID=s.%1DeptID) as DeptName, s.%1DelivDate as NeedDate, "
               "s.%1Date as BillDate, s.%1BillQty as BillQty, s.%1OkQty as ExeQty, coalesce(x.%1DedAQty,0) as DedAQty, "
               "coalesce(x.%1DedMQty,0) as DedMQty, %4-coalesce(x.%1DedAQty,0)-coalesce(x.%1DedMQty,0) as LeftQty, "
               "case when x.%1ItmID is not null and x.%1ItmID<>s.%1ItmID then 1 else 0 end as DedError")
        .arg(p, props, forcast ? QStringLiteral("null") : QStringLiteral("s.%1CustPO").arg(p), capacity);
}

QString TDeductLine::KindName() const
{
    return EnumText(QStringLiteral("MrpBillType"), Kind);
}

QString TDeductLine::LineText() const
{
    return QStringLiteral("%1/%2").arg(BillNo).arg(Entry);
}

QList<TDeductLine> TDeductBill::ReadLines(TConnection& connection, const QString& sql, TDeductBillKind kind) const
{
    TQuery q(&connection);
    q.SQL = sql;
    q.Open();
    QList<TDeductLine> lines;
    const auto text = [&q](const char* field) { return q.HasField(QLatin1String(field)) ? q.FieldByName(QLatin1String(field)).AsString() : QString(); };
    const auto number = [&q](const char* field) { return q.HasField(QLatin1String(field)) ? q.FieldByName(QLatin1String(field)).AsFloat() : 0.0; };
    for (; !q.Eof(); q.Next()) {
        TDeductLine line;
        line.Kind = kind;
        line.BillID = text("BillID");
        line.Entry = int(number("BillEntry"));
        line.BillNo = text("BillNo");
        line.ItmID = text("ItmID");
        line.ItmProps = text("ItmProps");
        line.ItmNo = text("ItmNo");
        line.ItmName = text("ItmName");
        line.ItmSpec = text("ItmSpec");
        line.UntName = text("UntName");
        line.BomNo = text("BomNo");
        line.OrigTag = text("OrigTag");
        line.PlanItmID = text("PlanItmID");
        for (int n = 1; n <= 10; ++n)
            line.ItmPropValues << text(QStringLiteral("ItmProp%1").arg(n).toLatin1().constData());
        line.CustID = text("CustID");
        line.CustName = text("CustName");
        line.CustPO = text("CustPO");
        line.DeptName = text("DeptName");
        if (q.HasField(QStringLiteral("NeedDate")))
            line.NeedDate = q.FieldByName(QStringLiteral("NeedDate")).AsDate();
        if (q.HasField(QStringLiteral("BillDate")))
            line.BillDate = q.FieldByName(QStringLiteral("BillDate")).AsDate();
        line.BillQty = number("BillQty");
        line.ExeQty = number("ExeQty");
        line.DedAQty = number("DedAQty");
        line.DedMQty = number("DedMQty");
        line.DedError = number("DedError") != 0;
        if (q.HasField(QStringLiteral("DedIID"))) {
            // A counterpart read with its log row: a line that is gone keeps the keys of the row.
            if (line.BillID.isEmpty()) {
                line.BillID = text("DedLineID");
                line.Entry = int(number("DedLineEntry"));
                line.DedError = true;
            }
            line.DedIID = int(number("DedIID"));
            line.Manual = number("DedManual") != 0;
            line.OldQty = number("DedQty");
            line.Qty = line.OldQty;
            line.DedUsrName = text("DedUsrName");
            line.DedTime = q.FieldByName(QStringLiteral("DedTime")).AsDateTime();
        }
        lines << line;
    }
    return lines;
}

bool TDeductBill::Load(TConnection& connection, TDeductBillKind kind, const QString& billID, int entry)
{
    Root = TDeductLine();
    Children.clear();
    const QList<TDeductLine> roots = ReadLines(connection, LineSelect(kind, KeyCondition(kind, billID, entry)), kind);
    if (roots.isEmpty())
        return false;
    Root = roots.first();
    const QString id = QuotedStr(billID);
    if (kind == dkForcast) {
        for (TDeductBillKind order : kOrderKinds) {
            const QString logRows = QStringLiteral("DedForID=%1 and DedForEntry=%2 and DedOrdType=%3").arg(id, SQLInt(entry), SQLInt(order));
            const QString lines = LineSelect(order, QStringLiteral("s.%1ID in (select DedOrdID from KX_MRP_Deduction where %2)")
                                                        .arg(DeductPrefix(order), logRows));
            Children << ReadLines(connection,
                                  QStringLiteral("select d.DedIID, d.DedManual, d.DedOrdQty as DedQty, du.UsrName as DedUsrName, d.DedTime, "
                                                 "d.DedOrdID as DedLineID, d.DedOrdEntry as DedLineEntry, s.* from KX_MRP_Deduction as d "
                                                 "left join (%1) as s on s.BillID=d.DedOrdID and s.BillEntry=d.DedOrdEntry "
                                                 "left join KX_SYS_Users as du on du.UsrID=d.DedUsrID where %2 order by d.DedIID")
                                      .arg(lines, logRows),
                                  order);
        }
    } else {
        const QString logRows = QStringLiteral("DedOrdID=%1 and DedOrdEntry=%2 and DedOrdType=%3").arg(id, SQLInt(entry), SQLInt(kind));
        const QString lines = LineSelect(dkForcast, QStringLiteral("s.ForID in (select DedForID from KX_MRP_Deduction where %1)").arg(logRows));
        Children << ReadLines(connection,
                              QStringLiteral("select d.DedIID, d.DedManual, d.DedForQty as DedQty, du.UsrName as DedUsrName, d.DedTime, "
                                             "d.DedForID as DedLineID, d.DedForEntry as DedLineEntry, s.* from KX_MRP_Deduction as d "
                                             "left join (%1) as s on s.BillID=d.DedForID and s.BillEntry=d.DedForEntry "
                                             "left join KX_SYS_Users as du on du.UsrID=d.DedUsrID where %2 order by d.DedIID")
                                  .arg(lines, logRows),
                              dkForcast);
    }
    return true;
}

bool TDeductBill::TakesKind(TDeductBillKind kind) const
{
    return HasRoot() && (Root.Kind == dkForcast) != (kind == dkForcast);
}

bool TDeductBill::InScope(const TDeductLine& line, TDeductItemScope scope) const
{
    switch (scope) {
    case disAll: return true;
    case disSame: return line.ItmID == Root.ItmID;
    case disSameAndPlan: break;
    }
    return line.ItmID == Root.ItmID || (!line.PlanItmID.isEmpty() && line.PlanItmID == Root.ItmID)
        || (!Root.PlanItmID.isEmpty() && Root.PlanItmID == line.ItmID);
}

namespace {

// The picker's statement over the lines of a kind: the object's condition, conditions on the
// lines' common columns, and an order that puts first what firstKey puts first.
QString LinePickSQL(TDeductBillKind kind, const QString& objectCondition, const QStringList& where, const QString& firstKey)
{
    return QStringLiteral(
               "select s.NeedDate as \"需求日期\", s.BillNo as \"单据编号\", s.BillEntry as \"单据行\", s.ItmNo as \"物料代码\", "
               "s.ItmName as \"物料名称\", s.ItmSpec as \"规格型号\", s.CustName as \"客户\", s.CustPO as \"客户单号\", "
               "s.BillQty as \"单据数量\", s.LeftQty as \"未冲销数\", s.UntName as \"单位\", s.OrigTag as \"需求分类号\", "
               "s.BillID as \"#BillID\", s.BillEntry as \"#BillEntry\", %1 as \"#OrigTag\" from (%2) as s%3 "
               "order by \"#OrigTag\" desc, s.NeedDate, s.BillNo, s.BillEntry")
        .arg(firstKey, LineSelect(kind, objectCondition),
             where.isEmpty() ? QString() : QStringLiteral(" where ") + where.join(QStringLiteral(" and ")));
}

// Approved lines; forecasts still open for business, orders not made from a forecast and,
// when closed, due from the given date on.
QString ApprovedLines(TDeductBillKind kind, const QDate& closedFrom)
{
    if (kind == dkForcast)
        return QStringLiteral("s.Checked=1 and s.Closed=0");
    return QStringLiteral("s.Checked=1 and s.%1ForcastID is null and (s.Closed=0 or s.%1DelivDate>=%2)")
        .arg(DeductPrefix(kind), SQLDate(closedFrom.isValid() ? closedFrom : QDate::currentDate()));
}

} // namespace

QString TDeductBill::PickSQL(TDeductBillKind kind, const TDeductPickOptions& options) const
{
    if (!TakesKind(kind))
        return QString();
    QStringList where{QStringLiteral("s.LeftQty>0")};
    const QString item = QuotedStr(Root.ItmID);
    if (options.Scope == disSame)
        where << QStringLiteral("s.ItmID=%1").arg(item);
    else if (options.Scope == disSameAndPlan)
        where << QStringLiteral("(s.ItmID=%1 or s.PlanItmID=%1 or s.ItmID=%2)")
                     .arg(item, Root.PlanItmID.isEmpty() ? QStringLiteral("null") : QuotedStr(Root.PlanItmID));
    if (!options.DiffCustom && !Root.CustID.isEmpty())
        where << QStringLiteral("(s.CustID=%1 or coalesce(s.CustID, '')='')").arg(QuotedStr(Root.CustID));
    for (const TDeductLine& child : Children)
        if (child.Kind == kind)
            where << QStringLiteral("not (s.BillID=%1 and s.BillEntry=%2)").arg(QuotedStr(child.BillID), SQLInt(child.Entry));
    // Lines of the root's tag first.
    return LinePickSQL(kind, CombineFilter(ApprovedLines(kind, options.ClosedFrom), options.Condition), where,
                       QStringLiteral("case when coalesce(s.OrigTag, '')=%1 then 1 else 0 end").arg(QuotedStr(Root.OrigTag)));
}

QString TDeductBill::RootPickSQL(TDeductBillKind kind, const QString& condition)
{
    return LinePickSQL(kind, CombineFilter(ApprovedLines(kind, QDate::currentDate()), condition), {}, QStringLiteral("0"));
}

int TDeductBill::AddCounterparts(TConnection& connection, TDeductBillKind kind, const QList<TBillLineKey>& keys,
                                 const TDeductPickOptions& options, QString& refusal)
{
    refusal.clear();
    if (!TakesKind(kind) || keys.isEmpty())
        return 0;
    QStringList conditions;
    for (const TBillLineKey& key : keys)
        conditions << QStringLiteral("(%1)").arg(KeyCondition(kind, key.ID, key.Entry));
    QList<TDeductLine> lines = ReadLines(connection, LineSelect(kind, conditions.join(QStringLiteral(" or "))), kind);
    for (const TDeductLine& line : lines)
        if (!InScope(line, options.Scope)) {
            refusal = FieldCheckText(fcInvalid, kCaptionItem, line.ItmNo);
            return 0;
        }
    double rootLeft = Root.Capacity();
    for (const TDeductLine& child : Children)
        rootLeft -= child.Qty;
    int added = 0;
    for (TDeductLine& line : lines) {
        const bool present = std::any_of(Children.begin(), Children.end(), [&](const TDeductLine& c) {
            return c.Kind == line.Kind && c.BillID == line.BillID && c.Entry == line.Entry;
        });
        if (present)
            continue;
        line.Manual = true;
        line.Qty = Round8(std::max(0.0, std::min(rootLeft, MaxManualQty(line))));
        rootLeft -= line.Qty;
        Children << line;
        ++added;
    }
    return added;
}

double TDeductBill::MaxManualQty(const TDeductLine& child)
{
    const double ownManual = child.DedIID && child.Manual ? child.OldQty : 0;
    return Round8(child.Capacity() - (child.DedMQty - ownManual));
}

TDeductFault TDeductBill::Check(const TDeductPickOptions& options) const
{
    double total = 0;
    for (qsizetype i = 0; i < Children.size(); ++i) {
        if (Children[i].Qty < -kEpsilon)
            return {FieldCheckText(fcNotGreaterOrEqual, kCaptionQty, Qty(Children[i].Qty), QStringLiteral("0")), int(i)};
        total += Children[i].Qty;
    }
    if (total > Root.Capacity() + kEpsilon)
        return {QStringLiteral("各明细行的本次冲销数量累计(%1)超出当前%2行的最大可冲销数量(%3)!")
                    .arg(Qty(total), Root.KindName(), Qty(Root.Capacity())),
                -1};
    for (qsizetype i = 0; i < Children.size(); ++i) {
        const TDeductLine& c = Children[i];
        if (c.DedError && c.Qty > kEpsilon)
            return {QStringLiteral("%1(%2)行的冲销信息有异常, 不能参与本次冲销, 请消除异常后再加入!\r\r"
                                   "冲销异常产生原因: 相关单据行在最近一次冲销操作之后被ERP系统改变了物料或删除!\r"
                                   "冲销异常消除方法: 删除相关单据行的历史冲销记录, 根据需求重做自动或手动冲销。")
                        .arg(c.KindName(), c.LineText()),
                    int(i)};
    }
    for (qsizetype i = 0; i < Children.size(); ++i) {
        const TDeductLine& c = Children[i];
        if (c.Manual && c.Qty > MaxManualQty(c) + kEpsilon)
            return {QStringLiteral("%1行(%2/%3)的本次冲销数量(%4)超出其自身的最大可冲销数量(%5)!")
                        .arg(c.KindName(), c.BillNo, QString::number(c.Entry), Qty(c.Qty), Qty(MaxManualQty(c))),
                    int(i)};
    }
    for (qsizetype i = 0; i < Children.size(); ++i)
        if (Children[i].DedIID == 0 && !InScope(Children[i], options.Scope))
            return {FieldCheckText(fcInvalid, kCaptionItem, Children[i].ItmNo), int(i)};
    return {};
}

void TDeductBill::Save(TConnection& connection, const QString& userID) const
{
    const QString user = QuotedStr(userID);
    const QString rootP = DeductPrefix(Root.Kind);
    const QString rootID = QuotedStr(Root.BillID);
    const QString rootEntry = SQLInt(Root.Entry);
    const bool forcastRoot = Root.Kind == dkForcast;
    double autoTotal = 0, manualTotal = 0;
    for (const TDeductLine& c : Children)
        if (c.Qty > kEpsilon)
            (c.Manual ? manualTotal : autoTotal) += c.Qty;

    TTransaction transaction(connection);
    // 1. The root: its extension row takes the line's item and its new totals; its old log rows
    //    and what they had added to the counterparts go.
    connection.Execute(QStringLiteral("insert into %1 as x (%2ID, %2Entry, %2ItmID, %2DedAQty, %2DedMQty, %2DedUsrID, %2DedTime) "
                                      "values (%3, %4, %5, %6, %7, %8, localtimestamp) on conflict (%2ID, %2Entry) do update set "
                                      "%2ItmID=excluded.%2ItmID, %2DedAQty=excluded.%2DedAQty, %2DedMQty=excluded.%2DedMQty, "
                                      "%2DedUsrID=excluded.%2DedUsrID, %2DedTime=excluded.%2DedTime")
                           .arg(DeductExtTable(Root.Kind), rootP, rootID, rootEntry, QuotedStr(Root.ItmID), SQLQty(Round8(autoTotal)),
                                SQLQty(Round8(manualTotal)), user));
    const QString rootRows = forcastRoot ? QStringLiteral("DedForID=%1 and DedForEntry=%2").arg(rootID, rootEntry)
                                         : QStringLiteral("DedOrdID=%1 and DedOrdEntry=%2 and DedOrdType=%3")
                                               .arg(rootID, rootEntry, SQLInt(Root.Kind));
    if (forcastRoot) {
        for (TDeductBillKind order : kOrderKinds)
            connection.Execute(QStringLiteral("update %1 as x set %2DedAQty=coalesce(x.%2DedAQty,0)-(case when DedManual=1 then 0 else "
                                              "DedOrdQty end), %2DedMQty=coalesce(x.%2DedMQty,0)-(case when DedManual=1 then DedOrdQty "
                                              "else 0 end) from KX_MRP_Deduction as d where d.DedOrdID=x.%2ID and d.DedOrdEntry=x.%2Entry "
                                              "and %3 and d.DedOrdType=%4")
                                   .arg(DeductExtTable(order), DeductPrefix(order), rootRows, SQLInt(order)));
    } else {
        connection.Execute(QStringLiteral("update KX_MRP_ForcastExt as x set ForDedAQty=coalesce(x.ForDedAQty,0)-(case when DedManual=1 "
                                          "then 0 else DedForQty end), ForDedMQty=coalesce(x.ForDedMQty,0)-(case when DedManual=1 then "
                                          "DedForQty else 0 end) from KX_MRP_Deduction as d where d.DedForID=x.ForID and "
                                          "d.DedForEntry=x.ForEntry and %1")
                               .arg(rootRows));
    }
    connection.Execute(QStringLiteral("delete from KX_MRP_Deduction where %1").arg(rootRows));

    // 2. Each child with a deduction: its extension row grows by its part, and its log row is
    //    written anew.
    for (const TDeductLine& c : Children) {
        if (c.Qty <= kEpsilon)
            continue;
        const QString p = DeductPrefix(c.Kind);
        const QString qty = SQLQty(Round8(c.Qty));
        const QString aQty = c.Manual ? SQLQty(0) : qty;
        const QString mQty = c.Manual ? qty : SQLQty(0);
        connection.Execute(QStringLiteral("insert into %1 as x (%2ID, %2Entry, %2ItmID, %2DedAQty, %2DedMQty, %2DedUsrID, %2DedTime) "
                                          "values (%3, %4, %5, %6, %7, %8, localtimestamp) on conflict (%2ID, %2Entry) do update set "
                                          "%2DedAQty=coalesce(x.%2DedAQty,0)+%6, %2DedMQty=coalesce(x.%2DedMQty,0)+%7, "
                                          "%2DedUsrID=%8, %2DedTime=localtimestamp")
                               .arg(DeductExtTable(c.Kind), p, QuotedStr(c.BillID), SQLInt(c.Entry), QuotedStr(c.ItmID), aQty, mQty, user));
        const TDeductLine& forcast = forcastRoot ? Root : c;
        const TDeductLine& order = forcastRoot ? c : Root;
        connection.Execute(QStringLiteral("insert into KX_MRP_Deduction (DedForID, DedForEntry, DedOrdType, DedOrdID, DedOrdEntry, DedManual, "
                                          "DedForQty, DedOrdQty, DedUsrID, DedTime) values (%1, %2, %3, %4, %5, %6, %7, %7, %8, localtimestamp)")
                               .arg(QuotedStr(forcast.BillID), SQLInt(forcast.Entry), SQLInt(order.Kind), QuotedStr(order.BillID),
                                    SQLInt(order.Entry), SQLInt(c.Manual ? 1 : 0), qty, user));
    }

    // 3. A counterpart that its new manual quantity leaves over-deducted gives back automatic
    //    deductions with other lines, newest first.
    for (const TDeductLine& c : Children)
        if (c.Manual && c.Qty > kEpsilon)
            TakeBackAutoDeductions(connection, c, user);

    // 4. Another user may have deducted these lines since they were read: nothing may end up
    //    over-deducted.
    QList<const TDeductLine*> lines{&Root};
    for (const TDeductLine& c : Children)
        lines << &c;
    for (const TDeductLine* line : lines) {
        const double total = DeductedTotal(connection, *line);
        if (total > line->Capacity() + kEpsilon)
            throw EKxError(QStringLiteral("%1行(%2)的冲销数量累计(%3)超出其最大可冲销数量(%4), 可能已被其他用户冲销, 请刷新后重试!")
                               .arg(line->KindName(), line->LineText(), Qty(total), Qty(line->Capacity())));
    }
    transaction.Commit();
}

double TDeductBill::DeductedTotal(TConnection& connection, const TDeductLine& line)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select coalesce(%1DedAQty,0)+coalesce(%1DedMQty,0) from %2 where %1ID=%3 and %1Entry=%4")
                .arg(DeductPrefix(line.Kind), DeductExtTable(line.Kind), QuotedStr(line.BillID), SQLInt(line.Entry));
    q.Open();
    return q.IsEmpty() ? 0 : q.Fields(0).AsFloat();
}

void TDeductBill::TakeBackAutoDeductions(TConnection& connection, const TDeductLine& line, const QString& user)
{
    double excess = Round8(DeductedTotal(connection, line) - line.Capacity());
    if (excess <= kEpsilon)
        return;
    const bool forcast = line.Kind == dkForcast;
    TQuery q(&connection);
    q.SQL = forcast ? QStringLiteral("select DedIID, DedOrdType, DedOrdID, DedOrdEntry, DedForQty as DedQty, DedOrdQty as DedRQty "
                                     "from KX_MRP_Deduction where DedForID=%1 and DedForEntry=%2 and DedManual=0 order by DedIID desc")
                          .arg(QuotedStr(line.BillID), SQLInt(line.Entry))
                    : QStringLiteral("select DedIID, 8 as DedOrdType, DedForID, DedForEntry, DedOrdQty as DedQty, DedForQty as DedRQty "
                                     "from KX_MRP_Deduction where DedOrdID=%1 and DedOrdEntry=%2 and DedOrdType=%3 and DedManual=0 "
                                     "order by DedIID desc")
                          .arg(QuotedStr(line.BillID), SQLInt(line.Entry), SQLInt(line.Kind));
    q.Open();
    const QString p = DeductPrefix(line.Kind);
    for (; !q.Eof() && excess > kEpsilon; q.Next()) {
        const int iid = q.Fields(0).AsInteger();
        const auto otherKind = TDeductBillKind(q.Fields(1).AsInteger());
        const QString otherID = QuotedStr(q.Fields(2).AsString());
        const QString otherEntry = SQLInt(q.Fields(3).AsInteger());
        const double rowQty = q.Fields(4).AsFloat();
        const double take = Round8(std::min(excess, rowQty));
        if (take >= rowQty - kEpsilon)
            connection.Execute(QStringLiteral("delete from KX_MRP_Deduction where DedIID=%1").arg(SQLInt(iid)));
        else
            connection.Execute(QStringLiteral("update KX_MRP_Deduction set DedForQty=DedForQty-%1, DedOrdQty=DedOrdQty-%1, DedUsrID=%2, "
                                              "DedTime=localtimestamp where DedIID=%3")
                                   .arg(SQLQty(take), user, SQLInt(iid)));
        // Both sides of the row lose what it gave: the other line and this one.
        const QString op = DeductPrefix(otherKind);
        connection.Execute(QStringLiteral("update %1 set %2DedAQty=coalesce(%2DedAQty,0)-%3, %2DedUsrID=%4, %2DedTime=localtimestamp "
                                          "where %2ID=%5 and %2Entry=%6;\n"
                                          "update %7 set %8DedAQty=coalesce(%8DedAQty,0)-%3, %8DedUsrID=%4, %8DedTime=localtimestamp "
                                          "where %8ID=%9 and %8Entry=%10")
                               .arg(DeductExtTable(otherKind), op, SQLQty(take), user, otherID, otherEntry, DeductExtTable(line.Kind), p,
                                    QuotedStr(line.BillID))
                               .arg(SQLInt(line.Entry)));
        excess = Round8(excess - take);
    }
}

} // namespace kx
