// The condition tree "参与范围" of a plan scheme: the data objects a run reads, each with the
// condition the user chose for it in the host's filter dialog (" 条件(&L)..." or a double
// click), and under each supply object whose lines record the main demand they serve, one
// check box per kind of that demand: a cleared box leaves those lines out of the run. The
// result is the scheme's conditions text (engine/schemefilters.h).
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kx {

class TMRPFilterTree : public QWidget {
    Q_OBJECT

public:
    // objectIDs: the objects offered, in order.
    TMRPFilterTree(const QStringList& objectIDs, QWidget* parent = nullptr);

    // Every object a run reads.
    static const QStringList& RunObjectIDs();
    // The objects a run reads beside its main demand (the supplies, scrap lines and stock).
    static const QStringList& SupplyObjectIDs();

    QTreeWidget* trlMRPFilters;
    QPushButton* btnSetFilter;

    // The conditions text; entries of objects not offered are kept as they are.
    QString Filters() const { return FFilters; }
    void SetFilters(const QString& filters);
    // Opens the filter dialog on the focused object (or the object of a focused kind); false
    // when cancelled.
    bool EditFilter();
    // Whether the lines of a kind of an object take part, as its check box says.
    bool SetKindIncluded(const QString& objectID, int kind, bool included);
    // The object's item (top level) and the item of one of its kinds; null when not offered.
    QTreeWidgetItem* ObjectItem(const QString& objectID) const;
    QTreeWidgetItem* KindItem(const QString& objectID, int kind) const;
    void SetEditable(bool editable);

Q_SIGNALS:
    void FiltersChanged();

private:
    void ShowFilters();
    void trlMRPFiltersItemChanged(QTreeWidgetItem* item, int column);

    QStringList FObjectIDs;
    QString FFilters;
    bool FEditable = true;
    bool FShowing = false;
};

} // namespace kx
