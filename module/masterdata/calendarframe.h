// The month grid of the factory calendar: months in rows of three weeks, holidays marked on
// it, and plan periods laid out on it by selecting days. Used by the calendar dialog and the
// plan-period dialog.
#pragma once

#include "masterdata/calendargrid.h"
#include "masterdata/planperiods.h"

#include <QFrame>

class QComboBox;
class QTableView;

namespace kx {

class TCalendarModel;
class TQuery;

class TCalendarFrame : public QFrame {
    Q_OBJECT

public:
    explicit TCalendarFrame(QWidget* parent = nullptr);
    ~TCalendarFrame() override;

    QTableView* grdCalendar;

    // The months shown: from the first day of that month, `count` months (0 is ignored).
    void SetStart(int year, int month);
    void SetMonths(int count);
    const TCalendarLayout& Layout() const { return FLayout; }

    // Holidays, whole days in date order.
    void AddHoliday(const QDate& day);
    QDate GetHoliday(int index) const;
    int HolidayCount() const { return int(FHolidays.size()); }
    const THolidayList& Holidays() const { return FHolidays; }
    bool IsHoliday(const QDate& day) const;
    void AddSelectionToHoliday();
    void ClearHolidaysSelected();
    void ClearHolidaysAll();
    // Shows the calendar's holidays of the months shown (none for ID 0).
    void LoadCalendarHolidays(TQuery& query, int calendarID);

    // Periods in date order, never overlapping.
    void AddPeriod(const QDate& begin, const QDate& end);
    int PeriodCount() const { return FPeriods.Count(); }
    TPlanPeriod GetPeriod(int index) const;
    // The user periods (kind ppkNormal) in date order.
    QList<TPlanPeriod> Periods() const;
    int FindPeriodIndex(const QDate& day) const;
    void FocusPeriod(int index);
    void AddSelectionToPeriodDay();
    void AddSelectionToPeriodWeek();
    void AddSelectionToPeriodMonth();
    void AddSelectionToPeriodSpan();
    void MergePeriodWithPrior();
    void ClearPeriodsSelected();
    void ClearPeriodsAll();

    // The selection: its dated cells in date order, whether they lie in one grid row, and
    // whether the period before them can be extended over them.
    QList<QDate> SelectedDates() const;
    bool SelectionInOneRow() const;
    bool SelectionCanMerged() const;
    // Selects the days from..to that are shown (for keyboard-free callers).
    void SelectDates(const QDate& from, const QDate& to);
    void FocusDate(const QDate& day);
    QDate FocusedDate() const;

Q_SIGNALS:
    void SelectionChanged();
    void DateFocused(const QDate& day);
    // Holidays or periods changed.
    void Changed();

private:
    friend class TCalendarModel;
    void Redraw();
    int MonthLabelWidth() const;
    // Focuses the day after the last day an operation touched.
    void FocusAfter(qint64 lastDay);

    TCalendarLayout FLayout;
    THolidayList FHolidays;
    TPeriodList FPeriods;
    TCalendarModel* FModel;
};

// Fills a combo with the named calendars (text CalName, data CalIID) and selects the one with
// the ID, else the first. Signals of the combo are blocked while it is filled.
void FillCalendarCombo(QComboBox* combo, TQuery& query, int calendarID);

} // namespace kx
