#include "host/forcastactions.h"

#include "db/dataset.h"
#include "db/messages.h"
#include "db/shared.h"
#include "editors/forcastops.h"
#include "views/widgetservices.h"

#include <QSet>

namespace kx {

namespace {

int UpdateTypeOf(TForcastBatchMode mode)
{
    switch (mode) {
    case fbmCheck: return futCheck;
    case fbmUnCheck: return futUnCheck;
    case fbmClose: return futClose;
    case fbmUnClose: return futUnClose;
    case fbmDelete: return futDelete;
    }
    return 0;
}

} // namespace

void RunForcastBatch(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled,
                     TForcastBatchMode mode)
{
    if (handled)
        *handled = false;
    const int count = view ? view->GetSelectedRecordCount() : 0;
    if (count == 0) {
        ShowInfo(QStringLiteral("请选择待处理数据后重试!"));
        return;
    }
    const TInfoActionDef* action = def->GetActionDef(actionID);
    const QString name = action ? action->Name : actionID;
    if (ShowQuestion(QStringLiteral("对所选择数据进行[%1], 确定?").arg(name), mbOKCancel | mbDefButton2) != mrOK)
        return;

    // Approval, withdrawal and deletion act on whole bills: each bill once, however many
    // of its lines are selected. Closing and reopening act on every selected line.
    const bool wholeBill = mode == fbmCheck || mode == fbmUnCheck || mode == fbmDelete;
    QSet<QString> processed;
    int total = 0;
    int failed = 0;
    {
        TWaitCursor wait;
        TQuery query(&SharedConnection());
        for (int i = 0; i < count; ++i) {
            const QVariant billID = view->GetSelectedRecordValue(QStringLiteral("ForID"), i);
            if (billID.isNull())
                continue;
            const QString id = billID.toString();
            if (wholeBill && processed.contains(id))
                continue;
            ++total;
            const QString entry = wholeBill ? QStringLiteral("0")
                                            : view->GetSelectedRecordValue(QStringLiteral("ForEntry"), i).toString();
            if (!UpdateForcast(query, id, entry, UpdateTypeOf(mode)))
                ++failed;
            if (wholeBill)
                processed.insert(id);
        }
    }
    const QString done = QLatin1Char('[') + name + QLatin1Char(']') + QStringLiteral("执行完成。");
    if (failed == 0)
        ShowInfo(done);
    else if (failed < total)
        ShowWarning(done + QStringLiteral("因不满足执行条件或其他原因, 部分数据执行不成功!"));
    else
        ShowError(QStringLiteral("因不满足执行条件或其他原因, 执行[%1]不成功!").arg(name));
    if (handled)
        *handled = true;
}

void RunForcastDelete(const TInfoObjectDef* d, const QString& a, IInfoView* v, bool* h) { RunForcastBatch(d, a, v, h, fbmDelete); }
void RunForcastCheck(const TInfoObjectDef* d, const QString& a, IInfoView* v, bool* h) { RunForcastBatch(d, a, v, h, fbmCheck); }
void RunForcastUnCheck(const TInfoObjectDef* d, const QString& a, IInfoView* v, bool* h) { RunForcastBatch(d, a, v, h, fbmUnCheck); }
void RunForcastClose(const TInfoObjectDef* d, const QString& a, IInfoView* v, bool* h) { RunForcastBatch(d, a, v, h, fbmClose); }
void RunForcastUnClose(const TInfoObjectDef* d, const QString& a, IInfoView* v, bool* h) { RunForcastBatch(d, a, v, h, fbmUnClose); }

} // namespace kx
