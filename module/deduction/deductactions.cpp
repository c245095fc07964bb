#include "deduction/deductactions.h"

#include "db/messages.h"
#include "db/shared.h"
#include "deduction/autodeduct.h"
#include "deduction/deductautodlg.h"
#include "deduction/deductlog.h"
#include "views/longwork.h"
#include "views/messagebox.h"

#include <QApplication>

namespace kx {

namespace {

bool Same(const QString& a, const char* b)
{
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

void SetHandled(bool* handled, bool value)
{
    if (handled)
        *handled = value;
}

QString ActionName(const TInfoObjectDef* def, const QString& actionID)
{
    const TInfoActionDef* action = def ? def->GetActionDef(actionID) : nullptr;
    return action ? action->Name : actionID;
}

// The automatic deduction with the choices of the dialog, remembered for the next time.
void AutoDeductAction(bool* handled)
{
    SetHandled(handled, true);
    TDeductAutoDlg dialog(QApplication::activeWindow());
    dialog.SetOptions(LoadAutoDeductOptions());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const TAuotDeductOptions options = dialog.Options();
    SaveAutoDeductOptions(options);
    // Pairs are committed as they are made: a run stopped with Esc keeps the pairs made so far.
    const TLongWorkOutcome outcome = RunLongWork(QApplication::activeWindow(), QStringLiteral("自动冲销"),
                                                 [options](TConnection& connection, IEngineProgress& progress) {
                                                     return AutoDeduct(connection, options, progress);
                                                 });
    if (outcome == lwDone)
        ShowInfo(QStringLiteral("执行完成。"));
    else if (outcome == lwFailed)
        ShowError(QStringLiteral("执行过程中发现错误, 操作被停止!"));
}

// Excludes the selected lines of the host's list from automatic deduction, or readmits them.
void ExclusionAction(TDeductBillKind kind, IInfoView* view, bool excluded, bool* handled)
{
    SetHandled(handled, true);
    const int count = view ? view->GetSelectedRecordCount() : 0;
    if (count == 0) {
        ShowInfo(QStringLiteral("请选择待处理数据后重试!"));
        return;
    }
    const QString question = excluded ? QStringLiteral("您所选的单据行将被禁止自动冲销, 确定?")
                                      : QStringLiteral("您所选的单据行将被重新允许自动冲销, 确定?");
    if (ShowQuestion(question, mbOKCancel) != mrOK)
        return;
    const QString p = DeductPrefix(kind);
    QList<TBillLineKey> lines;
    for (int i = 0; i < count; ++i) {
        const QVariant id = view->GetSelectedRecordValue(p + QLatin1String("ID"), i);
        if (!id.isNull())
            lines << TBillLineKey{id.toString(), view->GetSelectedRecordValue(p + QLatin1String("Entry"), i).toInt()};
    }
    try {
        TWaitCursor wait;
        SetAutoDeductExcluded(SharedConnection(), kind, lines, excluded);
    } catch (const EKxError& e) {
        ShowException(e);
    }
}

void DeductAction(TDeductBillKind kind, const QString& actionID, IInfoView* view, bool* handled)
{
    if (Same(actionID, "AutoDed"))
        AutoDeductAction(handled);
    else if (Same(actionID, "NoAutoDed"))
        ExclusionAction(kind, view, true, handled);
    else if (Same(actionID, "CanAutoDed"))
        ExclusionAction(kind, view, false, handled);
}

} // namespace

void RunForcastAutoDeduct(const TInfoObjectDef*, const QString&, IInfoView*, bool* handled)
{
    AutoDeductAction(handled);
}

void RunForcastNoAutoDeduct(const TInfoObjectDef*, const QString&, IInfoView* view, bool* handled)
{
    ExclusionAction(dkForcast, view, true, handled);
}

void RunForcastCanAutoDeduct(const TInfoObjectDef*, const QString&, IInfoView* view, bool* handled)
{
    ExclusionAction(dkForcast, view, false, handled);
}

void RunOrderDeductAction(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled)
{
    if (def)
        DeductAction(def->ID.compare(QLatin1String("KX_MRP.SI"), Qt::CaseInsensitive) == 0 ? dkSI : dkSO, actionID, view, handled);
}

void RunDeductLogAction(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled)
{
    if (!Same(actionID, "ClearDed"))
        return;
    SetHandled(handled, true);
    const int count = view ? view->GetSelectedRecordCount() : 0;
    if (count == 0) {
        ShowInfo(QStringLiteral("请选择待处理数据后重试!"));
        return;
    }
    const QString name = ActionName(def, actionID);
    if (ShowQuestion(QStringLiteral("对所选择数据进行[%1], 确定?").arg(name), mbOKCancel | mbDefButton2) != mrOK)
        return;
    QList<int> ids;
    for (int i = 0; i < count; ++i) {
        const QVariant id = view->GetSelectedRecordValue(QStringLiteral("DedIID"), i);
        if (!id.isNull())
            ids << id.toInt();
    }
    try {
        TWaitCursor wait;
        ClearDeductions(SharedConnection(), ids);
    } catch (const EKxError& e) {
        ShowException(e);
        return;
    }
    ShowInfo(QLatin1Char('[') + name + QLatin1Char(']') + QStringLiteral("执行完成。"));
}

} // namespace kx
