// The host's view-scheme dialog: the named schemes of the view (the current one, the
// user's own private and shared ones, other users' shared ones and the default) to pick,
// save under a name, overwrite or delete; and the settings of the scheme shown: the
// columns and their order, the filter, the order and grouping, the footer totals and
// group summaries. The choices go into the scheme's parameter lines ("[Fields]",
// "[FilterCode]" with "[Filter]", "[Sorts]", "[Total]", "[Summaries]") before the
// scheme's SQL is prepared from them.
#pragma once

#include "views/viewsettingdlg.h"

class QCheckBox;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTableWidget;

namespace kx::shell {

class TFilterEditor;

// The parameter line that keeps the filter dialog's conditions next to their SQL.
inline const QString kSchemeFilterCodeParam = QStringLiteral("[FilterCode]");

class TViewSchemeDlg : public TViewSettingDlg {
    Q_OBJECT

public:
    TViewSchemeDlg(const TInfoObjectDef& def, TViewScheme* scheme, const QString& caption, QWidget* parent = nullptr);

    // The scheme with the dialog's choices in its parameters (SQL not yet prepared).
    const TViewScheme& Scheme() const { return ViewScheme; }

    QTabWidget* pgcPages;
    QListWidget* lstFields;
    TFilterEditor* FFilter;
    QListWidget* lstSorts;
    QCheckBox* chkFooter;
    QCheckBox* chkGroupFooters;
    QTableWidget* grdSummaries;

    void LoadScheme() override;
    bool SaveScheme() override;

    // Sort entries: ticked ones sort (grouping ones group) in list order.
    void SetSortEntry(QListWidgetItem* item, bool descending, bool grouping);
    // The summary kind chosen for a field (0 none, 1 sum, 2 count, 3 maximum, 4 minimum).
    void SetSummary(const QString& fieldID, int kind);

private:
    void MoveItem(QListWidget* list, int delta);

    const TInfoObjectDef& FDef;
};

// Callback slots 30 and 33: with ShowDialog the dialog first (false when cancelled), then
// the scheme's SQL from its parameters.
bool HostPrepareViewSchemeDlg(const TInfoObjectDef* def, TViewScheme& scheme, const QString& viewCaption, bool showDialog,
                              void* sharedQuery);

// While one lives, the next scheme preparation drops the scheme's filter instead of
// showing the dialog: the one-click clear of a filtered view.
class TClearSchemeFilter {
public:
    TClearSchemeFilter();
    ~TClearSchemeFilter();
    TClearSchemeFilter(const TClearSchemeFilter&) = delete;
    TClearSchemeFilter& operator=(const TClearSchemeFilter&) = delete;
};

// The filter of a scheme in words ("类型 等于 内销 且 数量 大于 10"); empty when it has none.
QString SchemeFilterText(const TInfoObjectDef& def, const TViewScheme& scheme);

} // namespace kx::shell
