// Writing a scenario's factory, bills and scheme into the test database. Every code of the
// file (item, BOM, order number) is also the row's identity, so results read back by code.
#include "scenariorun.h"

#include "db/quote.h"
#include "db/shared.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "masterdata/planperiods.h"

#include <QVariant>

namespace kx::scenario {

namespace {

const QString kBillDate = QStringLiteral("2027-02-01");

void Exec(const QString& sql, int line)
{
    try {
        SharedConnection().Execute(sql);
    } catch (const EDatabaseError& e) {
        throw EScenarioLoad{line, e.Message() + QStringLiteral("\n") + sql};
    }
}

QVariant Scalar(const QString& sql)
{
    TQuery q(&SharedConnection());
    q.SQL = sql;
    try {
        q.Open();
    } catch (const EDatabaseError& e) {
        throw EScenarioLoad{1, e.Message() + QStringLiteral("\n") + sql};
    }
    return q.IsEmpty() ? QVariant() : q.Fields(0).Value();
}

QString Txt(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("null") : QuotedStr(text);
}

QString Day(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("null") : SQLDate(ScenarioDate(text));
}

// A table's cells for one row, quoted for SQL.
struct TCells {
    const TSection& T;
    const TRow& R;
    QString Text(const char* column, const QString& defaultValue = QString()) const
    {
        return Txt(T.Cell(R, QLatin1String(column), defaultValue));
    }
    QString Qty(const char* column, double defaultValue = 0) const { return SQLQty(T.Number(R, QLatin1String(column), defaultValue)); }
    QString Int(const char* column, int defaultValue = 0) const
    {
        return SQLInt(qRound(T.Number(R, QLatin1String(column), defaultValue)));
    }
    QString Date(const char* column, const QString& defaultValue = QString()) const
    {
        return Day(T.Cell(R, QLatin1String(column), defaultValue));
    }
    QString Raw(const char* column, const QString& defaultValue = QString()) const
    {
        return T.Cell(R, QLatin1String(column), defaultValue);
    }
};

template <class F>
void ForRows(const TScenario& s, const char* section, F&& f)
{
    for (const TSection* t : s.SectionsNamed(QLatin1String(section)))
        for (const TRow& r : t->Rows)
            f(TCells{*t, r});
}

// Decimal columns of KX_MRP_ItemSetting; the other numeric ones are integers.
bool IsDecimalSetting(const QString& column)
{
    static const QStringList decimals{"varleadlot", "safeqty", "minqty", "lotqty", "maxqty"};
    return decimals.contains(column);
}

bool IsTextSetting(const QString& column)
{
    static const QStringList texts{"putlossrate", "modeptid", "posuppid", "oosuppid"};
    return texts.contains(column);
}

void LoadMasterData(const TScenario& s)
{
    const TSection* scheme = s.Section(QStringLiteral("scheme"));
    const QString lossType = scheme ? scheme->Value(QStringLiteral("losstype"), QStringLiteral("0")) : QStringLiteral("0");
    const QString byOrigDate = scheme ? scheme->Value(QStringLiteral("orderbyorigdate"), QStringLiteral("0")) : QStringLiteral("0");
    Exec(QStringLiteral(
             "insert into KX_Base_Unit (UntID, UntNo, UntName, UntFactor, UntIsBase) values ('PCS', 'PCS', '个', 1, 1);\n"
             "insert into KX_Base_Department (DeptID, DeptNo, DeptName, DeptWorkShop) values ('W1', 'W1', '一车间', 1);\n"
             "insert into KX_Base_Supplier (SuppID, SuppNo, SuppName, SuppPO, SuppOO) values ('SUP1', 'SUP1', '供应商', 1, 1);\n"
             "insert into KX_Base_Stock (StkID, StkNo, StkName) values ('WH1', 'WH1', '原料仓');\n"
             "update KX_MRP_LossRateType set LosType=%1;\n"
             "insert into KX_SYS_SysSettings (SetClass, SetKey, SetValue) values ('KX_MRP', 'DemandOrderByOrigDate', %2) "
             "on conflict (SetClass, SetKey) do update set SetValue=excluded.SetValue")
             .arg(SQLInt(lossType.toInt()), QuotedStr(byOrigDate)),
         1);
    QStringList customers{QStringLiteral("CU1")};
    ForRows(s, "sales", [&](const TCells& c) { customers << c.Raw("customer"); });
    ForRows(s, "main", [&](const TCells& c) { customers << c.Raw("customer"); });
    customers.removeAll(QString());
    customers.removeDuplicates();
    for (const QString& cust : customers)
        Exec(QStringLiteral("insert into KX_Base_Customer (CustID, CustNo, CustName) values (%1, %1, %2)")
                 .arg(QuotedStr(cust), QuotedStr(QStringLiteral("客户") + cust)),
             1);
    QStringList stocks;
    ForRows(s, "stock", [&](const TCells& c) { stocks << c.Raw("warehouse"); });
    stocks.removeAll(QString());
    stocks.removeAll(QStringLiteral("WH1"));
    stocks.removeDuplicates();
    for (const QString& stk : stocks)
        Exec(QStringLiteral("insert into KX_Base_Stock (StkID, StkNo, StkName) values (%1, %1, %1)").arg(QuotedStr(stk)), 1);

    ForRows(s, "units", [&](const TCells& c) {
        Exec(QStringLiteral("insert into KX_Base_Unit (UntID, UntNo, UntName, UntFactor) values (%1, %1, %2, %3)")
                 .arg(c.Text("unit"), c.Text("name", c.Raw("unit")), c.Qty("factor", 1)),
             c.R.Line);
    });
    ForRows(s, "items", [&](const TCells& c) {
        // "propmask" says which of the ten properties the item has, "1" at each one it uses.
        const QString mask = c.Raw("propmask");
        QString hasProps;
        for (int n = 1; n <= 10; ++n)
            hasProps += QStringLiteral(", %1").arg(mask.mid(n - 1, 1) == QLatin1String("1") ? 1 : 0);
        Exec(QStringLiteral("insert into KX_Base_ItemMaster (ItmID, ItmNo, ItmName, ItmSpec, ItmType, ItmUnitID, ItmDecimal, "
                            "ItmDisabled, ItmHasProp1, ItmHasProp2, ItmHasProp3, ItmHasProp4, ItmHasProp5, ItmHasProp6, "
                            "ItmHasProp7, ItmHasProp8, ItmHasProp9, ItmHasProp10) values (%1, %1, %2, %3, %4, %5, %6, %7%8)")
                 .arg(c.Text("item"), c.Text("name", c.Raw("item")), QuotedStr(c.Raw("spec")), c.Int("type", 1),
                      c.Text("unit", QStringLiteral("PCS")), c.Int("decimal", 4), c.Int("disabled"), hasProps),
             c.R.Line);
        QStringList columns{QStringLiteral("ItmID")}, values{c.Text("item")};
        for (const QString& column : c.T.Columns) {
            static const QStringList master{"item", "name", "spec", "type", "unit", "decimal", "propmask", "disabled"};
            if (master.contains(column) || c.T.Cell(c.R, column).isEmpty())
                continue;
            columns << QStringLiteral("Itm") + column;
            const QByteArray name = column.toLatin1();
            values << (IsTextSetting(column) ? QuotedStr(c.Raw(name.constData()))
                       : IsDecimalSetting(column) ? c.Qty(name.constData())
                                                  : c.Int(name.constData()));
        }
        if (columns.size() > 1)
            Exec(QStringLiteral("insert into KX_MRP_ItemSetting (%1) values (%2)")
                     .arg(columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", "))),
                 c.R.Line);
    });
}

// BOM type of a BOM named in the file (1 when it is not listed).
int BomTypeOf(const TScenario& s, const QString& bom)
{
    int type = 1;
    ForRows(s, "boms", [&](const TCells& c) {
        if (c.Raw("bom") == bom)
            type = qRound(c.T.Number(c.R, QStringLiteral("type"), 1));
    });
    return type;
}

// The row hook of a BOM line: its own "hook" cell, else "<bom>-<entry>".
QString HookOf(const TScenario& s, const QString& bom, const QString& entry)
{
    QString hook = bom + u'-' + entry;
    ForRows(s, "bom lines", [&](const TCells& c) {
        if (c.Raw("bom") == bom && c.Raw("entry") == entry)
            hook = c.Raw("hook", hook);
    });
    return hook;
}

void LoadBoms(const TScenario& s)
{
    QStringList productsWithDefault;
    ForRows(s, "boms", [&](const TCells& c) {
        // The first standard BOM listed for a product is its default unless the file says otherwise.
        const bool standard = c.Raw("type", QStringLiteral("1")) == QLatin1String("1");
        const QString item = c.Raw("item");
        const bool isDefault = c.T.HasColumn(QStringLiteral("default")) && !c.Raw("default").isEmpty()
                                   ? c.Raw("default") == QLatin1String("1")
                                   : standard && !productsWithDefault.contains(item);
        if (isDefault)
            productsWithDefault << item;
        Exec(QStringLiteral("insert into KX_Bom_Head (BomID, BomType, BomNo, BomItmID, BomOkRate, BomIsDefault, BomChecked, "
                            "BomDate, BomBeginDate, BomEndDate) values (%1, %2, %1, %3, %4, %5, 1, %6, %7, %8)")
                 .arg(c.Text("bom"), c.Int("type", 1), c.Text("item"), c.Qty("yield", 100), SQLInt(isDefault ? 1 : 0),
                      Day(kBillDate), c.Date("begin"), c.Date("end")),
             c.R.Line);
    });
    ForRows(s, "bom lines", [&](const TCells& c) {
        const QString itemBom = c.Raw("itembom");
        Exec(QStringLiteral("insert into KX_Bom_Line (BomID, BomEntry, BolRowHook, BolItmID, BolRole, BolFixed, BolUntID, BolUQty, "
                            "BolUBaseQty, BolQty, BolBaseQty, BolPercent, BolLossRate, BolPutLossRate, BolBeginDate, BolEndDate, "
                            "BolOffsetDay, BolBomType, BolBomID, BolBomLocked, BolBomSkip) values "
                            "(%1, %2, %3, %4, %5, %6, 'PCS', %7, %8, %7, %8, %9, %10, %11, %12, %13, %14, %15, %16, %17, %18)")
                 .arg(c.Text("bom"), c.Int("entry"), QuotedStr(HookOf(s, c.Raw("bom"), c.Raw("entry"))), c.Text("item"),
                      c.Int("role"), c.Int("fixed"), c.Qty("qty"), c.Qty("base", 1), c.Qty("percent", 100))
                 .arg(c.Qty("loss"), QuotedStr(c.Raw("losstext")), c.Date("begin"), c.Date("end"), c.Int("offset"),
                      itemBom.isEmpty() ? QStringLiteral("null") : SQLInt(BomTypeOf(s, itemBom)), Txt(itemBom),
                      c.Int("locked"), c.Int("skip")),
             c.R.Line);
    });
    ForRows(s, "substitutes", [&](const TCells& c) {
        const QString bom = c.Raw("bom");
        Exec(QStringLiteral("insert into KX_Bom_ItemSubs (SubBomType, SubBomID, SubRowHook, SubItmID, SubSeq, SubRItmID, SubQty, "
                            "SubRQty, SubReplace, SubBeginDate, SubEndDate) values (%1, %2, %3, %4, %5, %6, %7, %8, %9, %10, %11)")
                 .arg(bom.isEmpty() ? QStringLiteral("null") : SQLInt(BomTypeOf(s, bom)), Txt(bom),
                      bom.isEmpty() ? QStringLiteral("null") : QuotedStr(HookOf(s, bom, c.Raw("entry"))), c.Text("item"),
                      c.Int("seq", 1), c.Text("sub"), c.Qty("qty", 1), c.Qty("rqty", 1), c.Int("replace"))
                 .arg(c.Date("begin"), c.Date("end")),
             c.R.Line);
    });
}

void LoadStock(const TScenario& s)
{
    ForRows(s, "stock", [&](const TCells& c) {
        Exec(QStringLiteral("insert into KX_Stk_Inventory (InvItmID, InvBatch, InvStkID, InvGroupType, InvGroupNo, InvOrigType, "
                            "InvOrigID, InvOrigNo, InvOrigEntry, InvOrigTag, InvQty) values "
                            "(%1, %2, %3, %4, %5, %6, %7, %8, %9, %10, %11)")
                 .arg(c.Text("item"), QuotedStr(c.Raw("batch")), c.Text("warehouse", QStringLiteral("WH1")), c.Int("grouptype"),
                      QuotedStr(c.Raw("groupno")), c.Int("origtype"), QuotedStr(c.Raw("origno")), c.Text("origno"),
                      c.Int("origentry"))
                 .arg(QuotedStr(c.Raw("tag")), c.Qty("qty")),
             c.R.Line);
    });
}

// What the bill tables of one order kind call their columns.
struct TOrderKind {
    const char* Kind;             // as the file writes it
    const char* Done;             // executed quantity column
    bool HasSupplier, HasDraw, HasBom, HasChk, HasDept;
};

const TOrderKind* OrderKind(const QString& kind)
{
    static const TOrderKind kinds[] = {
        {"MO", "MOInQty", false, true, true, true, true},   {"OO", "OOInQty", true, true, true, true, false},
        {"PO", "PORecvQty", true, false, false, false, false}, {"PI", "PIInQty", true, false, false, false, false},
        {"PR", "PROkQty", false, false, false, false, false}, {"MR", "MROkQty", false, true, true, false, false},
        {"OR", "OROkQty", false, true, true, false, false},
    };
    for (const TOrderKind& k : kinds)
        if (kind.compare(QLatin1String(k.Kind), Qt::CaseInsensitive) == 0)
            return &k;
    return nullptr;
}

void LoadOrders(const TScenario& s)
{
    QStringList heads;
    ForRows(s, "orders", [&](const TCells& c) {
        const TOrderKind* k = OrderKind(c.Raw("kind"));
        if (!k)
            throw EScenarioLoad{c.R.Line, QStringLiteral("unknown order kind %1 (MO, OO, PO, PI, PR, MR, OR)").arg(c.Raw("kind"))};
        const QString p = QLatin1String(k->Kind);
        const QString no = c.Raw("no");
        if (!heads.contains(no)) {
            heads << no;
            Exec(QStringLiteral("insert into KX_Bill_%1Head (%1ID, %1No, %1Date, %1Checked%2) values (%3, %3, %4, 1%5)")
                     .arg(p, k->HasSupplier ? QStringLiteral(", %1SuppID").arg(p) : QString(), QuotedStr(no),
                          c.Date("billdate", kBillDate), k->HasSupplier ? QStringLiteral(", 'SUP1'") : QString()),
                 c.R.Line);
        }
        QStringList columns{"ID", "Entry", "ItmID", "UBillQty", "BillQty", "DelivDate", "OrigType", "OrigID", "OrigNo",
                            "OrigEntry", "OrigTag", "GroupType", "GroupNo"};
        QStringList values{QuotedStr(no), c.Int("entry", 1), c.Text("item"), c.Qty("qty"), c.Qty("qty"), c.Date("date"),
                           c.Raw("origtype").isEmpty() ? QStringLiteral("null") : c.Int("origtype"), c.Text("origno"),
                           c.Text("origno"), c.Raw("origentry").isEmpty() ? QStringLiteral("null") : c.Int("origentry"),
                           c.Text("tag"), c.Int("grouptype"), QuotedStr(c.Raw("groupno"))};
        for (QString& column : columns)
            column.prepend(p);
        columns << QLatin1String(k->Done);
        values << c.Qty("done");
        if (k->HasDraw) {
            columns << p + QStringLiteral("DrawDate");
            values << c.Date("draw", c.Raw("date"));
        }
        if (k->HasBom) {
            const QString bom = c.Raw("bom");
            columns << p + QStringLiteral("BomType") << p + QStringLiteral("BomID");
            values << SQLInt(bom.isEmpty() ? 0 : BomTypeOf(s, bom)) << Txt(bom);
        }
        if (k->HasChk) {
            columns << p + QStringLiteral("ChkQty");
            values << c.Qty("chk");
        }
        if (k->HasDept) {
            columns << p + QStringLiteral("DeptID");
            values << QStringLiteral("'W1'");
        }
        Exec(QStringLiteral("insert into KX_Bill_%1Line (%2) values (%3)")
                 .arg(p, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", "))),
             c.R.Line);
    });
    ForRows(s, "scrap", [&](const TCells& c) {
        const QString component = c.Raw("component");
        Exec(QStringLiteral("insert into KX_Bill_MOScrap (MOID, MspEntry, MOEntry, MobEntry, MspItmID, MspUntID, MspUBillQty, "
                            "MspBillQty, MspOkQty, MspDrawDate) values (%1, %2, %3, %4, %5, 'PCS', %6, %6, %7, %8)")
                 .arg(c.Text("order"), c.Int("entry"), c.Int("line", 1),
                      component.isEmpty() ? QStringLiteral("null") : c.Int("component"), c.Text("item"), c.Qty("qty"),
                      c.Qty("done"), c.Date("draw")),
             c.R.Line);
    });
    ForRows(s, "components", [&](const TCells& c) {
        QString kind, draw;
        ForRows(s, "orders", [&](const TCells& o) {
            if (o.Raw("no") == c.Raw("order")) {
                kind = o.Raw("kind").toUpper();
                draw = o.Raw("draw", o.Raw("date"));
            }
        });
        if (kind != QLatin1String("MO") && kind != QLatin1String("OO"))
            throw EScenarioLoad{c.R.Line, QStringLiteral("components belong to an MO or OO of [orders]")};
        const QString b = kind == QLatin1String("MO") ? QStringLiteral("Mob") : QStringLiteral("Oob");
        Exec(QStringLiteral("insert into KX_Bill_%1Bom (%1ID, %2Entry, %1Entry, %2ItmID, %2UBillQty, %2BillQty, %2UnitQty, "
                            "%2OkQty, %2DrawDate, %2Role) values (%3, %4, %5, %6, %7, %7, %8, %9, %10, %11)")
                 .arg(kind, b, c.Text("order"), c.Int("entry"), c.Int("line", 1), c.Text("item"), c.Qty("qty"),
                      c.Qty("unitqty"), c.Qty("done"))
                 .arg(c.Date("draw", draw), c.Int("role")),
             c.R.Line);
    });
}

void LoadSales(const TScenario& s)
{
    QStringList heads;
    ForRows(s, "sales", [&](const TCells& c) {
        const QString kind = c.Raw("kind").toUpper();
        if (kind != QLatin1String("SO") && kind != QLatin1String("SI") && kind != QLatin1String("FC"))
            throw EScenarioLoad{c.R.Line, QStringLiteral("unknown sales kind %1 (SO, SI, FC)").arg(kind)};
        const QString p = kind == QLatin1String("FC") ? QStringLiteral("For") : kind;
        const QString no = c.Raw("no");
        const QString customer = c.Text("customer", QStringLiteral("CU1"));
        if (!heads.contains(no)) {
            heads << no;
            if (kind == QLatin1String("FC"))
                Exec(QStringLiteral("insert into KX_Bill_ForHead (ForID, ForNo, ForDate, ForChecked) values (%1, %1, %2, 1)")
                         .arg(QuotedStr(no), c.Date("billdate", kBillDate)),
                     c.R.Line);
            else
                Exec(QStringLiteral("insert into KX_Bill_%1Head (%1ID, %1No, %1Date, %1CustID, %1Checked) values (%2, %2, %3, %4, 1)")
                         .arg(p, QuotedStr(no), c.Date("billdate", kBillDate), customer),
                     c.R.Line);
        }
        const QString bom = c.Raw("bom");
        Exec(QStringLiteral("insert into KX_Bill_%1Line (%1ID, %1Entry, %1ItmID, %1UBillQty, %1BillQty, %1DelivDate, %1OkQty, "
                            "%1BomType, %1BomID, %1OrigTag, %1OrigSubTag, %1GroupType, %1GroupNo%2) values "
                            "(%3, %4, %5, %6, %6, %7, %8, %9, %10, %11, %12, %13, %14%15)")
                 .arg(p, kind == QLatin1String("FC") ? QStringLiteral(", ForCustID") : QString(), QuotedStr(no),
                      c.Int("entry", 1), c.Text("item"), c.Qty("qty"), c.Date("date"), c.Qty("done"),
                      SQLInt(bom.isEmpty() ? 0 : BomTypeOf(s, bom)))
                 .arg(Txt(bom), c.Text("tag"), c.Text("subtag"), c.Int("grouptype"), QuotedStr(c.Raw("groupno")),
                      kind == QLatin1String("FC") ? QStringLiteral(", ") + customer : QString()),
             c.R.Line);
    });
}

void LoadCalendar(const TScenario& s, int& calendarID)
{
    calendarID = Scalar(QStringLiteral("insert into KX_MRP_Calendar (CalName) values (%1) returning CalIID")
                            .arg(QuotedStr(QStringLiteral("场景日历"))))
                     .toInt();
    ForRows(s, "holidays", [&](const TCells& c) {
        const QDate from = ScenarioDate(c.Raw("from"));
        const QDate to = ScenarioDate(c.Raw("to", c.Raw("from")));
        const QString which = c.Raw("which", QStringLiteral("all"));
        if (which != QLatin1String("all") && which != QLatin1String("weekends"))
            throw EScenarioLoad{c.R.Line, QStringLiteral("which is \"all\" or \"weekends\"")};
        for (QDate d = from; d <= to; d = d.addDays(1)) {
            if (which == QLatin1String("weekends") && d.dayOfWeek() < 6)
                continue;
            Exec(QStringLiteral("insert into KX_MRP_Holidays (CalIID, CalHoliday) values (%1, %2)").arg(SQLInt(calendarID), SQLDate(d)),
                 c.R.Line);
        }
    });
}

} // namespace

void TScenarioRunner::Load()
{
    LoadMasterData(S);
    LoadBoms(S);
    LoadStock(S);
    LoadOrders(S);
    LoadSales(S);
    int calendarID = 0;
    LoadCalendar(S, calendarID);

    QList<TPlanPeriod> userPeriods;
    ForRows(S, "periods", [&](const TCells& c) {
        userPeriods << TPlanPeriod{ppkNormal, ScenarioDate(c.Raw("begin")), ScenarioDate(c.Raw("end"))};
    });
    const TSection* sch = S.Section(QStringLiteral("scheme"));
    auto value = [&](const char* key, int defaultValue) {
        return sch ? sch->Value(QLatin1String(key), QString::number(defaultValue)).toInt() : defaultValue;
    };
    TPlanScheme scheme(&SharedConnection(), value("type", 0));
    scheme.SchemeName = S.Name;
    scheme.PlanCalIID = calendarID;
    scheme.PlanPeriods = BuildPlanPeriods(userPeriods);
    scheme.PlanSource = value("source", srcImport);
    scheme.PlanNeedScope = value("scope", 1);
    scheme.CareItemSafety = value("safety", 0);
    scheme.CareItemReplace = value("replace", 0);
    scheme.CareItemSuites = value("suites", 0);
    scheme.CareMRPTrackMode = value("trackmode", 9);
    scheme.CareItemMRPTrack = value("itemtrack", 0) != 0;
    scheme.CareItemLossRate = value("loss", 0) != 0;
    scheme.CareItemLotRule = value("lotrule", 0) != 0;
    if (!scheme.Save())
        throw EScenarioLoad{sch ? sch->Line : 1, QStringLiteral("the scheme could not be saved")};
    FSchemeIID = scheme.SchemeIID;
    const QString iid = SQLInt(FSchemeIID);
    const bool previousRun = !S.SectionsNamed(QStringLiteral("previous supplies")).isEmpty();
    // The main demand was fetched in the scheme's periods, or in the ones the file names.
    QList<TPlanPeriod> fetchedPeriods;
    ForRows(S, "fetched periods", [&](const TCells& c) {
        fetchedPeriods << TPlanPeriod{ppkNormal, ScenarioDate(c.Raw("begin")), ScenarioDate(c.Raw("end"))};
    });
    const TPlanPeriods mainPeriods = fetchedPeriods.isEmpty() ? scheme.PlanPeriods : BuildPlanPeriods(fetchedPeriods);
    Exec(QStringLiteral("update KX_MRP_Schemes set SchState=%1, SchMpsCalIID=SchCalIID, SchMpsPeriods=%4, "
                        "SchMpsRunTime=localtimestamp%2 where SchIID=%3")
             .arg(SQLInt(value("state", previousRun ? psResultsChanged : psMPSReady)),
                  previousRun ? QStringLiteral(", SchMrpCalIID=SchCalIID, SchMrpPeriods=SchPeriods, SchMrpRunTime=localtimestamp")
                              : QString(),
                  iid, QuotedStr(PlanPeriodsToText(mainPeriods))),
         sch ? sch->Line : 1);

    int manIID = 0;
    ForRows(S, "main", [&](const TCells& c) {
        ++manIID;
        const QString bill = c.Raw("bill", QStringLiteral("FD%1").arg(manIID));
        const QString bom = c.Raw("bom");
        const QString date = c.Date("date");
        Exec(QStringLiteral("insert into KX_MRP_Main (ManSchIID, ManIID, ManPeriod, ManBillType, ManBillID, ManBillNo, ManBillEntry, "
                            "ManBillDate, ManBillQty, ManOrigType, ManOrigID, ManOrigNo, ManOrigEntry, ManOrigCustID, ManOrigTag, "
                            "ManDate, ManPriority, ManItmID, ManItmProps, ManBomType, ManBomID, ManExeQty, ManDedQty, ManNeedQty, "
                            "ManAdjQty, ManQty, ManHints, ManItmProp1, ManItmProp2, ManItmProp3) values (%1, %2, %3, %4, %5, %5, "
                            "%6, %7, %8, %9, %10, %10, %11, %12, %13, %7, %14, %15, %19, %16, %17, 0, 0, %8, 0, %8, %18, %20)")
                 .arg(iid, SQLInt(manIID), SQLInt(PeriodOfDate(mainPeriods, ScenarioDate(c.Raw("date")))),
                      c.Int("kind", btFreeNeed), QuotedStr(bill), c.Int("entry", 1), date, c.Qty("qty"),
                      c.Raw("origtype").isEmpty() ? QStringLiteral("null") : c.Int("origtype"))
                 .arg(c.Text("origno"), c.Raw("origentry").isEmpty() ? QStringLiteral("null") : c.Int("origentry"),
                      c.Text("customer"), c.Text("tag"), c.Int("priority", 1), c.Text("item"),
                      SQLInt(bom.isEmpty() ? 0 : BomTypeOf(S, bom)), Txt(bom),
                      QuotedStr(c.Raw("hints").replace(u';', QLatin1String("\r\n"))), QuotedStr(c.Raw("props")),
                      QStringLiteral("%1, %2, %3").arg(c.Text("prop1"), c.Text("prop2"), c.Text("prop3"))),
             c.R.Line);
    });
    ForRows(S, "previous supplies", [&](const TCells& c) {
        const QString bom = c.Raw("bom");
        Exec(QStringLiteral("insert into KX_MRP_Supplies (SupSchIID, SupIID, SupPeriod, SupBillType, SupBillNo, SupItmID, SupItmProps, "
                            "SupQty, SupBillQty, SupAdjQty, SupAllotQty, SupRestQty, SupBomType, SupBomID, SupTrackKey) values "
                            "(%1, %2, 0, %3, %4, %5, '', %6, %7, %8, 0, %6, %9, %10, %11)")
                 .arg(iid, c.Int("iid"), c.Int("kind"), QuotedStr(QStringLiteral("S-") + c.Raw("iid")), c.Text("item"),
                      c.Qty("qty"), c.Qty("billqty", c.T.Number(c.R, QStringLiteral("qty"))), c.Qty("adjqty"),
                      SQLInt(bom.isEmpty() ? 0 : BomTypeOf(S, bom)))
                 .arg(Txt(bom), QuotedStr(c.Raw("track"))),
             c.R.Line);
    });
    ForRows(S, "previous adjusts", [&](const TCells& c) {
        Exec(QStringLiteral("insert into KX_MRP_SupAdjusts (AdjSchIID, AdjSupIID, AdjOldType, AdjOldBomID, AdjOldQty) "
                            "values (%1, %2, %3, %4, %5)")
                 .arg(iid, c.Int("iid"), c.Int("oldtype"), c.Text("oldbom"), c.Qty("oldqty")),
             c.R.Line);
    });
}

} // namespace kx::scenario
