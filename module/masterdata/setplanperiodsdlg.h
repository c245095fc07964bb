// The plan-period dialog "计划展望期设置": the user lays a scheme's periods out on a factory
// calendar (days, weeks, months, free spans, extending the period before) and confirms a
// list without gaps.
#pragma once

#include "masterdata/planperiods.h"
#include "views/dialog.h"

class QAction;
class QComboBox;
class QLabel;
class QTreeWidget;

namespace kx {

class TCalendarFrame;
class TQuery;

class TSetPlanPeriodsDlg : public TDialog {
    Q_OBJECT

public:
    TSetPlanPeriodsDlg(TQuery& query, const QDate& startDate, QWidget* parent = nullptr);

    TCalendarFrame* famCalendar;
    QComboBox* cboCalendar;
    QPushButton* btnSetCalendar;
    QAction* actSetCalender;
    QTreeWidget* trlPlanPeriods;
    QAction* actPeriodAddDay;
    QAction* actPeriodAddWeek;
    QAction* actPeriodAddMonth;
    QAction* actPeriodAddSpan;
    QAction* actPeriodMerge;
    QAction* actPeriodRemove;
    QAction* actPeriodRemoveAll;

    // Lists the calendars, selects the one with the ID (else the first) and shows its holidays.
    void LoadCalendars(int calendarID);
    int CalendarID() const;
    // Puts the user periods of a full list (elements 1 to n) on the calendar.
    void SetPlanPeriods(const TPlanPeriods& periods);
    // The user periods laid out, in date order.
    const QList<TPlanPeriod>& UserPeriods() const { return FPlanPeriods; }
    // Enables the actions by the selection and the periods.
    void UpdateActions();

protected:
    bool CanClose() override;

private:
    void cboCalendarChange();
    void actSetCalenderExecute();
    void PeriodsChanged();
    void famCalendarDateFocused(const QDate& day);

    TQuery& FByQuery;
    QList<TPlanPeriod> FPlanPeriods;
    bool FSyncing = false;
};

// Shows the dialog on a period list and calendar from the month of the start date. On OK
// writes back the calendar (0 when none is selected) and the full period list (empty when no
// period was laid out) and returns true.
bool EditPlanPeriods(TPlanPeriods& periods, int& calendarID, TQuery& query, const QDate& startDate, QWidget* parent = nullptr);

} // namespace kx
