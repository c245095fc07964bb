// Publishing plan schemes to receiving users: the owner's schemes that may be published,
// the users and groups a scheme is published to (data permissions on "KX_MRP.MRP"), the
// state moves (publish, withdraw, allow and close release) and the copy published under a
// new name. Widget-free: the publishing dialog and `kxmrp publish` share it.
#pragma once

#include "workbench/schemeops.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <exception>

namespace kx {

class TConnection;

// One of the owner's schemes as the chooser lists it.
struct TReleaseScheme {
    int IID = 0;
    QString Name;
    int State = -1;
    bool MrpRun = false;          // MRP has completed for the scheme
    QDateTime RelTime;
    QString OwnerID, OwnerName;
    // The name, and for states 7 to 10 the state word and release time in brackets.
    QString Text() const;
};

// A receiving user or group.
struct TUserRec {
    QString UserID;
    QString UserNo;
    QString UserName;
    bool IsGroup = false;
    bool IsDisabled = false;
    // The name, followed by the number in brackets when the two differ.
    QString DisplayName() const;
};

// The user's schemes whose main demand is ready or whose MRP has completed (states 2 and
// 6 and above), newest activity first.
QList<TReleaseScheme> LoadOwnSchemes(TConnection& connection, const QString& userID);
// The published schemes (published or already released from) the user may release: his own
// and those published to him or to one of his groups (groups: quoted IDs, comma-separated).
QList<TReleaseScheme> LoadReleasableSchemes(TConnection& connection, const QString& userID, const QString& groups,
                                            int schemeType = 0);
// A releasable scheme's text in the output view: the name, the release time and, for
// another user's scheme, its owner, in brackets.
QString ReleasableSchemeText(const TReleaseScheme& scheme, const QString& userID);
// Groups first, then users, each by number.
QList<TUserRec> LoadReceivers(TConnection& connection, int schemeIID);

// Which publishing actions a scheme in state `state` allows (-1: none chosen).
bool CanPublish(int state);
bool CanWithdraw(int state);
bool CanAllowRelease(int state);
bool CanCloseRelease(int state, bool mrpRun);
bool CanEditReceivers(int state);

// Moves a scheme from the state the user saw to a new one; reopening a closed scheme whose
// supplies were partly released gives "已投放" (9) instead of "已发布" (8). True with the
// scheme's new state and time; false when the stored state was no longer `seenState`. Raises
// EKxError naming the holder while another session works on the scheme.
[[nodiscard]] bool ChangeReleaseState(TConnection& connection, TReleaseScheme& scheme, int newState, int seenState);
// Shows why work on a scheme was refused: a database error with its number, another
// session's hold on the scheme in its own words. An abort shows nothing.
void ShowSchemeRefusal(const std::exception& e);

// "执行过程中发现错误, 操作被停止!..." of a state change another user overtook.
QString StateChangeFailedText();

// Planned and order supplies other than purchases that have no BOM.
int MissingBomCount(TConnection& connection, int schemeIID);
// The name a copy is published under, checked: empty when it may be used, else the message.
QString CheckCopyName(TConnection& connection, const QString& name, const QString& origName, const QString& userID);
// Copies the scheme row under the new name with its data (only the main demand when
// onlyMPS), in one transaction; the new scheme's ID. Raises on failure, leaving nothing.
int CopySchemeForPublish(TConnection& connection, int sourceIID, const QString& newName, bool onlyMPS);

// Adds the users and groups (by ID) that do not hold the scheme yet; returns those added.
QList<TUserRec> AddReceivers(TConnection& connection, int schemeIID, const QStringList& ids);
void RemoveReceiver(TConnection& connection, int schemeIID, const TUserRec& user);

} // namespace kx
