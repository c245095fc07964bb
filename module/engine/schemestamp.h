// The optimistic guard of a long operation on a plan scheme. The operation remembers how the
// scheme's row read when it began (its state and the times of its main demand and its
// parameters); the transaction that writes its results locks the row and checks that it
// still reads so. A scheme that another session published, whose main demand it fetched or
// edited, or whose parameters it changed meanwhile is then refused with the scheme's
// message, and nothing the operation computed is written over the other's change.
#pragma once

#include "db/errors.h"

#include <QString>

namespace kx {

class TConnection;
class TPlanScheme;

// The refusal of an operation whose scheme changed under it; its message is the one to show.
class ESchemeChanged : public EKxError {
public:
    using EKxError::EKxError;
};

struct TSchemeStamp {
    int State = -1;
    // As the server writes them, so that they compare exactly.
    QString MpsRunTime, MpsUpdTime, UpdTime;

    bool operator==(const TSchemeStamp&) const = default;
};

// The scheme's row as it reads now ("for update": locked until the transaction ends, when
// one is open). Raises ESchemeChanged with "计划方案[%s]最新状态已被改变, 不能执行本操作!" when
// the row is gone.
TSchemeStamp ReadSchemeStamp(TConnection& connection, const TPlanScheme& scheme, bool forUpdate = false);
// Within the transaction that writes the operation's results: raises ESchemeChanged with
// "计划方案[%s]最新状态已被改变, 不能执行本操作!" unless the row still reads as stamp.
void RecheckSchemeStamp(TConnection& connection, const TPlanScheme& scheme, const TSchemeStamp& stamp);
QString SchemeChangedText(const QString& schemeName);

} // namespace kx
