#include "views/infoedit.h"

#include "db/fieldlists.h"
#include "db/messages.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "views/conditions.h"
#include "views/hostobject.h"
#include "views/viewscheme.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kx {

TCustomInfoEdit::TCustomInfoEdit(QWidget* owner, const TInfoObjectDef* objectDef)
    : QFrame(owner), qryMain(&SharedConnection()), ObjectDef(objectDef)
{
    NameInstance(this);
    auto* layout = new QVBoxLayout(this);
    gbxTitle = new QGroupBox(this);
    lblTitle = new QLabel(objectDef ? objectDef->Name : QString(), gbxTitle);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblTitle->setAlignment(Qt::AlignCenter);
    lblState = new QLabel(gbxTitle);
    lblState->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* title = new QHBoxLayout(gbxTitle);
    title->addWidget(lblTitle, 1);
    title->addWidget(lblState);
    layout->addWidget(gbxTitle);
    FContent = new QVBoxLayout;
    layout->addLayout(FContent, 1);
    ViewScheme.ID = objectDef ? objectDef->ID : QString();
    if (Env() && !ViewScheme.ID.isEmpty())
        LoadViewScheme(ViewScheme);
}

TCustomInfoEdit::~TCustomInfoEdit() = default;

HRESULT TCustomInfoEdit::QueryInterface(const TGUID& IID, void** Obj)
{
    return QueryHostInterface<IInfoEdit>(this, this, IID_IInfoEdit, IID, Obj);
}

void TCustomInfoEdit::ProcessIdle() {}

void TCustomInfoEdit::OpenData(const QString&, TEditMode) {}

QString TCustomInfoEdit::GetCaption()
{
    return ObjectDef ? ObjectDef->Name : QString();
}

bool TCustomInfoEdit::DataInEdit(const QString& AKeyValues)
{
    return EditMode == emNew && !Modified && AKeyValues.trimmed().isEmpty();
}

bool TCustomInfoEdit::ConfirmLeaveEdit()
{
    if (EditMode == emNone || !Modified)
        return true;
    const int answer = ShowQuestion(QStringLiteral("您将退出[%1]的当前编辑状态, 对未保存过的内容进行保存?").arg(GetCaption()),
                                    mbYesNoCancel | mbDefButton3);
    if (answer == mrCancel)
        return false;
    return answer != mrYes || SaveData();
}

bool TCustomInfoEdit::QueryClose()
{
    if (!ConfirmLeaveEdit())
        return false;
    SaveLastUsedViewScheme(ViewScheme);
    return true;
}

bool TCustomInfoEdit::QueryCommandState(int Command, TCommandState& State)
{
    const int n = Command - cmdAction;
    if (n >= 0) {
        if (!ObjectDef || n >= ObjectDef->Actions.size())
            return false;
        const TInfoActionDef& action = ObjectDef->Actions[n];
        bool enabled = action.ActType == atNew;
        if (!enabled && EditMode == emNone) {
            const QString column = QLatin1Char('#') + action.ID;
            enabled = action.Filter.trimmed().isEmpty()
                || (qryMain.Active() && !qryMain.IsEmpty() && qryMain.HasField(column)
                    && qryMain.FieldByName(column).AsString() == QLatin1String("1"));
        }
        State = enabled ? TCommandState(csEnabled) : 0;
        return true;
    }
    switch (Command) {
    case cmdSave: State = EditMode != emNone && Modified ? TCommandState(csEnabled) : 0; return true;
    case cmdCancel: State = EditMode != emNone && !KeyValues.isEmpty() ? TCommandState(csEnabled) : 0; return true;
    case cmdEditorPrior:
    case cmdEditorNext: State = 0; return true;
    case cmdRefresh: State = EditMode == emNone ? TCommandState(csEnabled) : 0; return true;
    default: return false;
    }
}

bool TCustomInfoEdit::ExecCommand(int Command)
{
    const int n = Command - cmdAction;
    if (ObjectDef && n >= 0 && n < ObjectDef->Actions.size()) {
        const TInfoActionDef& action = ObjectDef->Actions[n];
        switch (action.ActType) {
        case atNew:
            if (ConfirmLeaveEdit())
                OpenData(QString(), emNew);
            return true;
        case atUpdate: OpenData(KeyValues, emModify); return true;
        case atDelete: OpenData(KeyValues, emNone); return true;
        default: return false;
        }
    }
    switch (Command) {
    case cmdSave:
        SaveData();
        if (EditMode == emNone)
            OpenData(KeyValues, emNone);
        return true;
    case cmdCancel:
        if (Modified && ShowWarning(QStringLiteral("所有未保存过的编辑内容将被放弃, 确定?"), mbOKCancel | mbDefButton2) != mrOK)
            return true;
        OpenData(KeyValues, emNone);
        return true;
    case cmdRefresh: OpenData(KeyValues, emNone); return true;
    default: return false;
    }
}

void TCustomInfoEdit::SetParentControl(QWidget* Parent)
{
    PlaceInParent(this, Parent);
}

const TInfoObjectDef* TCustomInfoEdit::GetObjectDef()
{
    return ObjectDef;
}

TEditMode TCustomInfoEdit::GetEditMode()
{
    return EditMode;
}

void TCustomInfoEdit::MakeFocus()
{
    if (isEnabled() && isVisible())
        setFocus();
}

bool TCustomInfoEdit::SaveData()
{
    return false;
}

QString TCustomInfoEdit::BuildEditSQL()
{
    if (!ObjectDef)
        return QString();
    QStringList items;
    for (const TInfoFieldDef& f : ObjectDef->Fields)
        if (!f.SQLExpress.trimmed().isEmpty())
            items << FieldSelectItem(f);
    const QString select = items.join(QLatin1String(", ")) + ActionFilterColumns(ObjectDef);
    QString sql, join;
    if (!(Env() && Env()->BuildObjectSelect && Env()->BuildObjectSelect(ObjectDef, select, sql, join)))
        return QString();
    const QString key = KeyValuesCondition(ObjectDef, KeyValues);
    sql += QStringLiteral(" where ") + (key.isEmpty() ? QStringLiteral("1=0") : key);
    const QString order = PrimaryKeyOrder(ObjectDef);
    if (!order.isEmpty())
        sql += QStringLiteral(" order by ") + order;
    return sql;
}

void TCustomInfoEdit::BindBodyColumn(TViewColumn* Column, const QString& FieldName)
{
    if (!Column || FColumnFieldNames.Contains(Column) || GetBodyColumn(FieldName))
        return;
    Column->FieldName = FieldName;
    FColumnFieldNames.Append(Column);
    const TInfoFieldDef* field = ObjectDef ? ObjectDef->GetFieldDef(FieldName) : nullptr;
    if (!field) {
        Column->Visible = false;
        return;
    }
    Column->Caption = FieldColumnCaption(*field);
    Column->Visible = !field->HideList;
    SetupColumnByField(*Column, *field);
}

TViewColumn* TCustomInfoEdit::GetBodyColumn(const QString& FieldName) const
{
    return FColumnFieldNames.Find(FieldName);
}

} // namespace kx
