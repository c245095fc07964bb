// The factory calendar dialog and the plan-period dialog on the demo calendars: holidays
// marked and cleared reach the engine's work-day arithmetic, rights decide whether anything is
// stored, periods are laid out by days, weeks, months and spans and confirmed without gaps.
#include "masterdatafixture.h"

#include "db/shared.h"
#include "kx_mrp/exports.h"
#include "masterdata/calendarframe.h"
#include "masterdata/setplanperiodsdlg.h"
#include "masterdata/workcalendar.h"
#include "masterdata/workcalenderdlg.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

QDate D(int y, int m, int d)
{
    return QDate(y, m, d);
}

QStringList PeriodTexts(const TSetPlanPeriodsDlg& dlg)
{
    QStringList texts;
    for (int i = 0; i < dlg.trlPlanPeriods->topLevelItemCount(); ++i)
        texts << dlg.trlPlanPeriods->topLevelItem(i)->text(0);
    return texts;
}

} // namespace

class WorkCalendar : public TMasterDataTest {
public:
    static void SetUpTestSuite() { TMasterDataTest::SetUpTestSuite(); }

protected:
    static int StandardCalendar()
    {
        return Scalar(QStringLiteral("select CalIID from KX_MRP_Calendar where CalName='标准工作日历'")).toInt();
    }
    static THolidayList EngineHolidays(int calendarID, const QDate& from)
    {
        THolidayList holidays;
        EXPECT_TRUE(LoadHolidays(SharedQuery(), calendarID, from, holidays));
        return holidays;
    }
};

TEST_F(WorkCalendar, HolidaysEditedInTheDialogAreTheOnesTheEngineWorksWith)
{
    const int id = StandardCalendar();
    ASSERT_GT(id, 0);
    Exec(QStringLiteral("insert into KX_MRP_Holidays values (%1, '2030-01-02')").arg(id));
    EXPECT_EQ(WorkDayOffset(D(2026, 3, 12), 2, EngineHolidays(id, D(2026, 1, 1))), D(2026, 3, 10));

    TWorkCalenderDlg dlg(SharedQuery(), D(2026, 1, 15));
    dlg.LoadCalendars(id);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("工厂日历设置"));
    EXPECT_EQ(dlg.cboCalendar->currentText(), QStringLiteral("标准工作日历"));
    EXPECT_EQ(dlg.famCalendar->Layout().Start, D(2026, 1, 1));
    EXPECT_EQ(dlg.famCalendar->HolidayCount(),
              Scalar(QStringLiteral("select count(*) from KX_MRP_Holidays where CalIID=%1 and CalHoliday>='20260101' and "
                                    "CalHoliday<'20280101'").arg(id)).toInt());
    EXPECT_TRUE(dlg.famCalendar->IsHoliday(D(2026, 1, 1)));
    EXPECT_FALSE(dlg.famCalendar->IsHoliday(D(2026, 1, 4)));      // a Sunday worked for the New Year
    ASSERT_TRUE(dlg.CanUpdate());

    dlg.famCalendar->SelectDates(D(2026, 3, 10), D(2026, 3, 11));
    dlg.btnAddHoliday->click();
    dlg.famCalendar->SelectDates(D(2026, 3, 10), D(2026, 3, 10));
    dlg.btnAddHoliday->click();                                      // marked twice, kept once
    dlg.famCalendar->SelectDates(D(2026, 5, 1), D(2026, 5, 5));
    dlg.btnClearHoliday->click();
    TScriptedMessages script;
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(script.Count(), 0);

    const THolidayList after = EngineHolidays(id, D(2026, 1, 1));
    EXPECT_TRUE(IsHoliday(after, D(2026, 3, 10)));
    EXPECT_TRUE(IsHoliday(after, D(2026, 3, 11)));
    EXPECT_FALSE(IsHoliday(after, D(2026, 5, 1)));
    EXPECT_TRUE(IsHoliday(after, D(2030, 1, 2)));                    // beyond the months shown: kept
    EXPECT_EQ(WorkDayOffset(D(2026, 3, 12), 2, after), D(2026, 3, 6));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Holidays where CalIID=%1 and CalHoliday='20260310'").arg(id)).toInt(), 1);
}

TEST_F(WorkCalendar, ASelectionOverCellsOutsideTheMonthMarksOnlyItsDays)
{
    TCalendarFrame frame;
    frame.SetStart(2026, 3);                          // March 1st is a Sunday
    frame.grdCalendar->selectionModel()->select(QItemSelection(frame.grdCalendar->model()->index(0, 0),
                                                               frame.grdCalendar->model()->index(0, 21)),
                                                QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(frame.SelectedDates().size(), 15);
    frame.AddSelectionToHoliday();
    EXPECT_EQ(frame.HolidayCount(), 15);
    EXPECT_EQ(frame.GetHoliday(0), D(2026, 3, 1));
    EXPECT_EQ(frame.GetHoliday(14), D(2026, 3, 15));
    frame.SelectDates(D(2026, 3, 2), D(2026, 3, 3));
    frame.ClearHolidaysSelected();
    EXPECT_EQ(frame.HolidayCount(), 13);
    EXPECT_EQ(frame.grdCalendar->model()->index(0, 0).data().toString(), QStringLiteral("2026年\n3月"));
}

TEST_F(WorkCalendar, AUserWithoutUpdateBrowsesButStoresNothing)
{
    const int id = StandardCalendar();
    Exec(QStringLiteral("insert into KX_SYS_AccessRights (AcrObjID, AcrGroup, AcrUsrID, AcrIsGroup) values "
                        "('KX_MRP.Calendar', 'Browse', 'DM-G-BUY', 1) on conflict do nothing"));
    LoginAs(QStringLiteral("DM-USR-ZHANGLI"), QStringLiteral("'DM-G-BUY'"));
    const QString before = Rows(QStringLiteral("select CalHoliday from KX_MRP_Holidays where CalIID=%1 order by 1").arg(id)).join(QLatin1Char(','));
    {
        TWorkCalenderDlg dlg(SharedQuery(), D(2026, 1, 1));
        dlg.LoadCalendars(id);
        EXPECT_FALSE(dlg.CanUpdate());
        EXPECT_FALSE(dlg.btnOk->isEnabled());
        EXPECT_FALSE(dlg.btnAddHoliday->isEnabled());
        EXPECT_FALSE(dlg.btnClearHoliday->isEnabled());
        EXPECT_GT(dlg.famCalendar->HolidayCount(), 0);
        dlg.famCalendar->ClearHolidaysAll();
        dlg.accept();
    }
    EXPECT_EQ(Rows(QStringLiteral("select CalHoliday from KX_MRP_Holidays where CalIID=%1 order by 1").arg(id)).join(QLatin1Char(',')), before);
    LoginAs(QStringLiteral("DM-USR-LIMING"), QStringLiteral("'DM-G-PLAN'"));
}

TEST_F(WorkCalendar, AFailedSaveIsShownAndTheDialogStaysOpen)
{
    const int id = StandardCalendar();
    Exec(QStringLiteral("create function pg_temp.KX_TestRefuse() returns trigger language plpgsql as "
                        "$$ begin raise exception '节假日已锁定'; end $$;"
                        "create trigger KX_TestRefuse before insert on KX_MRP_Holidays for each row execute function pg_temp.KX_TestRefuse()"));
    const int before = Scalar(QStringLiteral("select count(*) from KX_MRP_Holidays where CalIID=%1").arg(id)).toInt();
    TWorkCalenderDlg dlg(SharedQuery(), D(2026, 1, 1));
    dlg.LoadCalendars(id);
    TScriptedMessages script;
    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    ASSERT_EQ(script.Count(), 1);
    EXPECT_TRUE(script.LastText().startsWith(QStringLiteral("错误: 节假日已锁定"))) << script.LastText().toStdString();
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Holidays where CalIID=%1").arg(id)).toInt(), before);
    Exec(QStringLiteral("drop trigger KX_TestRefuse on KX_MRP_Holidays"));
}

TEST_F(WorkCalendar, TheCalendarFormOpensThroughTheEntryPoint)
{
    bool shown = false;
    OnNextDialog<TWorkCalenderDlg>([&shown](TWorkCalenderDlg* dlg) {
        shown = true;
        EXPECT_EQ(dlg->cboCalendar->count(), 2);
        EXPECT_EQ(dlg->famCalendar->Layout().Start, D(QDate::currentDate().year(), QDate::currentDate().month(), 1));
        dlg->resize(760, 620);
        dlg->famCalendar->FocusDate(D(2026, 10, 1));
        EXPECT_TRUE(SavePicture(dlg, QStringLiteral("calendar_dialog.png")));
        dlg->reject();
    });
    EXPECT_EQ(LoadInfoForm(Env(), Def(QStringLiteral("KX_MRP.Calendar"))), 0);
    EXPECT_TRUE(shown);
}

class PlanPeriodsDialog : public TMasterDataTest {
public:
    static void SetUpTestSuite() { TMasterDataTest::SetUpTestSuite(); }
};

TEST_F(PlanPeriodsDialog, AMonthFromItsFirstDayGivesThreePeriods)
{
    TSetPlanPeriodsDlg dlg(SharedQuery(), D(2015, 8, 20));
    dlg.LoadCalendars(0);
    dlg.famCalendar->SelectDates(D(2015, 8, 1), D(2015, 8, 1));
    ASSERT_TRUE(dlg.actPeriodAddMonth->isEnabled());
    dlg.actPeriodAddMonth->trigger();
    EXPECT_EQ(PeriodTexts(dlg), QStringList{QStringLiteral("2015/08/01 (六) - 08/31 (一)")});
    EXPECT_EQ(dlg.famCalendar->FocusedDate(), D(2015, 9, 1));      // ready for the next period
    dlg.accept();
    ASSERT_EQ(dlg.result(), QDialog::Accepted);
    const TPlanPeriods periods = BuildPlanPeriods(dlg.UserPeriods());
    ASSERT_EQ(periods.size(), 3);
    EXPECT_EQ(periods[0].DateEnd, D(2015, 7, 31));
    EXPECT_EQ(periods[2].DateBegin, D(2015, 9, 1));
    EXPECT_EQ(periods[2].DateEnd, D(9999, 12, 31));
    EXPECT_EQ(PlanPeriodsToText(periods), QStringLiteral("42217|42248|"));
}

TEST_F(PlanPeriodsDialog, WeeksDaysSpansAndExtensionsLayPeriodsOut)
{
    TSetPlanPeriodsDlg dlg(SharedQuery(), D(2015, 8, 1));
    dlg.LoadCalendars(0);
    TCalendarFrame* grid = dlg.famCalendar;
    // A selection over two grid rows cannot start weeks or months.
    grid->SelectDates(D(2015, 8, 3), D(2015, 8, 31));
    EXPECT_FALSE(dlg.actPeriodAddWeek->isEnabled());
    EXPECT_FALSE(dlg.actPeriodAddMonth->isEnabled());
    EXPECT_TRUE(dlg.actPeriodAddSpan->isEnabled());
    EXPECT_FALSE(dlg.actPeriodRemove->isEnabled());
    // Two weeks from one row: a week starts every seventh cell.
    grid->SelectDates(D(2015, 8, 3), D(2015, 8, 16));
    ASSERT_TRUE(dlg.actPeriodAddWeek->isEnabled());
    dlg.actPeriodAddWeek->trigger();
    EXPECT_EQ(PeriodTexts(dlg), (QStringList{"2015/08/03 (一) - 08/09 (日)", "2015/08/10 (一) - 08/16 (日)"}));
    // The period before a selection stretches over it.
    grid->SelectDates(D(2015, 8, 17), D(2015, 8, 20));
    ASSERT_TRUE(dlg.actPeriodMerge->isEnabled());
    dlg.actPeriodMerge->trigger();
    // A free span, then a single day cut out of it.
    grid->SelectDates(D(2015, 8, 21), D(2015, 8, 31));
    dlg.actPeriodAddSpan->trigger();
    grid->SelectDates(D(2015, 8, 25), D(2015, 8, 25));
    dlg.actPeriodAddDay->trigger();
    EXPECT_EQ(PeriodTexts(dlg), (QStringList{"2015/08/03 (一) - 08/09 (日)", "2015/08/10 (一) - 08/20 (四)", "2015/08/21 (五) - 08/24 (一)",
                                             "2015/08/25 (二)", "2015/08/26 (三) - 08/31 (一)"}));
    // Focusing a day focuses the period that holds it.
    grid->FocusDate(D(2015, 8, 12));
    EXPECT_EQ(dlg.trlPlanPeriods->currentItem(), dlg.trlPlanPeriods->topLevelItem(1));
    dlg.resize(960, 600);
    EXPECT_TRUE(SavePicture(&dlg, QStringLiteral("plan_periods_dialog.png")));
    grid->SelectDates(D(2015, 8, 5), D(2015, 8, 5));
    dlg.actPeriodRemove->trigger();
    EXPECT_EQ(PeriodTexts(dlg).size(), 4);
    dlg.actPeriodRemoveAll->trigger();
    EXPECT_TRUE(PeriodTexts(dlg).isEmpty());
}

TEST_F(PlanPeriodsDialog, GapsAreRefusedAndAnEmptyListMustBeConfirmed)
{
    TSetPlanPeriodsDlg dlg(SharedQuery(), D(2015, 8, 1));
    dlg.LoadCalendars(0);
    dlg.famCalendar->SelectDates(D(2015, 8, 3), D(2015, 8, 3));
    dlg.actPeriodAddWeek->trigger();
    dlg.famCalendar->SelectDates(D(2015, 8, 11), D(2015, 8, 11));
    dlg.actPeriodAddWeek->trigger();
    {
        TScriptedMessages script;
        dlg.accept();
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(script.Texts(), QStringList{QStringLiteral("展望期间需要连续出现, 而日期2015/08/10至2015/08/10间未设置展望期, 请修正!")});
        EXPECT_EQ(dlg.famCalendar->FocusedDate(), D(2015, 8, 10));
    }
    dlg.actPeriodRemoveAll->trigger();
    {
        TScriptedMessages cancel({mrCancel});
        dlg.accept();
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(cancel.LastText(), QStringLiteral("您没有设置任何展望期间, 确认?"));
    }
    TScriptedMessages ok({mrOK});
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(BuildPlanPeriods(dlg.UserPeriods()).isEmpty());
}

TEST_F(PlanPeriodsDialog, TheEntryRoutineGivesBackCalendarAndPeriods)
{
    const int sixDays = Scalar(QStringLiteral("select CalIID from KX_MRP_Calendar where CalName='六天工作制日历'")).toInt();
    TPlanPeriods periods;
    ASSERT_TRUE(TextToPlanPeriods(QStringLiteral("46023|46030|"), periods));     // 2026-01-01 .. 2026-01-07
    int calendar = sixDays;
    OnNextDialog<TSetPlanPeriodsDlg>([](TSetPlanPeriodsDlg* dlg) {
        EXPECT_EQ(dlg->cboCalendar->currentText(), QStringLiteral("六天工作制日历"));
        EXPECT_EQ(dlg->famCalendar->PeriodCount(), 1);
        EXPECT_TRUE(dlg->famCalendar->IsHoliday(D(2026, 1, 1)));
        dlg->famCalendar->SelectDates(D(2026, 1, 8), D(2026, 1, 8));
        dlg->actPeriodAddMonth->trigger();
        dlg->accept();
    });
    ASSERT_TRUE(EditPlanPeriods(periods, calendar, SharedQuery(), D(2026, 1, 1)));
    EXPECT_EQ(calendar, sixDays);
    EXPECT_EQ(PlanPeriodsToText(periods), QStringLiteral("46023|46030|46061|"));   // January 8th to February 7th
}
