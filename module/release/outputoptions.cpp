#include "release/outputoptions.h"

#include "db/dataset.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/shared.h"
#include "engine/planscheme.h"
#include "kx_mrp/erpaccess.h"

namespace kx {

namespace {

const QString kClass = QStringLiteral("KX_MRP");

QString Key(const char* name, int destType)
{
    return QLatin1String(name) + QString::number(destType);
}

const char* const kSplitKeys[3] = {"OutputSplitBy1st", "OutputSplitBy2nd", "OutputSplitBy3rd"};
const char* const kSortKeys[3] = {"OutputSortBy1st", "OutputSortBy2nd", "OutputSortBy3rd"};

bool IsProductionType(int destType)
{
    return destType == btMO || destType == btMR;
}

bool IsRequisitionType(int destType)
{
    return destType == btOR || destType == btPR;
}

// Stored list fields replace the defaults from the last to the first; an empty field ends
// the list, clearing those after it.
void LoadFieldList(int (&fields)[3], const char* const (&keys)[3], int destType)
{
    for (int i = 2; i >= 0; --i) {
        const int stored = ReadSettingInt(kClass, Key(keys[i], destType), false, -1);
        if (stored < 0)
            continue;
        fields[i] = stored;
        if (stored == 0)
            for (int k = i + 1; k < 3; ++k)
                fields[k] = 0;
    }
}

QString FindByNumberOrName(TConnection& connection, const QString& sql, const QString& text)
{
    TQuery q(&connection);
    q.SQL = sql.arg(QuotedStr(text.trimmed()));
    q.Open();
    return q.IsEmpty() ? QString() : q.Fields(0).AsString();
}

} // namespace

int BillKindOf(int destType)
{
    switch (destType) {
    case btSO: return 2;
    case btSI: return 3;
    case btForcast: return 1;
    case btMO: return 10;
    case btOO: return 8;
    case btPO: return 5;
    case btPI: return 6;
    case btMR: return 9;
    case btOR: return 7;
    case btPR: return 4;
    default: return 0;
    }
}

int OutsourcingDestType()
{
    return ReadSettingBool(kClass, QStringLiteral("OutputDirectOO"), true, false) ? btOO : btOR;
}

int DestGroupOf(int destType)
{
    if (IsProductionType(destType))
        return btMO;
    if (destType == btOO || destType == btOR)
        return btOR;
    return destType;
}

bool OutputHasEmployee(int destType)
{
    return !IsProductionType(destType);
}

bool OutputHasMaterial(int destType)
{
    return destType == btMO || destType == btOO;
}

QList<int> OutputFieldsOffered(int destType)
{
    if (IsProductionType(destType))
        return {ofSupplyUnit, ofPlanner, ofMainDemand, ofItemNo, ofDate};
    if (IsRequisitionType(destType))
        return {ofSupplyUnit, ofBuyer, ofMainDemand, ofItemNo, ofDate};
    return {ofBuyer, ofPlanner, ofSupplyUnit, ofMainDemand, ofItemNo, ofDate};
}

QString OutputEmployeeLabel(int destType)
{
    return IsRequisitionType(destType) ? QStringLiteral("业务员(&E):") : QStringLiteral("申请人(&E):");
}

QString OutputFieldCaption(int field)
{
    static const char* const captions[] = {"", "供应单位", "采购员", "计划员", "主需求", "物料代码", "交货日期"};
    return field > 0 && field <= ofDate ? QString::fromUtf8(captions[field]) : QString();
}

TMRPOutputOptions LoadOutputOptions(int destType, int hostMaxRows)
{
    TMRPOutputOptions o;
    if (IsProductionType(destType)) {
        o.SplitBy[0] = ofSupplyUnit, o.SplitBy[1] = ofPlanner, o.SplitBy[2] = ofMainDemand;
    } else if (IsRequisitionType(destType)) {
        o.SplitBy[0] = ofBuyer, o.SplitBy[1] = ofMainDemand;
    } else {
        o.SplitBy[0] = ofSupplyUnit, o.SplitBy[1] = ofBuyer, o.SplitBy[2] = ofMainDemand;
    }
    o.SortBy[0] = ofItemNo, o.SortBy[1] = ofDate;

    o.MergeTrack = qMax(0, ReadSettingInt(kClass, Key("OutputMergeTrack", destType), false, 0));
    o.MergePeriods = ReadSettingInt(kClass, Key("OutputMergePeriods", destType), false, 0) != 0;
    if (hostMaxRows < 2) {
        o.MaxRows = 1;
    } else {
        const int stored = ReadSettingInt(kClass, Key("OutputMaxRows", destType), false, 0);
        o.MaxRows = stored >= 1 && stored <= hostMaxRows ? stored : qMin(hostMaxRows, 100);
    }
    LoadFieldList(o.SplitBy, kSplitKeys, destType);
    LoadFieldList(o.SortBy, kSortKeys, destType);
    o.ItemSubs = qMax(0, ReadSettingInt(kClass, Key("OutputItemSubs", destType), false, oisUsedOnly));
    o.OutPBoms = ReadSettingInt(kClass, Key("OutputPBoms", destType), false, 0) != 0;
    o.LotRule = ReadSettingInt(kClass, Key("OutputLotRule", destType), false, 0) != 0;
    ReadSetting(kClass, Key("OutputDeptID", destType), o.DepartmentID, false);
    if (OutputHasEmployee(destType))
        ReadSetting(kClass, Key("OutputEmpID", destType), o.EmployeeID, false);
    return o;
}

int HostMaxBillRows(int destType)
{
    IERPAccess* access = Env() ? Env()->ERPAccess : nullptr;
    return access ? access->MaxBillRows(BillKindOf(destType)) : 0;
}

TMRPOutputOptions LoadOutputOptions(int destType)
{
    return LoadOutputOptions(destType, HostMaxBillRows(destType));
}

void SaveOutputOptions(int destType, const TMRPOutputOptions& o)
{
    WriteSettingInt(kClass, Key("OutputMergeTrack", destType), false, o.MergeTrack);
    WriteSettingInt(kClass, Key("OutputMergePeriods", destType), false, o.MergePeriods ? 1 : 0);
    WriteSettingInt(kClass, Key("OutputMaxRows", destType), false, o.MaxRows);
    for (int i = 0; i < 3; ++i) {
        WriteSettingInt(kClass, Key(kSplitKeys[i], destType), false, o.SplitBy[i]);
        WriteSettingInt(kClass, Key(kSortKeys[i], destType), false, o.SortBy[i]);
    }
    if (OutputHasMaterial(destType)) {
        WriteSettingInt(kClass, Key("OutputItemSubs", destType), false, o.ItemSubs);
        WriteSettingInt(kClass, Key("OutputPBoms", destType), false, o.OutPBoms ? 1 : 0);
    }
    WriteSettingInt(kClass, Key("OutputLotRule", destType), false, o.LotRule ? 1 : 0);
    WriteSetting(kClass, Key("OutputDeptID", destType), false, o.DepartmentID);
    if (OutputHasEmployee(destType))
        WriteSetting(kClass, Key("OutputEmpID", destType), false, o.EmployeeID);
}

QString CheckOutputFields(const TMRPOutputOptions& o)
{
    for (int i = 1; i < 3; ++i)
        for (int k = 0; k < i; ++k)
            if (o.SplitBy[i] != 0 && o.SplitBy[i] == o.SplitBy[k])
                return QStringLiteral("分单依据字段出现重复, 请修正!");
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k)
            if (o.SortBy[i] != 0 && o.SortBy[i] == o.SplitBy[k])
                return QStringLiteral("分录排序字段与分单依据字段出现重复, 请修正!");
    for (int i = 1; i < 3; ++i)
        for (int k = 0; k < i; ++k)
            if (o.SortBy[i] != 0 && o.SortBy[i] == o.SortBy[k])
                return QStringLiteral("分录排序字段出现重复, 请修正!");
    return QString();
}

QString FindOutputDepartment(TConnection& connection, const QString& text)
{
    return FindByNumberOrName(connection, QStringLiteral("select DeptID from KX_Base_Department where (DeptNo=%1 or DeptName=%1) "
                                                         "and DeptDisabled=0"), text);
}

QString FindOutputEmployee(TConnection& connection, const QString& text)
{
    return FindByNumberOrName(connection, QStringLiteral("select EmpID from KX_Base_Employee where (EmpNo=%1 or EmpName=%1) "
                                                         "and EmpDisabled=0"), text);
}

} // namespace kx
