#include "viewschemedlg.h"

#include "filterdlg.h"
#include "viewschemeprep.h"

#include "db/fieldlists.h"
#include "db/messages.h"
#include "db/strutils.h"
#include "views/gridlayout.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kx::shell {

namespace {

constexpr int kDescendingRole = Qt::UserRole + 1;
constexpr int kGroupingRole = Qt::UserRole + 2;

const QStringList kSummaryCaptions{QString(), QStringLiteral("合计"), QStringLiteral("计数"), QStringLiteral("最大值"),
                                   QStringLiteral("最小值")};

int gClearFilter = 0;

QString FieldCaption(const TInfoFieldDef& f)
{
    return f.Name.section(QLatin1Char('\\'), -1);
}

QPushButton* Button(const QString& text, QWidget* parent, QVBoxLayout* column)
{
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    column->addWidget(button);
    return button;
}

} // namespace

TViewSchemeDlg::TViewSchemeDlg(const TInfoObjectDef& def, TViewScheme* scheme, const QString& caption, QWidget* parent)
    : TViewSettingDlg(&def, scheme, parent), FDef(def)
{
    setWindowTitle(QStringLiteral("视图设置 - [%1]").arg(caption.isEmpty() ? def.Name : caption));
    resize(620, 520);
    pgcPages = new QTabWidget(this);
    ContentLayout()->addWidget(pgcPages, 1);
    const TViewSupports supports = scheme->Supports;

    // Columns: every field a list may show, the shown ones ticked in their order first.
    auto* fieldsPage = new QWidget(pgcPages);
    auto* fieldsLayout = new QHBoxLayout(fieldsPage);
    lstFields = new QListWidget(fieldsPage);
    lstFields->setObjectName(QStringLiteral("lstFields"));
    auto* fieldButtons = new QVBoxLayout;
    connect(Button(QStringLiteral("上移(&U)"), fieldsPage, fieldButtons), &QPushButton::clicked, this, [this] { MoveItem(lstFields, -1); });
    connect(Button(QStringLiteral("下移(&N)"), fieldsPage, fieldButtons), &QPushButton::clicked, this, [this] { MoveItem(lstFields, 1); });
    fieldButtons->addStretch();
    fieldsLayout->addWidget(lstFields);
    fieldsLayout->addLayout(fieldButtons);
    pgcPages->addTab(fieldsPage, QStringLiteral("显示字段(&F)"));

    FFilter = new TFilterEditor(&def, pgcPages);
    const int filterPage = pgcPages->addTab(FFilter, QStringLiteral("筛选条件(&L)"));
    pgcPages->setTabEnabled(filterPage, (supports & voSupportFilter) != 0);

    // Order and grouping: ticked fields sort in list order; grouping fields group the rows
    // (in list order) before the others sort them.
    auto* sortPage = new QWidget(pgcPages);
    auto* sortLayout = new QHBoxLayout(sortPage);
    auto* sortLeft = new QVBoxLayout;
    sortLeft->addWidget(new QLabel(QStringLiteral("勾选排序字段, 双击切换升序/降序:"), sortPage));
    lstSorts = new QListWidget(sortPage);
    lstSorts->setObjectName(QStringLiteral("lstSorts"));
    sortLeft->addWidget(lstSorts);
    auto* sortButtons = new QVBoxLayout;
    QPushButton* btnDirection = Button(QStringLiteral("升序/降序(&D)"), sortPage, sortButtons);
    QPushButton* btnGroup = Button(QStringLiteral("分组(&G)"), sortPage, sortButtons);
    btnGroup->setObjectName(QStringLiteral("btnGroup"));
    btnGroup->setEnabled((supports & voSupportGroup) != 0);
    connect(Button(QStringLiteral("上移(&P)"), sortPage, sortButtons), &QPushButton::clicked, this, [this] { MoveItem(lstSorts, -1); });
    connect(Button(QStringLiteral("下移(&W)"), sortPage, sortButtons), &QPushButton::clicked, this, [this] { MoveItem(lstSorts, 1); });
    sortButtons->addStretch();
    sortLayout->addLayout(sortLeft, 1);
    sortLayout->addLayout(sortButtons);
    auto toggle = [this](bool grouping) {
        QListWidgetItem* item = lstSorts->currentItem();
        if (!item)
            return;
        const bool descending = item->data(kDescendingRole).toBool();
        const bool grouped = item->data(kGroupingRole).toBool();
        SetSortEntry(item, grouping ? descending : !descending, grouping ? !grouped : grouped);
        item->setCheckState(Qt::Checked);
    };
    connect(btnDirection, &QPushButton::clicked, this, [toggle] { toggle(false); });
    connect(btnGroup, &QPushButton::clicked, this, [toggle] { toggle(true); });
    connect(lstSorts, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        SetSortEntry(item, !item->data(kDescendingRole).toBool(), item->data(kGroupingRole).toBool());
    });
    const int sortPageIndex = pgcPages->addTab(sortPage, (supports & voSupportGroup) ? QStringLiteral("排序与分组(&S)")
                                                                                       : QStringLiteral("排序(&S)"));
    pgcPages->setTabEnabled(sortPageIndex, (supports & voSupportSort) != 0);

    // Totals: the footer, the group footers and what each column sums up.
    auto* totalPage = new QWidget(pgcPages);
    auto* totalLayout = new QVBoxLayout(totalPage);
    chkFooter = new QCheckBox(QStringLiteral("显示合计行(&T)"), totalPage);
    chkGroupFooters = new QCheckBox(QStringLiteral("显示分组小计(&G)"), totalPage);
    chkGroupFooters->setEnabled((supports & voSupportSubTotal) != 0);
    grdSummaries = new QTableWidget(0, 2, totalPage);
    grdSummaries->setObjectName(QStringLiteral("grdSummaries"));
    grdSummaries->setHorizontalHeaderLabels({QStringLiteral("字段"), QStringLiteral("合计方式")});
    grdSummaries->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grdSummaries->verticalHeader()->hide();
    for (const TInfoFieldDef& f : def.Fields) {
        if (f.HideList || f.HideTotal || FieldListContains(scheme->Mask, f.ID))
            continue;
        const int row = grdSummaries->rowCount();
        grdSummaries->insertRow(row);
        auto* name = new QTableWidgetItem(FieldCaption(f));
        name->setData(Qt::UserRole, f.ID);
        name->setFlags(Qt::ItemIsEnabled);
        grdSummaries->setItem(row, 0, name);
        auto* kind = new QComboBox(grdSummaries);
        kind->addItems(kSummaryCaptions);
        grdSummaries->setCellWidget(row, 1, kind);
    }
    totalLayout->addWidget(chkFooter);
    totalLayout->addWidget(chkGroupFooters);
    totalLayout->addWidget(grdSummaries, 1);
    const int totalPageIndex = pgcPages->addTab(totalPage, QStringLiteral("合计(&T)"));
    pgcPages->setTabEnabled(totalPageIndex, (supports & voSupportTotal) != 0);

    Prepare();
    LoadScheme();
}

void TViewSchemeDlg::SetSortEntry(QListWidgetItem* item, bool descending, bool grouping)
{
    const TInfoFieldDef* f = FDef.GetFieldDef(item->data(Qt::UserRole).toString());
    item->setData(kDescendingRole, descending);
    item->setData(kGroupingRole, grouping);
    item->setText((f ? FieldCaption(*f) : item->data(Qt::UserRole).toString())
                  + (descending ? QStringLiteral(" (降序)") : QStringLiteral(" (升序)")) + (grouping ? QStringLiteral(" [分组]") : QString()));
}

void TViewSchemeDlg::SetSummary(const QString& fieldID, int kind)
{
    for (int row = 0; row < grdSummaries->rowCount(); ++row)
        if (grdSummaries->item(row, 0)->data(Qt::UserRole).toString().compare(fieldID, Qt::CaseInsensitive) == 0)
            static_cast<QComboBox*>(grdSummaries->cellWidget(row, 1))->setCurrentIndex(qBound(0, kind, 4));
}

void TViewSchemeDlg::LoadScheme()
{
    const QString& params = ViewScheme.Params;
    lstFields->clear();
    QString shown = GetParamValue(params, kParamFields);
    if (shown.isEmpty())
        shown = DefaultFieldList(FDef, ViewScheme.Mask);
    QStringList order = FieldListItems(shown);
    for (const TInfoFieldDef& f : FDef.Fields)
        if (!order.contains(f.ID, Qt::CaseInsensitive))
            order << f.ID;
    for (const QString& id : order) {
        const TInfoFieldDef* f = FDef.GetFieldDef(id);
        if (!f || f->HideList || FieldListContains(ViewScheme.Mask, f->ID))
            continue;
        auto* item = new QListWidgetItem(FieldCaption(*f), lstFields);
        item->setData(Qt::UserRole, f->ID);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(FieldListContains(shown, f->ID) ? Qt::Checked : Qt::Unchecked);
    }

    FFilter->SetConditions(ParseFilterCode(GetParamValue(params, kSchemeFilterCodeParam)));

    lstSorts->clear();
    QStringList sortIDs;
    for (const QString& entry : GetParamValue(params, kParamSorts).split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char(':'));
        const TInfoFieldDef* f = FDef.GetFieldDef(parts.value(0));
        if (!f || f->HideSort || sortIDs.contains(f->ID.toLower()))
            continue;
        auto* item = new QListWidgetItem(lstSorts);
        item->setData(Qt::UserRole, f->ID);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        SetSortEntry(item, parts.value(1) == QLatin1String("1"), parts.value(2) == QLatin1String("1"));
        sortIDs << f->ID.toLower();
    }
    for (const TInfoFieldDef& f : FDef.Fields) {
        if (f.HideSort || f.HideList || sortIDs.contains(f.ID.toLower()))
            continue;
        auto* item = new QListWidgetItem(lstSorts);
        item->setData(Qt::UserRole, f.ID);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        SetSortEntry(item, false, false);
    }

    const QString total = GetParamValue(params, kParamTotal);
    chkFooter->setChecked(!total.isEmpty() && total.at(0) != QLatin1Char('0'));
    chkGroupFooters->setChecked(total.size() > 1 && total.at(1) != QLatin1Char('0'));
    for (int row = 0; row < grdSummaries->rowCount(); ++row)
        static_cast<QComboBox*>(grdSummaries->cellWidget(row, 1))->setCurrentIndex(0);
    for (const QString& entry : GetParamValue(params, kParamSummaries).split(QLatin1Char('|'), Qt::SkipEmptyParts))
        SetSummary(entry.section(QLatin1Char(':'), 0, 0), entry.section(QLatin1Char(':'), 1, 1).toInt());
}

bool TViewSchemeDlg::SaveScheme()
{
    QStringList fields;
    for (int i = 0; i < lstFields->count(); ++i)
        if (lstFields->item(i)->checkState() == Qt::Checked)
            fields << lstFields->item(i)->data(Qt::UserRole).toString();
    if (fields.isEmpty()) {
        ShowWarning(QStringLiteral("请至少选择一个显示字段!"));
        pgcPages->setCurrentIndex(0);
        return false;
    }
    const TFilterConditions conditions = FFilter->Conditions();
    QString error;
    const QString filter = FilterConditionSQL(FDef, conditions, &error);
    if (!error.isEmpty()) {
        ShowWarning(error);
        pgcPages->setCurrentWidget(FFilter);
        return false;
    }
    // Grouping columns first, in list order, then the columns that only sort.
    QStringList groups, sorts;
    for (int i = 0; i < lstSorts->count(); ++i) {
        const QListWidgetItem* item = lstSorts->item(i);
        if (item->checkState() != Qt::Checked)
            continue;
        const bool grouping = item->data(kGroupingRole).toBool() && (ViewScheme.Supports & voSupportGroup);
        const QString entry = item->data(Qt::UserRole).toString() + (item->data(kDescendingRole).toBool() ? QStringLiteral(":1") : QStringLiteral(":0"))
            + (grouping ? QStringLiteral(":1") : QStringLiteral(":0"));
        (grouping ? groups : sorts) << entry;
    }
    QStringList summaries;
    for (int row = 0; row < grdSummaries->rowCount(); ++row) {
        const int kind = static_cast<QComboBox*>(grdSummaries->cellWidget(row, 1))->currentIndex();
        if (kind > 0)
            summaries << grdSummaries->item(row, 0)->data(Qt::UserRole).toString() + QLatin1Char(':') + QString::number(kind);
    }
    QString& params = ViewScheme.Params;
    params = SetParamValue(params, kParamFields, MakeFieldList(fields));
    params = SetParamValue(params, kSchemeFilterCodeParam, conditions.Items.isEmpty() ? QString() : FilterCode(conditions));
    params = SetParamValue(params, suite::kSchemeFilterParam, filter);
    params = SetParamValue(params, kParamSorts, (groups + sorts).join(QLatin1Char('|')));
    if (ViewScheme.Supports & voSupportTotal) {
        params = SetParamValue(params, kParamTotal, QString(chkFooter->isChecked() ? QLatin1Char('1') : QLatin1Char('0'))
                                                       + (chkGroupFooters->isChecked() ? QLatin1Char('1') : QLatin1Char('0')));
        params = SetParamValue(params, kParamSummaries, summaries.join(QLatin1Char('|')));
    }
    ViewScheme.SQLParsed = false;
    return true;
}

void TViewSchemeDlg::MoveItem(QListWidget* list, int delta)
{
    const int row = list->currentRow();
    const int target = row + delta;
    if (row < 0 || target < 0 || target >= list->count())
        return;
    QListWidgetItem* item = list->takeItem(row);
    list->insertItem(target, item);
    list->setCurrentRow(target);
}

bool HostPrepareViewSchemeDlg(const TInfoObjectDef* def, TViewScheme& scheme, const QString& viewCaption, bool showDialog,
                              void* sharedQuery)
{
    if (!def)
        return false;
    if (gClearFilter > 0) {
        scheme.Params = SetParamValue(scheme.Params, kSchemeFilterCodeParam, QString());
        scheme.Params = SetParamValue(scheme.Params, suite::kSchemeFilterParam, QString());
    } else if (showDialog) {
        TViewSchemeDlg dialog(*def, &scheme, viewCaption, QApplication::activeWindow());
        if (dialog.exec() != QDialog::Accepted)
            return false;
        scheme = dialog.Scheme();
    }
    return suite::HostPrepareViewScheme(def, scheme, viewCaption, false, sharedQuery);
}

TClearSchemeFilter::TClearSchemeFilter()
{
    ++gClearFilter;
}

TClearSchemeFilter::~TClearSchemeFilter()
{
    --gClearFilter;
}

QString SchemeFilterText(const TInfoObjectDef& def, const TViewScheme& scheme)
{
    if (GetParamValue(scheme.Params, suite::kSchemeFilterParam).trimmed().isEmpty())
        return QString();
    const TFilterConditions conditions = ParseFilterCode(GetParamValue(scheme.Params, kSchemeFilterCodeParam));
    const QStringList operators = FilterOperatorCaptions();
    QStringList parts;
    for (const TFilterCondition& c : conditions.Items) {
        const TInfoFieldDef* f = def.GetFieldDef(c.FieldID);
        QString part = (f ? FieldCaption(*f) : c.FieldID) + QLatin1Char(' ') + operators.value(c.Operator);
        if (c.Operator != foIsEmpty && c.Operator != foNotEmpty)
            part += QLatin1Char(' ') + c.Value;
        parts << part;
    }
    if (parts.isEmpty())
        return GetParamValue(scheme.Params, suite::kSchemeFilterParam).trimmed();
    return parts.join(conditions.AnyOf ? QStringLiteral(" 或 ") : QStringLiteral(" 且 "));
}

} // namespace kx::shell
