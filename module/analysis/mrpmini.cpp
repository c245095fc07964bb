#include "analysis/mrpmini.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "engine/objectquery.h"
#include "engine/planscheme.h"

#include <QSet>

namespace kx {

namespace {

const char* const kOptionKeys[] = {"[TrackMode]", "[ItemTrack]", "[CareLoss]", "[CareLot]",   "[CareSafety]", "[OtherOut]", "[GrossOnly]",
                                   "[Replace]",   "[Suites]",    "[OneLevel]", "[LackBills]", "[AllDates]",   "[CurrentBom]"};

int IntParam(const QString& params, const char* key, int fallback)
{
    const QString v = GetParamValue(params, QLatin1String(key)).trimmed();
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok ? n : fallback;
}

// A bill object the lines are picked from: its prefix, object and kind.
struct TMiniSource {
    int BillType;
    const char* Prefix;
    const char* ObjectID;
};
const TMiniSource kSources[] = {
    {btSO, "SO", "KX_MRP.SO"}, {btSI, "SI", "KX_MRP.SI"}, {btForcast, "For", "KX_MRP.Forcast"},
    {btMO, "MO", "KX_MRP.MO"}, {btOO, "OO", "KX_MRP.OO"},
};

const TMiniSource* SourceOf(int billType)
{
    for (const TMiniSource& s : kSources)
        if (s.BillType == billType)
            return &s;
    return nullptr;
}

// The select list of a bill's lines under fixed names.
QString LineFields(const TMiniSource& src)
{
    const QString p = QLatin1String(src.Prefix);
    const bool order = src.BillType == btMO || src.BillType == btOO;
    const bool forcast = src.BillType == btForcast;
    auto c = [&](const char* column, const char* name) { return QStringLiteral("s.%1%2 as \"%3\"").arg(p, QLatin1String(column), QLatin1String(name)); };
    QStringList f;
    f << c("ID", "BillID") << c("No", "BillNo") << c("Entry", "BillEntry") << c("Date", "BillDate") << c("BillQty", "BillQty")
      << c("ItmID", "ItmID") << QStringLiteral("coalesce($$ItmProps$$, '') as \"ItmProps\"");
    for (int n = 1; n <= 10; ++n)
        f << QStringLiteral("$$ItmProp%1$$ as \"ItmProp%1\"").arg(n);
    f << QStringLiteral("$$OrigTag$$ as \"OrigTag\"") << QStringLiteral("$$OrigSubTag$$ as \"OrigSubTag\"")
      << QStringLiteral("coalesce($$MRPGroupType$$, 0) as \"GroupType\"") << QStringLiteral("coalesce($$MRPGroupNo$$, '') as \"GroupNo\"")
      << QStringLiteral("coalesce(s.%1BomType, 0) as \"BomType\"").arg(p) << c("BomID", "BomID") << c("DelivDate", "DelivDate")
      << QStringLiteral("i.ItmNo as \"ItmNo\", i.ItmName as \"ItmName\", i.ItmSpec as \"ItmSpec\"")
      << QStringLiteral("(select u.UntName from KX_Base_Unit as u where u.UntID=i.ItmUnitID) as \"UntName\"")
      << QStringLiteral("left(s.%1Note, 500) as \"Note\"").arg(p);
    if (order) {
        const bool mo = src.BillType == btMO;
        f << (mo ? QStringLiteral("s.MODeptID as \"DeptID\", null as \"SuppID\"") : QStringLiteral("null as \"DeptID\", s.OOSuppID as \"SuppID\""))
          << (mo ? QStringLiteral("(select d.DeptName from KX_Base_Department as d where d.DeptID=s.MODeptID) as \"DeptName\"")
                 : QStringLiteral("(select v.SuppName from KX_Base_Supplier as v where v.SuppID=s.OOSuppID) as \"DeptName\""))
          << c("DrawDate", "NeedDate") << c("OkQty", "ExeQty")
          << (mo ? QStringLiteral("(case when s.MOQty>0 then s.MOQty else 0 end) as \"Qty\"")
                 : QStringLiteral("(case when s.OOQty>s.OOChkQty then s.OOQty else s.OOChkQty end) as \"Qty\""))
          << QStringLiteral("coalesce($$OrigType$$, 0) as \"OrigType\", $$OrigID$$ as \"OrigID\", $$OrigNo$$ as \"OrigNo\"")
          << QStringLiteral("coalesce($$OrigEntry$$, 0) as \"OrigEntry\", $$OrigItmID$$ as \"OrigItmID\"")
          << QStringLiteral("$$OrigCustID$$ as \"OrigCustID\", $$OrigCustPO$$ as \"OrigCustPO\"")
          << QStringLiteral("(select oc.CustName from KX_Base_Customer as oc where oc.CustID=$$OrigCustID$$) as \"CustName\"");
    } else {
        f << c("DeptID", "DeptID") << QStringLiteral("null as \"SuppID\", null as \"DeptName\"") << c("DelivDate", "NeedDate")
          << c("OkQty", "ExeQty")
          << (forcast ? QStringLiteral("s.ForQty-coalesce(x.ForDedAQty,0)-coalesce(x.ForDedMQty,0) as \"Qty\"") : c("Qty", "Qty"))
          << QStringLiteral("%1 as \"OrigType\"").arg(src.BillType) << c("ID", "OrigID") << c("No", "OrigNo") << c("Entry", "OrigEntry")
          << c("ItmID", "OrigItmID") << c("CustID", "OrigCustID")
          << (forcast ? QStringLiteral("null as \"OrigCustPO\"") : c("CustPO", "OrigCustPO"))
          << QStringLiteral("(select oc.CustName from KX_Base_Customer as oc where oc.CustID=s.%1CustID) as \"CustName\"").arg(p);
    }
    return f.join(QStringLiteral(", "));
}

QString LineCondition(const TMiniSource& src)
{
    const QString p = QLatin1String(src.Prefix);
    QString qty;
    switch (src.BillType) {
    case btForcast: qty = QStringLiteral("s.ForQty>coalesce(x.ForDedAQty,0)+coalesce(x.ForDedMQty,0)"); break;
    case btMO: qty = QStringLiteral("s.MOQty>0"); break;
    case btOO: qty = QStringLiteral("(s.OOQty>0 or s.OOChkQty>0)"); break;
    default: qty = QStringLiteral("s.%1Qty>0").arg(p); break;
    }
    return QStringLiteral("s.CanMRP<>0 and %1 and (mt.ItmMrpSkip=0 or mt.ItmMrpSkip is null)").arg(qty);
}

QDate DateOf(const TQuery& q, const char* field)
{
    const TField f = q.FieldByName(QLatin1String(field));
    return f.IsNull() ? QDate() : f.AsDate();
}

QString Quoted(const QStringList& ids)
{
    QStringList q;
    for (const QString& id : ids)
        q << QuotedStr(id);
    return q.join(QStringLiteral(", "));
}

} // namespace

TMiniOptions ReadMiniOptions(const QString& params)
{
    TMiniOptions o;
    o.TrackMode = IntParam(params, kOptionKeys[0], 0);
    o.ItemTrack = IntParam(params, kOptionKeys[1], 0) != 0;
    o.CareLoss = IntParam(params, kOptionKeys[2], 1) != 0;
    o.CareLot = IntParam(params, kOptionKeys[3], 0) != 0;
    o.CareSafety = IntParam(params, kOptionKeys[4], 0) != 0;
    o.OtherOut = IntParam(params, kOptionKeys[5], 0) != 0;
    o.GrossOnly = IntParam(params, kOptionKeys[6], 0) != 0;
    o.Replace = qBound(0, IntParam(params, kOptionKeys[7], 0), 3);
    o.Suites = qBound(0, IntParam(params, kOptionKeys[8], 0), 3);
    o.OneLevel = IntParam(params, kOptionKeys[9], 0) != 0;
    o.LackBills = qBound(0, IntParam(params, kOptionKeys[10], lbChosen), 3);
    o.AllDates = IntParam(params, kOptionKeys[11], 1) != 0;
    o.DelivDate = QDate::fromString(GetParamValue(params, QStringLiteral("[DelivDate]")).trimmed(), QStringLiteral("yyyy/MM/dd"));
    o.CurrentBom = IntParam(params, kOptionKeys[12], 0) != 0;
    // The conditions may run over several lines: kept encoded in one.
    o.Filters = QString::fromUtf8(QByteArray::fromBase64(GetParamValue(params, QStringLiteral("[MRPFilters]")).trimmed().toLatin1()));
    return o;
}

QString WriteMiniOptions(const QString& params, const TMiniOptions& o)
{
    const int values[] = {o.TrackMode, o.ItemTrack, o.CareLoss,  o.CareLot,  o.CareSafety, o.OtherOut,  o.GrossOnly,
                          o.Replace,   o.Suites,    o.OneLevel,  o.LackBills, o.AllDates,  o.CurrentBom};
    static_assert(std::size(values) == std::size(kOptionKeys));
    QString p = params;
    for (size_t i = 0; i < std::size(values); ++i)
        p = SetParamValue(p, QLatin1String(kOptionKeys[i]), QString::number(values[i]));
    p = SetParamValue(p, QStringLiteral("[MRPFilters]"), QString::fromLatin1(o.Filters.toUtf8().toBase64()));
    return SetParamValue(p, QStringLiteral("[DelivDate]"), o.DelivDate.isValid() ? o.DelivDate.toString(QStringLiteral("yyyy/MM/dd")) : QString());
}

int NeedScopeOf(const TMiniOptions& o)
{
    return 1 + (o.OneLevel ? 4 : 0) + (o.GrossOnly ? 2 : 0) + (o.OtherOut ? 1 : 0);
}

QString MiniCaption(TMiniKind kind)
{
    return TPlanScheme::AnalysisCaption(int(kind));
}

QString MiniRunText(TMiniKind kind)
{
    return kind == mkKit ? QStringLiteral("正在进行物料配套分析, 请稍候...") : QStringLiteral("正在进行生产缺料分析, 请稍候...");
}

QString PastDateQuestion(TMiniKind kind)
{
    return kind == mkKit ? QStringLiteral("发现存在需求日期早于今天的主需求行, 统一自动修正为今天?")
                         : QStringLiteral("发现存在投料日期早于今天的单据行, 统一自动修正为今天?");
}

bool ReadMiniLines(TQuery& query, int billType, const QString& where, QList<TMiniLine>& lines)
{
    const TMiniSource* src = SourceOf(billType);
    if (!src)
        return false;
    const TInfoObjectDef* def = RequireObjectDef(QLatin1String(src->ObjectID));
    if (!def)
        return false;
    const QString sql = ComposeObjectStatement(def, QString(), LineFields(*src), CombineFilter(LineCondition(*src), where),
                                               QStringLiteral("s.%1DelivDate, s.%1No, s.%1Entry").arg(QLatin1String(src->Prefix)));
    if (sql.isEmpty()) {
        ShowError(QStringLiteral("信息对象\"%1\"的查询语句无法生成!").arg(def->ID));
        return false;
    }
    if (!RunSQL(query, sql, true))
        return false;
    const QString typeName = EnumText(QStringLiteral("MrpBillType"), billType);
    for (query.First(); !query.Eof(); query.Next()) {
        auto s = [&query](const char* field) { return query.FieldByName(QLatin1String(field)).AsString(); };
        auto n = [&query](const char* field) { return query.FieldByName(QLatin1String(field)).AsFloat(); };
        TMiniLine m;
        TMainDemandLine& l = m.Line;
        l.BillType = billType;
        l.BillID = s("BillID");
        l.BillNo = s("BillNo");
        l.BillEntry = query.FieldByName(QStringLiteral("BillEntry")).AsInteger();
        l.BillDate = query.FieldByName(QStringLiteral("BillDate")).AsDateTime();
        l.BillQty = n("BillQty");
        l.SuppID = s("SuppID");
        l.DeptID = s("DeptID");
        l.OrigType = query.FieldByName(QStringLiteral("OrigType")).AsInteger();
        l.OrigID = s("OrigID");
        l.OrigNo = s("OrigNo");
        l.OrigEntry = query.FieldByName(QStringLiteral("OrigEntry")).AsInteger();
        l.OrigItmID = s("OrigItmID");
        l.OrigCustID = s("OrigCustID");
        l.OrigCustPO = s("OrigCustPO");
        l.OrigTag = s("OrigTag");
        l.OrigSubTag = s("OrigSubTag");
        l.GroupType = query.FieldByName(QStringLiteral("GroupType")).AsInteger();
        l.GroupNo = s("GroupNo");
        l.Date = DateOf(query, "NeedDate");
        l.ItmID = s("ItmID");
        l.ItmProps = s("ItmProps");
        for (int p = 0; p < 10; ++p)
            l.ItmProp[p] = query.FieldByName(QStringLiteral("ItmProp%1").arg(p + 1)).AsString();
        l.BomType = query.FieldByName(QStringLiteral("BomType")).AsInteger();
        l.BomID = s("BomID");
        l.ExeQty = n("ExeQty");
        l.NeedQty = n("Qty");
        l.Qty = l.NeedQty;
        l.Note = s("Note");
        m.TypeName = typeName;
        m.CustName = s("CustName");
        m.ItemNo = s("ItmNo");
        m.ItemName = s("ItmName");
        m.ItemSpec = s("ItmSpec");
        m.UnitName = s("UntName");
        m.DeptName = s("DeptName");
        m.PlanQty = l.Qty;
        m.DelivDate = DateOf(query, "DelivDate");
        lines << m;
    }
    return true;
}

QString MiniBillNoCondition(int billType, const QStringList& billNos)
{
    const TMiniSource* src = SourceOf(billType);
    if (!src || billNos.isEmpty())
        return QStringLiteral("1=0");
    return QStringLiteral("s.%1No in (%2)").arg(QLatin1String(src->Prefix), Quoted(billNos));
}

QList<int> LinesBeforeToday(const QList<TMiniLine>& lines, const QDate& today)
{
    QList<int> past;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].Line.Date.isValid() && lines[i].Line.Date < today)
            past << int(i);
    return past;
}

QString DuplicateLineMessage(const QList<TMiniLine>& lines, TMiniKind kind)
{
    QSet<QString> seen;
    for (const TMiniLine& m : lines) {
        const TMainDemandLine& l = m.Line;
        const QString key = QStringLiteral("%1|%2|%3").arg(l.BillType).arg(l.BillID).arg(l.BillEntry);
        if (!seen.contains(key)) {
            seen.insert(key);
            continue;
        }
        const QString text = kind == mkKit ? QStringLiteral("以下配套主需求行前面已经存在, 请修正!\r\r类型: %1　需求单号: %2　需求行: %3　物料代码: %4")
                                           : QStringLiteral("以下投料需求行前面已经存在, 请修正!\r\r类型: %1　单据号: %2　单据行: %3　产品代码: %4");
        return text.arg(m.TypeName, l.BillNo).arg(l.BillEntry).arg(m.ItemNo);
    }
    return QString();
}

QString CheckMiniLines(QList<TMiniLine>& lines, TMiniKind kind, const QDate& today,
                       const std::function<bool(const QList<int>& past)>& moveToToday)
{
    const QList<int> past = LinesBeforeToday(lines, today);
    if (!past.isEmpty() && moveToToday(past))
        for (int i : past)
            lines[i].Line.Date = today;
    return DuplicateLineMessage(lines, kind);
}

int CreateMiniScheme(TConnection& connection, TMiniKind kind, const QString& userID)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("insert into KX_MRP_Schemes (SchType, SchName, SchUsrID, SchNewTime) values (%1, '', %2, localtimestamp) returning SchIID")
                .arg(int(kind))
                .arg(QuotedStr(userID));
    q.Open();
    return q.Fields(0).AsInteger();
}

void DeleteMiniSchemes(TConnection& connection, int schemeIID, TMiniKind kind, const QString& userID)
{
    QString sql = QStringLiteral("delete from KX_MRP_Schemes where SchIID=%1 or SchType=%2 and SchUsrID=%3 and SchNewTime<localtimestamp-interval '7 days'")
                      .arg(schemeIID)
                      .arg(int(kind))
                      .arg(QuotedStr(userID));
    const std::pair<const char*, const char*> tables[] = {
        {"KX_MRP_Main", "ManSchIID"},    {"KX_MRP_Demands", "DmdSchIID"}, {"KX_MRP_Supplies", "SupSchIID"},
        {"KX_MRP_SupAdjusts", "AdjSchIID"}, {"KX_MRP_Allots", "AltSchIID"}, {"KX_MRP_DestAlters", "DstSchIID"},
        {"KX_MRP_Balance", "BalSchIID"}, {"KX_MRP_RunLog", "LogSchIID"}};
    for (const auto& [table, column] : tables)
        sql += QStringLiteral(";\rdelete from %1 as d where not exists (select 1 from KX_MRP_Schemes as s where s.SchIID=d.%2)")
                   .arg(QLatin1String(table), QLatin1String(column));
    TTransaction tran(connection);
    connection.Execute(sql);
    tran.Commit();
}

QStringList MiniSummaryCaptions(TMiniKind kind)
{
    if (kind == mkKit)
        return {QStringLiteral("类型"), QStringLiteral("需求单号"), QStringLiteral("需求行"), QStringLiteral("物料代码"),
                QStringLiteral("物料名称"), QStringLiteral("规格型号"), QStringLiteral("需求日期"), QStringLiteral("需求数量"),
                QStringLiteral("齐套数量"), QStringLiteral("缺口数量"), QStringLiteral("齐套率(%)")};
    return {QStringLiteral("生产/委外单"), QStringLiteral("物料代码"), QStringLiteral("物料名称"), QStringLiteral("规格型号"),
            QStringLiteral("投料日期"), QStringLiteral("需求数量"), QStringLiteral("库存满足"), QStringLiteral("缺料数量"),
            QStringLiteral("订单齐套数量")};
}

int MiniSummaryNumbersFrom(TMiniKind kind)
{
    return kind == mkKit ? 7 : 5;
}

QString MiniSummarySQL(TMiniKind kind, int schemeIID)
{
    if (kind == mkKit)
        return QStringLiteral("select e.EnmName, d.DmdBillNo, d.DmdBillEntry, i.ItmNo, i.ItmName, i.ItmSpec, to_char(d.DmdDate, 'YYYY/MM/DD'),"
                              " trim_scale(d.DmdNeedQty), trim_scale(coalesce(d.DmdASetQty, 0)),"
                              " trim_scale(greatest(d.DmdNeedQty-coalesce(d.DmdASetQty, 0), 0)), trim_scale(coalesce(d.DmdASetRate, 0))\n"
                              "  from KX_MRP_Demands as d join KX_Base_ItemMaster as i on i.ItmID=d.DmdItmID\n"
                              "  left join KX_SYS_Enums as e on e.EnmClass='MrpBillType' and e.EnmID=d.DmdBillType\n"
                              " where d.DmdSchIID=%1 and d.DmdBillType<=%2 order by d.DmdDate, d.DmdBillNo, d.DmdBillEntry")
            .arg(schemeIID)
            .arg(btFreeNeed);
    // The material of the orders looked at (the demand-driven orders of the analysis), from
    // their own lines or their BOM, with the kit-complete quantity of the order.
    return QStringLiteral("select o.SupBillNo||'/'||o.SupBillEntry, i.ItmNo, i.ItmName, i.ItmSpec, to_char(d.DmdDate, 'YYYY/MM/DD'),"
                          " trim_scale(d.DmdNeedQty), trim_scale(coalesce(d.DmdInvQty, 0)), trim_scale(d.DmdNeedQty-coalesce(d.DmdInvQty, 0)),"
                          " trim_scale(coalesce(o.SupDSetQty, 0))\n"
                          "  from KX_MRP_Demands as d join KX_MRP_Supplies as o on o.SupSchIID=d.DmdSchIID and o.SupIID=d.DmdPSupIID\n"
                          "  join KX_Base_ItemMaster as i on i.ItmID=d.DmdItmID\n"
                          " where d.DmdSchIID=%1 and o.SupPDmdIID=-1 and o.SupBillType in (%2, %3) and d.DmdNeedQty>coalesce(d.DmdInvQty, 0)\n"
                          " order by o.SupBillNo, o.SupBillEntry, i.ItmNo")
        .arg(schemeIID)
        .arg(btMO)
        .arg(btOO);
}

QString LackFilters(const TMiniOptions& options, const QList<TMiniLine>& lines)
{
    // The orders looked at, as conditions on the order line columns that the order objects and
    // their material and scrap lines share.
    QString mo, oo;
    const QString none = QStringLiteral("1=0"), all = QStringLiteral("1=1");
    switch (options.LackBills) {
    case lbChosen: {
        QStringList moKeys, ooKeys;
        for (const TMiniLine& m : lines)
            (m.Line.BillType == btMO ? moKeys : ooKeys) << QStringLiteral("%1|%2").arg(m.Line.BillID).arg(m.Line.BillEntry);
        mo = moKeys.isEmpty() ? none : QStringLiteral("s.MOID||'|'||s.MOEntry in (%1)").arg(Quoted(moKeys));
        oo = ooKeys.isEmpty() ? none : QStringLiteral("s.OOID||'|'||s.OOEntry in (%1)").arg(Quoted(ooKeys));
        break;
    }
    case lbMOOnly: mo = all; oo = none; break;
    case lbOOOnly: mo = none; oo = all; break;
    default: mo = oo = all; break;
    }
    if (options.LackBills != lbChosen && !options.AllDates && options.DelivDate.isValid()) {
        const QString date = SQLDate(options.DelivDate.addDays(1));
        if (mo != none)
            mo = QStringLiteral("s.MODelivDate<%1").arg(date);
        if (oo != none)
            oo = QStringLiteral("s.OODelivDate<%1").arg(date);
    }
    // Their material: their own open lines, or with the current BOM none of them; with the
    // other open issues those of every other order too.
    auto material = [&](const QString& chosen) {
        if (options.CurrentBom)
            return options.OtherOut ? (chosen == all ? none : QStringLiteral("not (%1)").arg(chosen)) : none;
        return options.OtherOut ? QString() : chosen;
    };
    // Every open order counts as a supply as the user's conditions allow, the chosen ones always.
    auto orders = [&](const QString& user, const QString& chosen) {
        return user.isEmpty() || chosen == none ? user : chosen == all ? QString() : QStringLiteral("(%1) or (%2)").arg(user, chosen);
    };
    QString f = options.Filters;
    f = WithFilter(f, QLatin1String(kLackOrdersMO), mo);
    f = WithFilter(f, QLatin1String(kLackOrdersOO), oo);
    f = WithFilter(f, QStringLiteral("KX_MRP.MO"), orders(FilterOf(options.Filters, QStringLiteral("KX_MRP.MO")), mo));
    f = WithFilter(f, QStringLiteral("KX_MRP.OO"), orders(FilterOf(options.Filters, QStringLiteral("KX_MRP.OO")), oo));
    f = WithFilter(f, QStringLiteral("KX_MRP.MOBOM"), material(mo));
    f = WithFilter(f, QStringLiteral("KX_MRP.OOBOM"), material(oo));
    // Scrap replacements are issues of the orders they were made for, whatever their BOM.
    f = WithFilter(f, QStringLiteral("KX_MRP.MOScrap"),
                   CombineFilter(FilterOf(options.Filters, QStringLiteral("KX_MRP.MOScrap")), options.OtherOut || mo == all ? QString() : mo));
    return f;
}

bool SaveMiniDemand(TPlanScheme& scheme, TMiniKind kind, const TMiniOptions& options, const QList<TMiniLine>& lines,
                    const QDate& today, IEngineProgress& progress)
{
    // Weekly periods from this week's Monday to two weeks past the latest line (and the
    // shortage analysis' last due date).
    QDate last = today;
    for (const TMiniLine& m : lines) {
        last = std::max(last, m.Line.Date);
        last = std::max(last, m.DelivDate);
    }
    if (kind == mkLack && !options.AllDates && options.DelivDate.isValid())
        last = std::max(last, options.DelivDate);
    QList<TPlanPeriod> weeks;
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    for (QDate begin = monday; begin <= last.addDays(14); begin = begin.addDays(7))
        weeks << TPlanPeriod{ppkNormal, begin, begin.addDays(6)};
    TQuery q(scheme.Query().Connection);
    if (!RunSQL(q, QStringLiteral("select coalesce(min(CalIID), 0) from KX_MRP_Calendar"), true))
        return false;
    scheme.PlanCalIID = q.Fields(0).AsInteger();
    scheme.PlanPeriods = BuildPlanPeriods(weeks);
    scheme.PlanSource = srcImport;
    scheme.PlanNeedScope = NeedScopeOf(options);
    scheme.CareItemSafety = options.CareSafety ? 1 : 0;
    scheme.CareItemReplace = options.Replace;
    scheme.CareItemSuites = options.Suites;
    scheme.CareMRPTrackMode = options.TrackMode;
    scheme.CareItemMRPTrack = options.ItemTrack;
    scheme.CareItemLossRate = options.CareLoss;
    scheme.CareItemLotRule = options.CareLot;
    scheme.DataFilters = kind == mkLack ? LackFilters(options, lines) : options.Filters;
    if (!scheme.Save())
        return false;
    // The main demand is written in the periods just set.
    scheme.MpsPeriods.clear();
    QList<TMainDemandLine> main;
    for (const TMiniLine& m : lines)
        main << m.Line;
    return SaveMainDemandLines(scheme, main, wtOverwriteAll, progress);
}

} // namespace kx
