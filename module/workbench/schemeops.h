// What the plan scheme workbench does to schemes, without widgets: the chooser's list, the
// checks and the transaction of saving (a copy with its data), deleting a scheme with all its
// rows, and the long jobs that fetch main demand and run MRP on a connection of their own.
// The workbench and kxmrp both go through here.
#pragma once

#include "engine/maindemand.h"
#include "engine/planscheme.h"

#include <QList>
#include <QString>

namespace kx {

class IEngineProgress;

inline const QString kSchemeObjectID = QStringLiteral("KX_MRP.MRP");

// One entry of the scheme chooser.
struct TSchemeListItem {
    int IID = 0;
    QString Name;
    int State = 0;
    QString OwnerID;
    QString OwnerName;
    QString Caption;              // name, publishing suffix and, for another owner's scheme, "[owner]"
};

// The statement that lists the workbench's schemes from the scheme table source: in maintain
// mode the user's own, otherwise those published (state 8 and above) that the user owns or
// was granted; unpublished first, each group newest first.
QString SchemeListSQL(const QString& schemeTable, bool maintainMode, const QString& userID, const QString& groups);
// "名称 (已发布)[张三]": states 7 to 10 add their publishing word, another owner his name.
QString SchemeListCaption(const QString& name, int state, const QString& ownerID, const QString& ownerName,
                          const QString& userID);
// The chooser's entries for the current user; raises the database error.
QList<TSchemeListItem> ReadSchemeList(TConnection& connection, const QString& schemeTable, bool maintainMode);

// The schemes whose main demand or planned supplies a scheme may take: published schemes
// the user was granted and his own from state 2, newest main demand first; captioned with
// the main demand's time and, for another owner's scheme, the owner.
QString SourceSchemeListSQL(const QString& userID, const QString& groups, int currentIID);
QList<TSchemeListItem> ReadSourceSchemes(TConnection& connection, int currentIID);

// Copies the identity, parameters, state and stamps of one scheme object into another (the
// same scheme on another connection).
void AssignScheme(TPlanScheme& to, const TPlanScheme& from);

// The first fault of a scheme about to be saved, as the message to show; empty when it may be
// saved. emptyName/duplicate/noPeriods tell the caller what to focus.
// The owner of a stored scheme (the current user when it is gone).
QString SchemeOwnerID(TConnection& connection, int schemeIID);

enum TSchemeFault { sfNone, sfEmptyName, sfDuplicateName, sfNoPeriods };
TSchemeFault CheckSchemeForSave(TConnection& connection, const TPlanScheme& scheme, QString& message);

// A copy being saved: the scheme it was copied from and whether its results come along.
struct TSchemeCopy {
    int SourceIID = 0;
    bool WithResults = false;
    int Source = 0;               // the copy's main-demand source: which lines a main-only copy takes
};
// Whether the planner is asked to copy the results: the original has run MRP and the copy
// keeps its source or takes the import source.
bool CopyResultsAsked(const QDateTime& sourceMrpRunTime, int sourceSource, int copySource);
// The state of a copy: with its results at most 6, without them at most 2.
int CopiedState(int derivedState, bool withResults);
// The bill types a main-only copy takes for a source: the bills it reads and free demand;
// empty (all) for the import source.
QString MainBillTypesOf(int source);

// Saves the scheme and, for a copy, copies its data and time stamps, in one transaction with
// progress "正在保存数据, 请稍候...". On failure nothing is written, the scheme keeps its
// identity and "保存过程中出现意外错误, 操作被中止!\r\r原因: %s" has been shown.
[[nodiscard]] bool SaveSchemeWithData(TPlanScheme& scheme, const TSchemeCopy* copy, const QString& sourceName,
                                      IEngineProgress& progress);

// Planned supplies of the scheme already released into ERP bills.
int ReleasedSupplyCount(TConnection& connection, int schemeIID);
// The confirmation asked before deleting: the released-lines warning for a scheme in state
// 10 with released lines, otherwise the permanent-removal question.
QString DeleteSchemeQuestion(const QString& name, int state, int releasedCount);
// Deletes the scheme's rows of every table and the scheme in one transaction, with progress
// "正在删除数据, 请稍候...", holding the scheme's lock. Raises on failure (also when another
// session works on the scheme), leaving everything in place.
void DeleteSchemeData(TConnection& connection, int schemeIID, const QString& schemeName, IEngineProgress& progress);

// What a session that holds a scheme's lock is doing, as the refusal of another names it
// (the engine holds the scheme itself while it fetches, imports and runs).
inline const QString kDeleteOperation = QStringLiteral("删除计划方案");
inline const QString kMainEditOperation = QStringLiteral("调整主需求");

// Jobs that work on a connection of their own: they load the scheme there first. False when
// the scheme is gone or the work failed (a failure already shown, also a scheme another
// session works on) or was cancelled.
struct TFetchOptions {
    bool KeepFreeDemand = true;
    bool KeepAdjustments = true;
};
[[nodiscard]] bool RunFetchJob(TConnection& connection, int schemeIID, const TFetchOptions& options, IEngineProgress& progress);
[[nodiscard]] bool RunCopyMPSJob(TConnection& connection, int schemeIID, int sourceIID, TMPSOverwriteType writeType,
                                 bool takePeriods, IEngineProgress& progress);
struct TRunOptions {
    bool KeepSupplyType = false;
    bool KeepSupplyBom = false;
    bool KeepSupplyQty = false;
};
[[nodiscard]] bool RunMRPJob(TConnection& connection, int schemeIID, const TRunOptions& options, const TMRPLogEvent& log,
                             IEngineProgress& progress);

} // namespace kx
