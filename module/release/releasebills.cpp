// Generating the bills of a release: entries sorted by destination, split fields and sort
// fields, cut into bills where the split fields change or a bill is full, each bill stored by
// the host's bill service together with its entries' statements.
#include "release/release.h"

#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "kx_mrp/erpaccess.h"
#include "release/outputlist.h"

#include <algorithm>
#include <numeric>

namespace kx {

namespace {

int CompareText(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive);
}

int CompareDate(const QDate& a, const QDate& b)
{
    return a == b ? 0 : (a < b ? -1 : 1);
}

int CompareField(int field, const TMRPOutputRec& a, const TMRPOutputRec& b)
{
    int c = 0;
    switch (field) {
    case ofSupplyUnit:
        (c = CompareText(a.SupSuppID, b.SupSuppID)) || (c = CompareText(a.SupCurID, b.SupCurID));
        return c;
    case ofBuyer: return CompareText(a.SupBuyerID, b.SupBuyerID);
    case ofPlanner: return CompareText(a.SupPlannerID, b.SupPlannerID);
    case ofMainDemand:
        (c = CompareText(a.SupOrigCustID, b.SupOrigCustID)) || (c = a.SupOrigType - b.SupOrigType)
            || (c = CompareText(a.SupOrigNo, b.SupOrigNo)) || (c = a.SupOrigEntry - b.SupOrigEntry)
            || (c = CompareText(a.SupOrigItmID, b.SupOrigItmID)) || (c = CompareText(a.SupOrigTag, b.SupOrigTag));
        return c;
    case ofItemNo: return CompareText(a.SupItmNo, b.SupItmNo);
    case ofDate: return CompareDate(a.SupDate, b.SupDate);
    default: return 0;
    }
}

void SetItemValues(IValueList* values, const QString& id, const QString& props, const QString (&prop)[10])
{
    values->SetValue(QStringLiteral("ItemID"), id);
    values->SetValue(QStringLiteral("ItemProps"), props);
    for (int n = 0; n < 10; ++n)
        values->SetValue(QStringLiteral("ItemProp%1").arg(n + 1), prop[n]);
}

} // namespace

// Destination first, then the split fields; with withSort also the sort fields. A field of
// 0 ends its list.
int TMRPRelease::CompareEntries(const TMRPOutputRec& a, const TMRPOutputRec& b, bool withSort) const
{
    if (a.SupType != b.SupType)
        return a.SupType - b.SupType;
    const TMRPOutputOptions& o = FOptions[a.SupType];
    const auto compareBy = [&](const int (&fields)[3]) {
        for (int field : fields) {
            if (field == 0)
                break;
            if (const int c = CompareField(field, a, b))
                return c;
        }
        return 0;
    };
    if (const int c = compareBy(o.SplitBy))
        return c;
    return withSort ? compareBy(o.SortBy) : 0;
}

void TMRPRelease::Generate()
{
    FCounts.Entries = int(FEntries.size());
    FGenerateLine = FSink.AddLine(mkInformation, QStringLiteral("投放生成目标单据, 共%1行 ...").arg(FCounts.Entries));
    std::vector<int> order(FEntries.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return CompareEntries(FEntries[size_t(a)], FEntries[size_t(b)], true) < 0; });
    try {
        std::vector<int> bill;
        for (size_t i = 0; i < order.size(); ++i) {
            const TMRPOutputRec& e = FEntries[size_t(order[i])];
            if (!bill.empty()) {
                const TMRPOutputRec& first = FEntries[size_t(bill.front())];
                if (CompareEntries(first, e, false) != 0 || int(bill.size()) >= FOptions[first.SupType].MaxRows) {
                    SaveBill(bill);
                    bill.clear();
                }
            }
            if (bill.empty())
                FProgress.CheckAbort();
            bill.push_back(order[i]);
            FProgress.ShowPosition(qint64(i + 1), qint64(order.size()));
        }
        if (!bill.empty())
            SaveBill(bill);
    } catch (const EAbort&) {
        // Bills saved so far stay; the rest is reported as left.
    }
    const TReleaseCounts& c = FCounts;
    FSummary = ReleaseSummaryText(c);
    const bool clean = c.RowsFailed == 0 && c.Left() == 0;
    FSink.AddLine(clean ? mkInformation : mkWarning, FSummary);
    clean ? ShowInfo(FSummary) : ShowWarning(FSummary);
}

void TMRPRelease::SaveBill(const std::vector<int>& entries)
{
    const TMRPOutputRec& first = FEntries[size_t(entries.front())];
    const int dest = first.SupType;
    const TMRPOutputOptions& o = FOptions[dest];
    QString billNo, error, id;
    HostCall([&] {
        std::unique_ptr<IBill> bill = Access ? Access->NewBill(BillKindOf(dest)) : nullptr;
        if (!bill) {
            error = QStringLiteral("系统不支持保存类型为%1的单据!").arg(BillKindOf(dest));
            return;
        }
        IValueList* head = bill->Head();
        head->SetValue(QStringLiteral("Date"), Raised(first.SupBillDate));
        head->SetValue(QStringLiteral("SupID"), first.SupSuppID);
        head->SetValue(QStringLiteral("EmpID"), o.EmployeeID);
        head->SetValue(QStringLiteral("DeptID"), o.DepartmentID);
        head->SetValue(QStringLiteral("UserID"), UserID);
        head->SetValue(QStringLiteral("CurID"), first.SupCurID);
        if (dest == btMO || dest == btOO)
            head->SetValue(QStringLiteral("HasPBom"), o.OutPBoms);
        IRowList* rows = bill->GetRowList(QStringLiteral("Rows"));
        for (int index : entries) {
            const TMRPOutputRec& e = FEntries[size_t(index)];
            IValueList* row = rows->Add();
            row->SetValue(QStringLiteral("OrigType"), e.SupOrigType);
            row->SetValue(QStringLiteral("OrigID"), e.SupOrigID);
            row->SetValue(QStringLiteral("OrigNo"), e.SupOrigNo);
            row->SetValue(QStringLiteral("OrigEntry"), e.SupOrigEntry);
            row->SetValue(QStringLiteral("OrigItemID"), e.SupOrigItmID);
            row->SetValue(QStringLiteral("OrigCustID"), e.SupOrigCustID);
            row->SetValue(QStringLiteral("OrigCustPO"), e.SupOrigCustPO);
            row->SetValue(QStringLiteral("OrigTag"), e.SupOrigTag);
            row->SetValue(QStringLiteral("OrigSubTag"), e.SupOrigSubTag);
            row->SetValue(QStringLiteral("MRPGroupType"), e.SupGroupType);
            row->SetValue(QStringLiteral("MRPGroupNo"), e.SupGroupNo);
            row->SetValue(QStringLiteral("SupID"), e.SupSuppID);
            SetItemValues(row, e.SupItmID, e.SupItmProps, e.SupItmProp);
            row->SetValue(QStringLiteral("BomType"), e.SupBomType);
            row->SetValue(QStringLiteral("BomID"), e.SupBomID);
            row->SetValue(QStringLiteral("StdQty"), e.SupStdQty);
            row->SetValue(QStringLiteral("UnitID"), e.SupUnitID);
            row->SetValue(QStringLiteral("UnitRate"), e.SupUnitRate);
            row->SetValue(QStringLiteral("Date"), Raised(e.SupDate));
            row->SetValue(QStringLiteral("DrawDate"), Raised(e.SupDrawDate.isValid() ? e.SupDrawDate : e.SupDate));
            row->SetValue(QStringLiteral("Note"), e.SupNote);
            row->SetValue(QStringLiteral("WriteBackSQL"), e.SupUpdateSQL);
            IRowList* groups = row->GetRowList(QStringLiteral("SubGroups"));
            for (const TMRPOutputSub& sub : e.SupSubItems) {
                IValueList* group = groups->Add();
                group->SetValue(QStringLiteral("StdQty"), sub.Qty);
                group->SetValue(QStringLiteral("LossRate"), sub.LossRate);
                IRowList* items = group->GetRowList(QStringLiteral("Items"));
                for (const TMRPOutputSubItem& it : sub.Items) {
                    IValueList* item = items->Add();
                    SetItemValues(item, it.ItemID, it.ItemProps, it.ItemProp);
                    item->SetValue(QStringLiteral("MRPGroupType"), it.MRPGroupType);
                    item->SetValue(QStringLiteral("MRPGroupNo"), it.MRPGroupNo);
                    item->SetValue(QStringLiteral("SupID"), it.SuppID);
                    item->SetValue(QStringLiteral("SubRate"), it.SubRate);
                }
            }
        }
        id = bill->Save(error);
        if (!id.isEmpty())
            billNo = head->GetValue(QStringLiteral("BillNo")).toString();
    });
    const int count = int(entries.size());
    if (id.isEmpty()) {
        FCounts.RowsFailed += count;
        FSink.AddLine(mkError, QStringLiteral("生成%1行%2保存失败, 原因: %3").arg(count).arg(MrpBillTypeText(dest), error), FGenerateLine);
        return;
    }
    if (!FStateMoved && FScheme.PlanType == 0) {
        FConnection.Execute(QStringLiteral("update KX_MRP_Schemes set SchState=%1, SchMaxTime=localtimestamp where SchIID=%2 and SchState<>%1")
                                .arg(psReleased).arg(FScheme.SchemeIID));
        FScheme.PlanState = psReleased;
        FStateMoved = true;
    }
    ++FCounts.BillsSaved;
    FCounts.RowsSaved += count;
    FSink.AddLine(mkInformation, QStringLiteral("生成%1行%2保存成功, 单据编号: %3").arg(count).arg(MrpBillTypeText(dest), billNo),
                  FGenerateLine);
    for (int index : entries)
        for (const auto& [row, qty] : FEntries[size_t(index)].SupNodes)
            FList.ApplyReleased(row, qty, UserName, FServerTime);
}

} // namespace kx
