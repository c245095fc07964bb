// The factory calendar dialog "工厂日历设置": one of the named calendars shown month by month;
// a user who holds "Update" on "KX_MRP.Calendar" marks and clears holidays, and OK replaces the
// calendar's holidays of the months shown.
#pragma once

#include "kx_mrp/objectdef.h"
#include "views/dialog.h"

#include <QDate>

class QComboBox;
class QLabel;

namespace kx {

class TCalendarFrame;
class TQuery;

class TWorkCalenderDlg : public TDialog {
    Q_OBJECT

public:
    TWorkCalenderDlg(TQuery& query, const QDate& startDate, QWidget* parent = nullptr);

    TCalendarFrame* famCalendar;
    QLabel* lblCalendar;
    QComboBox* cboCalendar;
    QPushButton* btnAddHoliday;
    QPushButton* btnClearHoliday;

    // Lists the calendars and selects the one with the ID (else the first).
    void LoadCalendars(int calendarID);
    // CalIID of the selected calendar, 0 when none.
    int CalendarID() const;
    bool CanUpdate() const { return FCanUpdate; }

protected:
    bool CanClose() override;

private:
    void cboCalendarChange();

    TQuery& FByQuery;
    bool FCanUpdate = false;
};

// Shows the dialog on the calendar (the first when the ID is not found) from the month of
// the start date; true and the chosen calendar when the user confirms.
bool EditCalendar(int& calendarID, TQuery& query, const QDate& startDate, QWidget* parent = nullptr);

// The entry of the form "KX_MRP.Calendar": the dialog on today's month and the shared query.
void ShowWorkCalendarForm(const TInfoObjectDef* def);

} // namespace kx
