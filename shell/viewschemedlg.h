// The host's view-scheme dialog: the columns a list shows and their order, the filter and
// the sort order, written into the scheme's parameter lines ("[Fields]", "[FilterCode]" with
// "[Filter]", "[Sorts]") before the scheme's SQL is prepared from them.
#pragma once

#include "kx_mrp/objectdef.h"
#include "kx_mrp/viewscheme.h"

#include <QDialog>

class QListWidget;
class QTabWidget;

namespace kx::shell {

class TFilterEditor;

// The parameter line that keeps the filter dialog's conditions next to their SQL.
inline const QString kSchemeFilterCodeParam = QStringLiteral("[FilterCode]");

class TViewSchemeDlg : public QDialog {
    Q_OBJECT

public:
    TViewSchemeDlg(const TInfoObjectDef& def, const TViewScheme& scheme, const QString& caption, QWidget* parent = nullptr);
    // The scheme with the dialog's choices in its parameters (SQL not yet prepared).
    const TViewScheme& Scheme() const { return FScheme; }
    QListWidget* FieldList() const { return lstFields; }
    QListWidget* SortList() const { return lstSorts; }
    TFilterEditor* FilterEditor() const { return FFilter; }
    void accept() override;

private:
    void MoveField(int delta);

    const TInfoObjectDef& FDef;
    TViewScheme FScheme;
    QTabWidget* pgcPages;
    QListWidget* lstFields;
    QListWidget* lstSorts;
    TFilterEditor* FFilter;
};

// Callback slots 30 and 33: with ShowDialog the dialog first (false when cancelled), then
// the scheme's SQL from its parameters.
bool HostPrepareViewSchemeDlg(const TInfoObjectDef* def, TViewScheme& scheme, const QString& viewCaption, bool showDialog,
                              void* sharedQuery);

} // namespace kx::shell
