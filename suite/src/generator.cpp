#include "generator.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"
#include "demofactory.h"
#include "generator_p.h"
#include "suiteschema.h"

#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>

namespace kx::suite {

namespace {

constexpr int kMaxItems = kGenMaxItems;
constexpr int kMaxLines = kGenMaxLines;
constexpr int kBillNoLength = 80;          // DmdBillNo, SupBillNo

struct TGenUnit {
    const char* ID;
    const char* No;
    const char* Name;
    const char* Group;
    double Factor;
    int IsBase;
};

// Indexed by TGenUnitIndex.
constexpr TGenUnit kUnits[] = {
    {"GU-PCS", "G-PCS", "个", "GUG-CNT", 1, 1},
    {"GU-SET", "G-SET", "套", "GUG-CNT", 1, 0},
    {"GU-BOX", "G-BOX", "箱(10个)", "GUG-CNT", 10, 0},
    {"GU-KG", "G-KG", "千克", "GUG-WGT", 1, 1},
    {"GU-TON", "G-TON", "吨", "GUG-WGT", 1000, 0},
    {"GU-M", "G-M", "米", "GUG-LEN", 1, 1},
    {"GU-ROLL", "G-ROLL", "卷(100米)", "GUG-LEN", 100, 0},
};

struct TGenDept {
    const char* ID;
    const char* No;
    const char* Name;
    const char* Parent;
    int WorkShop;
};

constexpr TGenDept kDepartments[] = {
    {"GD-01", "G01", "管理部", nullptr, 0},        {"GD-02", "G02", "生产部", nullptr, 0},
    {"GD-21", "G0201", "总装一车间", "GD-02", 1},  {"GD-22", "G0202", "总装二车间", "GD-02", 1},
    {"GD-23", "G0203", "部件车间", "GD-02", 1},    {"GD-24", "G0204", "机加车间", "GD-02", 1},
    {"GD-03", "G03", "计划部", nullptr, 0},        {"GD-04", "G04", "采购部", nullptr, 0},
    {"GD-05", "G05", "销售部", nullptr, 0},        {"GD-06", "G06", "仓储部", nullptr, 0},
};

// Department of each employee role block (see kPlannerFirst ...).
const char* EmployeeDept(int emp)
{
    if (emp < kPlannerFirst)
        return "GD-01";
    if (emp < kBuyerFirst)
        return "GD-03";
    if (emp < kSalesFirst)
        return "GD-04";
    if (emp < kSalesFirst + kSales)
        return "GD-05";
    if (emp < kSalesFirst + kSales + kWorkshops)
        return kDepartments[2 + emp - kSalesFirst - kSales].ID;
    return "GD-06";
}

const char* const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙"};
const char* const kGivenNames[] = {"伟", "芳", "娜", "敏", "静", "强", "磊", "军", "洋", "勇", "艳", "杰"};
const char* const kCities[] = {"上海", "北京", "广州", "深圳", "杭州", "南京", "苏州", "成都",
                               "武汉", "西安", "天津", "重庆", "青岛", "宁波", "厦门", "长沙"};
const char* const kTradeWords[] = {"华", "恒", "盛", "鑫", "瑞", "宏", "达", "兴", "隆", "昌", "泰", "安"};
const char* const kSupplierKinds[] = {"机械厂", "五金制品有限公司", "电子有限公司", "塑胶制品厂", "精密加工厂"};
const char* const kProducts[] = {"电动机", "水泵", "空压机", "离心风机", "减速机", "控制柜", "变频器", "发电机组", "清洗机", "冷却塔"};
const char* const kParts[] = {"机壳", "端盖", "转子组件", "定子组件", "叶轮", "泵体", "齿轮箱", "控制板",
                              "线束", "支架", "底座", "法兰", "轴组件", "散热器", "面板"};
const char* const kMaterials[] = {"冷轧钢板", "铝型材", "铜排", "漆包线", "ABS粒子", "轴承", "密封圈", "螺栓",
                                  "螺母", "平垫圈", "电容", "电阻", "继电器", "接线端子", "油漆", "包装箱"};

template <typename T, size_t N>
const T& Cycle(const T (&list)[N], size_t i)
{
    return list[i % N];
}

std::string Join(std::initializer_list<const char*> parts)
{
    std::string text;
    for (const char* p : parts)
        text += p;
    return text;
}

// The generator's tables in the order they are written. Departments and employees are not
// truncated but deleted (logins keep referring to employees, see ClearOrRefuse).
const char* const kTables[] = {
    "KX_Base_UnitGroup", "KX_Base_Unit", "KX_Base_Currency", "KX_Base_Department", "KX_Base_Employee",
    "KX_Base_Customer", "KX_Base_Supplier", "KX_Base_Stock", "KX_Base_StockPlace", "KX_Base_ItemClass",
    "KX_Base_ItemMaster", "KX_Base_ItemProps", "KX_Base_SuppItems", "KX_Base_SuppPrice", "KX_Bom_Head",
    "KX_Bom_Line", "KX_Bom_ItemSubs", "KX_Stk_BillHead", "KX_Stk_BillLine", "KX_Stk_Inventory",
    "KX_Bill_ForHead", "KX_Bill_ForLine", "KX_Bill_SOHead", "KX_Bill_SOLine", "KX_Bill_SIHead",
    "KX_Bill_SILine", "KX_Bill_MOHead", "KX_Bill_MOLine", "KX_Bill_MOBom", "KX_Bill_MOScrap",
    "KX_Bill_OOHead", "KX_Bill_OOLine", "KX_Bill_OOBom", "KX_Bill_MRHead", "KX_Bill_MRLine",
    "KX_Bill_ORHead", "KX_Bill_ORLine", "KX_Bill_PRHead", "KX_Bill_PRLine", "KX_Bill_POHead",
    "KX_Bill_POLine", "KX_Bill_PIHead", "KX_Bill_PILine",
};

// Items per level: one each, the rest spread with weights growing by 1.3 a level, so that
// there are more parts and materials than finished items; what rounding leaves goes deepest.
std::vector<int> LevelSizes(int items, int levels)
{
    std::vector<double> weights;
    double weight = 1, total = 0;
    for (int l = 0; l < levels; ++l, weight *= 1.3) {
        weights.push_back(weight);
        total += weight;
    }
    const int spread = items - levels;
    std::vector<int> sizes;
    int placed = 0;
    for (int l = 0; l + 1 < levels; ++l) {
        sizes.push_back(1 + int(spread * weights[size_t(l)] / total));
        placed += sizes.back();
    }
    sizes.push_back(items - placed);
    return sizes;
}

} // namespace

quint64 TGenRandom::Next()
{
    quint64 z = (FState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int TGenRandom::Below(int n)
{
    return int((static_cast<unsigned __int128>(Next()) * unsigned(n)) >> 64);
}

qint64 TGenReport::TotalRows() const
{
    qint64 total = 0;
    for (const TGenTableRows& t : Tables)
        total += t.Rows;
    return total;
}

TGenParams GenSizeParams(const QString& size, TGenProfile profile)
{
    TGenParams p;
    const bool toOrder = profile == gpMakeToOrder;
    p.Levels = toOrder ? 4 : 8;
    p.Fanout = toOrder ? 6 : 5;
    p.Horizon = 180;
    p.QtyScale = toOrder ? 10 : 1;
    const QString s = size.trimmed().toUpper();
    int scale = 0;
    if (s == QLatin1String("L"))
        scale = 100;
    else if (s == QLatin1String("M"))
        scale = 10;
    else if (s == QLatin1String("S"))
        scale = 1;
    else
        throw EKxError(QStringLiteral("未知的数据规模: %1 (可选 S, M, L)").arg(size));
    p.Items = 500 * scale;
    p.Orders = (toOrder ? 60 : 2000) * scale;
    p.Supplies = 1000 * scale;
    return p;
}

QString CheckGenParams(const TGenParams& p)
{
    if (p.Items < 1 || p.Items > kMaxItems)
        return QStringLiteral("物料数(--items %1)必须在1到%2之间!").arg(p.Items).arg(kMaxItems);
    if (p.Levels < 1 || p.Levels > kGenMaxLevels)
        return QStringLiteral("BOM层数(--levels %1)必须在1到%2之间!").arg(p.Levels).arg(kGenMaxLevels);
    if (p.Items < p.Levels)
        return QStringLiteral("物料数(--items %1)不能少于BOM层数(--levels %2)!").arg(p.Items).arg(p.Levels);
    if (p.Orders < 0 || p.Orders > kMaxLines)
        return QStringLiteral("需求行数(--orders %1)必须在0到%2之间!").arg(p.Orders).arg(kMaxLines);
    if (p.Supplies < 0 || p.Supplies > kMaxLines)
        return QStringLiteral("供应行数(--supplies %1)必须在0到%2之间!").arg(p.Supplies).arg(kMaxLines);
    if (p.Horizon < 1 || p.Horizon > 3660)
        return QStringLiteral("计划展望天数(--horizon %1)必须在1到3660之间!").arg(p.Horizon);
    // A demand exploded from a planned supply carries the supply's bill number with "/" and
    // its line appended, level after level: the generated numbers (ten characters) must leave
    // room for every level's addition within the 80 characters of a bill number.
    const int entryDigits = int(QString::number(std::max(p.Fanout * 2, 9)).size());
    const int longestBillNo = 10 + (p.Levels - 1) * (1 + entryDigits);
    if (longestBillNo > kBillNoLength)
        return QStringLiteral("BOM层数(--levels %1)与子件数(--fanout %2)过多: 逐层展开的需求单号将长达%3个字符, 超过单号的%4个字符!")
            .arg(p.Levels).arg(p.Fanout).arg(longestBillNo).arg(kBillNoLength);
    if (p.Levels > 1) {
        if (p.Fanout < 1 || p.Fanout > kGenMaxFanout)
            return QStringLiteral("BOM子件数(--fanout %1)必须在1到%2之间!").arg(p.Fanout).arg(kGenMaxFanout);
        // The level above the deepest takes all its components from the deepest level, the
        // smallest choice any BOM has.
        const int deepest = LevelSizes(p.Items, p.Levels).back();
        if (p.Fanout > deepest)
            return QStringLiteral("BOM子件数(--fanout %1)超过了最底层的物料数(%2), 请减少子件数或增加物料数!")
                .arg(p.Fanout).arg(deepest);
    }
    return QString();
}

TGenReport GenerateData(TConnection& connection, const TGenParams& params)
{
    const QString refusal = CheckGenParams(params);
    if (!refusal.isEmpty())
        throw EKxError(refusal);
    TDataGenerator generator(connection, params);
    return generator.Run();
}

TDataGenerator::TDataGenerator(TConnection& connection, const TGenParams& params)
    : FConnection(connection), FParams(params), FRandom(params.Seed),
      FBase(params.BaseDate.isValid() ? params.BaseDate : DemoBaseDate())
{
}

TGenReport TDataGenerator::Run()
{
    QElapsedTimer timer;
    timer.start();
    TTransaction transaction(FConnection);
    ClearOrRefuse();
    BuildLevels();
    BuildSuppliers();
    BuildItems();
    BuildBoms();

    WriteMasters();
    WriteItems();
    WriteBoms();
    WriteStock();
    WriteDemand();
    // Supply lines by kind (percent): production 30 and its requisitions 6, outsourcing 8 and 5,
    // goods in inspection 5, purchase requisitions 8, purchase orders the rest. Without made or
    // outsourced items their share goes to purchase orders.
    const int total = FParams.Supplies;
    const int production = FMade.empty() ? 0 : total * 30 / 100, productionReq = FMade.empty() ? 0 : total * 6 / 100;
    const int outsourcing = FOutsourced.empty() ? 0 : total * 8 / 100, outsourcingReq = FOutsourced.empty() ? 0 : total * 5 / 100;
    const int inspections = total * 5 / 100, purchaseReq = total * 8 / 100;
    WriteProduction(production, productionReq);
    WriteOutsourcing(outsourcing, outsourcingReq);
    WritePurchase(total - production - productionReq - outsourcing - outsourcingReq - inspections - purchaseReq, inspections,
                  purchaseReq);
    WriteItemSettings();
    LoadStandardCalendars(FConnection);

    if (FPropSets > 0)
        FConnection.Execute(QStringLiteral(
            "select setval(pg_get_serial_sequence('kx_base_itemprops', 'prsiid'), (select max(PrsIID) from KX_Base_ItemProps))"));
    QStringList written;
    for (const TGenTableRows& t : FReport.Tables)
        written << t.Table;
    FConnection.Execute(QStringLiteral("analyze ") + written.join(QStringLiteral(", ")));
    transaction.Commit();
    FReport.Milliseconds = timer.elapsed();
    return FReport;
}

void TDataGenerator::ClearOrRefuse()
{
    QStringList tables;
    for (const char* t : kTables)
        tables << QLatin1String(t);
    FItemSettings = TableExists(FConnection, QStringLiteral("KX_MRP_ItemSetting"));
    if (FItemSettings)
        tables << QStringLiteral("KX_MRP_ItemSetting");
    if (!FParams.Replace) {
        QStringList probes;
        for (const QString& t : tables)
            probes << QStringLiteral("select %1 as T, %2 as N where exists (select 1 from %3)")
                          .arg(QuotedStr(t), SQLInt(probes.size()), t);
        TQuery q(&FConnection);
        q.SQL = probes.join(QStringLiteral(" union all ")) + QStringLiteral(" order by N limit 1");
        q.Open();
        if (!q.IsEmpty())
            throw EKxError(QStringLiteral("数据库中已有数据(表%1), 生成数据未写入; 加 --replace 可先清空生成器写入的各表!")
                               .arg(q.Fields(0).AsString()));
        return;
    }
    // Logins outlive the generated data: they keep their rows and lose their employee link.
    // Departments and employees are deleted, not truncated, because the logins' foreign key
    // refers to them.
    QStringList truncated = tables;
    truncated.removeAll(QStringLiteral("KX_Base_Department"));
    truncated.removeAll(QStringLiteral("KX_Base_Employee"));
    FConnection.Execute(QStringLiteral("update KX_SYS_Users set UsrEmpID=null where UsrEmpID is not null;\n"
                                       "truncate table %1 restart identity;\n"
                                       "delete from KX_Base_Employee;\n"
                                       "delete from KX_Base_Department")
                            .arg(truncated.join(QStringLiteral(", "))));
}

void TDataGenerator::BuildLevels()
{
    FLevelStart.assign(1, 0);
    for (const int size : LevelSizes(FParams.Items, FParams.Levels))
        FLevelStart.push_back(FLevelStart.back() + size);
}

void TDataGenerator::BuildSuppliers()
{
    FSuppliers.resize(size_t(std::max(8, FParams.Items / 100)));
    for (size_t s = 0; s < FSuppliers.size(); ++s) {
        // The first supplier buys, the second processes; the rest mostly buy.
        const int kind = s == 0 ? 0 : s == 1 ? 80 : FRandom.Below(100);
        FSuppliers[s].PO = kind < 75 || kind >= 90;
        FSuppliers[s].OO = kind >= 75;
    }
}

void TDataGenerator::BuildItems()
{
    std::vector<int> buyers, processors;
    for (size_t s = 0; s < FSuppliers.size(); ++s) {
        if (FSuppliers[s].PO)
            buyers.push_back(int(s));
        if (FSuppliers[s].OO)
            processors.push_back(int(s));
    }
    const int last = FParams.Levels - 1;
    FItems.resize(size_t(FParams.Items));
    for (int level = 0; level <= last; ++level) {
        for (int i = FLevelStart[size_t(level)]; i < FLevelStart[size_t(level) + 1]; ++i) {
            TGenItem& item = FItems[size_t(i)];
            item.Level = level;
            const bool first = i == FLevelStart[size_t(level)];
            const int r = FRandom.Below(100);
            // Every level above the last has a made item, so each deeper level can hang below it.
            if (level == last)
                item.Type = gtPurchased;
            else if (level == 0)
                item.Type = first || r < 95 ? gtMade : gtOutsourced;
            else
                item.Type = first || r < 62 ? gtMade : r < 72 ? gtOutsourced : r < 75 ? gtVirtual : gtPurchased;
            if (level == 0) {
                item.Unit = guSet;
                if (FRandom.Chance(3)) {
                    item.PropBase = FPropSets + 1;
                    FPropSets += 3;
                }
            } else if (item.Type == gtPurchased && level == last) {
                const int u = FRandom.Below(100);
                item.Unit = u < 60 ? guPcs : u < 80 ? guKg : u < 92 ? guM : guSet;
            }
            item.BuyUnit = item.Unit == guKg && FRandom.Chance(20)   ? guTon
                           : item.Unit == guM && FRandom.Chance(50)  ? guRoll
                           : item.Unit == guPcs && item.Type == gtPurchased && FRandom.Chance(20) ? guBox
                                                                                           : item.Unit;
            item.Price = item.Type == gtPurchased ? 5 + FRandom.Below(20000) : 500 + FRandom.Below(50000);
            if (item.Type == gtPurchased) {
                item.Supplier = FRandom.Pick(buyers);
                FSuppliers[size_t(item.Supplier)].Purchased.push_back(i);
                FPurchased.push_back(i);
            } else if (item.Type == gtOutsourced) {
                item.Supplier = FRandom.Pick(processors);
                FSuppliers[size_t(item.Supplier)].Processed.push_back(i);
                FOutsourced.push_back(i);
            } else if (item.Type == gtMade) {
                FMade.push_back(i);
            }
            if (level > 0 && level <= 2 && item.Type != gtVirtual)
                FDemandItems.push_back(i);
        }
    }
    for (size_t s = 0; s < FSuppliers.size(); ++s) {
        if (!FSuppliers[s].Purchased.empty())
            FPurchaseSuppliers.push_back(int(s));
        if (!FSuppliers[s].Processed.empty())
            FProcessors.push_back(int(s));
    }
}

void TDataGenerator::BuildBoms()
{
    const int last = FParams.Levels - 1;
    const auto start = [this](int level) { return FLevelStart[size_t(level)]; };
    // Every item below level 0 is first hung under a random item with a BOM on the level just
    // above, so that the levels are exactly the BOM depths; the rest of each BOM is drawn from
    // the next level (65%) or any deeper one, which makes components shared across levels.
    std::vector<std::vector<int>> components(FItems.size());
    for (int level = 1; level <= last; ++level) {
        std::vector<int> parents;
        for (int i = start(level - 1); i < start(level); ++i)
            if (FItems[size_t(i)].Type != gtPurchased)
                parents.push_back(i);
        for (int i = start(level); i < start(level + 1); ++i)
            components[size_t(FRandom.Pick(parents))].push_back(i);
    }
    for (size_t i = 0; i < FItems.size(); ++i) {
        TGenItem& item = FItems[i];
        if (item.Type == gtPurchased)
            continue;
        std::vector<int>& list = components[i];
        const int pool = FParams.Items - start(item.Level + 1);
        const int wanted = std::min(pool, std::max(1, FParams.Fanout / 2 + FRandom.Below(FParams.Fanout + 1)));
        for (int tries = 0; int(list.size()) < wanted && tries < 4 * wanted; ++tries) {
            const int level = item.Level + 1 == last || FRandom.Chance(65)
                                  ? item.Level + 1
                                  : item.Level + 2 + FRandom.Below(last - item.Level - 1);
            const int c = start(level) + FRandom.Below(start(level + 1) - start(level));
            if (std::find(list.begin(), list.end(), c) == list.end())
                list.push_back(c);
        }
        item.FirstLine = int(FLines.size());
        item.LineCount = int(list.size());
        item.OkRate = item.Type == gtMade && FRandom.Chance(10) ? 95 + FRandom.Below(5) : 100;
        for (const int c : list) {
            TGenBomLine line;
            line.Item = c;
            const int unit = FItems[size_t(c)].Unit;
            line.Qty = unit == guKg  ? (5 + FRandom.Below(200)) / 100.0
                       : unit == guM ? (10 + FRandom.Below(300)) / 100.0
                                     : (FRandom.Chance(70) ? 1 : 1 + FRandom.Below(6));
            line.LossRate = FRandom.Chance(20) ? 1 + FRandom.Below(5) : 0;
            FLines.push_back(line);
        }
        std::vector<int>().swap(list);
    }
}

int TDataGenerator::PickDemandItem()
{
    if (FDemandItems.empty() || FRandom.Chance(85))
        return FRandom.Below(FLevelStart[1]);
    return FRandom.Pick(FDemandItems);
}

int TDataGenerator::PropSetOf(int item)
{
    const int base = FItems[size_t(item)].PropBase;
    return base ? base + FRandom.Below(3) : 0;
}

std::string TDataGenerator::Id(const char* prefix, qint64 n)
{
    return prefix + std::to_string(n);
}

std::string TDataGenerator::Numbered(const char* prefix, qint64 n)
{
    char buffer[40];
    std::snprintf(buffer, sizeof(buffer), "%s%06lld", prefix, static_cast<long long>(n));
    return buffer;
}

const char* TDataGenerator::ColourOf(int propSet, int propBase)
{
    static const char* const kColours[] = {"红色", "蓝色", "白色"};
    return kColours[propSet - propBase];
}

double TDataGenerator::BaseQty(int item, int count)
{
    const int unit = FItems[size_t(item)].Unit;
    return unit == guKg || unit == guM ? count + FRandom.Below(100) / 100.0 : double(count);
}

void TDataGenerator::ItemColumns(TCopyRows& rows, int item, int propSet)
{
    rows.Text(ItemID(item)).Text(PropsKey(propSet)).Text(propSet ? ColourOf(propSet, FItems[size_t(item)].PropBase) : "");
}

const char* TDataGenerator::UnitID(int unit)
{
    return kUnits[unit].ID;
}

void TDataGenerator::Finish(TCopyRows& rows)
{
    rows.Finish();
    FReport.Tables.append(TGenTableRows{rows.Table(), rows.Rows()});
    if (FParams.CheckAbort)
        FParams.CheckAbort();
}

void TDataGenerator::WriteMasters()
{
    TCopyRows groups(FConnection, QStringLiteral("KX_Base_UnitGroup"), QStringLiteral("UngID, UngNo, UngName"));
    groups.Text("GUG-CNT").Text("G-CNT").Text("计数").EndRow();
    groups.Text("GUG-WGT").Text("G-WGT").Text("重量").EndRow();
    groups.Text("GUG-LEN").Text("G-LEN").Text("长度").EndRow();
    Finish(groups);
    TCopyRows units(FConnection, QStringLiteral("KX_Base_Unit"), QStringLiteral("UntID, UntNo, UntName, UntUngID, UntFactor, UntIsBase"));
    for (const TGenUnit& u : kUnits)
        units.Text(u.ID).Text(u.No).Text(u.Name).Text(u.Group).Qty(u.Factor).Int(u.IsBase).EndRow();
    Finish(units);
    TCopyRows currencies(FConnection, QStringLiteral("KX_Base_Currency"), QStringLiteral("CurID, CurNo, CurName, CurRate, CurIsHome"));
    currencies.Text(kHomeCurrency).Text("G-CNY").Text("人民币").Qty(1).Int(1).EndRow();
    currencies.Text(kExportCurrency).Text("G-USD").Text("美元").Qty(7.1).Int(0).EndRow();
    Finish(currencies);

    TCopyRows depts(FConnection, QStringLiteral("KX_Base_Department"), QStringLiteral("DeptID, DeptNo, DeptName, DeptParentID, DeptWorkShop"));
    for (const TGenDept& d : kDepartments) {
        depts.Text(d.ID).Text(d.No).Text(d.Name);
        (d.Parent ? depts.Text(d.Parent) : depts.Null()).Int(d.WorkShop).EndRow();
    }
    Finish(depts);
    TCopyRows emps(FConnection, QStringLiteral("KX_Base_Employee"), QStringLiteral("EmpID, EmpNo, EmpName, EmpDeptID"));
    for (int e = 0; e < kEmployees; ++e)
        emps.Text(EmployeeID(e)).Text(Numbered("GE", e + 1)).Text(Join({Cycle(kSurnames, size_t(e)), Cycle(kGivenNames, size_t(e * 5 + e / 12))}))
            .Text(EmployeeDept(e)).EndRow();
    Finish(emps);

    FCustomers = std::max(8, FParams.Items / 200);
    FExportCustomers = std::max(1, FCustomers / 10);
    TCopyRows customers(FConnection, QStringLiteral("KX_Base_Customer"),
                        QStringLiteral("CustID, CustNo, CustName, CustEmpID, CustCurID, CustIsExport"));
    for (int c = 0; c < FCustomers; ++c) {
        const bool exporter = c >= FCustomers - FExportCustomers;
        customers.Text(Id("GC", c + 1)).Text(Numbered("GC", c + 1))
            .Text(Join({Cycle(kCities, size_t(c)), Cycle(kTradeWords, size_t(c / 16)), Cycle(kTradeWords, size_t(c / 3 + 5)),
                        exporter ? "国际贸易有限公司" : "商贸有限公司"}))
            .Text(EmployeeID(kSalesFirst + c % kSales)).Text(exporter ? kExportCurrency : kHomeCurrency).Int(exporter).EndRow();
    }
    Finish(customers);
    TCopyRows suppliers(FConnection, QStringLiteral("KX_Base_Supplier"),
                        QStringLiteral("SuppID, SuppNo, SuppName, SuppPO, SuppOO, SuppCurID, SuppBuyerID, SuppLeadDays"));
    for (size_t s = 0; s < FSuppliers.size(); ++s)
        suppliers.Text(Id("GS", qint64(s) + 1)).Text(Numbered("GS", qint64(s) + 1))
            .Text(Join({Cycle(kCities, s + 3), Cycle(kTradeWords, s / 16), Cycle(kTradeWords, s + 7), Cycle(kSupplierKinds, s)}))
            .Int(FSuppliers[s].PO).Int(FSuppliers[s].OO).Text(kHomeCurrency).Text(EmployeeID(kBuyerFirst + int(s) % kBuyers))
            .Int(3 + FRandom.Below(20)).EndRow();
    Finish(suppliers);

    TCopyRows stocks(FConnection, QStringLiteral("KX_Base_Stock"), QStringLiteral("StkID, StkNo, StkName, StkVirtual, StkHasPlace"));
    stocks.Text(kMainStock).Text("GWH1").Text("生成数据主仓").Int(0).Int(1).EndRow();
    stocks.Text(kTransitStock).Text("GWH2").Text("生成数据在途仓").Int(1).Int(1).EndRow();
    Finish(stocks);
    TCopyRows places(FConnection, QStringLiteral("KX_Base_StockPlace"), QStringLiteral("StpID, StpStkID, StpNo, StpName"));
    places.Text(kPlaceMaterial).Text(kMainStock).Text("A").Text("原材料区").EndRow();
    places.Text(kPlacePart).Text(kMainStock).Text("B").Text("半成品区").EndRow();
    places.Text(kPlaceProduct).Text(kMainStock).Text("C").Text("成品区").EndRow();
    places.Text(kPlaceTransit).Text(kTransitStock).Text("T").Text("在途").EndRow();
    Finish(places);
    TCopyRows classes(FConnection, QStringLiteral("KX_Base_ItemClass"), QStringLiteral("ClsID, ClsNo, ClsName"));
    for (int level = 0; level < FParams.Levels; ++level) {
        const std::string name = level == 0                     ? std::string("成品")
                                 : level + 1 == FParams.Levels ? std::string("原材料")
                                                               : "第" + std::to_string(level) + "层部件";
        classes.Text(Id("GCL", level)).Text(Id("G-L", level)).Text(name).EndRow();
    }
    Finish(classes);
}

void TDataGenerator::WriteItems()
{
    const int last = FParams.Levels - 1;
    TCopyRows items(FConnection, QStringLiteral("KX_Base_ItemMaster"),
                    QStringLiteral("ItmID, ItmNo, ItmName, ItmSpec, ItmClsID, ItmType, ItmUnitID, ItmInvUnitID, ItmBuyUnitID, "
                                   "ItmSaleUnitID, ItmProdUnitID, ItmDecimal, ItmDefStkID, ItmStdPrice, ItmHasProp1"));
    for (size_t i = 0; i < FItems.size(); ++i) {
        const TGenItem& item = FItems[i];
        const char* name = item.Level == 0 ? Cycle(kProducts, i) : item.Level == last ? Cycle(kMaterials, i) : Cycle(kParts, i);
        const std::string no = Numbered(("G" + std::to_string(item.Level) + "-").c_str(), qint64(i) + 1);
        items.Text(ItemID(int(i))).Text(no).Text(name).Text("规格 " + Id("X", qint64(i % 997) + 1)).Text(Id("GCL", item.Level))
            .Int(item.Type).Text(UnitID(item.Unit)).Text(UnitID(item.Unit)).Text(UnitID(item.BuyUnit)).Text(UnitID(item.Unit))
            .Text(UnitID(item.Unit)).Int(item.Unit == guKg || item.Unit == guM ? 2 : 0).Text(kMainStock)
            .Qty(item.Price / 100.0).Int(item.PropBase ? 1 : 0).EndRow();
    }
    Finish(items);

    FConnection.Execute(QStringLiteral("insert into KX_Base_ItemPropValues (PvlPropNo, PvlValue) values "
                                       "(1, '红色'), (1, '蓝色'), (1, '白色') on conflict do nothing"));
    TCopyRows props(FConnection, QStringLiteral("KX_Base_ItemProps"), QStringLiteral("PrsIID, PrsItmID, PrsProp1"));
    for (size_t i = 0; i < FItems.size(); ++i)
        for (int set = FItems[i].PropBase; FItems[i].PropBase && set < FItems[i].PropBase + 3; ++set)
            props.Int(set).Text(ItemID(int(i))).Text(ColourOf(set, FItems[i].PropBase)).EndRow();
    Finish(props);

    // One supply source and price per purchased or outsourced item: its main supplier.
    TCopyRows sources(FConnection, QStringLiteral("KX_Base_SuppItems"),
                      QStringLiteral("SpiSuppID, SpiItmID, SpiKind, SpiPriority, SpiLeadDays"));
    TCopyRows prices(FConnection, QStringLiteral("KX_Base_SuppPrice"),
                     QStringLiteral("SprSuppID, SprItmID, SprKind, SprCurID, SprUntID, SprPrice, SprBeginDate"));
    for (size_t i = 0; i < FItems.size(); ++i) {
        const TGenItem& item = FItems[i];
        if (item.Supplier < 0)
            continue;
        const std::string supplier = Id("GS", item.Supplier + 1);
        const int kind = item.Type == gtOutsourced ? 2 : 1;
        sources.Text(supplier).Text(ItemID(int(i))).Int(kind).Int(1).Int(3 + FRandom.Below(20)).EndRow();
        prices.Text(supplier).Text(ItemID(int(i))).Int(kind).Text(kHomeCurrency).Text(UnitID(item.Unit))
            .Qty(item.Price / (kind == 2 ? 250.0 : 100.0)).Date(Day(-365)).EndRow();
    }
    Finish(sources);
    Finish(prices);
}

void TDataGenerator::WriteBoms()
{
    TCopyRows heads(FConnection, QStringLiteral("KX_Bom_Head"),
                    QStringLiteral("BomID, BomType, BomNo, BomItmID, BomUntID, BomOkRate, BomIsDefault, BomVersion, BomDate, "
                                   "BomChecked, BomCheckDate"));
    for (size_t i = 0; i < FItems.size(); ++i) {
        const TGenItem& item = FItems[i];
        if (item.LineCount > 0)
            heads.Text(BomID(int(i))).Int(1).Text(Id("GBOM-", qint64(i) + 1)).Text(ItemID(int(i))).Text(UnitID(item.Unit))
                .Int(item.OkRate).Int(1).Text("V1").Date(Day(-365)).Int(1).Date(Day(-360)).EndRow();
    }
    Finish(heads);
    TCopyRows lines(FConnection, QStringLiteral("KX_Bom_Line"),
                    QStringLiteral("BomID, BomEntry, BolRowHook, BolItmID, BolUntID, BolUQty, BolUBaseQty, BolQty, BolBaseQty, "
                                   "BolLossRate, BolStkID"));
    for (size_t i = 0; i < FItems.size(); ++i) {
        const TGenItem& item = FItems[i];
        for (int n = 0; n < item.LineCount; ++n) {
            const TGenBomLine& line = FLines[size_t(item.FirstLine + n)];
            lines.Text(BomID(int(i))).Int(n + 1).Text(Id("GH", item.FirstLine + n + 1)).Text(ItemID(line.Item))
                .Text(UnitID(FItems[size_t(line.Item)].Unit)).Qty(line.Qty).Int(1).Qty(line.Qty).Int(1).Int(line.LossRate)
                .Text(kMainStock).EndRow();
        }
    }
    Finish(lines);

    // Substitutes: 2% of the materials have a global one on their level; 0.5% of the BOM lines
    // a local one from the component's level. Substitutes never reach up a level.
    TCopyRows subs(FConnection, QStringLiteral("KX_Bom_ItemSubs"),
                   QStringLiteral("SubBomType, SubBomID, SubRowHook, SubItmID, SubSeq, SubRItmID, SubQty, SubRQty, SubReplace, "
                                  "SubBeginDate"));
    // Another item of the same level, never a phantom (which is never stocked); -1 when none.
    const auto sameLevel = [this](int item) {
        const int level = FItems[size_t(item)].Level;
        const int first = FLevelStart[size_t(level)], count = FLevelStart[size_t(level) + 1] - first;
        if (count < 2)
            return -1;
        int other = first + FRandom.Below(count - 1);
        other = other >= item ? other + 1 : other;
        return FItems[size_t(other)].Type == gtVirtual ? -1 : other;
    };
    for (const int i : FPurchased) {
        if (FItems[size_t(i)].Level + 1 != FParams.Levels || !FRandom.Chance(2))
            continue;
        const int other = sameLevel(i);
        if (other >= 0)
            subs.Null().Null().Null().Text(ItemID(i)).Int(1).Text(ItemID(other)).Int(1).Int(1).Int(FRandom.Below(2))
                .Date(Day(-180)).EndRow();
    }
    for (size_t i = 0; i < FItems.size(); ++i) {
        const TGenItem& item = FItems[i];
        for (int n = 0; n < item.LineCount; ++n) {
            if (FRandom.Below(1000) >= 5)
                continue;
            const int component = FLines[size_t(item.FirstLine + n)].Item;
            const int other = sameLevel(component);
            if (other >= 0)
                subs.Int(1).Text(BomID(int(i))).Text(Id("GH", item.FirstLine + n + 1)).Text(ItemID(component)).Int(1)
                    .Text(ItemID(other)).Int(1).Int(1).Int(0).Date(Day(-180)).EndRow();
        }
    }
    Finish(subs);
}

} // namespace kx::suite
