#include "viewschemedlg.h"

#include "dialogbuttons.h"

#include "filterdlg.h"
#include "viewschemeprep.h"

#include "db/fieldlists.h"
#include "db/messages.h"
#include "db/strutils.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kx::shell {

namespace {

constexpr int kDescendingRole = Qt::UserRole + 1;

QString FieldCaption(const TInfoFieldDef& f)
{
    return f.Name.section(QLatin1Char('\\'), -1);
}

void SetSortText(QListWidgetItem* item, const TInfoFieldDef& f, bool descending)
{
    item->setData(kDescendingRole, descending);
    item->setText(FieldCaption(f) + (descending ? QStringLiteral(" (降序)") : QStringLiteral(" (升序)")));
}

} // namespace

TViewSchemeDlg::TViewSchemeDlg(const TInfoObjectDef& def, const TViewScheme& scheme, const QString& caption, QWidget* parent)
    : QDialog(parent), FDef(def), FScheme(scheme)
{
    setWindowTitle(QStringLiteral("视图设置 - [%1]").arg(caption.isEmpty() ? def.Name : caption));
    resize(560, 440);
    auto* layout = new QVBoxLayout(this);
    pgcPages = new QTabWidget(this);
    layout->addWidget(pgcPages);

    // Columns: every field a list may show, the shown ones ticked in their order first.
    auto* fieldsPage = new QWidget(pgcPages);
    auto* fieldsLayout = new QHBoxLayout(fieldsPage);
    lstFields = new QListWidget(fieldsPage);
    lstFields->setObjectName(QStringLiteral("lstFields"));
    QString shown = GetParamValue(scheme.Params, QStringLiteral("[Fields]"));
    if (shown.isEmpty())
        shown = DefaultFieldList(def, scheme.Mask);
    QStringList order = FieldListItems(shown);
    for (const TInfoFieldDef& f : def.Fields)
        if (!order.contains(f.ID, Qt::CaseInsensitive))
            order << f.ID;
    for (const QString& id : order) {
        const TInfoFieldDef* f = def.GetFieldDef(id);
        if (!f || f->HideList || FieldListContains(scheme.Mask, f->ID))
            continue;
        auto* item = new QListWidgetItem(FieldCaption(*f), lstFields);
        item->setData(Qt::UserRole, f->ID);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(FieldListContains(shown, f->ID) ? Qt::Checked : Qt::Unchecked);
    }
    auto* fieldButtons = new QVBoxLayout;
    auto* btnUp = new QPushButton(QStringLiteral("上移(&U)"), fieldsPage);
    auto* btnDown = new QPushButton(QStringLiteral("下移(&N)"), fieldsPage);
    fieldButtons->addWidget(btnUp);
    fieldButtons->addWidget(btnDown);
    fieldButtons->addStretch();
    fieldsLayout->addWidget(lstFields);
    fieldsLayout->addLayout(fieldButtons);
    connect(btnUp, &QPushButton::clicked, this, [this] { MoveField(-1); });
    connect(btnDown, &QPushButton::clicked, this, [this] { MoveField(1); });
    pgcPages->addTab(fieldsPage, QStringLiteral("显示字段(&F)"));

    FFilter = new TFilterEditor(&def, pgcPages);
    FFilter->SetConditions(ParseFilterCode(GetParamValue(scheme.Params, kSchemeFilterCodeParam)));
    const int filterPage = pgcPages->addTab(FFilter, QStringLiteral("筛选条件(&L)"));
    pgcPages->setTabEnabled(filterPage, (scheme.Supports & voSupportFilter) != 0);

    // Order: the sortable fields, ticked ones sort in list order; a double click turns the
    // direction.
    auto* sortPage = new QWidget(pgcPages);
    auto* sortLayout = new QVBoxLayout(sortPage);
    lstSorts = new QListWidget(sortPage);
    lstSorts->setObjectName(QStringLiteral("lstSorts"));
    QStringList sortIDs;
    for (const QString& entry : GetParamValue(scheme.Params, QStringLiteral("[Sorts]")).split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char(':'));
        const TInfoFieldDef* f = def.GetFieldDef(parts.value(0));
        if (!f || f->HideSort)
            continue;
        auto* item = new QListWidgetItem(lstSorts);
        item->setData(Qt::UserRole, f->ID);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        SetSortText(item, *f, parts.value(1) == QLatin1String("1"));
        sortIDs << f->ID.toLower();
    }
    for (const TInfoFieldDef& f : def.Fields) {
        if (f.HideSort || f.HideList || sortIDs.contains(f.ID.toLower()))
            continue;
        auto* item = new QListWidgetItem(lstSorts);
        item->setData(Qt::UserRole, f.ID);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        SetSortText(item, f, false);
    }
    connect(lstSorts, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (const TInfoFieldDef* f = FDef.GetFieldDef(item->data(Qt::UserRole).toString()))
            SetSortText(item, *f, !item->data(kDescendingRole).toBool());
    });
    sortLayout->addWidget(new QLabel(QStringLiteral("勾选排序字段, 双击切换升序/降序:"), sortPage));
    sortLayout->addWidget(lstSorts);
    const int sortPageIndex = pgcPages->addTab(sortPage, QStringLiteral("排序(&S)"));
    pgcPages->setTabEnabled(sortPageIndex, (scheme.Supports & voSupportSort) != 0);

    AddDialogButtons(this, layout);
}

void TViewSchemeDlg::MoveField(int delta)
{
    const int row = lstFields->currentRow();
    const int target = row + delta;
    if (row < 0 || target < 0 || target >= lstFields->count())
        return;
    QListWidgetItem* item = lstFields->takeItem(row);
    lstFields->insertItem(target, item);
    lstFields->setCurrentRow(target);
}

void TViewSchemeDlg::accept()
{
    QStringList fields;
    for (int i = 0; i < lstFields->count(); ++i)
        if (lstFields->item(i)->checkState() == Qt::Checked)
            fields << lstFields->item(i)->data(Qt::UserRole).toString();
    if (fields.isEmpty()) {
        ShowWarning(QStringLiteral("请至少选择一个显示字段!"));
        return;
    }
    const TFilterConditions conditions = FFilter->Conditions();
    QString error;
    const QString filter = FilterConditionSQL(FDef, conditions, &error);
    if (!error.isEmpty()) {
        ShowWarning(error);
        return;
    }
    QStringList sorts;
    for (int i = 0; i < lstSorts->count(); ++i)
        if (lstSorts->item(i)->checkState() == Qt::Checked)
            sorts << lstSorts->item(i)->data(Qt::UserRole).toString()
                    + (lstSorts->item(i)->data(kDescendingRole).toBool() ? QStringLiteral(":1") : QStringLiteral(":0"));
    QString& params = FScheme.Params;
    params = SetParamValue(params, QStringLiteral("[Fields]"), MakeFieldList(fields));
    params = SetParamValue(params, kSchemeFilterCodeParam, conditions.Items.isEmpty() ? QString() : FilterCode(conditions));
    params = SetParamValue(params, suite::kSchemeFilterParam, filter);
    params = SetParamValue(params, QStringLiteral("[Sorts]"), sorts.join(QLatin1Char('|')));
    FScheme.SQLParsed = false;
    QDialog::accept();
}

bool HostPrepareViewSchemeDlg(const TInfoObjectDef* def, TViewScheme& scheme, const QString& viewCaption, bool showDialog,
                              void* sharedQuery)
{
    if (!def)
        return false;
    if (showDialog) {
        TViewSchemeDlg dialog(*def, scheme, viewCaption, QApplication::activeWindow());
        if (dialog.exec() != QDialog::Accepted)
            return false;
        scheme = dialog.Scheme();
    }
    return suite::HostPrepareViewScheme(def, scheme, viewCaption, false, sharedQuery);
}

} // namespace kx::shell
