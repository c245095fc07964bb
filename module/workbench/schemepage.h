// The scheme tab of the plan scheme workbench: every parameter of the scheme with its
// caption, the horizon list with its period dialog, the condition tree "参与范围" (the
// shared TMRPFilterTree over every object a run reads), and the read-only owner, state and
// time stamps.
#pragma once

#include "engine/planscheme.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace kx {

class TMRPFilterTree;

class TSchemePage : public QWidget {
    Q_OBJECT

public:
    explicit TSchemePage(QWidget* parent = nullptr);

    QComboBox* cboSchemeName;
    QComboBox* cboMainSource;
    QComboBox* cboNeedScope;
    QComboBox* cboCareItemSafety;
    QComboBox* cboCareItemReplace;
    QComboBox* cboCareItemSuites;
    QComboBox* cboCareMRPTrackMode;
    QCheckBox* chkCareItemMRPTrack;
    QCheckBox* chkCareItemLossRate;
    QCheckBox* chkCareItemLotRule;
    QTreeWidget* trlPlanPeriods;
    QPushButton* btnSetPeriods;
    TMRPFilterTree* famFilters;
    QLabel* lblCreater;
    QLabel* lblPlanState;
    QLabel* lblUpdateTime;
    QLabel* lblMpsTime;
    QLabel* lblMrpTime;

    // Shows a scheme's parameters and stamps; its periods and conditions are kept by the page
    // until written back.
    void ShowScheme(const TPlanScheme& scheme);
    // Redisplays the state and time stamps only.
    void ShowState(const TPlanScheme& scheme);
    // Writes the edited parameters, periods and conditions into the scheme.
    void WriteScheme(TPlanScheme& scheme) const;
    // Editing enables the parameter controls; otherwise they are read only.
    void SetEditing(bool editing);
    bool Editing() const { return FEditing; }

    int CalendarID() const { return FCalendarID; }
    const TPlanPeriods& Periods() const { return FPeriods; }
    void SetPeriods(const TPlanPeriods& periods, int calendarID);

    // The period dialog on the page's periods (" 设置(&E)..." and double-click); true when
    // the user confirmed.
    bool EditPeriods();

private:
    void cboNeedScopeChange();
    void ShowPeriods();

    TPlanPeriods FPeriods;
    int FCalendarID = 0;
    bool FEditing = false;
};

} // namespace kx
