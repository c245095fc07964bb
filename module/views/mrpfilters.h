// The condition tree "参与范围" of a plan scheme: the data objects a run reads, each with the
// condition the user chose for it in the host's filter dialog (" 条件(&L)..." or a double click),
// kept as the scheme's conditions text ("[object]=condition" entries).
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QPushButton;
class QTreeWidget;

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
    // Opens the filter dialog on the focused object; false when cancelled.
    bool EditFilter();
    void SetEditable(bool editable);

private:
    void ShowFilters();

    QStringList FObjectIDs;
    QString FFilters;
};

} // namespace kx
