// The release's settings per destination type and user: how planned rows merge into bill
// entries, how entries split into bills and in which order, the most entries a bill takes,
// and the department and employee written into each bill.
#pragma once

#include <QList>
#include <QString>

namespace kx {

class TConnection;

// Fields by which entries are split into bills and sorted within them.
enum TOutputField {
    ofNone = 0,
    ofSupplyUnit = 1,     // 供应单位 (then the currency)
    ofBuyer = 2,          // 采购员
    ofPlanner = 3,        // 计划员
    ofMainDemand = 4,     // 主需求
    ofItemNo = 5,         // 物料代码
    ofDate = 6,           // 交货日期
};

// How substitutes of material lines are released with an order.
enum TOutputItemSubs { oisUsedOnly = 0, oisAll = 1, oisNone = 2 };

struct TMRPOutputOptions {
    int MergeTrack = 0;           // 0 keeps the run's tracking; 1.. merges by the n-th tracking type
    bool MergePeriods = false;
    int MaxRows = 1;
    int SplitBy[3] = {0, 0, 0};
    int SortBy[3] = {0, 0, 0};
    int ItemSubs = oisUsedOnly;
    bool OutPBoms = false;
    bool LotRule = false;
    QString DepartmentID;
    QString EmployeeID;
};

// The bill kind the host's bill service stores a destination type as (0: none).
int BillKindOf(int destType);
// The destination of planned outsourcing: outsourcing orders (24) when the system setting
// "OutputDirectOO" is on, else outsourcing requisitions (36).
int OutsourcingDestType();
// The destination groups the release loads settings for: production, outsourcing, purchase.
int DestGroupOf(int destType);

// Which options a destination type has: an employee (all but production orders and plans),
// the material lines and substitutes (production and outsourcing orders).
bool OutputHasEmployee(int destType);
bool OutputHasMaterial(int destType);
// The fields a destination type's split and sort lists offer, in their order.
QList<int> OutputFieldsOffered(int destType);
// The label of the employee picker ("申请人(&E):" or "业务员(&E):").
QString OutputEmployeeLabel(int destType);
QString OutputFieldCaption(int field);

// The type's defaults with the user's stored values applied; hostMaxRows is the most rows
// the host takes in one bill of the type's kind.
TMRPOutputOptions LoadOutputOptions(int destType, int hostMaxRows);
// The host's limit for the type's bill kind, from the module environment's bill service.
int HostMaxBillRows(int destType);
TMRPOutputOptions LoadOutputOptions(int destType);
void SaveOutputOptions(int destType, const TMRPOutputOptions& options);

// The first fault of the split and sort fields, as the message to show; empty when none.
QString CheckOutputFields(const TMRPOutputOptions& options);
// Looks up an enabled department or employee by number or name; the ID, or empty.
QString FindOutputDepartment(TConnection& connection, const QString& text);
QString FindOutputEmployee(TConnection& connection, const QString& text);

} // namespace kx
