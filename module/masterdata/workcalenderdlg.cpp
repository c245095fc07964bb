#include "masterdata/workcalenderdlg.h"

#include "db/shared.h"
#include "db/sqlrun.h"
#include "masterdata/calendarframe.h"
#include "masterdata/workcalendar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace kx {

namespace {

const QString kCalendarObjectID = QStringLiteral("KX_MRP.Calendar");

bool HoldsCalendarUpdate()
{
    TModuleEnvironment* env = Env();
    const TInfoObjectDef* def = env && env->GetObjectDef ? env->GetObjectDef(kCalendarObjectID) : nullptr;
    return def && def->GetAccessGroup(QStringLiteral("Update"));
}

} // namespace

TWorkCalenderDlg::TWorkCalenderDlg(TQuery& query, const QDate& startDate, QWidget* parent) : TDialog(parent), FByQuery(query)
{
    setWindowTitle(QStringLiteral("工厂日历设置"));
    resize(700, 560);
    lblCalendar = new QLabel(QStringLiteral("日历名称(&N):"), this);
    cboCalendar = new QComboBox(this);
    cboCalendar->setObjectName(QStringLiteral("cboCalendar"));
    cboCalendar->setMinimumWidth(200);
    lblCalendar->setBuddy(cboCalendar);
    btnAddHoliday = new QPushButton(QStringLiteral(" 设置休息日(&A)"), this);
    btnClearHoliday = new QPushButton(QStringLiteral(" 清除休息日(&C)"), this);
    for (QPushButton* b : {btnAddHoliday, btnClearHoliday})
        b->setAutoDefault(false);
    auto* top = new QHBoxLayout;
    top->addWidget(lblCalendar);
    top->addWidget(cboCalendar);
    top->addStretch(1);
    top->addWidget(btnAddHoliday);
    top->addWidget(btnClearHoliday);
    famCalendar = new TCalendarFrame(this);
    const QDate start = startDate.isValid() ? startDate : QDate::currentDate();
    famCalendar->SetStart(start.year(), start.month());
    ContentLayout()->addLayout(top);
    ContentLayout()->addWidget(famCalendar, 1);

    FCanUpdate = HoldsCalendarUpdate();
    for (QPushButton* b : {btnOk, btnAddHoliday, btnClearHoliday})
        b->setEnabled(FCanUpdate);
    connect(btnAddHoliday, &QPushButton::clicked, famCalendar, &TCalendarFrame::AddSelectionToHoliday);
    connect(btnClearHoliday, &QPushButton::clicked, famCalendar, &TCalendarFrame::ClearHolidaysSelected);
    connect(cboCalendar, &QComboBox::currentIndexChanged, this, &TWorkCalenderDlg::cboCalendarChange);
}

void TWorkCalenderDlg::LoadCalendars(int calendarID)
{
    FillCalendarCombo(cboCalendar, FByQuery, calendarID);
    cboCalendarChange();
}

int TWorkCalenderDlg::CalendarID() const
{
    return cboCalendar->currentIndex() < 0 ? 0 : cboCalendar->currentData().toInt();
}

void TWorkCalenderDlg::cboCalendarChange()
{
    famCalendar->LoadCalendarHolidays(FByQuery, CalendarID());
}

bool TWorkCalenderDlg::CanClose()
{
    const int id = CalendarID();
    if (id == 0 || !FCanUpdate)
        return id != 0;
    const TCalendarLayout& layout = famCalendar->Layout();
    return RunSQL(FByQuery, ReplaceHolidaysSQL(id, layout.Start, layout.End(), famCalendar->Holidays()), false);
}

bool EditCalendar(int& calendarID, TQuery& query, const QDate& startDate, QWidget* parent)
{
    TWorkCalenderDlg dlg(query, startDate, parent);
    dlg.LoadCalendars(calendarID);
    if (dlg.exec() != QDialog::Accepted || dlg.CalendarID() == 0)
        return false;
    calendarID = dlg.CalendarID();
    return true;
}

void ShowWorkCalendarForm(const TInfoObjectDef*)
{
    int calendarID = 0;
    EditCalendar(calendarID, SharedQuery(), QDate::currentDate());
}

} // namespace kx
