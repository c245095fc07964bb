#include "views/infoview.h"

#include "db/fieldlists.h"
#include "db/messages.h"
#include "db/shared.h"
#include "db/strutils.h"
#include "views/commonui.h"
#include "views/conditions.h"
#include "views/exportservice.h"
#include "views/hostobject.h"
#include "views/viewscheme.h"

#include <QApplication>
#include <QVBoxLayout>

namespace kx {

namespace {

const QString kMasterMacro = QStringLiteral("[Master]");

// The statement with its first "[Master]" replaced by the master condition.
QString WithMaster(QString sql, const QString& condition)
{
    const qsizetype at = sql.indexOf(kMasterMacro);
    if (at >= 0)
        sql.replace(at, kMasterMacro.size(), condition);
    return sql;
}

} // namespace

TCustomInfoView::TCustomInfoView(QWidget* owner, const TInfoObjectDef* objectDef) : QFrame(owner), ObjectDef(objectDef)
{
    NameInstance(this);
    FContent = new QVBoxLayout(this);
    FContent->setContentsMargins(0, 0, 0, 0);
    FContent->setSpacing(0);
    setFrameShape(QFrame::NoFrame);
}

TCustomInfoView::~TCustomInfoView() = default;

HRESULT TCustomInfoView::QueryInterface(const TGUID& IID, void** Obj)
{
    return QueryHostInterface<IInfoView>(this, this, IID_IInfoView, IID, Obj);
}

void TCustomInfoView::InitializeView(const QString& AAsDetailID, IInfoView* AMasterView)
{
    NameInstance(this);
    MasterView = AMasterView;
    AsDetailID = AAsDetailID.trimmed();
    AsDetail = !AsDetailID.isEmpty();
    if (ViewScheme.ID.isEmpty()) {
        if (AsDetail && MasterView && MasterView->GetViewScheme())
            ViewScheme.ID = AsDetailID + QLatin1Char('/') + MasterView->GetViewScheme()->ID;
        else
            ViewScheme.ID = ObjectDef ? ObjectDef->ID : QString();
    }
    if (ViewCaption.isEmpty()) {
        const TInfoObjectDef* masterDef = AsDetail && MasterView ? MasterView->GetObjectDef() : nullptr;
        const TInfoRelationDef* relation = masterDef ? masterDef->GetRelationDef(AsDetailID) : nullptr;
        if (AsDetail)
            ViewCaption = relation ? relation->Name : QString();
        else
            ViewCaption = ObjectDef ? ObjectDef->Name : QString();
    }
    if (AsDetail)
        ViewScheme.Supports &= ~voSupportFilter;
    LoadViewScheme(ViewScheme);
    ApplyViewLayout();
}

void TCustomInfoView::NotifyDetailCreated(IInfoView*) {}

void TCustomInfoView::SetViewID(const QString& ID)
{
    ViewScheme.ID = ID;
}

void TCustomInfoView::SetViewCaption(const QString& Caption)
{
    ViewCaption = Caption;
}

void TCustomInfoView::SetDataFilter(const QString& Filter, bool Refresh)
{
    DataIsFresh = false;
    DataFilter = Filter;
    if (Refresh)
        RefreshData(true);
}

void TCustomInfoView::SetMasterValues(const QString& Values, bool Refresh)
{
    DataIsFresh = false;
    MasterValues = Values;
    if (Refresh)
        RefreshData(true);
}

void TCustomInfoView::SetSelectedRecordValue(const QString&, int, const QVariant&) {}

void TCustomInfoView::SetViewPosition(const QString&) {}

void TCustomInfoView::MakeFocus()
{
    if (isEnabled() && isVisible())
        setFocus();
}

void TCustomInfoView::RefreshData(bool)
{
    FDataTimeStamp = TickCount();
    DataIsFresh = true;
}

void TCustomInfoView::CloseData()
{
    DataIsFresh = false;
}

QString TCustomInfoView::GetViewCaption()
{
    return ViewCaption;
}

QString TCustomInfoView::GetViewPosition()
{
    return QString();
}

bool TCustomInfoView::GetEditMode()
{
    return FEditMode;
}

IInfoView* TCustomInfoView::GetActiveView()
{
    return this;
}

IInfoView* TCustomInfoView::GetRelationView(const QString& RelationID)
{
    return RelationID.trimmed().isEmpty() ? this : nullptr;
}

QString TCustomInfoView::GetFocusedRecordString(const QString&)
{
    return QString();
}

int TCustomInfoView::GetSelectedRecordCount()
{
    return 0;
}

QVariant TCustomInfoView::GetSelectedRecordValue(const QString&, int)
{
    return QVariant();
}

bool TCustomInfoView::DataRefreshed()
{
    return DataIsFresh;
}

bool TCustomInfoView::NeedSave()
{
    return GetEditMode() && Modified;
}

bool TCustomInfoView::QuerySaveEdits()
{
    if (!NeedSave())
        return true;
    const int answer = ShowQuestion(QStringLiteral("您将退出[%1]的当前编辑状态, 对未保存过的内容进行保存?").arg(ViewCaption),
                                    mbYesNoCancel | mbDefButton3);
    if (answer == mrCancel)
        return false;
    return answer != mrYes || SaveData();
}

bool TCustomInfoView::QueryClose()
{
    if (!QuerySaveEdits())
        return false;
    if (!GetEditMode())
        StoreViewLayout();
    SaveLastUsedViewScheme(ViewScheme);
    return true;
}

bool TCustomInfoView::QueryCommandState(int Command, TCommandState& State)
{
    if (Command == cmdSave || Command == cmdCancel) {
        State = GetEditMode() && Modified ? TCommandState(csEnabled) : 0;
        return true;
    }
    const int n = Command - cmdAction;
    if (ObjectDef && n >= 0 && n < ObjectDef->Actions.size()) {
        const TInfoActionDef& action = ObjectDef->Actions[n];
        const bool enabled = action.Filter.trimmed().isEmpty()
            || GetFocusedRecordString(QLatin1Char('#') + action.ID) == QLatin1String("1");
        State = enabled ? TCommandState(csEnabled) : 0;
        return true;
    }
    return false;
}

bool TCustomInfoView::ExecCommand(int Command)
{
    switch (Command) {
    case cmdSave:
        ShowStatusText(QStringLiteral("正在保存数据, 请稍候..."), 0);
        SaveData();
        ShowStatusText(QString(), 0);
        return true;
    case cmdCancel:
        if (ShowWarning(QStringLiteral("所有未保存过的编辑内容将被放弃, 确定?"), mbOKCancel | mbDefButton2) == mrOK) {
            const QString position = GetViewPosition();
            RefreshData(false);
            SetViewPosition(position);
        }
        return true;
    default: break;
    }
    const int n = Command - cmdAction;
    if (ObjectDef && ObjectDef->HasEditor && n >= 0 && n < ObjectDef->Actions.size()) {
        const TInfoActionDef& action = ObjectDef->Actions[n];
        if (action.ActType == atNew || action.ActType == atUpdate || action.ActType == atCopy)
            ShowEditor(action.ID);
        return true;
    }
    return false;
}

bool TCustomInfoView::SaveData()
{
    return false;
}

int TCustomInfoView::ActionCommand(const QString& actionID) const
{
    return ObjectActionCommand(ObjectDef, actionID);
}

void TCustomInfoView::SetParentControl(QWidget* Parent)
{
    PlaceInParent(this, Parent);
}

void TCustomInfoView::SetOnFocusedRecordChanged(TNotifyEvent Event)
{
    FOnFocusedRecordChanged = std::move(Event);
}

const TInfoObjectDef* TCustomInfoView::GetObjectDef()
{
    return ObjectDef;
}

TViewScheme* TCustomInfoView::GetViewScheme()
{
    return &ViewScheme;
}

bool TCustomInfoView::IsFocused()
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

void TCustomInfoView::ApplyViewLayout() {}

void TCustomInfoView::StoreViewLayout() {}

bool TCustomInfoView::HasFocusedRecord()
{
    return false;
}

void TCustomInfoView::SetEditMode(bool Value)
{
    if (FEditMode == Value)
        return;
    FEditMode = Value;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Value ? QColor(255, 0, 255) : QApplication::palette().color(QPalette::Button));
    setPalette(pal);
    setAutoFillBackground(Value);
    const int margin = Value ? 3 : 0;
    FContent->setContentsMargins(margin, margin, margin, margin);
}

void TCustomInfoView::FireFocusedRecordChanged()
{
    if (FOnFocusedRecordChanged)
        FOnFocusedRecordChanged(this);
}

bool TCustomInfoView::ShowEditor(const QString& ActionID, IInfoEdit** Editor)
{
    if (Editor)
        *Editor = nullptr;
    if (!ObjectDef || !ObjectDef->HasEditor)
        return false;
    const TInfoActionDef* action = ObjectDef->GetActionDef(ActionID);
    QString keys;
    if (!action || action->ActType != atNew)
        for (const TInfoFieldDef& f : ObjectDef->Fields)
            if (f.IsPrimary)
                keys += f.ID + QLatin1Char('=') + GetFocusedRecordString(f.ID) + QLatin1String("\r\n");
    IInfoEdit* editor = nullptr;
    const bool shown = Env() && Env()->ShowEditor && Env()->ShowEditor(ObjectDef, keys, ActionID, &editor);
    if (Editor)
        *Editor = editor;
    return shown;
}

QString TCustomInfoView::BuildFieldCondition(const QString& FieldID, const QString& Value)
{
    return FieldCondition(ObjectDef, FieldID, Value);
}

QString TCustomInfoView::BuildMasterCondition(const QString& Field)
{
    return KeyValuesCondition(ObjectDef, MasterValues, Field);
}

QString TCustomInfoView::GetDefaultFields()
{
    QString fields = GetParamValue(ViewScheme.Params, QStringLiteral("[Fields]"));
    if (fields.isEmpty() && ObjectDef) {
        fields = DefaultFieldList(*ObjectDef, ViewScheme.Mask);
        ViewScheme.Params = SetParamValue(ViewScheme.Params, QStringLiteral("[Fields]"), fields);
    }
    return fields;
}

QString TCustomInfoView::BuildSelectList(const QString& ExtraFields)
{
    QString list = ViewScheme.FieldsSQL.trimmed();
    if (!ObjectDef)
        return list;
    const QString shown = GetParamValue(ViewScheme.Params, QStringLiteral("[Fields]"));
    for (qsizetype i = ObjectDef->Fields.size() - 1; i >= 0; --i) {
        const TInfoFieldDef& f = ObjectDef->Fields[i];
        const bool always = f.IsPrimary || f.HideList || f.ViewSign != vsNormal || FieldListContains(ExtraFields, f.ID);
        if (always && !FieldListContains(shown, f.ID) && !f.SQLExpress.trimmed().isEmpty())
            list += QLatin1String(", ") + FieldSelectItem(f);
    }
    if (list.startsWith(QLatin1String(", ")))
        list.remove(0, 2);
    return list;
}

QString TCustomInfoView::BuildViewSQL(const QString& ExtraFields, const QString& ExtraSelect, const QString& ExtraFilter,
                                      const QString& DefaultOrder, bool UseTop)
{
    const QString masterCondition = AsDetail ? BuildMasterCondition() : QString();
    // A detail without a master record shows nothing.
    const QString masterText = masterCondition.isEmpty() ? QStringLiteral("1=0") : masterCondition;
    if (AsDetail && !DetailSQLPattern.isEmpty())
        return WithMaster(DetailSQLPattern, masterText);

    QString select;
    if (UseTop && EnvMaxRows() > 0)
        select = QStringLiteral("top %1 ").arg(EnvMaxRows());
    select += BuildSelectList(ExtraFields);
    if (!ExtraSelect.trimmed().isEmpty())
        select += QLatin1String(", ") + ExtraSelect.trimmed();
    select += ActionFilterColumns(ObjectDef);

    QStringList where;
    if (AsDetail)
        where << kMasterMacro;
    for (const QString& part : {DataFilter, ExtraFilter, ViewScheme.FilterSQL})
        if (!part.trimmed().isEmpty())
            where << QLatin1Char('(') + part.trimmed() + QLatin1Char(')');
    QString order;
    if (ViewScheme.OrderBySQL.trimmed().isEmpty() && DefaultOrder.trimmed().isEmpty())
        order = PrimaryKeyOrder(ObjectDef);
    if (order.isEmpty())
        order = !ViewScheme.OrderBySQL.trimmed().isEmpty() ? ViewScheme.OrderBySQL.trimmed() : DefaultOrder.trimmed();

    QString sql;
    if (Env() && Env()->BuildObjectSQL)
        Env()->BuildObjectSQL(ObjectDef, QString(), sql, select, where.join(QLatin1String(" and ")), order, masterCondition);
    if (!AsDetail)
        return sql;
    DetailSQLPattern = sql;
    return WithMaster(sql, masterText);
}

bool TCustomInfoView::PrepareViewScheme()
{
    if (ViewScheme.SQLParsed)
        return true;
    TModuleEnvironment* env = Env();
    if (AsDetail) {
        if (env && env->PrepareDetailScheme)
            env->PrepareDetailScheme(ObjectDef, ViewScheme, &SharedQuery());
    } else if (!(env && env->PrepareViewScheme && env->PrepareViewScheme(ObjectDef, ViewScheme, ViewCaption, false, &SharedQuery()))) {
        return false;
    }
    ApplyViewLayout();
    return true;
}

bool TCustomInfoView::QueryListCommandState(int Command, TCommandState& State)
{
    const bool browsing = !GetEditMode();
    switch (Command) {
    case cmdExport: State = ObjectDef && ObjectDef->CanExport ? TCommandState(csEnabled) : 0; return true;
    case cmdPageSetup:
    case cmdDesignReport:
    case cmdPrint:
    case cmdPrintPreview: State = browsing && ObjectDef && ObjectDef->CanPrint ? TCommandState(csEnabled) : 0; return true;
    case cmdSchemeFields:
    case cmdSchemeSettings:
        State = browsing && (ViewScheme.Supports & voSupportFields) ? TCommandState(csEnabled) : 0;
        return true;
    case cmdSchemeFilter:
        State = browsing && (ViewScheme.Supports & voSupportFilter) ? TCommandState(csEnabled) : 0;
        return true;
    case cmdSchemeQuickFilter:
    case cmdRefresh: State = browsing ? TCommandState(csEnabled) : 0; return true;
    default: break;
    }
    const int n = Command - cmdAction;
    if (ObjectDef && n >= 0 && n < ObjectDef->Actions.size() && ObjectDef->Actions[n].Kind != akGlobal && !HasFocusedRecord()) {
        State = 0;
        return true;
    }
    return TCustomInfoView::QueryCommandState(Command, State);
}

bool TCustomInfoView::ExecListCommand(int Command)
{
    switch (Command) {
    case cmdPageSetup:
    case cmdDesignReport:
    case cmdPrint:
    case cmdPrintPreview:
        // The print layout is the scheme's: read before the command, written back after it.
        if (const std::unique_ptr<TExportTable> table = CreateExportTable())
            ExecutePrintCommand(this, Command, *table, ViewScheme.PrintSetting);
        return true;
    case cmdSchemeFields:
    case cmdSchemeSettings: EditViewScheme(true); return true;
    case cmdSchemeFilter:
    case cmdSchemeQuickFilter: EditViewScheme(false); return true;
    case cmdRefresh: RefreshData(true); return true;
    default: return TCustomInfoView::ExecCommand(Command);
    }
}

std::unique_ptr<TExportTable> TCustomInfoView::CreateExportTable()
{
    return nullptr;
}

void TCustomInfoView::EditViewScheme(bool ShowDialog)
{
    StoreViewLayout();
    TModuleEnvironment* env = Env();
    if (!(env && env->PrepareViewScheme && env->PrepareViewScheme(ObjectDef, ViewScheme, ViewCaption, ShowDialog, &SharedQuery())))
        return;
    ApplyViewLayout();
    DetailSQLPattern.clear();
    RefreshData(true);
}

} // namespace kx
