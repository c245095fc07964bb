#include "objectpage.h"

#include "viewschemedlg.h"

#include "db/quote.h"
#include "views/filterbar.h"

#include <QApplication>
#include <QPointer>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kx::shell {

namespace {

QVBoxLayout* HolderLayout(QWidget* holder)
{
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

// A master value as the detail field's literal: quoted text and dates, numbers as they are.
QString DetailLiteral(const TInfoFieldDef* field, const QString& value)
{
    if (!field || IsTextFieldType(field->DataType) || IsDateFieldType(field->DataType))
        return QuotedStr(value);
    if (field->DataType == ftBoolean)
        return value == QLatin1String("1") || value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
            ? QStringLiteral("1") : QStringLiteral("0");
    return value.trimmed().isEmpty() ? QStringLiteral("null") : value.trimmed();
}

} // namespace

QWidget* WidgetOf(IInterface* object)
{
    void* widget = nullptr;
    if (!object || object->QueryInterface(IID_IWidgetHandle, &widget) != S_OK)
        return nullptr;
    return static_cast<QWidget*>(widget);
}

TObjectPage::TObjectPage(const TInfoObjectDef* def, IInfoView* view, const TViewFactory& createDetail,
                         const TDefinitionSource& definitions, QWidget* parent)
    : QWidget(parent), FDef(def), FView(view), FActive(view)
{
    FWidget = WidgetOf(view);
    auto* layout = HolderLayout(this);
    barFilter = new TFilterBar(QStringLiteral("barFilter"), QStringLiteral("清除筛选(&X)"), this);
    connect(barFilter, &TFilterBar::ClearClicked, this, &TObjectPage::ClearFilter);
    layout->addWidget(barFilter);
    FSplitter = new QSplitter(Qt::Vertical, this);
    FSplitter->setObjectName(QStringLiteral("splMasterDetail"));
    layout->addWidget(FSplitter);
    FMasterHolder = new QWidget(FSplitter);
    HolderLayout(FMasterHolder);
    FSplitter->addWidget(FMasterHolder);
    view->SetOnFocusedRecordChanged([this](IInfoView*) { LinkDetails(); });
    view->SetParentControl(FMasterHolder);
    CreateDetails(createDetail, definitions);
    UpdateFilterBar();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now)
            return;
        for (const TDetail& d : FDetails)
            if (d.Widget && (d.Widget == now || d.Widget->isAncestorOf(now))) {
                FActive = d.View;
                return;
            }
        if (FWidget && (FWidget == now || FWidget->isAncestorOf(now)))
            FActive = FView;
    });
}

TObjectPage::TObjectPage(const TInfoObjectDef* def, IInfoFrame* frame, QWidget* parent)
    : QWidget(parent), FDef(def), FFrame(frame)
{
    FWidget = WidgetOf(frame);
    HolderLayout(this);
    frame->SetParentControl(this);
    Place(FWidget);
}

TObjectPage::TObjectPage(const TInfoObjectDef* def, IInfoEdit* editor, QWidget* parent)
    : QWidget(parent), FDef(def), FEditor(editor)
{
    FWidget = WidgetOf(editor);
    HolderLayout(this);
    editor->SetParentControl(this);
    Place(FWidget);
}

TObjectPage::~TObjectPage()
{
    // Details first: they may still refer to their master.
    for (const TDetail& d : FDetails)
        delete d.Widget;
    FDetails.clear();
    delete FWidget;
}

void TObjectPage::Place(QWidget* widget)
{
    if (widget && widget->parentWidget() == this && layout()->indexOf(widget) < 0)
        layout()->addWidget(widget);
}

void TObjectPage::CreateDetails(const TViewFactory& createDetail, const TDefinitionSource& definitions)
{
    if (!FDef || !createDetail || !definitions)
        return;
    for (const TInfoRelationDef& relation : FDef->Relations) {
        const TInfoObjectDef* detailDef = definitions(relation.RelObjID);
        IInfoView* detail = detailDef ? createDetail(detailDef) : nullptr;
        if (!detail)
            continue;
        if (!pgcDetails) {
            pgcDetails = new QTabWidget(FSplitter);
            pgcDetails->setObjectName(QStringLiteral("pgcDetails"));
            FSplitter->addWidget(pgcDetails);
            FSplitter->setStretchFactor(0, 3);
            FSplitter->setStretchFactor(1, 2);
        }
        detail->InitializeView(relation.ID, FView);
        FView->NotifyDetailCreated(detail);
        auto* holder = new QWidget(pgcDetails);
        HolderLayout(holder);
        detail->SetParentControl(holder);
        pgcDetails->addTab(holder, detail->GetViewCaption());
        FDetails << TDetail{&relation, detail, WidgetOf(detail)};
    }
    if (pgcDetails)
        connect(pgcDetails, &QTabWidget::currentChanged, this, [this](int index) { DetailShown(index); });
}

QString TObjectPage::DetailMasterValues(const TInfoRelationDef& relation, IInfoView* master, const TInfoObjectDef* detailDef)
{
    if (!master || master->GetViewPosition().isEmpty())
        return QString();
    QString values;
    for (const QString& map : relation.FieldMaps.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const qsizetype eq = map.indexOf(QLatin1Char('='));
        const QString masterField = (eq < 0 ? map : map.left(eq)).trimmed();
        const QString detailField = (eq < 0 ? map : map.mid(eq + 1)).trimmed();
        const TInfoFieldDef* field = detailDef ? detailDef->GetFieldDef(detailField) : nullptr;
        values += detailField + QLatin1Char('=') + DetailLiteral(field, master->GetFocusedRecordString(masterField))
            + QLatin1String("\r\n");
    }
    return values;
}

void TObjectPage::LinkDetails()
{
    for (qsizetype i = 0; i < FDetails.size(); ++i) {
        const TDetail& d = FDetails[i];
        const bool visible = pgcDetails && pgcDetails->currentIndex() == int(i);
        d.View->SetMasterValues(DetailMasterValues(*d.Relation, FView, d.View->GetObjectDef()), visible);
    }
}

void TObjectPage::DetailShown(int index)
{
    if (index >= 0 && index < FDetails.size() && !FDetails[index].View->DataRefreshed())
        FDetails[index].View->RefreshData(true);
}

QString TObjectPage::Caption() const
{
    if (FView)
        return FView->GetViewCaption();
    if (FEditor)
        return FEditor->GetCaption();
    return FDef ? FDef->Name : QString();
}

IInfoView* TObjectPage::ActiveView() const
{
    return FActive ? FActive : FView;
}

QList<IInfoView*> TObjectPage::DetailViews() const
{
    QList<IInfoView*> views;
    for (const TDetail& d : FDetails)
        views << d.View;
    return views;
}

bool TObjectPage::QueryCommandState(int command, TCommandState& state)
{
    state = 0;
    if (IInfoView* view = ActiveView())
        return view->QueryCommandState(command, state);
    if (FFrame)
        return FFrame->QueryCommandState(command, state);
    if (FEditor)
        return FEditor->QueryCommandState(command, state);
    return false;
}

void TObjectPage::UpdateFilterBar()
{
    if (!barFilter)
        return;
    const TViewScheme* scheme = FView ? FView->GetViewScheme() : nullptr;
    barFilter->ShowFilter(QStringLiteral("已筛选: "), scheme && FDef ? SchemeFilterText(*FDef, *scheme) : QString());
}

void TObjectPage::ClearFilter()
{
    if (!FView)
        return;
    {
        TClearSchemeFilter clear;
        TCommandState state = 0;
        if (FView->QueryCommandState(cmdSchemeFilter, state) && (state & csEnabled))
            FView->ExecCommand(cmdSchemeFilter);
    }
    UpdateFilterBar();
}

bool TObjectPage::ExecCommand(int command)
{
    TCommandState state = 0;
    if (!QueryCommandState(command, state) || !(state & csEnabled))
        return false;
    if (IInfoView* view = ActiveView()) {
        const bool handled = view->ExecCommand(command);
        UpdateFilterBar();
        return handled;
    }
    if (FFrame)
        return FFrame->ExecCommand(command);
    return FEditor && FEditor->ExecCommand(command);
}

bool TObjectPage::QueryClose()
{
    for (const TDetail& d : FDetails)
        if (!d.View->QueryClose())
            return false;
    if (FView)
        return FView->QueryClose();
    if (FFrame)
        return FFrame->QueryClose();
    return !FEditor || FEditor->QueryClose();
}

void TObjectPage::ProcessIdle()
{
    if (FFrame)
        FFrame->ProcessIdle();
    if (FEditor)
        FEditor->ProcessIdle();
}

} // namespace kx::shell
