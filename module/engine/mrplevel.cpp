// One level of the MRP run: read the level's demands, the existing supplies of its items and
// the substitutes of each demand; split demands into dated details; allocate stock and
// scheduled receipts in three passes; form planned supplies with lot rules and lead times;
// write everything back.
#include "engine/mrplevel.h"

#include "db/connection.h"
#include "db/copyrows.h"
#include "db/dataset.h"
#include "db/quote.h"
#include "db/strutils.h"
#include "engine/hints.h"
#include "engine/mrprun_p.h"
#include "engine/progress.h"

#include <QStringBuilder>
#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace kx {

namespace {

bool IsTrackedOrigin(int type)
{
    return type == btSO || type == btSI || type == btForcast;
}

// The tracking key of a demand: which demands of one item key may share a planned supply.
QString TrackKey(int mode, const TMRPDemandRec& d)
{
    auto type = [&] { return QString::number(d.DmdOrigType); };
    auto rtrim = [](const QString& s) {
        qsizetype n = s.size();
        while (n > 0 && s[n - 1] == QLatin1Char(' '))
            --n;
        return s.left(n);
    };
    switch (mode) {
    case 0: return type() % QLatin1Char('|') % rtrim(d.DmdOrigID) % QLatin1Char('|') % QString::number(d.DmdOrigEntry);
    case 1: return type() % QLatin1Char('|') % rtrim(d.DmdOrigID) % QLatin1Char('|') % rtrim(d.DmdOrigItmID);
    case 2: return type() % QLatin1Char('|') % rtrim(d.DmdOrigID);
    case 3: return rtrim(d.DmdOrigCustID) % QLatin1Char('|') % rtrim(d.DmdOrigItmID);
    case 4: return rtrim(d.DmdOrigCustID);
    case 5: return rtrim(d.DmdOrigTag);
    default: return QString();
    }
}

// The key mode of a demand: the scheme's, or, when items track themselves, the item's own
// setting within what the scheme's mode allows.
int TrackMode(int schemeMode, bool itemTrack, int itemMode)
{
    if (!itemTrack || schemeMode == 9)
        return schemeMode;
    if (itemMode == 9)
        return 9;
    switch (schemeMode) {
    case 0: return (itemMode >= 1 && itemMode <= 5) ? itemMode : 0;
    case 1: return (itemMode >= 2 && itemMode <= 5) ? itemMode : 1;
    case 2: return (itemMode >= 3 && itemMode <= 5) ? itemMode : 2;
    case 3: return itemMode == 4 ? 4 : 3;
    case 4: return 4;
    case 5: return 5;
    default: return schemeMode;
    }
}

// Kinds of planned supply: purchased items are bought (58); made and outsourced items are
// made (42) or outsourced (52), or planned under the parent's order when their level is
// skipped (44, 54) or they are virtual parts of it (64, 66); other items 62.
int SupplyKind(int mrpType, int billType, int bomSkip, int moBomSkip, int ooBomSkip)
{
    if (mrpType == 1)
        return btPlanPO;
    if (mrpType == 2 || mrpType == 3) {
        if (billType == btPlanMOComp && bomSkip == 2)
            return btPlanMOVirtual;
        if (billType == btPlanOOComp && bomSkip == 2)
            return btPlanOOVirtual;
        if (billType == btPlanMOComp && (moBomSkip == 1 || (moBomSkip == 0 && bomSkip == 1)))
            return btPlanMOSkip;
        if (billType == btPlanOOComp && (ooBomSkip == 1 || (ooBomSkip == 0 && bomSkip == 1)))
            return btPlanOOSkip;
        return mrpType == 2 ? btPlanMO : btPlanOO;
    }
    return billType == btPlanMOComp ? btPlanMOVirtual : billType == btPlanOOComp ? btPlanOOVirtual : btPlanOther;
}


// Text in the order of its characters' code points, which is the order of its UTF-8 bytes.
int CompareText(QByteArrayView a, QByteArrayView b)
{
    const int c = std::memcmp(a.data(), b.data(), size_t(std::min(a.size(), b.size())));
    return c != 0 ? c : (a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0);
}

// An item key as the server sent it: item, property set, tracking group number and type.
struct TItemKeyView {
    QByteArrayView Item, Props, GroupNo;
    int GroupType;
    bool operator==(const TItemKeyView& o) const
    {
        return GroupType == o.GroupType && Item == o.Item && Props == o.Props && GroupNo == o.GroupNo;
    }
};

size_t qHash(const TItemKeyView& k, size_t seed = 0)
{
    return qHashMulti(seed, k.Item, k.Props, k.GroupNo, k.GroupType);
}

// A quantity as the server writes it (at most eight decimals) in hundred-millionths; false
// for any other text.
bool Scaled8(QByteArrayView text, __int128& value)
{
    value = 0;
    qsizetype at = 0;
    const bool negative = !text.isEmpty() && text[0] == '-';
    if (negative)
        ++at;
    int decimals = -1;
    bool digits = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (c < '0' || c > '9' || decimals == 8 || value > (__int128(1) << 100))
            return false;
        value = value * 10 + (c - '0');
        digits = true;
        if (decimals >= 0)
            ++decimals;
    }
    for (int d = std::max(decimals, 0); d < 8; ++d)
        value *= 10;
    if (negative)
        value = -value;
    return digits;
}

// An item key in the form the supplies' keys come in, "item|props\rgroup type|group number",
// from the text of a demand row.
QString ItemKey(QByteArrayView item, QByteArrayView props, int groupType, QByteArrayView groupNo)
{
    QVarLengthArray<char, 256> key;
    key.append(item.data(), item.size());
    key.append('|');
    key.append(props.data(), props.size());
    key.append('\r');
    char digits[16];
    const char* const end = std::to_chars(digits, digits + sizeof(digits), groupType).ptr;
    key.append(digits, end - digits);
    key.append('|');
    key.append(groupNo.data(), groupNo.size());
    return QString::fromUtf8(key.constData(), key.size());
}

// Columns of a level's demand rows, as ReadDemands selects them.
enum TDemandColumn {
    dcIID = 0, dcBillType = 2, dcItem = 19, dcProps = 20, dcGroupType = 21, dcGroupNo = 22, dcDate = 25, dcItemProps = 33,
    dcPriority = 43, dcBillID = 44, dcBillEntry = 45, dcNeedQty = 46, dcBillQty = 47, dcPSupIID = 48
};

// Adds a demand row of the level's read to its key's balance; false when its quantity could
// not be read exactly.
bool AddToBalance(TDemandBalance& balance, const TRowChunk& q, int r, int billType)
{
    __int128 need = 0;
    const bool exact = Scaled8(q.BytesAt(r, dcNeedQty), need);
    const int column = DemandBalanceColumn(billType);
    if (column >= 0)
        balance.Qty[column] += need;
    balance.Qty[10] += need;
    for (int p = 0; p < kItemProps; ++p) {
        if (q.IsNullAt(r, dcItemProps + p))
            continue;
        const QByteArrayView v = q.BytesAt(r, dcItemProps + p);
        std::optional<QByteArray>& most = balance.Prop[p];
        // Bytes of UTF-8 compare as unsigned: code-point order.
        if (!most || std::string_view(most->constData(), size_t(most->size())) < std::string_view(v.data(), size_t(v.size())))
            most = v.toByteArray();
    }
    return exact;
}

// The order in which the netting reads a level's demand rows: by item key (item, property
// set, tracking group), then date, higher priority, bill type, bill and line, and the row's
// number; a missing value last, a missing priority first. Texts compare by code point,
// whatever the database's collation: a run gives the same results on any server. Rows are
// added as they arrive, and their text must stay where it is until the order is taken.
class TDemandOrder {
public:
    void Add(const TRowChunk& q, int r)
    {
        TKey& k = FKeys.emplace_back();
        k.Item = q.BytesAt(r, dcItem);
        k.Props = q.BytesAt(r, dcProps);
        k.GroupNo = q.BytesAt(r, dcGroupNo);
        k.Date = q.BytesAt(r, dcDate);        // ISO text, in time order
        k.BillID = q.BytesAt(r, dcBillID);
        k.NoDate = q.IsNullAt(r, dcDate);
        k.NoPriority = q.IsNullAt(r, dcPriority);
        k.NoBillType = q.IsNullAt(r, dcBillType);
        k.NoBillID = q.IsNullAt(r, dcBillID);
        k.NoBillEntry = q.IsNullAt(r, dcBillEntry);
        k.GroupType = q.IntAt(r, dcGroupType);
        k.Priority = k.NoPriority ? 0 : q.IntAt(r, dcPriority);
        k.BillType = k.NoBillType ? 0 : q.IntAt(r, dcBillType);
        k.BillEntry = k.NoBillEntry ? 0 : q.IntAt(r, dcBillEntry);
        k.IID = q.IntAt(r, dcIID);
        // Item keys are far fewer than rows: each is numbered at its first row and ranked once.
        const TItemKeyView view{k.Item, k.Props, k.GroupNo, k.GroupType};
        auto it = FKeyIndex.find(view);
        if (it == FKeyIndex.end()) {
            it = FKeyIndex.insert(view, int(FKeyRows.size()));
            FKeyRows.push_back(int(FKeys.size()) - 1);
        }
        k.KeyRank = it.value();
    }

    // The rows in reading order, by the number of their arrival.
    std::vector<int> Rows()
    {
        RankKeys();
        // A missing value after every present one.
        auto present = [](bool noA, bool noB) { return noA == noB ? 0 : noA ? 1 : -1; };
        std::vector<int> rows(FKeys.size());
        for (size_t r = 0; r < rows.size(); ++r)
            rows[r] = int(r);
        std::sort(rows.begin(), rows.end(), [&](int ra, int rb) {
            const TKey& a = FKeys[size_t(ra)];
            const TKey& b = FKeys[size_t(rb)];
            if (a.KeyRank != b.KeyRank)
                return a.KeyRank < b.KeyRank;
            if (int c = present(a.NoDate, b.NoDate))
                return c < 0;
            if (int c = CompareText(a.Date, b.Date))
                return c < 0;
            if (int c = present(a.NoPriority, b.NoPriority))
                return c > 0;
            if (a.Priority != b.Priority)
                return a.Priority > b.Priority;
            if (int c = present(a.NoBillType, b.NoBillType))
                return c < 0;
            if (a.BillType != b.BillType)
                return a.BillType < b.BillType;
            if (int c = present(a.NoBillID, b.NoBillID))
                return c < 0;
            if (int c = CompareText(a.BillID, b.BillID))
                return c < 0;
            if (int c = present(a.NoBillEntry, b.NoBillEntry))
                return c < 0;
            if (a.BillEntry != b.BillEntry)
                return a.BillEntry < b.BillEntry;
            return a.IID < b.IID;
        });
        return rows;
    }

    // The rank of a row's item key, once Rows has ranked them.
    int KeyRank(int row) const { return FKeys[size_t(row)].KeyRank; }

private:
    struct TKey {
        QByteArrayView Item, Props, GroupNo, Date, BillID;
        bool NoDate, NoPriority, NoBillType, NoBillID, NoBillEntry;
        int GroupType, Priority, BillType, BillEntry, IID;
        int KeyRank;              // the key's number, then its rank
    };

    void RankKeys()
    {
        std::vector<int> byKey(FKeyRows.size());
        for (size_t i = 0; i < byKey.size(); ++i)
            byKey[i] = int(i);
        std::sort(byKey.begin(), byKey.end(), [&](int ka, int kb) {
            const TKey& a = FKeys[size_t(FKeyRows[size_t(ka)])];
            const TKey& b = FKeys[size_t(FKeyRows[size_t(kb)])];
            if (int c = CompareText(a.Item, b.Item))
                return c < 0;
            if (int c = CompareText(a.Props, b.Props))
                return c < 0;
            if (a.GroupType != b.GroupType)
                return a.GroupType < b.GroupType;
            return CompareText(a.GroupNo, b.GroupNo) < 0;
        });
        std::vector<int> rankOfKey(FKeyRows.size());
        for (size_t i = 0; i < byKey.size(); ++i)
            rankOfKey[size_t(byKey[i])] = int(i);
        for (TKey& k : FKeys)
            k.KeyRank = rankOfKey[size_t(k.KeyRank)];
    }

    std::vector<TKey> FKeys;
    QHash<TItemKeyView, int> FKeyIndex;
    std::vector<int> FKeyRows;    // first row of each key
};

// Puts the elements of v in the given order (order[k]: the element that goes to place k),
// moving each element once.
template <typename T>
void Permute(std::vector<T>& v, const std::vector<int>& order)
{
    std::vector<bool> placed(v.size());
    for (size_t start = 0; start < v.size(); ++start) {
        if (placed[start])
            continue;
        T first = std::move(v[start]);
        size_t k = start;
        for (;;) {
            placed[k] = true;
            const size_t from = size_t(order[k]);
            if (from == start) {
                v[k] = std::move(first);
                break;
            }
            v[k] = std::move(v[from]);
            k = from;
        }
    }
}

} // namespace

TMRPLevel::TMRPLevel(TMRPRun& run, int level) : R(run), FLevel(level), FPeriods(run.Scheme.MpsPeriods) {}

void TMRPLevel::Run()
{
    R.Step(QStringLiteral("分析物料需求及可供应数据..."), 1);
    // The server orders the level's supplies while the demand rows, all in, are put in order.
    std::optional<TSentAhead> supplies;
    ReadDemands([&] { supplies.emplace(R.Connection, SupplySelect()); });
    ReadSupplies(*supplies);
    ReadSubstitutes();
    ReadAdjustments();
    MakeDetails();
    R.Step(QStringLiteral("分配即时库存及预计入库量..."), 1);
    Allocate();
    R.Step(QStringLiteral("生成物料供需分配记录..."), 1);
    R.Step(QStringLiteral("生成MRP计划供应单据..."), 1);
    PlanSupplies();
    WriteBack();
}

void TMRPLevel::ReadDemands(const std::function<void()>& whenRead)
{
    R.Exec(QStringLiteral("call KX_MRP_SetBOMForDemand(%1)").arg(FLevel));
    (void)R.ItemPlanning({});             // read now: the level's rows hold the connection below
    QStringList props;
    for (int n = 1; n <= 10; ++n)
        props << QStringLiteral("d.DmdItmProp%1").arg(n);
    const QString sql = QStringLiteral(
                "select d.DmdIID, coalesce(d.DmdPriority, 0), d.DmdBillType, d.DmdBillNo, coalesce(d.DmdBillEntry, 0), "
                "coalesce(d.DmdOrigType, 0), coalesce(d.DmdOrigID, ''), coalesce(d.DmdOrigNo, ''), coalesce(d.DmdOrigEntry, 0), "
                "coalesce(d.DmdOrigItmID, ''), coalesce(d.DmdOrigCustID, ''), coalesce(d.DmdOrigCustPO, ''), "
                "coalesce(d.DmdOrigTag, ''), coalesce(d.DmdOrigSubTag, ''), %1, coalesce(d.DmdBomLocked, 0), d.DmdBomType, "
                "coalesce(d.DmdBomID, ''), coalesce(d.DmdBomSkip, 0), d.DmdItmID, d.DmdItmProps, d.DmdGroupType, d.DmdGroupNo, "
                "d.DmdQty, coalesce(d.DmdHints, ''), d.DmdDate, d.DmdPeriod, coalesce(d.DmdDayOffset, 0), coalesce(d.DmdNote, ''), "
                "coalesce(d.DmdDeptID, ''), coalesce(p.SupDeptID, ''), coalesce(p.SupSuppID, ''), p.SupItmID, %2, "
                "d.DmdPriority, d.DmdBillID, d.DmdBillEntry, d.DmdNeedQty, coalesce(d.DmdBillQty, 0), coalesce(d.DmdPSupIID, 0) "
                "from tmp_KX_MRP_Demands as d join tmp_KX_MRP_ItemLowestCode as l on l.ItmID=d.DmdItmID and l.LowestCode=%3 "
                "and l.ItmInMaster=1 left join tmp_KX_MRP_Supplies as p on p.SupIID=d.DmdPSupIID%4")
                .arg(R.Scheme.DemandByOrigDate ? QStringLiteral("coalesce(o.ManBillDate, '99991231')") : QStringLiteral("null"),
                     props.join(QStringLiteral(", ")), SQLInt(FLevel),
                     R.Scheme.DemandByOrigDate ? QStringLiteral(" left join tmp_KX_MRP_MainOrigDates as o on o.ManBillType=d.DmdOrigType "
                                                                "and o.ManBillID=d.DmdOrigID")
                                               : QString());
    // Each row is converted while the server sends the next ones; what depends on the order
    // of the rows (their numbers, the item records) follows once all are in. The rows' text
    // stays until then, for the order and for the item records.
    const qint64 lastDay = Day(QDate(9999, 12, 31));
    std::vector<TRowChunk> chunks;
    std::vector<TMRPDemandRec> rows;
    std::vector<std::pair<int, int>> sources;    // chunk and row of each arrived row
    std::vector<TDemandAsRead> asRead;           // what the kit quantities take of each arrived row
    TDemandOrder order;
    TCopyRead read(R.Connection, sql);
    for (;;) {
        TRowChunk& q = chunks.emplace_back();
        if (!read.Next(q)) {
            chunks.pop_back();
            break;
        }
        for (int r = 0; r < q.RecordCount(); ++r) {
            if (r % 256 == 255)
                read.KeepUp();
            order.Add(q, r);
            sources.emplace_back(int(chunks.size()) - 1, r);
            int c = 0;
            auto i = [&]() { return q.IntAt(r, c++); };
            auto f = [&]() { return q.NumberAt(r, c++); };
            auto t = [&]() { return q.TextAt(r, c++); };
            auto b = [&]() { return q.BytesAt(r, c++); };
            TMRPDemandRec& d = rows.emplace_back();
            d.DmdIID = i();
            d.DmdPriority = i();
            d.DmdBillType = i();
            d.DmdBillNo = t();
            d.DmdBillEntry = i();
            d.DmdOrigType = i();
            d.DmdOrigID = t();
            d.DmdOrigNo = t();
            d.DmdOrigEntry = i();
            d.DmdOrigItmID = t();
            d.DmdOrigCustID = t();
            d.DmdOrigCustPO = t();
            d.DmdOrigTag = t();
            d.DmdOrigSubTag = t();
            const QDate origDate = q.DateAt(r, c++);
            d.DmdOrigDate = R.Scheme.DemandByOrigDate ? Day(origDate) : lastDay;
            d.DmdBomLocked = i() != 0;
            d.DmdBomType = i();
            d.DmdBomID = t();
            const int bomSkip = i();
            const QByteArrayView itemID = b(), props0 = b();
            const int groupType = i();
            const QByteArrayView groupNo = b();
            d.DmdItemKey = ItemKey(itemID, props0, groupType, groupNo);
            d.DmdQty = d.DmdReadQty = f();
            d.DmdHints = t();
            const QByteArrayView dateText = q.BytesAt(r, c);
            d.DmdWholeDay = dateText.size() <= 10 || dateText.sliced(10) == QByteArrayView(" 00:00:00");
            d.DmdDate = q.DateAt(r, c++);
            d.DmdPeriod = i();
            const int dayOffset = i();
            d.DmdNote = t();
            d.DmdDeptID = t();
            const QString parentDept = t(), parentSupp = t();
            const bool orphan = q.IsNullAt(r, c);
            const QByteArrayView parentItem = b();
            d.DmdPreLeadTime = orphan ? 0 : R.ItemPlanning(parentItem).PreLeadTime;
            const TItemPlanning& planning = R.ItemPlanning(itemID);
            TDemandAsRead& kit = asRead.emplace_back();
            kit.Read = true;
            kit.SuitSkip = planning.SuitSkip;
            kit.BillType = d.DmdBillType;
            kit.Level = FLevel;
            kit.NeedQty = q.NumberAt(r, dcNeedQty);
            kit.BillQty = q.NumberAt(r, dcBillQty);
            kit.PSupIID = q.IntAt(r, dcPSupIID);
            d.DmdSupType = SupplyKind(planning.MrpType, d.DmdBillType, bomSkip, planning.MOBomSkip, planning.OOBomSkip);
            switch (d.DmdSupType) {
            case btPlanPO: d.DmdSupDept = planning.POSuppID; break;
            case btPlanMO: d.DmdSupDept = planning.MODeptID; break;
            case btPlanOO: d.DmdSupDept = planning.OOSuppID; break;
            case btPlanMOSkip: case btPlanMOVirtual: d.DmdSupDept = parentDept; break;
            case btPlanOOSkip: case btPlanOOVirtual: d.DmdSupDept = parentSupp; break;
            default: d.DmdSupDept = !parentDept.isEmpty() ? parentDept : !parentSupp.isEmpty() ? parentSupp : d.DmdDeptID; break;
            }
            d.DmdTrackKey = TrackKey(TrackMode(R.Scheme.CareMRPTrackMode, R.Scheme.CareItemMRPTrack, planning.Track), d);
            // A component needed some work days after its parent starts moves its date.
            if (dayOffset != 0 && d.DmdDate.isValid()) {
                d.DmdDate = WorkDayOffset(d.DmdDate, -dayOffset, R.Holidays);
                d.DmdPeriod = PeriodOf(d.DmdDate);
                d.DmdDateMoved = true;
            }
        }
    }
    whenRead();
    const std::vector<int> byOrder = order.Rows();
    Permute(rows, byOrder);
    Dmd = std::move(rows);
    const int n = int(Dmd.size());
    ItemDepts.reserve(size_t(n));
    int maxIID = 0;
    int itemIndex = -1;
    std::vector<int> balanceOf;                  // each item record's entry in the demand balance
    // Rows are in item key order now: each key is looked up at its first row.
    for (int k = 0; k < n; ++k) {
        TMRPDemandRec& d = Dmd[size_t(k)];
        d.DmdRecNo = k;
        if (itemIndex < 0 || order.KeyRank(byOrder[size_t(k)]) != order.KeyRank(byOrder[size_t(k - 1)])) {
            auto it = ItemOfKey.find(d.DmdItemKey);
            if (it == ItemOfKey.end()) {
                const auto [chunk, r] = sources[size_t(byOrder[size_t(k)])];
                const TRowChunk& q = chunks[size_t(chunk)];
                const QString itemID = q.TextAt(r, dcItem);
                const TItemPlanning& planning = R.ItemPlanning(q.BytesAt(r, dcItem));
                it = ItemOfKey.insert(d.DmdItemKey, int(Items.size()));
                TMRPItemSumRec& item = Items.emplace_back();
                item.ItmID = itemID;
                item.ItmProps = q.TextAt(r, dcProps);
                item.ItmGroupType = q.IntAt(r, dcGroupType);
                item.ItmGroupNo = q.TextAt(r, dcGroupNo);
                item.ItmMinQty = planning.MinQty;
                item.ItmLotQty = planning.LotQty;
                item.ItmMaxQty = planning.MaxQty;
                item.ItmFixLeadTime = planning.FixLeadTime;
                item.ItmVarLeadTime = planning.VarLeadTime;
                item.ItmVarLeadLot = planning.VarLeadLot;
                item.ItmPostLeadTime = planning.PostLeadTime;
                item.ItmPutInteger = planning.PutInteger;
                item.ItmDecimal = planning.Decimal;
                for (int p = 0; p < kItemProps; ++p)
                    item.ItmProp[p] = q.TextAt(r, dcItemProps + p);
                ItemDepts.push_back({planning.POSuppID, planning.MODeptID, planning.OOSuppID});
            }
            itemIndex = it.value();
        }
        d.DmdItmIndex = itemIndex;
        DmdOfIID.Insert(d.DmdIID, k);
        // The row's share of its key's demand balance.
        if (balanceOf.size() < Items.size())
            balanceOf.resize(Items.size(), -1);
        if (balanceOf[size_t(itemIndex)] < 0) {
            balanceOf[size_t(itemIndex)] = int(R.DemandBalance.size());
            const TMRPItemSumRec& item = Items[size_t(itemIndex)];
            TDemandBalance& b = R.DemandBalance.emplace_back();
            b.ItmID = item.ItmID;
            b.ItmProps = item.ItmProps;
            b.GroupType = item.ItmGroupType;
            b.GroupNo = item.ItmGroupNo;
        }
        const auto [chunk, r] = sources[size_t(byOrder[size_t(k)])];
        if (!AddToBalance(R.DemandBalance[size_t(balanceOf[size_t(itemIndex)])], chunks[size_t(chunk)], r, d.DmdBillType))
            R.DemandBalanceExact = false;
        maxIID = std::max(maxIID, d.DmdIID);
    }
    // Room for the level's results at once: row numbers only grow from level to level.
    R.ReserveResults(maxIID);
    for (size_t k = 0; k < asRead.size(); ++k)
        R.DemandResults[size_t(Dmd[size_t(k)].DmdIID)].AsRead = asRead[size_t(byOrder[size_t(k)])];
}

// The level's supplies in the order they are offered within an item key: by kind, stock that
// is bound to a BOM before other stock, then by date, bill and line.
QString TMRPLevel::SupplySelect() const
{
    return QStringLiteral(
                "select s.SupIID, s.SupBillType, coalesce(s.SupOrigType, 0), coalesce(s.SupOrigID, ''), coalesce(s.SupOrigEntry, 0), "
                "coalesce(s.SupOrigCustID, ''), coalesce(s.SupOrigTag, ''), s.SupItmID||'|'||s.SupItmProps||chr(13)||"
                "cast(s.SupGroupType as varchar(10))||'|'||s.SupGroupNo, s.SupDate, coalesce(s.SupChkQty, 0), "
                "coalesce(s.SupAllotQty, 0), s.SupRestQty, coalesce(s.SupHints, ''), coalesce(s.SupBomLocked, 0), s.SupBomType, "
                "coalesce(s.SupBomID, ''), s.SupItmID "
                "from tmp_KX_MRP_Supplies as s join tmp_KX_MRP_ItemLowestCode as l on l.ItmID=s.SupItmID and l.LowestCode=%1 "
                "where %2 "
                "order by s.SupItmID, s.SupItmProps, s.SupGroupType, s.SupGroupNo, s.SupBillType, "
                "(case s.SupBillType when %3 then coalesce(s.SupBomLocked, 0) else 0 end) desc, s.SupDate, s.SupBillNo, s.SupBillID, "
                "s.SupBillEntry, s.SupIID")
                .arg(SQLInt(FLevel), LevelReadsSupply(), SQLInt(btStock));
}

std::vector<int> TMRPLevel::UnusedReadSupplies() const
{
    std::vector<int> unused;
    for (const TMRPSupplyRec& s : Sup)
        if (Round8(s.SupAllotQty) == 0)
            unused.push_back(s.SupIID);
    return unused;
}

void TMRPLevel::ReadSupplies(TSentAhead& select)
{
    TQuery q(&R.Connection);
    select.Take(q);
    const int n = q.RecordCount();
    Sup.resize(n);
    for (int r = 0; r < n; ++r) {
        int c = 0;
        auto i = [&]() { return q.IntAt(r, c++); };
        auto f = [&]() { return q.NumberAt(r, c++); };
        auto t = [&]() { return q.TextAt(r, c++); };
        TMRPSupplyRec& s = Sup[r];
        s.SupIID = i();
        s.SupBillType = i();
        s.SupOrigType = i();
        s.SupOrigID = t();
        s.SupOrigEntry = i();
        s.SupOrigCustID = t();
        s.SupOrigTag = t();
        s.SupItemKey = t();
        s.SupDate = q.DateAt(r, c++);
        s.SupChkQty = f();
        s.SupAllotQty = f();
        s.SupRestQty = f();
        const QString hints = t();
        // An order picked as main demand on a date is due that day.
        if (hints.startsWith(QLatin1Char('='))) {
            const QDate picked = QDate::fromString(hints.mid(1, 8), QStringLiteral("yyyyMMdd"));
            if (picked.isValid())
                s.SupDate = picked;
        }
        s.SupBomLocked = i() != 0;
        s.SupBomType = i();
        s.SupBomID = t();
        // Bought and outsourced goods are ready some days after they arrive.
        switch (s.SupBillType) {
        case btPO: case btPI: case btPR: case btOO: case btOR: s.SupPostLeadTime = R.ItemPlanning(q.BytesAt(r, c++)).PostLeadTime; break;
        default: s.SupPostLeadTime = 0; break;
        }
        auto range = SupOfKey.find(s.SupItemKey);
        if (range == SupOfKey.end())
            SupOfKey.insert(s.SupItemKey, qMakePair(r, r + 1));
        else
            range.value().second = r + 1;
    }
    for (auto it = ItemOfKey.cbegin(); it != ItemOfKey.cend(); ++it) {
        const auto range = SupOfKey.value(it.key(), qMakePair(0, 0));
        Items[size_t(it.value())].ItmSupBegin = range.first;
        Items[size_t(it.value())].ItmSupEnd = range.second;
    }
}

void TMRPLevel::ReadSubstitutes()
{
    for (TMRPDemandRec& d : Dmd)
        d.DmdRplBegin = d.DmdRplEnd = 0;
    if (R.Scheme.CareItemReplace == 0 || Dmd.empty())
        return;
    R.Exec(QStringLiteral("truncate table tmp_KX_MRP_ItemSubsForMRPDemand;\rcall KX_MRP_GetItemSubsForMRPDemand(%1, %2)")
               .arg(SQLInt(FLevel), SQLInt(R.Scheme.CareItemReplace >= 2 ? 1 : 0)));
    TQuery q(&R.Connection);
    q.SQL = QStringLiteral("select DmdIID, SubRItmID||'|'||coalesce(SubRProps, '')||chr(13), coalesce(SubQty, 1), coalesce(SubRQty, 1), "
                           "coalesce(SubReplace, 0) from tmp_KX_MRP_ItemSubsForMRPDemand order by DmdIID, SubGlobal, SubPriority");
    q.Open();
    for (int r = 0; r < q.RecordCount(); ++r) {
        const int dmd = DmdOfIID.Value(q.IntAt(r, 0));
        if (dmd < 0)
            continue;
        TMRPSubItemsRec s;
        s.SubDmdIID = q.ValueAt(r, 0).toInt();
        // A substitute is taken within the demand's tracking group.
        const QString& key = Dmd[dmd].DmdItemKey;
        s.SubKey = q.TextAt(r, 1) + key.mid(key.indexOf(QLatin1Char('\r')) + 1);
        s.SubQty = q.ValueAt(r, 2).toDouble();
        s.SubRQty = q.ValueAt(r, 3).toDouble();
        s.SubReplace = q.ValueAt(r, 4).toInt() != 0;
        if (s.SubQty <= 0 || s.SubRQty <= 0)
            continue;
        TMRPDemandRec& d = Dmd[dmd];
        if (d.DmdRplEnd == 0)
            d.DmdRplBegin = int(Subs.size());
        Subs.push_back(s);
        d.DmdRplEnd = int(Subs.size());
    }
}

void TMRPLevel::ReadAdjustments()
{
    if (!R.AnyKeep())
        return;
    TQuery q(&R.Connection);
    q.SQL = QStringLiteral("select a.SupItmID||'|'||a.SupItmProps||chr(13)||cast(a.SupGroupType as varchar(10))||'|'||a.SupGroupNo, "
                           "coalesce(a.SupTrackKey, ''), a.SupBillType, coalesce(a.SupBomType, 0), coalesce(a.SupBomID, ''), "
                           "coalesce(a.SupAdjQty, 0) from tmp_KX_MRP_LastSupAdjusts as a join tmp_KX_MRP_ItemLowestCode as l on "
                           "l.ItmID=a.SupItmID and l.LowestCode=%1 order by 1, 2")
                .arg(SQLInt(FLevel));
    q.Open();
    for (int r = 0; r < q.RecordCount(); ++r) {
        const QString key = q.TextAt(r, 0) + QLatin1Char('\n') + q.TextAt(r, 1);
        if (Adjusts.contains(key))
            continue;          // the first adjustment of an item and tracking key counts
        Adjusts.insert(key, TMRPPlanAdjustRec{true, q.ValueAt(r, 2).toInt(), q.ValueAt(r, 3).toInt(), q.TextAt(r, 4),
                                              q.ValueAt(r, 5).toDouble()});
    }
}

void TMRPLevel::MakeDetails()
{
    for (int i = 0; i < int(Dmd.size()); ++i) {
        TMRPDemandRec& d = Dmd[i];
        if (d.DmdQty <= 0)
            continue;
        const THints hints = ParseHints(d.DmdHints);
        if (hints.isEmpty()) {
            Dtl.push_back({i, d.DmdPeriod, Day(d.DmdDate), d.DmdQty});
            continue;
        }
        // A share in the demand's own period keeps its date; another period's share falls on
        // the period's first day (the period before the horizon: its last day).
        double left = d.DmdQty;
        int own = -1;
        for (auto it = hints.end(); it != hints.begin() && left > 0;) {
            --it;
            if (it.value() <= 0 || it.key() < 0 || it.key() >= FPeriods.size())
                continue;
            const double qty = std::min(it.value(), left);
            const int p = it.key();
            const QDate date = p == d.DmdPeriod ? d.DmdDate : p == 0 ? FPeriods[0].DateEnd : FPeriods[p].DateBegin;
            Dtl.push_back({i, p, Day(date), Round8(qty)});
            if (p == d.DmdPeriod)
                own = int(Dtl.size()) - 1;
            left -= qty;
        }
        if (left > 1e-9) {
            if (own >= 0)
                Dtl[own].DtlQty = Round8(Dtl[own].DtlQty + left);
            else
                Dtl.push_back({i, d.DmdPeriod, Day(d.DmdDate), Round8(left)});
        }
    }
    Order.resize(Dtl.size());
    for (size_t i = 0; i < Order.size(); ++i)
        Order[i] = int(i);
    // Earlier origin (when ordered by it), earlier date, higher priority, smaller bill type,
    // earlier read.
    std::stable_sort(Order.begin(), Order.end(), [&](int a, int b) {
        const TMRPDemandDetailRec& x = Dtl[a];
        const TMRPDemandDetailRec& y = Dtl[b];
        const TMRPDemandRec& dx = Dmd[x.DtlDmdRec];
        const TMRPDemandRec& dy = Dmd[y.DtlDmdRec];
        if (dx.DmdOrigDate != dy.DmdOrigDate)
            return dx.DmdOrigDate < dy.DmdOrigDate;
        if (x.DtlDate != y.DtlDate)
            return x.DtlDate < y.DtlDate;
        if (dx.DmdPriority != dy.DmdPriority)
            return dx.DmdPriority > dy.DmdPriority;
        if (dx.DmdBillType != dy.DmdBillType)
            return dx.DmdBillType < dy.DmdBillType;
        return dx.DmdRecNo < dy.DmdRecNo;
    });
}

bool TMRPLevel::Matches(const TMRPDemandRec& d, const TMRPSupplyRec& s, int pass) const
{
    if (s.SupRestQty <= 0)
        return false;
    if (pass > 0) {
        if (s.SupOrigType != d.DmdOrigType || s.SupOrigID.compare(d.DmdOrigID, Qt::CaseInsensitive) != 0)
            return false;
        if (pass == 2 && s.SupOrigEntry != d.DmdOrigEntry)
            return false;
    }
    // A demand with a locked BOM takes supplies of that BOM only; stock and purchases without a
    // locked BOM of their own serve it all the same.
    if (d.DmdBomLocked) {
        const bool exempt = !s.SupBomLocked && (s.SupBillType == btStock || s.SupBillType == btPO || s.SupBillType == btPI ||
                                                s.SupBillType == btPR);
        if (!exempt && (s.SupBomType != d.DmdBomType || s.SupBomID.compare(d.DmdBomID, Qt::CaseInsensitive) != 0))
            return false;
    }
    return true;
}

void TMRPLevel::AllocateStep(int dtlIndex, int supIndex, int pass, const TMRPSubItemsRec* sub)
{
    TMRPDemandDetailRec& dtl = Dtl[dtlIndex];
    TMRPDemandRec& d = Dmd[dtl.DtlDmdRec];
    TMRPSupplyRec& s = Sup[supIndex];
    // Demand side qd (the replaced item), supply side qs; a substitute converts by its exchange
    // quantities, each conversion to eight decimals, capped on the demand side.
    double qd, qs;
    if (sub) {
        qd = std::min(dtl.DtlQty, Round8(s.SupRestQty * sub->SubQty / sub->SubRQty));
        qs = std::min(s.SupRestQty, Round8(qd * sub->SubRQty / sub->SubQty));
    } else {
        qd = qs = std::min(dtl.DtlQty, s.SupRestQty);
    }
    if (qd <= 0 || qs <= 0)
        return;
    switch (s.SupBillType) {
    case btStock: d.DmdInvQty += qd; break;
    case btMO: d.DmdMOQty += qd; break;
    case btOO: d.DmdOOQty += qd; break;
    case btPO: case btPI: d.DmdPOQty += qd; break;
    case btMR: d.DmdMRQty += qd; break;
    case btOR: d.DmdORQty += qd; break;
    case btPR: d.DmdPRQty += qd; break;
    default: break;
    }
    double chk = 0;
    if (s.SupChkQty > s.SupAllotQty) {
        const double free = s.SupChkQty - s.SupAllotQty;
        chk = std::min(sub ? Round8(free * sub->SubQty / sub->SubRQty) : free, qd);
        d.DmdChkQty += chk;
        if (s.SupBillType == btPO || s.SupBillType == btPI)
            d.DmdPChkQty += chk;
    }
    s.SupAllotQty = Round8(s.SupAllotQty + qs);
    s.SupRestQty = Round8(s.SupRestQty - qs);
    if (sub) {
        s.SupAReplQty = Round8(s.SupAReplQty + qs);
        d.DmdReplQty = Round8(d.DmdReplQty + qd);
    }
    dtl.DtlQty = Round8(dtl.DtlQty - qd);
    d.DmdQty = Round8(d.DmdQty - qd);

    QDate date = DayNumberToDate(dtl.DtlDate);
    int period = dtl.DtlPeriod;
    const int shift = s.SupPostLeadTime + d.DmdPreLeadTime;
    if (s.SupPostLeadTime > 0 || d.DmdPreLeadTime >= 1) {
        date = WorkDayOffset(date, shift, R.Holidays);
        period = PeriodOf(date);
    }
    if (s.SupBillType != btStock)
        s.SupRestPeriod = std::max(s.SupRestPeriod, period);
    TMRPAllotRec a;
    a.AltPeriod = period;
    a.AltTrackLevel = pass;
    a.AltReplace = sub != nullptr;
    a.AltDtlIndex = dtlIndex;
    a.AltSupIndex = supIndex;
    a.AltDate = date;
    a.AltAdjDays = s.SupBillType == btStock ? 0 : int(s.SupDate.daysTo(date));
    a.AltQty = qs;
    a.AltChkQty = chk;
    a.AltReplQty = sub ? qd : 0;
    Allots.push_back(a);
    THints hints = ParseHints(s.SupHints.startsWith(QLatin1Char('=')) ? QString() : s.SupHints);
    hints[period] += qs;
    s.SupHints = FormatHints(hints);
    s.SupAlloted = true;
}

void TMRPLevel::Allocate()
{
    const bool substitutes = !Subs.empty();
    const int replace = R.Scheme.CareItemReplace;
    auto substituteMayUse = [&](int type) {
        if (type == btStock)
            return true;
        if (type == btMO || type == btOO || type == btPO || type == btPI)
            return replace >= 2;
        if (type == btMR || type == btOR || type == btPR)
            return replace >= 3;
        return false;
    };
    for (int pass = 2; pass >= 0; --pass) {
        R.Progress.CheckAbort();
        for (int idx : Order) {
            const TMRPDemandDetailRec& dtl = Dtl[idx];
            if (dtl.DtlQty <= 0)
                continue;
            const TMRPDemandRec& d = Dmd[dtl.DtlDmdRec];
            if (pass > 0 && !IsTrackedOrigin(d.DmdOrigType))
                continue;
            const TMRPItemSumRec& item = Items[size_t(d.DmdItmIndex)];
            for (int s = item.ItmSupBegin; s < item.ItmSupEnd && Dtl[idx].DtlQty > 0; ++s)
                if (Matches(d, Sup[s], pass))
                    AllocateStep(idx, s, pass, nullptr);
        }
        if (!substitutes)
            continue;
        for (int idx : Order) {
            if (Dtl[idx].DtlQty <= 0)
                continue;
            const TMRPDemandRec& d = Dmd[Dtl[idx].DtlDmdRec];
            if (pass > 0 && !IsTrackedOrigin(d.DmdOrigType))
                continue;
            for (int k = d.DmdRplBegin; k < d.DmdRplEnd && Dtl[idx].DtlQty > 0; ++k) {
                const auto range = SupOfKey.value(Subs[k].SubKey, qMakePair(0, 0));
                for (int s = range.first; s < range.second && Dtl[idx].DtlQty > 0; ++s)
                    if (substituteMayUse(Sup[s].SupBillType) && Matches(d, Sup[s], pass))
                        AllocateStep(idx, s, pass, &Subs[k]);
            }
        }
    }
}

void TMRPRun::PlanLevel(int level)
{
    auto planned = std::make_unique<TMRPLevel>(*this, level);
    planned->Run();
    Step(QStringLiteral("展开BOM, 准备下层物料毛需求..."), 1);
    // The level's records are let go while the server leaves out the supplies nobody used
    // and reads the BOMs of the made ones.
    TSentAhead ahead(Connection, UnusedSuppliesDelete(level, planned->UnusedReadSupplies()) + QStringLiteral(";\r") +
                                     ExplosionBOMs(level));
    planned.reset();
    ahead.Wait();
}

} // namespace kx
