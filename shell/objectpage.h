// One tab of the main window: a view of the module or the host (with the detail views of
// its object's relations below it, linked to the focused master record), a workbench frame
// or a bill editor. The page routes commands to the part that has the focus and frees
// what it hosts when it closes.
#pragma once

#include "kx_mrp/interfaces.h"

#include <QList>
#include <QWidget>

#include <functional>

class QSplitter;
class QTabWidget;

namespace kx {
class TFilterBar;
}

namespace kx::shell {

class TObjectPage : public QWidget {
    Q_OBJECT

public:
    using TViewFactory = std::function<IInfoView*(const TInfoObjectDef* def)>;
    using TDefinitionSource = std::function<const TInfoObjectDef*(const QString& objectID)>;

    // A list view of the object; the detail views of its relations are created with the
    // factory for the objects the source defines (objects the user may not see are left out).
    TObjectPage(const TInfoObjectDef* def, IInfoView* view, const TViewFactory& createDetail,
                const TDefinitionSource& definitions, QWidget* parent = nullptr);
    TObjectPage(const TInfoObjectDef* def, IInfoFrame* frame, QWidget* parent = nullptr);
    TObjectPage(const TInfoObjectDef* def, IInfoEdit* editor, QWidget* parent = nullptr);
    ~TObjectPage() override;

    const TInfoObjectDef* ObjectDef() const { return FDef; }
    QString Caption() const;
    IInfoView* View() const { return FView; }
    IInfoFrame* Frame() const { return FFrame; }
    IInfoEdit* Editor() const { return FEditor; }
    // The view that had the focus last: a detail view or the master.
    IInfoView* ActiveView() const;
    QList<IInfoView*> DetailViews() const;
    QTabWidget* DetailTabs() const { return pgcDetails; }

    bool QueryCommandState(int command, TCommandState& state);
    bool ExecCommand(int command);
    // Asks every hosted part; false keeps the page open.
    bool QueryClose();
    void ProcessIdle();
    // Shows the bar above the list when the list's scheme filters its rows: the filter in
    // words and a button that clears it and brings the rows back.
    void UpdateFilterBar();
    TFilterBar* FilterBar() const { return barFilter; }
    // The one-click clear: the scheme without its filter, the rows loaded again.
    void ClearFilter();

    // Sends the focused master record to every detail view (the visible one refreshes now,
    // hidden ones when they are shown).
    void LinkDetails();

    // The master values a detail view of the relation gets: for each "MasterField=DetailField"
    // item of the relation's field map, "DetailField=<literal>" with the master's focused
    // value as a literal of the detail field's type. Empty without a focused master record.
    static QString DetailMasterValues(const TInfoRelationDef& relation, IInfoView* master, const TInfoObjectDef* detailDef);

private:
    struct TDetail {
        const TInfoRelationDef* Relation;
        IInfoView* View;
        QWidget* Widget;
    };

    void Place(QWidget* widget);
    void CreateDetails(const TViewFactory& createDetail, const TDefinitionSource& definitions);
    void DetailShown(int index);

    const TInfoObjectDef* FDef;
    IInfoView* FView = nullptr;
    IInfoFrame* FFrame = nullptr;
    IInfoEdit* FEditor = nullptr;
    QWidget* FWidget = nullptr;
    QWidget* FMasterHolder = nullptr;
    QSplitter* FSplitter = nullptr;
    QTabWidget* pgcDetails = nullptr;
    TFilterBar* barFilter = nullptr;
    QList<TDetail> FDetails;
    IInfoView* FActive = nullptr;
};

// The widget behind an interface the module or the host returned.
QWidget* WidgetOf(IInterface* object);

} // namespace kx::shell
