#include "pickdlgs.h"

#include "dialogbuttons.h"
#include "erplistview.h"

#include "db/dataset.h"
#include "db/messages.h"
#include "db/shared.h"
#include "db/sqlrun.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kx::shell {

TSelectUsersDlg::TSelectUsersDlg(bool allowGroups, bool multiSelect, const QStringList& exclude, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(allowGroups ? QStringLiteral("选择用户或用户组") : QStringLiteral("选择用户"));
    resize(480, 420);
    auto* layout = new QVBoxLayout(this);
    auto* search = new QHBoxLayout;
    edtSearch = new QLineEdit(this);
    edtSearch->setObjectName(QStringLiteral("edtSearch"));
    search->addWidget(new QLabel(QStringLiteral("查找(&S):"), this));
    search->addWidget(edtSearch);
    layout->addLayout(search);
    lstUsers = new QTreeWidget(this);
    lstUsers->setObjectName(QStringLiteral("lstUsers"));
    lstUsers->setHeaderLabels({QStringLiteral("代码"), QStringLiteral("名称"), QStringLiteral("类别")});
    lstUsers->setRootIsDecorated(false);
    lstUsers->setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    layout->addWidget(lstUsers);
    AddDialogButtons(this, layout);

    TQuery q(&SharedConnection());
    const QString sql = QStringLiteral("select UsrID as ID, UsrNo as No, UsrName as Name, 0 as IsGroup from KX_SYS_Users where UsrDisabled=0%1 "
                                       "order by IsGroup, No")
                            .arg(allowGroups ? QStringLiteral(" union all select GrpID, GrpNo, GrpName, 1 from KX_SYS_UserGroups where GrpDisabled=0")
                                             : QString());
    if (RunSQL(q, sql, true))
        for (; !q.Eof(); q.Next()) {
            const QString id = q.Fields(0).AsString();
            if (exclude.contains(id))
                continue;
            auto* item = new QTreeWidgetItem(lstUsers, {q.Fields(1).AsString(), q.Fields(2).AsString(),
                                                        q.Fields(3).AsInteger() ? QStringLiteral("用户组") : QStringLiteral("用户")});
            item->setData(0, Qt::UserRole, id);
        }
    connect(edtSearch, &QLineEdit::textChanged, this, [this] { ApplySearch(); });
    connect(lstUsers, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
}

void TSelectUsersDlg::ApplySearch()
{
    const QString text = edtSearch->text().trimmed();
    for (int i = 0; i < lstUsers->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lstUsers->topLevelItem(i);
        item->setHidden(!text.isEmpty() && !item->text(0).contains(text, Qt::CaseInsensitive)
                        && !item->text(1).contains(text, Qt::CaseInsensitive));
    }
}

QStringList TSelectUsersDlg::Selection() const
{
    QStringList ids;
    for (int i = 0; i < lstUsers->topLevelItemCount(); ++i)
        if (lstUsers->topLevelItem(i)->isSelected() && !lstUsers->topLevelItem(i)->isHidden())
            ids << lstUsers->topLevelItem(i)->data(0, Qt::UserRole).toString();
    return ids;
}

TListSelectDlg::TListSelectDlg(const QList<QVariantList>& items, const QString& caption, const QStringList& columns,
                               bool multiSelect, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(caption.isEmpty() ? QStringLiteral("选择") : caption);
    resize(560, 400);
    auto* layout = new QVBoxLayout(this);
    lstItems = new QTreeWidget(this);
    lstItems->setObjectName(QStringLiteral("lstItems"));
    lstItems->setHeaderLabels(columns);
    lstItems->setRootIsDecorated(false);
    lstItems->setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    for (const QVariantList& row : items) {
        QStringList texts;
        for (const QVariant& v : row)
            texts << v.toString();
        new QTreeWidgetItem(lstItems, texts);
    }
    if (lstItems->topLevelItemCount() > 0)
        lstItems->setCurrentItem(lstItems->topLevelItem(0));
    layout->addWidget(lstItems);
    AddDialogButtons(this, layout);
    connect(lstItems, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
}

QList<int> TListSelectDlg::ChosenRows() const
{
    QList<int> rows;
    for (int i = 0; i < lstItems->topLevelItemCount(); ++i)
        if (lstItems->topLevelItem(i)->isSelected())
            rows << i;
    return rows;
}

TLookupDlg::TLookupDlg(const TInfoObjectDef* def, const QString& condition, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("选择 - [%1]").arg(def ? def->Name : QString()));
    resize(820, 480);
    auto* layout = new QVBoxLayout(this);
    FView = new TERPListView(def, nullptr, this);
    FView->InitializeView(QString(), nullptr);
    FView->SetDataFilter(condition, false);
    layout->addWidget(FView);
    AddDialogButtons(this, layout);
    FView->RefreshData(false);
    connect(FView->Grid(), &QAbstractItemView::doubleClicked, this, [this] { accept(); });
}

QString TLookupDlg::ChosenKey() const
{
    return FView->GetViewPosition();
}

bool HostSelectUsers(QStringList& Selection, bool AllowGroups, bool MultiSelect, const QStringList& Exclude)
{
    TSelectUsersDlg dialog(AllowGroups, MultiSelect, Exclude, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted || dialog.Selection().isEmpty())
        return false;
    Selection = dialog.Selection();
    return true;
}

int HostListSelect(const QList<QVariantList>& Items, const QString& Caption, const QStringList& Columns, bool MultiSelect,
                   void* Context, bool (*Callback)(void* Context, const QVariantList& Row))
{
    TListSelectDlg dialog(Items, Caption, Columns, MultiSelect, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    int chosen = 0;
    for (int row : dialog.ChosenRows()) {
        ++chosen;
        if (Callback && !Callback(Context, Items[row]))
            break;
    }
    return chosen;
}

} // namespace kx::shell
