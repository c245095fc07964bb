// Running a loaded scenario and checking what the run stored.
#include "scenariorun.h"

#include "db/quote.h"
#include "db/shared.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "testhost.h"

#include <QSet>

#include <cmath>

namespace kx::scenario {

namespace {

// The stored rows of each view, one text column per view column (and a few keys the
// identities need: iid, props, supiid, dmdiid).
const QHash<QString, QString>& ViewSQL()
{
    static const QHash<QString, QString> sql{
        {QStringLiteral("supplies"),
         QStringLiteral("select SupIID as \"iid\", SupItmID as \"item\", SupItmProps as \"props\", SupBillType as \"kind\", "
                        "SupBillNo as \"bill\", SupBillEntry as \"entry\", to_char(SupDate, 'YYYY-MM-DD') as \"date\", "
                        "to_char(SupDrawDate, 'YYYY-MM-DD') as \"draw\", SupLeadDays as \"lead\", SupPeriod as \"period\", "
                        "SupQty as \"qty\", SupBillQty as \"billqty\", SupAdjQty as \"adjqty\", SupChkQty as \"chk\", "
                        "SupAllotQty as \"allot\", SupAGrpxQty as \"agrpx\", SupAReplQty as \"arepl\", SupRestQty as \"rest\", "
                        "SupHints as \"hints\", SupBomID as \"bom\", SupBomLocked as \"locked\", SupTrackKey as \"track\", "
                        "SupGroupType||'|'||SupGroupNo as \"group\", SupPDmdIID as \"pdmd\", SupPDmdIIDs as \"pdmds\", "
                        "SupDeptID as \"dept\", SupSuppID as \"supp\", SupOrigType as \"origtype\", SupOrigNo as \"origno\", "
                        "SupPriority as \"priority\", SupDSetQty as \"dset\", SupDSetRate as \"dsetrate\" "
                        "from KX_MRP_Supplies where SupSchIID=%1 order by SupIID")},
        {QStringLiteral("demands"),
         QStringLiteral("select d.DmdIID as \"iid\", d.DmdItmID as \"item\", d.DmdItmProps as \"props\", d.DmdBillType as \"kind\", "
                        "d.DmdBillNo as \"bill\", d.DmdBillEntry as \"entry\", to_char(d.DmdDate, 'YYYY-MM-DD') as \"date\", "
                        "d.DmdPeriod as \"period\", d.DmdNeedQty as \"need\", d.DmdBillQty as \"billqty\", d.DmdInvQty as \"inv\", "
                        "d.DmdMOQty as \"mo\", d.DmdOOQty as \"oo\", d.DmdPOQty as \"po\", d.DmdMRQty as \"mr\", "
                        "d.DmdORQty as \"or\", d.DmdPRQty as \"pr\", d.DmdChkQty as \"chk\", d.DmdPChkQty as \"pchk\", "
                        "d.DmdGrpxQty as \"grpx\", d.DmdReplQty as \"repl\", "
                        "coalesce(d.DmdQty,0)+coalesce(d.DmdPPPQty1,0)+coalesce(d.DmdPPPQty2,0) as \"net\", d.DmdQty as \"qty\", "
                        "d.DmdBomID as \"bom\", d.DmdPriority as \"priority\", d.DmdUnitQty as \"unitqty\", "
                        "d.DmdDayOffset as \"offset\", d.DmdGroupType||'|'||d.DmdGroupNo as \"group\", d.DmdHints as \"hints\", "
                        "d.DmdOrigType as \"origtype\", d.DmdOrigNo as \"origno\", p.SupItmID||'/'||p.SupBillType as \"parent\", "
                        "d.DmdOrigTag as \"tag\", d.DmdASetQty as \"aset\", d.DmdASetRate as \"asetrate\" "
                        "from KX_MRP_Demands as d left join KX_MRP_Supplies as p "
                        "on p.SupSchIID=d.DmdSchIID and p.SupIID=d.DmdPSupIID where d.DmdSchIID=%1 order by d.DmdIID")},
        {QStringLiteral("allots"),
         QStringLiteral("select a.AltIID as \"iid\", a.AltSupIID as \"supiid\", a.AltDmdIID as \"dmdiid\", d.DmdItmID as \"item\", "
                        "d.DmdBillType as \"dmdkind\", d.DmdBillNo as \"dmdbill\", d.DmdBillEntry as \"dmdentry\", "
                        "to_char(d.DmdDate, 'YYYY-MM-DD') as \"dmddate\", s.SupItmID as \"supitem\", s.SupBillType as \"supkind\", "
                        "s.SupBillNo as \"supbill\", to_char(s.SupDate, 'YYYY-MM-DD') as \"supdate\", a.AltQty as \"qty\", "
                        "to_char(a.AltDate, 'YYYY-MM-DD') as \"date\", a.AltPeriod as \"period\", a.AltAdjDays as \"adjdays\", "
                        "a.AltTrack as \"track\", a.AltIsGrpx as \"grpx\", a.AltIsRepl as \"repl\", a.AltReplQty as \"replqty\" "
                        "from KX_MRP_Allots as a "
                        "left join KX_MRP_Demands as d on d.DmdSchIID=a.AltSchIID and d.DmdIID=a.AltDmdIID "
                        "left join KX_MRP_Supplies as s on s.SupSchIID=a.AltSchIID and s.SupIID=a.AltSupIID "
                        "where a.AltSchIID=%1 order by a.AltIID")},
        {QStringLiteral("balance"),
         QStringLiteral("select BalItmID as \"item\", BalItmProps as \"props\", BalGroupType||'|'||BalGroupNo as \"group\", "
                        "BalForQty as \"for\", BalSOQty as \"so\", BalFreeQty as \"free\", BalInvQty as \"inv\", "
                        "BalPOQty as \"po\", BalOOQty as \"oo\", BalMOQty as \"mo\", BalGInQty as \"gin\", BalRInQty as \"rin\", "
                        "BalChkQty as \"chk\", BalPRQty as \"pr\", BalORQty as \"or\", BalMRQty as \"mr\", "
                        "BalSafeQty as \"safe\", BalOODQty as \"ood\", BalMODQty as \"mod\", BalGOutQty as \"gout\", "
                        "BalROutQty as \"rout\", BalPOODQty as \"pood\", BalPMODQty as \"pmod\", BalVirDQty as \"vird\", "
                        "BalNetQty as \"net\", BalQty as \"qty\", BalPPOQty as \"ppo\", BalPOOQty as \"poo\", "
                        "BalPMOQty as \"pmo\", BalXQty as \"x\", BalEndQty as \"end\" "
                        "from KX_MRP_Balance where BalSchIID=%1 order by BalIID")},
        {QStringLiteral("main"),
         QStringLiteral("select ManIID as \"iid\", ManItmID as \"item\", ManBillType as \"kind\", ManBillNo as \"bill\", "
                        "ManBillEntry as \"entry\", to_char(ManDate, 'YYYY-MM-DD') as \"date\", ManPeriod as \"period\", "
                        "ManBillQty as \"billqty\", ManExeQty as \"exeqty\", ManNeedQty as \"need\", ManAdjQty as \"adjqty\", "
                        "ManQty as \"qty\", ManHints as \"hints\" from KX_MRP_Main where ManSchIID=%1 order by ManIID")},
        {QStringLiteral("adjusts"),
         QStringLiteral("select s.SupItmID as \"item\", s.SupBillType as \"kind\", j.AdjOldType as \"oldtype\", "
                        "j.AdjOldBomID as \"oldbom\", j.AdjOldQty as \"oldqty\", j.AdjPending as \"pending\" "
                        "from KX_MRP_SupAdjusts as j left join KX_MRP_Supplies as s on s.SupSchIID=j.AdjSchIID "
                        "and s.SupIID=j.AdjSupIID where j.AdjSchIID=%1 order by j.AdjSupIID")},
    };
    return sql;
}

QList<TActualRow> Select(const QString& sql)
{
    TQuery q(&SharedConnection());
    q.SQL = sql;
    q.Open();
    QList<TActualRow> rows;
    const QStringList names = q.FieldNames();
    for (int r = 0; r < q.RecordCount(); ++r) {
        TActualRow row;
        for (int f = 0; f < names.size(); ++f)
            row.insert(names.at(f).toLower(), q.IsNullAt(r, f) ? QString() : q.TextAt(r, f));
        rows << row;
    }
    return rows;
}

double Qty(const TActualRow& row, const char* column)
{
    return row.value(QLatin1String(column)).toDouble();
}

bool Same(double a, double b)
{
    return std::fabs(a - b) <= 1e-6;
}

QString KeyOf(const TActualRow& row)
{
    return row.value(QStringLiteral("item")) + u'|' + row.value(QStringLiteral("props")) + u' ' + row.value(QStringLiteral("group"));
}

QString DemandText(const TActualRow& d)
{
    return QStringLiteral("demand %1 %2 %3#%4 %5")
        .arg(d.value(QStringLiteral("item")), d.value(QStringLiteral("kind")), d.value(QStringLiteral("bill")),
             d.value(QStringLiteral("entry")), d.value(QStringLiteral("date")));
}

QString SupplyText(const TActualRow& s)
{
    return QStringLiteral("supply %1 %2 %3 %4")
        .arg(s.value(QStringLiteral("item")), s.value(QStringLiteral("kind")), s.value(QStringLiteral("bill")),
             s.value(QStringLiteral("date")));
}

double Coverage(const TActualRow& d)
{
    return Qty(d, "inv") + Qty(d, "mo") + Qty(d, "oo") + Qty(d, "po") + Qty(d, "mr") + Qty(d, "or") + Qty(d, "pr");
}

// Open orders that the balance never saw: they are added back for kit counting afterwards.
bool AfterBalance(const TActualRow& s)
{
    return s.value(QStringLiteral("pdmd")).toInt() == -2;
}

} // namespace

void TScenarioRunner::Run()
{
    test::TScriptedMessages messages;
    TSilentProgress progress;
    const TSection* sch = S.Section(QStringLiteral("scheme"));
    TPlanScheme scheme(&SharedConnection(), sch ? sch->Value(QStringLiteral("type"), QStringLiteral("0")).toInt() : 0);
    auto flag = [&](const char* key) { return sch && sch->Value(QLatin1String(key)) == QLatin1String("1"); };
    try {
        if (!scheme.Load(FSchemeIID)) {
            FFailure = QStringLiteral("the scheme could not be loaded");
        } else if (sch && sch->Value(QStringLiteral("fetch")) == QLatin1String("mps") &&
                   !scheme.RunMPS(true, false, progress)) {
            FFailure = QStringLiteral("main demand could not be fetched");
        } else {
            const TMRPLogEvent log = [this](int kind, int indent, const QString& text, const QString&) {
                FLog << TActualRow{{QStringLiteral("kind"), QString::number(kind)},
                                   {QStringLiteral("indent"), QString::number(indent)},
                                   {QStringLiteral("text"), text}};
            };
            FResult = scheme.RunMRP(flag("keeptype"), flag("keepbom"), log, progress, flag("keepqty"));
        }
    } catch (const std::exception& e) {
        FFailure = QStringLiteral("the run raised: ") + QString::fromStdString(e.what());
        FResult = false;
    }
    FMessages = messages.Texts();
}

QList<TActualRow> TScenarioRunner::Rows(const QString& view) const
{
    if (view == QLatin1String("log"))
        return FLog;
    QList<TActualRow> rows = Select(ViewSQL().value(view).arg(SQLInt(FSchemeIID)));
    if (view != QLatin1String("supplies"))
        return rows;
    // Parent demands as "bill#entry:quantity", the way the files name demands.
    QHash<QString, QString> demandNames;
    for (const TActualRow& d : Select(ViewSQL().value(QStringLiteral("demands")).arg(SQLInt(FSchemeIID))))
        demandNames.insert(d.value(QStringLiteral("iid")),
                           d.value(QStringLiteral("bill")) + u'#' + d.value(QStringLiteral("entry")));
    for (TActualRow& s : rows) {
        QStringList parents;
        for (const QString& part : s.value(QStringLiteral("pdmds")).split(u'|', Qt::SkipEmptyParts)) {
            const int colon = int(part.indexOf(u':'));
            const QString iid = part.left(colon).trimmed();
            parents << demandNames.value(iid, QStringLiteral("?") + iid) + part.mid(colon);
        }
        s.insert(QStringLiteral("pdmds"), parents.join(u'|'));
    }
    return rows;
}

QList<TDifference> TScenarioRunner::Check() const
{
    QList<TDifference> differences = CheckRun();
    QHash<QString, QList<TActualRow>> rows;
    for (const TSection& section : S.Sections) {
        if (!section.IsExpectation() || section.View() == QLatin1String("run"))
            continue;
        if (!rows.contains(section.View()))
            rows.insert(section.View(), Rows(section.View()));
        differences << CompareSection(section, rows.value(section.View()));
    }
    if (FResult)
        differences << CheckIdentities();
    return differences;
}

QList<TDifference> TScenarioRunner::CheckRun() const
{
    QList<TDifference> differences;
    const TSection* run = S.Section(QStringLiteral("expect run"));
    const int line = run ? run->Line : 1;
    if (!FFailure.isEmpty())
        differences << TDifference{line, FFailure};
    const bool wanted = !run || run->Value(QStringLiteral("result"), QStringLiteral("true")) == QLatin1String("true");
    if (wanted != FResult)
        differences << TDifference{line, QStringLiteral("RunMRP returned %1, expected %2; message boxes: %3")
                                             .arg(FResult ? QStringLiteral("true") : QStringLiteral("false"),
                                                  wanted ? QStringLiteral("true") : QStringLiteral("false"),
                                                  FMessages.isEmpty() ? QStringLiteral("none") : FMessages.join(QStringLiteral(" | ")))};
    if (!run)
        return differences;
    static const QHash<QString, QString> counts{
        {QStringLiteral("state"), QStringLiteral("select SchState from KX_MRP_Schemes where SchIID=%1")},
        {QStringLiteral("main"), QStringLiteral("select count(*) from KX_MRP_Main where ManSchIID=%1")},
        {QStringLiteral("demands"), QStringLiteral("select count(*) from KX_MRP_Demands where DmdSchIID=%1")},
        {QStringLiteral("supplies"), QStringLiteral("select count(*) from KX_MRP_Supplies where SupSchIID=%1")},
        {QStringLiteral("allots"), QStringLiteral("select count(*) from KX_MRP_Allots where AltSchIID=%1")},
        {QStringLiteral("balance"), QStringLiteral("select count(*) from KX_MRP_Balance where BalSchIID=%1")},
        {QStringLiteral("runlog"), QStringLiteral("select count(*) from KX_MRP_RunLog where LogSchIID=%1")},
        {QStringLiteral("adjusts"), QStringLiteral("select count(*) from KX_MRP_SupAdjusts where AdjSchIID=%1")},
    };
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (!run->Values.contains(it.key()))
            continue;
        const auto stored = Select(it.value().arg(SQLInt(FSchemeIID)));
        const QString value = stored.isEmpty() ? QString() : stored.first().cbegin().value();
        if (value != run->Value(it.key()))
            differences << TDifference{run->ValueLines.value(it.key()),
                                       QStringLiteral("run: %1 expected %2, stored %3").arg(it.key(), run->Value(it.key()), value)};
    }
    return differences;
}

QList<TDifference> TScenarioRunner::CheckIdentities() const
{
    QList<TDifference> out;
    auto fail = [&](const QString& text) { out << TDifference{1, QStringLiteral("identity: ") + text}; };
    const QList<TActualRow> supplies = Rows(QStringLiteral("supplies"));
    const QList<TActualRow> demands = Rows(QStringLiteral("demands"));
    const QList<TActualRow> allots = Rows(QStringLiteral("allots"));
    QHash<QString, const TActualRow*> supplyOf, demandOf;
    for (const TActualRow& s : supplies)
        supplyOf.insert(s.value(QStringLiteral("iid")), &s);
    for (const TActualRow& d : demands)
        demandOf.insert(d.value(QStringLiteral("iid")), &d);

    // Allocation rows against the coverage of their demands and supplies.
    struct TSums {
        double Qty = 0, Repl = 0, Grpx = 0;
        bool Any = false;
    };
    QHash<QString, TSums> byDemand, bySupply;
    for (const TActualRow& a : allots) {
        const TActualRow* s = supplyOf.value(a.value(QStringLiteral("supiid")));
        const TActualRow* d = demandOf.value(a.value(QStringLiteral("dmdiid")));
        if (!s || !d) {
            fail(QStringLiteral("allocation %1 names a supply or demand that was not saved").arg(a.value(QStringLiteral("iid"))));
            continue;
        }
        const bool repl = a.value(QStringLiteral("repl")).toInt() != 0;
        const bool grpx = a.value(QStringLiteral("grpx")).toInt() != 0;
        // AltQty is what the supply gave, in its own item; a substitute allocation carries what
        // the demand received, in the replaced item, as AltReplQty (the kit hand-up converts
        // AltReplQty x q / AltQty, and the bills view lists AltReplQty as substitute received).
        const double supplySide = Qty(a, "qty");
        const double qty = repl ? Qty(a, "replqty") : supplySide;
        TSums& ds = byDemand[d->value(QStringLiteral("iid"))];
        ds.Qty += qty;
        ds.Repl += repl ? qty : 0;
        ds.Grpx += grpx ? qty : 0;
        TSums& ss = bySupply[s->value(QStringLiteral("iid"))];
        ss.Qty += supplySide;
        ss.Repl += repl ? supplySide : 0;
        ss.Grpx += grpx ? supplySide : 0;
        ss.Any = true;
        if (!repl && !grpx && KeyOf(*s) != KeyOf(*d))
            fail(QStringLiteral("%1 covers %2 of another item key without being a substitute or a group crossing")
                     .arg(SupplyText(*s), DemandText(*d)));
    }
    for (const TActualRow& d : demands) {
        const TSums sums = byDemand.value(d.value(QStringLiteral("iid")));
        if (!Same(Coverage(d), sums.Qty))
            fail(QStringLiteral("%1: coverage columns add up to %2, its allocations to %3")
                     .arg(DemandText(d), QtyText(Coverage(d)), QtyText(sums.Qty)));
        if (!Same(Qty(d, "repl"), sums.Repl) || !Same(Qty(d, "grpx"), sums.Grpx))
            fail(QStringLiteral("%1: substitute / group coverage %2 / %3, allocations say %4 / %5")
                     .arg(DemandText(d), QtyText(Qty(d, "repl")), QtyText(Qty(d, "grpx")), QtyText(sums.Repl), QtyText(sums.Grpx)));
    }
    for (const TActualRow& s : supplies) {
        const TSums sums = bySupply.value(s.value(QStringLiteral("iid")));
        const bool existing = s.value(QStringLiteral("kind")).toInt() < btPlanMO;
        if ((existing || sums.Any) && (!Same(Qty(s, "allot"), sums.Qty) || !Same(Qty(s, "arepl"), sums.Repl)))
            fail(QStringLiteral("%1: allotted %2 (as substitute %3), its allocations give %4 (%5)")
                     .arg(SupplyText(s), QtyText(Qty(s, "allot")), QtyText(Qty(s, "arepl")), QtyText(sums.Qty),
                          QtyText(sums.Repl)));
        if (!Same(Qty(s, "rest"), Qty(s, "qty") - Qty(s, "allot")))
            fail(QStringLiteral("%1: rest %2 is not quantity %3 less allotted %4")
                     .arg(SupplyText(s), QtyText(Qty(s, "rest")), QtyText(Qty(s, "qty")), QtyText(Qty(s, "allot"))));
    }

    // Per item key: what its existing supplies gave to its own demands equals what its
    // demands took from its own supplies; and the balance row adds up.
    struct TKey {
        double Given = 0, Taken = 0, Demand = 0, Supply = 0, GIn = 0, RIn = 0, GOut = 0, ROut = 0;
    };
    QMap<QString, TKey> keys;
    for (const TActualRow& d : demands) {
        TKey& k = keys[KeyOf(d)];
        k.Taken += Coverage(d) - Qty(d, "repl") - Qty(d, "grpx");
        k.Demand += Qty(d, "need");
        k.GIn += Qty(d, "grpx");
        k.RIn += Qty(d, "repl");
    }
    for (const TActualRow& s : supplies) {
        if (AfterBalance(s) || Same(Qty(s, "qty"), 0))
            continue;
        TKey& k = keys[KeyOf(s)];
        if (s.value(QStringLiteral("kind")).toInt() < btPlanMO)
            k.Given += Qty(s, "allot") - Qty(s, "arepl") - Qty(s, "agrpx");
        k.Supply += Qty(s, "qty");
        k.GOut += Qty(s, "agrpx");
        k.ROut += Qty(s, "arepl");
    }
    QSet<QString> seen;
    for (const TActualRow& b : Rows(QStringLiteral("balance"))) {
        const QString key = KeyOf(b);
        if (!keys.contains(key) || seen.contains(key)) {
            fail(QStringLiteral("balance row of %1 %2 does not stand for one item key of the results")
                     .arg(b.value(QStringLiteral("item")), b.value(QStringLiteral("group"))));
            continue;
        }
        seen << key;
        const TKey& k = keys.value(key);
        const double gin = Qty(b, "gin"), rin = Qty(b, "rin"), gout = Qty(b, "gout"), rout = Qty(b, "rout");
        if (!Same(gin, k.GIn) || !Same(rin, k.RIn) || !Same(gout, k.GOut) || !Same(rout, k.ROut))
            fail(QStringLiteral("balance of %1: transfers in/out %2 %3 / %4 %5, the rows give %6 %7 / %8 %9")
                     .arg(b.value(QStringLiteral("item")), QtyText(gin), QtyText(rin), QtyText(gout), QtyText(rout),
                          QtyText(k.GIn), QtyText(k.RIn), QtyText(k.GOut), QtyText(k.ROut)));
        const double end = k.Supply - k.Demand + gin - gout + rin - rout;
        const double net = k.Demand - k.Supply + Qty(b, "qty") + Qty(b, "x") + gout - gin + rout - rin;
        if (!Same(Qty(b, "end"), end) || !Same(Qty(b, "net"), net))
            fail(QStringLiteral("balance of %1: end %2 and net %3, the rows give %4 and %5 (demand %6, supply %7)")
                     .arg(b.value(QStringLiteral("item")), QtyText(Qty(b, "end")), QtyText(Qty(b, "net")), QtyText(end),
                          QtyText(net), QtyText(k.Demand), QtyText(k.Supply)));
    }
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        if (!Same(it->Given, it->Taken))
            fail(QStringLiteral("item key %1: its supplies allotted %2 to it, its demands were covered %3")
                     .arg(QString(it.key()).replace(u' ', u'/'), QtyText(it->Given), QtyText(it->Taken)));
        if (!seen.contains(it.key()))
            fail(QStringLiteral("item key %1 has no balance row").arg(QString(it.key()).replace(u' ', u'/')));
    }
    return out;
}

} // namespace kx::scenario
