// The host's picking dialogs: users and groups (callback slot 31), rows of a list the
// module hands over (slot 32) and one record of an object's list (slot 35).
#pragma once

#include "kx_mrp/objectdef.h"

#include <QDialog>
#include <QList>
#include <QVariant>

class QTreeWidget;
class QLineEdit;

namespace kx::shell {

class TERPListView;

// Users and, when allowed, groups, searched by number or name; the chosen IDs.
class TSelectUsersDlg : public QDialog {
    Q_OBJECT

public:
    TSelectUsersDlg(bool allowGroups, bool multiSelect, const QStringList& exclude, QWidget* parent = nullptr);
    QStringList Selection() const;
    QTreeWidget* List() const { return lstUsers; }

private:
    void ApplySearch();

    QLineEdit* edtSearch;
    QTreeWidget* lstUsers;
};

// Rows of values under column captions; the chosen rows.
class TListSelectDlg : public QDialog {
    Q_OBJECT

public:
    TListSelectDlg(const QList<QVariantList>& items, const QString& caption, const QStringList& columns, bool multiSelect,
                   QWidget* parent = nullptr);
    QList<int> ChosenRows() const;
    QTreeWidget* List() const { return lstItems; }

private:
    QTreeWidget* lstItems;
};

// One record of an object's list, shown with the host's list view.
class TLookupDlg : public QDialog {
    Q_OBJECT

public:
    TLookupDlg(const TInfoObjectDef* def, const QString& condition, QWidget* parent = nullptr);
    // "field=value" lines of the chosen record's primary fields.
    QString ChosenKey() const;
    TERPListView* View() const { return FView; }

private:
    TERPListView* FView;
};

bool HostSelectUsers(QStringList& Selection, bool AllowGroups, bool MultiSelect, const QStringList& Exclude);
int HostListSelect(const QList<QVariantList>& Items, const QString& Caption, const QStringList& Columns, bool MultiSelect,
                   void* Context, bool (*Callback)(void* Context, const QVariantList& Row));

} // namespace kx::shell
