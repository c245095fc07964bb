#include "deductcase.h"

#include "db/dataset.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "deduction/autodeduct.h"
#include "deduction/deductbill.h"
#include "deduction/deductlog.h"
#include "engine/progress.h"

namespace kx::scenario {

namespace {

using enum TColumnType;

const QString kBillDate = QStringLiteral("2027-02-01");

// A step that could not be taken: the line of the file and the reason.
struct EStep {
    int Line;
    QString Text;
};

void Exec(const QString& sql, int line)
{
    try {
        SharedConnection().Execute(sql);
    } catch (const EDatabaseError& e) {
        throw EStep{line, e.Message() + QStringLiteral("\n") + sql};
    }
}

QString Txt(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("null") : QuotedStr(text);
}

// "F1/2" as its bill number and line.
TBillLineKey LineKey(const QString& text, int line)
{
    const qsizetype slash = text.lastIndexOf(u'/');
    bool ok = false;
    const int entry = text.mid(slash + 1).toInt(&ok);
    if (slash <= 0 || !ok)
        throw EStep{line, QStringLiteral("a line is written <no>/<entry>: %1").arg(text)};
    return {text.left(slash), entry};
}

TDeductBillKind KindOf(const QString& kind, int line)
{
    if (kind.compare(QLatin1String("FC"), Qt::CaseInsensitive) == 0)
        return dkForcast;
    if (kind.compare(QLatin1String("SO"), Qt::CaseInsensitive) == 0)
        return dkSO;
    if (kind.compare(QLatin1String("SI"), Qt::CaseInsensitive) == 0)
        return dkSI;
    throw EStep{line, QStringLiteral("unknown bill kind %1 (FC, SO, SI)").arg(kind)};
}

class TCaseRun {
public:
    explicit TCaseRun(const TScenario& c) : C(c) {}

    QList<TDifference> Run()
    {
        try {
            LoadItems();
            for (const TSection& section : C.Sections) {
                if (section.IsExpectation()) {
                    Differences << CompareSection(section, Actual(section.View()), DeductCaseFormat());
                    continue;
                }
                if (section.Name == QLatin1String("bills"))
                    LoadBills(section);
                else if (section.Name == QLatin1String("deduct"))
                    Deduct(section);
                else if (section.Name == QLatin1String("exclude"))
                    Exclude(section);
                else if (section.Name == QLatin1String("clear"))
                    Clear(section);
                else if (section.Name == QLatin1String("manual"))
                    Manual(section);
                else
                    continue;
                for (const QString& fault : CheckDeductionRules(SharedConnection()))
                    Differences << TDifference{section.Line, QStringLiteral("after this step: ") + fault};
            }
        } catch (const EStep& e) {
            Differences << TDifference{e.Line, e.Text};
        } catch (const EKxError& e) {
            Differences << TDifference{1, e.Message()};
        }
        return Differences;
    }

private:
    const TScenario& C;
    QList<TDifference> Differences;
    QMap<QString, TDeductBillKind> FBillKinds;      // bill number -> kind
    QStringList FHeads;

    void LoadItems()
    {
        QStringList customers{QStringLiteral("CU1")};
        for (const TSection* t : C.SectionsNamed(QStringLiteral("bills")))
            for (const TRow& r : t->Rows)
                customers << t->Cell(r, QStringLiteral("customer"));
        customers.removeAll(QString());
        customers.removeDuplicates();
        Exec(QStringLiteral("insert into KX_Base_Unit (UntID, UntNo, UntName, UntFactor, UntIsBase) values ('PCS', 'PCS', '个', 1, 1)"), 1);
        for (const QString& cust : customers)
            Exec(QStringLiteral("insert into KX_Base_Customer (CustID, CustNo, CustName) values (%1, %1, %2)")
                     .arg(QuotedStr(cust), QuotedStr(QStringLiteral("客户") + cust)),
                 1);
        for (const TSection* t : C.SectionsNamed(QStringLiteral("items")))
            for (const TRow& r : t->Rows)
                Exec(QStringLiteral("insert into KX_Base_ItemMaster (ItmID, ItmNo, ItmName, ItmUnitID) values (%1, %1, %1, 'PCS')")
                         .arg(QuotedStr(t->Cell(r, QStringLiteral("item")))),
                     r.Line);
        for (const TSection* t : C.SectionsNamed(QStringLiteral("items")))
            for (const TRow& r : t->Rows)
                if (!t->Cell(r, QStringLiteral("planitem")).isEmpty())
                    Exec(QStringLiteral("insert into KX_MRP_ItemSetting (ItmID, ItmPlanItmID) values (%1, %2)")
                             .arg(QuotedStr(t->Cell(r, QStringLiteral("item"))), QuotedStr(t->Cell(r, QStringLiteral("planitem")))),
                         r.Line);
    }

    void LoadBills(const TSection& t)
    {
        for (const TRow& r : t.Rows) {
            const auto cell = [&](const char* column, const QString& defaultValue = QString()) {
                return t.Cell(r, QLatin1String(column), defaultValue);
            };
            const TDeductBillKind kind = KindOf(cell("kind"), r.Line);
            const QString p = DeductPrefix(kind);
            const QString no = cell("no");
            FBillKinds.insert(no, kind);
            const QString checked = cell("checked", QStringLiteral("1"));
            if (!FHeads.contains(no)) {
                FHeads << no;
                if (kind == dkForcast)
                    Exec(QStringLiteral("insert into KX_Bill_ForHead (ForID, ForNo, ForDate, ForChecked) values (%1, %1, %2, %3)")
                             .arg(QuotedStr(no), SQLDate(ScenarioDate(kBillDate)), checked),
                         r.Line);
                else
                    Exec(QStringLiteral("insert into KX_Bill_%1Head (%1ID, %1No, %1Date, %1CustID, %1Checked) values (%2, %2, %3, %4, %5)")
                             .arg(p, QuotedStr(no), SQLDate(ScenarioDate(kBillDate)),
                                  QuotedStr(cell("customer", QStringLiteral("CU1"))), checked),
                         r.Line);
            }
            QString extraColumns, extraValues;
            if (kind == dkForcast) {
                extraColumns = QStringLiteral(", ForCustID");
                extraValues = QStringLiteral(", ") + Txt(cell("customer"));
            } else if (!cell("fromfc").isEmpty()) {
                const TBillLineKey from = LineKey(cell("fromfc"), r.Line);
                extraColumns = QStringLiteral(", %1ForcastID, %1ForcastEntry").arg(p);
                extraValues = QStringLiteral(", %1, %2").arg(QuotedStr(from.ID), SQLInt(from.Entry));
            }
            Exec(QStringLiteral("insert into KX_Bill_%1Line (%1ID, %1Entry, %1ItmID, %1ItmProps, %1UBillQty, %1BillQty, %1DelivDate, "
                                "%1OkQty, %1OrigTag, %1Closed%2) values (%3, %4, %5, %6, %7, %7, %8, %9, %10, %11%12)")
                     .arg(p, extraColumns, QuotedStr(no), SQLInt(cell("entry", QStringLiteral("1")).toInt()), QuotedStr(cell("item")),
                          QuotedStr(cell("props")), SQLQty(t.Number(r, QStringLiteral("qty"))), SQLDate(ScenarioDate(cell("date"))),
                          SQLQty(t.Number(r, QStringLiteral("done"))))
                     .arg(Txt(cell("tag")), SQLInt(cell("closed", QStringLiteral("0")).toInt()), extraValues),
                 r.Line);
        }
    }

    void Deduct(const TSection& t)
    {
        TAuotDeductOptions options;
        const QString span = t.Value(QStringLiteral("span"), QStringLiteral("date"));
        options.SpanDeduct = span != QLatin1String("date");
        options.Span1Week = span == QLatin1String("week");
        options.Span2Date = ScenarioDate(t.Value(QStringLiteral("switch")));
        options.Span2Month = options.Span2Date.isValid();
        options.DaysBefore = t.Value(QStringLiteral("before"), QStringLiteral("0")).toInt();
        options.DaysAfter = t.Value(QStringLiteral("after"), QStringLiteral("30")).toInt();
        options.KeepLast = t.Value(QStringLiteral("keeplast"), QStringLiteral("1")) != QLatin1String("0");
        options.ForcastFilterText = t.Value(QStringLiteral("forfilter"));
        options.SOFilterText = t.Value(QStringLiteral("sofilter"));
        options.SIFilterText = t.Value(QStringLiteral("sifilter"));
        QStringList shown;
        const TMessageResponder previous = SetMessageResponder([&shown](const TMessageRequest& m) {
            shown << m.Text;
            return DefaultAnswer(m.Buttons);
        });
        TSilentProgress progress;
        bool result = false;
        try {
            result = AutoDeduct(SharedConnection(), options, progress);
        } catch (...) {
            SetMessageResponder(previous);
            throw;
        }
        SetMessageResponder(previous);
        const bool expected = t.Value(QStringLiteral("result"), QStringLiteral("true")) == QLatin1String("true");
        if (result != expected)
            Differences << TDifference{t.Line, QStringLiteral("AutoDeduct returned %1 (%2)")
                                                   .arg(result ? QStringLiteral("true") : QStringLiteral("false"),
                                                        shown.join(QStringLiteral("; ")))};
    }

    void Exclude(const TSection& t)
    {
        for (const TRow& r : t.Rows) {
            const TDeductBillKind kind = KindOf(t.Cell(r, QStringLiteral("kind")), r.Line);
            SetAutoDeductExcluded(SharedConnection(), kind,
                                  {{t.Cell(r, QStringLiteral("no")), int(t.Number(r, QStringLiteral("entry"), 1))}},
                                  t.Cell(r, QStringLiteral("on"), QStringLiteral("1")) != QLatin1String("0"));
        }
    }

    void Clear(const TSection& t)
    {
        QList<int> ids;
        for (const TRow& r : t.Rows) {
            const TBillLineKey forecast = LineKey(t.Cell(r, QStringLiteral("forecast")), r.Line);
            const TBillLineKey order = LineKey(t.Cell(r, QStringLiteral("order")), r.Line);
            TQuery q(&SharedConnection());
            q.SQL = QStringLiteral("select DedIID from KX_MRP_Deduction where DedForID=%1 and DedForEntry=%2 and DedOrdID=%3 and "
                                   "DedOrdEntry=%4")
                        .arg(QuotedStr(forecast.ID), SQLInt(forecast.Entry), QuotedStr(order.ID), SQLInt(order.Entry));
            q.Open();
            if (q.IsEmpty())
                throw EStep{r.Line, QStringLiteral("no log row of %1 with %2").arg(t.Cell(r, QStringLiteral("forecast")),
                                                                                   t.Cell(r, QStringLiteral("order")))};
            ids << q.Fields(0).AsInteger();
        }
        const int cleared = ClearDeductions(SharedConnection(), ids);
        if (cleared != ids.size())
            Differences << TDifference{t.Line, QStringLiteral("%1 log rows cleared of %2").arg(cleared).arg(ids.size())};
    }

    // Manual deductions saved as the deduction view saves them: the rows of one root (one
    // after the other) are one save; the message is what the save must refuse with.
    void Manual(const TSection& t)
    {
        for (int first = 0; first < t.Rows.size();) {
            const QString rootText = t.Cell(t.Rows[first], QStringLiteral("root"));
            int last = first;
            while (last + 1 < t.Rows.size() && t.Cell(t.Rows[last + 1], QStringLiteral("root")) == rootText)
                ++last;
            const TRow& head = t.Rows[first];
            const TBillLineKey root = LineKey(rootText, head.Line);
            TDeductBill bill;
            if (!bill.Load(SharedConnection(), FBillKinds.value(root.ID, dkForcast), root.ID, root.Entry))
                throw EStep{head.Line, QStringLiteral("no bill line %1").arg(rootText)};
            TDeductPickOptions options;
            options.Scope = disAll;
            options.DiffCustom = true;
            QString expected;
            for (int r = first; r <= last; ++r) {
                const TRow& row = t.Rows[r];
                const TBillLineKey key = LineKey(t.Cell(row, QStringLiteral("line")), row.Line);
                const TDeductBillKind kind = FBillKinds.value(key.ID, dkSO);
                auto child = std::find_if(bill.Children.begin(), bill.Children.end(), [&](const TDeductLine& c) {
                    return c.Kind == kind && c.BillID == key.ID && c.Entry == key.Entry;
                });
                if (child == bill.Children.end()) {
                    QString refusal;
                    bill.AddCounterparts(SharedConnection(), kind, {key}, options, refusal);
                    child = std::find_if(bill.Children.begin(), bill.Children.end(), [&](const TDeductLine& c) {
                        return c.Kind == kind && c.BillID == key.ID && c.Entry == key.Entry;
                    });
                    if (child == bill.Children.end())
                        throw EStep{row.Line, QStringLiteral("%1 cannot be added: %2").arg(t.Cell(row, QStringLiteral("line")), refusal)};
                }
                if (!child->Manual)
                    throw EStep{row.Line, QStringLiteral("an automatic deduction takes no quantity by hand")};
                child->Qty = t.Number(row, QStringLiteral("qty"));
                expected = t.Cell(row, QStringLiteral("message"), expected);
            }
            QString refused = bill.Check(options).Message;
            if (refused.isEmpty()) {
                try {
                    bill.Save(SharedConnection(), EnvUserID());
                } catch (const EKxError& e) {
                    refused = e.Message();
                }
            }
            if (refused != expected)
                Differences << TDifference{head.Line, QStringLiteral("the save said \"%1\", expected \"%2\"").arg(refused, expected)};
            first = last + 1;
        }
    }

    QList<TActualRow> Actual(const QString& view) const
    {
        TQuery q(&SharedConnection());
        if (view == QLatin1String("deductions")) {
            q.SQL = QStringLiteral("select DedForID||'/'||DedForEntry, DedOrdID||'/'||DedOrdEntry, DedOrdType, DedForQty, DedOrdQty, "
                                   "DedManual from KX_MRP_Deduction order by DedIID");
            q.Open();
            QList<TActualRow> rows;
            for (; !q.Eof(); q.Next())
                rows << TActualRow{{QStringLiteral("forecast"), q.Fields(0).AsString()},
                                   {QStringLiteral("order"), q.Fields(1).AsString()},
                                   {QStringLiteral("type"), q.Fields(2).AsString()},
                                   {QStringLiteral("qty"), q.Fields(3).AsString()},
                                   {QStringLiteral("ordqty"), q.Fields(4).AsString()},
                                   {QStringLiteral("manual"), q.Fields(5).AsString()}};
            return rows;
        }
        QStringList parts;
        for (TDeductBillKind kind : {dkForcast, dkSO, dkSI})
            parts << QStringLiteral("select %1ID||'/'||%1Entry, coalesce(%1DedAQty,0), coalesce(%1DedMQty,0), coalesce(%1DedADis,0) "
                                    "from %2")
                         .arg(DeductPrefix(kind), DeductExtTable(kind));
        q.SQL = QStringLiteral("select * from (%1) as x (line, aqty, mqty, dis) where aqty<>0 or mqty<>0 or dis<>0 order by 1")
                    .arg(parts.join(QStringLiteral(" union all ")));
        q.Open();
        QList<TActualRow> rows;
        for (; !q.Eof(); q.Next())
            rows << TActualRow{{QStringLiteral("line"), q.Fields(0).AsString()},
                               {QStringLiteral("auto"), q.Fields(1).AsString()},
                               {QStringLiteral("manual"), q.Fields(2).AsString()},
                               {QStringLiteral("excluded"), q.Fields(3).AsString()}};
        return rows;
    }
};

} // namespace

const TCaseFormat& DeductCaseFormat()
{
    static const TCaseFormat format{
        QStringLiteral("deduction case"),
        {
            {QStringLiteral("items"), {"item!", "planitem"}},
            {QStringLiteral("bills"),
             {"kind!", "no!", "entry#", "item!", "props", "qty!#", "done#", "date!@", "customer", "tag", "checked#", "closed#",
              "fromfc"}},
            {QStringLiteral("exclude"), {"kind!", "no!", "entry#", "on#"}},
            {QStringLiteral("clear"), {"forecast!", "order!"}},
            {QStringLiteral("manual"), {"root!", "line!", "qty!#", "message"}},
        },
        {
            {QStringLiteral("deduct"),
             {"span", "switch", "before", "after", "keeplast", "forfilter", "sofilter", "sifilter", "result"}},
        },
        {
            {QStringLiteral("deductions"), {{"forecast", Text}, {"order", Text}, {"type", Number}, {"qty", Number}, {"ordqty", Number}, {"manual", Number}}},
            {QStringLiteral("lines"), {{"line", Text}, {"auto", Number}, {"manual", Number}, {"excluded", Number}}},
        },
        {{QStringLiteral("bills"), {"item"}}, {QStringLiteral("items"), {"planitem"}}},
        {QStringLiteral("bills")},
        {QStringLiteral("deductions"), QStringLiteral("lines")},
        {{QStringLiteral("deductions"), {QStringLiteral("forecast"), QStringLiteral("order")}},
         {QStringLiteral("lines"), {QStringLiteral("line")}}},
        {},
    };
    return format;
}

QList<TDifference> RunDeductCase(const TScenario& deductCase)
{
    return TCaseRun(deductCase).Run();
}

} // namespace kx::scenario
