#include "editors/forcastbill.h"

#include "db/dataset.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/strutils.h"
#include "engine/objectquery.h"
#include "kx_mrp/erpaccess.h"
#include "masterdata/itemsetting.h"

namespace kx {

namespace {

constexpr int kForcastBillKind = 1;
const QDate kEarliestBillDate(2010, 1, 1);

QString PropField(int n)
{
    return QStringLiteral("ItmProp%1").arg(n);
}

bool IsZero(const QVariant& value)
{
    return value.isNull() || value.toDouble() == 0;
}

QString QtyText(const QVariant& value)
{
    return value.isNull() ? QString() : FloatToText(value.toDouble());
}

TForcastFault LineFault(int row, const QString& field, const QString& message)
{
    return {message, row, field};
}

} // namespace

QString ForcastFieldCaption(const QString& field)
{
    static const QHash<QString, QString> captions{
        {QStringLiteral("forno"), QStringLiteral("单据编号")},   {QStringLiteral("fordate"), QStringLiteral("单据日期")},
        {QStringLiteral("itmno"), QStringLiteral("物料代码")},   {QStringLiteral("forubillqty"), QStringLiteral("数量")},
        {QStringLiteral("forbillqty"), QStringLiteral("数量(基本)")}, {QStringLiteral("fordelivdate"), QStringLiteral("交货日期")},
        {QStringLiteral("custname"), QStringLiteral("客户")},    {QStringLiteral("mrpgrouptype"), QStringLiteral("MRP分组")},
        {QStringLiteral("mrpgroupno"), QStringLiteral("MRP分组号")},
    };
    const QString key = field.toLower();
    if (key.startsWith(QLatin1String("itmprop")))
        return QStringLiteral("辅助项") + key.mid(7);
    return captions.value(key, field);
}

QString TForcastBill::StoredStamp(TConnection& connection, const QString& billID)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select KX_MRP_ForcastStamp(%1)").arg(QuotedStr(billID));
    q.Open();
    return q.IsEmpty() ? QString() : q.Fields(0).AsString();
}

bool TForcastBill::Load(TConnection& connection, const QString& billID)
{
    Head = TForcastHead();
    Lines.clear();
    QString props;
    for (int n = 1; n <= 10; ++n)
        props += QStringLiteral("$$ItmProp%1$$ as ItmProp%1, ").arg(n);
    const QString fields =
        QStringLiteral("s.ForItmID, s.ForCustID, s.ForUntID, (select UntFactor from KX_Base_Unit as fu where fu.UntID=s.ForUntID) as UntFactor, "
                       "s.ForID, s.ForNo, s.ForDate, s.ForEntry, i.ItmNo, i.ItmName, i.ItmSpec, coalesce($$ItmProps$$, '') as ItmProps, %1"
                       "$$OrigTag$$ as OrigTag, $$OrigSubTag$$ as OrigSubTag, coalesce($$MRPGroupType$$, 0) as MRPGroupType, "
                       "coalesce($$MRPGroupNo$$, '') as MRPGroupNo, (select CustName from KX_Base_Customer as c where c.CustID=s.ForCustID) "
                       "as CustName, (select UntName from KX_Base_Unit as fu where fu.UntID=s.ForUntID) as UntName, s.ForUBillQty, "
                       "s.ForDelivDate, u.UntName as ItmUntName, s.ForBillQty, s.ForNote, s.Creater, s.Checked, s.Checker, s.CheckDate, "
                       "%2 as PropMask")
            .arg(props, ItemPropMaskSQL(QStringLiteral("i")));
    const QString sql = ComposeObjectStatement(RequireObjectDef(QStringLiteral("KX_MRP.Forcast")), QStringLiteral("select $$Fields$$ $$MainJoin$$"),
                                               fields, billID.isEmpty() ? QStringLiteral("1=0") : QStringLiteral("s.ForID=") + QuotedStr(billID),
                                               QStringLiteral("s.ForEntry"));
    if (sql.isEmpty())
        throw EKxError(QStringLiteral("访问信息对象\"KX_MRP.Forcast\"受到限制!"));
    TQuery q(&connection);
    q.SQL = sql;
    q.Open();
    if (billID.isEmpty())
        return true;
    if (q.IsEmpty())
        return false;
    const auto text = [&q](const char* field) { return q.FieldByName(QLatin1String(field)).AsString(); };
    Head.ForID = text("ForID");
    Head.ForNo = text("ForNo");
    Head.ForDate = q.FieldByName(QStringLiteral("ForDate")).AsDate();
    Head.Creater = text("Creater");
    Head.Checker = text("Checker");
    Head.Checked = q.FieldByName(QStringLiteral("Checked")).AsInteger() != 0;
    Head.CheckDate = q.FieldByName(QStringLiteral("CheckDate")).AsDateTime();
    for (; !q.Eof(); q.Next()) {
        TForcastLine line;
        line.ForEntry = q.FieldByName(QStringLiteral("ForEntry")).AsInteger();
        line.ItmID = text("ForItmID");
        line.ItmNo = text("ItmNo");
        line.ItmName = text("ItmName");
        line.ItmSpec = text("ItmSpec");
        line.ItmProps = text("ItmProps");
        for (int n = 1; n <= 10; ++n)
            line.Props[n - 1] = q.FieldByName(PropField(n)).AsString();
        line.PropMask = text("PropMask");
        line.CustID = text("ForCustID");
        line.CustName = text("CustName");
        line.UntID = text("ForUntID");
        line.UntName = text("UntName");
        line.UntFactor = q.FieldByName(QStringLiteral("UntFactor")).IsNull() ? 1.0 : q.FieldByName(QStringLiteral("UntFactor")).AsFloat();
        line.ItmUntName = text("ItmUntName");
        line.UQty = q.FieldByName(QStringLiteral("ForUBillQty")).AsFloat();
        line.Qty = q.FieldByName(QStringLiteral("ForBillQty")).AsFloat();
        line.DelivDate = q.FieldByName(QStringLiteral("ForDelivDate")).AsDate();
        line.Note = text("ForNote");
        line.OrigTag = text("OrigTag");
        line.OrigSubTag = text("OrigSubTag");
        line.GroupType = q.FieldByName(QStringLiteral("MRPGroupType")).AsInteger();
        line.GroupNo = text("MRPGroupNo");
        Lines << line;
    }
    Head.Stamp = StoredStamp(connection, Head.ForID);
    return true;
}

void TForcastBill::StartLine(int row)
{
    if (row < 0 || row >= Lines.size() || Lines[row].ForEntry != 0)
        return;
    TForcastLine& line = Lines[row];
    line.ForEntry = -1;
    line.GroupType = 0;
    const auto inherit = [&](auto has, auto take) {
        for (int r = row - 1; r >= 0; --r)
            if (has(Lines[r]))
                return take(Lines[r]);
        for (int r = row + 1; r < Lines.size(); ++r)
            if (has(Lines[r]))
                return take(Lines[r]);
    };
    inherit([](const TForcastLine& l) { return !l.CustID.isEmpty(); },
            [&line](const TForcastLine& l) {
                line.CustID = l.CustID;
                line.CustName = l.CustName;
            });
    inherit([](const TForcastLine& l) { return l.DelivDate.isValid(); }, [&line](const TForcastLine& l) { line.DelivDate = l.DelivDate; });
}

bool TForcastBill::SetItemNo(TConnection& connection, int row, const QString& itemNo)
{
    TForcastLine& line = Lines[row];
    line.ItmNo = itemNo.trimmed();
    TQuery q(&connection);
    q.SQL = QStringLiteral("select i.ItmID, i.ItmNo, i.ItmName, i.ItmSpec, u.UntID, u.UntName, u.UntFactor, iu.UntName as ItmUntName, "
                           "%1 as PropMask from KX_Base_ItemMaster as i join KX_Base_Unit as iu on iu.UntID=i.ItmUnitID "
                           "join KX_Base_Unit as u on u.UntID=coalesce(i.ItmProdUnitID, i.ItmUnitID) where i.ItmNo=%2 and i.ItmDisabled=0")
                .arg(ItemPropMaskSQL(QStringLiteral("i")), QuotedStr(line.ItmNo));
    q.Open();
    if (q.IsEmpty()) {
        line.ItmID.clear();
        line.ItmName.clear();
        line.ItmSpec.clear();
        line.PropMask.clear();
        return false;
    }
    line.ItmID = q.Fields(0).AsString();
    line.ItmNo = q.Fields(1).AsString();
    line.ItmName = q.Fields(2).AsString();
    line.ItmSpec = q.Fields(3).AsString();
    line.UntID = q.Fields(4).AsString();
    line.UntName = q.Fields(5).AsString();
    line.UntFactor = q.Fields(6).AsFloat();
    line.ItmUntName = q.Fields(7).AsString();
    line.PropMask = q.Fields(8).AsString();
    for (int n = 1; n <= 10; ++n)
        if (line.PropMask.mid(n - 1, 1) != QLatin1String("1"))
            line.Props[n - 1].clear();
    line.ItmProps.clear();
    SetUnitQty(row, line.UQty);
    return true;
}

bool TForcastBill::SetCustomer(TConnection& connection, int row, const QString& text)
{
    TForcastLine& line = Lines[row];
    line.CustName = text.trimmed();
    line.CustID.clear();
    if (line.CustName.isEmpty())
        return true;
    TQuery q(&connection);
    q.SQL = QStringLiteral("select CustID, CustName from KX_Base_Customer where CustDisabled=0 and (CustName=%1 or CustNo=%1) order by CustNo")
                .arg(QuotedStr(line.CustName));
    q.Open();
    if (q.IsEmpty())
        return false;
    line.CustID = q.Fields(0).AsString();
    line.CustName = q.Fields(1).AsString();
    return true;
}

void TForcastBill::SetUnitQty(int row, const QVariant& value)
{
    TForcastLine& line = Lines[row];
    line.UQty = value.isNull() || value.toString().trimmed().isEmpty() ? QVariant() : QVariant(value.toDouble());
    line.Qty = IsZero(line.UQty) ? QVariant() : QVariant(Round8(line.UQty.toDouble() * line.UntFactor));
}

void TForcastBill::SetBaseQty(int row, const QVariant& value)
{
    TForcastLine& line = Lines[row];
    line.Qty = value.isNull() || value.toString().trimmed().isEmpty() ? QVariant() : QVariant(value.toDouble());
    line.UQty = IsZero(line.Qty) || line.UntFactor == 0 ? QVariant() : QVariant(Round8(line.Qty.toDouble() / line.UntFactor));
}

bool TForcastBill::CellEditable(int row, const QString& field) const
{
    if (row < 0 || row >= Lines.size())
        return false;
    const TForcastLine& line = Lines[row];
    const QString f = field.toLower();
    if (f == QLatin1String("mrpgroupno"))
        return line.GroupType != 0;
    if (f.startsWith(QLatin1String("itmprop")) && f != QLatin1String("itmprops"))
        return line.PropMask.mid(f.mid(7).toInt() - 1, 1) == QLatin1String("1");
    return true;
}

TForcastFault TForcastBill::Check(TConnection& connection, int maxRows)
{
    Head.ForNo = Head.ForNo.trimmed();
    if (Head.ForNo.isEmpty())
        return LineFault(-1, QStringLiteral("ForNo"), FieldCheckText(fcEmpty, ForcastFieldCaption(QStringLiteral("ForNo"))));
    if (!Head.ForDate.isValid())
        return LineFault(-1, QStringLiteral("ForDate"), FieldCheckText(fcEmpty, ForcastFieldCaption(QStringLiteral("ForDate"))));
    if (Head.ForDate < kEarliestBillDate)
        return LineFault(-1, QStringLiteral("ForDate"), FieldCheckText(fcNotGreater, ForcastFieldCaption(QStringLiteral("ForDate")),
                                                                        DateToText(Head.ForDate), DateToText(kEarliestBillDate)));
    // Rows the user left untouched are no lines of the bill.
    for (int row = int(Lines.size()) - 1; row >= 0; --row)
        if (Lines[row].IsEmpty())
            Lines.removeAt(row);
    if (Lines.isEmpty())
        return LineFault(-1, QString(), QStringLiteral("单据体内容为空, 请输入!"));
    if (maxRows > 0 && Lines.size() > maxRows)
        return LineFault(-1, QString(), QStringLiteral("单据体内容不允许超过 %1 行, 请修正!").arg(maxRows));

    TQuery q(&connection);
    for (int row = 0; row < Lines.size(); ++row) {
        TForcastLine& line = Lines[row];
        const auto empty = [row](const char* field) {
            return LineFault(row, QLatin1String(field), FieldCheckText(fcEmpty, ForcastFieldCaption(QLatin1String(field))));
        };
        if (line.ItmNo.trimmed().isEmpty())
            return empty("ItmNo");
        if (line.UQty.isNull())
            return empty("ForUBillQty");
        if (!line.DelivDate.isValid())
            return empty("ForDelivDate");
        if (line.UQty.toDouble() <= 0)
            return LineFault(row, QStringLiteral("ForUBillQty"), FieldCheckText(fcNotGreater, ForcastFieldCaption(QStringLiteral("ForUBillQty")),
                                                                                QtyText(line.UQty), QStringLiteral("0")));
        if (line.DelivDate < Head.ForDate)
            return LineFault(row, QStringLiteral("ForDelivDate"),
                             FieldCheckText(fcNotGreaterOrEqualField, ForcastFieldCaption(QStringLiteral("ForDelivDate")), QString(),
                                            ForcastFieldCaption(QStringLiteral("ForDate"))));
        if (line.ItmID.isEmpty())
            return LineFault(row, QStringLiteral("ItmNo"), FieldCheckText(fcNotExists, ForcastFieldCaption(QStringLiteral("ItmNo")), line.ItmNo));
        if (!line.CustName.trimmed().isEmpty() && line.CustID.isEmpty())
            return LineFault(row, QStringLiteral("CustName"),
                             FieldCheckText(fcNotExists, ForcastFieldCaption(QStringLiteral("CustName")), line.CustName));
        if (line.GroupType != 0 && line.GroupType != 9)
            return LineFault(row, QStringLiteral("MRPGroupType"), FieldCheckText(fcInvalid, ForcastFieldCaption(QStringLiteral("MRPGroupType")),
                                                                                 QString::number(line.GroupType)));
        if (line.GroupType == 0)
            line.GroupNo.clear();
        // The property set of the line.
        line.ItmProps.clear();
        if (line.PropMask.contains(QLatin1Char('1'))) {
            QStringList args{QuotedStr(line.ItmID)};
            for (const QString& p : line.Props)
                args << QuotedStr(p.trimmed());
            q.SQL = QStringLiteral("select * from KX_MRP_GetItemPropsID(%1)").arg(args.join(QStringLiteral(", ")));
            q.Open();
            const int err = q.FieldByName(QStringLiteral("ErrNum")).AsInteger();
            if (err != 0) {
                const int n = qBound(1, err, 10);
                return LineFault(row, PropField(n), FieldCheckText(fcInvalid, ForcastFieldCaption(PropField(n)), line.Props[n - 1]));
            }
            line.ItmProps = q.FieldByName(QStringLiteral("ID")).AsString();
        }
    }
    return {};
}

bool TForcastBill::Save(TConnection& connection, IERPAccess* access, TForcastFault& fault)
{
    fault = Check(connection, access ? access->MaxBillRows(kForcastBillKind) : 0);
    if (fault.Failed()) {
        ShowWarning(fault.Message);
        return false;
    }
    struct TStatus {
        TStatus() { ShowStatusText(QStringLiteral("正在保存数据, 请稍候..."), 0); }
        ~TStatus() { ShowStatusText(QString(), 0); }
    } status;
    const QString failure = QStringLiteral("保存过程中出现意外错误, 操作被中止!\r\r原因: %1");
    if (!access) {
        ShowError(failure.arg(QStringLiteral("宿主程序没有提供单据服务!")));
        return false;
    }
    std::unique_ptr<IBill> bill = access->NewBill(kForcastBillKind);
    IValueList* head = bill->Head();
    head->SetValue(QStringLiteral("BillID"), Head.ForID);
    head->SetValue(QStringLiteral("Date"), Head.ForDate);
    head->SetValue(QStringLiteral("UserID"), EnvUserID());
    head->SetValue(QStringLiteral("BillNo"), Head.ForNo);
    head->SetValue(QStringLiteral("Stamp"), Head.Stamp);
    IRowList* rows = bill->GetRowList(QStringLiteral("Rows"));
    for (const TForcastLine& line : Lines) {
        IValueList* row = rows->Add();
        row->SetValue(QStringLiteral("Index"), line.ForEntry);
        row->SetValue(QStringLiteral("ItemID"), line.ItmID);
        row->SetValue(QStringLiteral("ItemProps"), line.ItmProps);
        for (int n = 1; n <= 10; ++n)
            row->SetValue(QStringLiteral("ItemProp%1").arg(n), line.Props[n - 1].trimmed());
        row->SetValue(QStringLiteral("CustID"), line.CustID);
        row->SetValue(QStringLiteral("UnitID"), line.UntID);
        row->SetValue(QStringLiteral("UnitRate"), line.UntFactor);
        row->SetValue(QStringLiteral("Qty"), line.UQty);
        row->SetValue(QStringLiteral("StdQty"), line.Qty);
        row->SetValue(QStringLiteral("Date"), line.DelivDate);
        row->SetValue(QStringLiteral("Note"), line.Note);
        row->SetValue(QStringLiteral("OrigTag"), line.OrigTag);
        row->SetValue(QStringLiteral("OrigSubTag"), line.OrigSubTag);
        row->SetValue(QStringLiteral("MRPGroupType"), line.GroupType);
        row->SetValue(QStringLiteral("MRPGroupNo"), line.GroupNo);
    }
    // A number another bill holds: the bill service may give a new one.
    TQuery q(&connection);
    q.SQL = QStringLiteral("select ForID from KX_MRP_ForcastHead where ForNo=%1 and ForID<>%2").arg(QuotedStr(Head.ForNo), QuotedStr(Head.ForID));
    q.Open();
    if (!q.IsEmpty()) {
        if (ShowQuestion(QStringLiteral("单据编号\"%1\"已存在, 由系统自动生成新编号继续保存?").arg(Head.ForNo), mbYesNo) != mrYes)
            return false;
        head->SetValue(QStringLiteral("BillNo"), QString());
    }
    QString error;
    const QString id = bill->Save(error);
    if (id.isEmpty()) {
        ShowError(failure.arg(error));
        return false;
    }
    const QString no = head->GetValue(QStringLiteral("BillNo")).toString();
    if (no != Head.ForNo)
        ShowInfo(QStringLiteral("系统已自动生成新单据编号\"%1\"进行保存。").arg(no));
    Head.ForID = id;
    Head.ForNo = no;
    return true;
}

} // namespace kx
