#include "masterdata/setplanperiodsdlg.h"

#include "db/messages.h"
#include "masterdata/calendarframe.h"
#include "masterdata/workcalenderdlg.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

namespace kx {

namespace {

// One image per period length: a day, a few days, a week, longer.
QIcon LengthImage(TPlanPeriodLength length)
{
    static const QColor colours[] = {QColor(150, 150, 150), QColor(70, 130, 200), QColor(60, 160, 80), QColor(220, 130, 40)};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours[length]);
    const int width = 4 + 3 * int(length);
    painter.drawRect(1, 3, width, 10);
    return QIcon(pixmap);
}

} // namespace

TSetPlanPeriodsDlg::TSetPlanPeriodsDlg(TQuery& query, const QDate& startDate, QWidget* parent) : TDialog(parent), FByQuery(query)
{
    setWindowTitle(QStringLiteral("计划展望期设置"));
    resize(900, 580);
    auto* lblCalendar = new QLabel(QStringLiteral("日历名称(&N):"), this);
    cboCalendar = new QComboBox(this);
    cboCalendar->setObjectName(QStringLiteral("cboCalendar"));
    cboCalendar->setMinimumWidth(200);
    lblCalendar->setBuddy(cboCalendar);
    actSetCalender = new QAction(QStringLiteral(" 设置(&S)..."), this);
    btnSetCalendar = new QPushButton(actSetCalender->text(), this);
    btnSetCalendar->setAutoDefault(false);
    connect(btnSetCalendar, &QPushButton::clicked, actSetCalender, &QAction::trigger);
    auto* top = new QHBoxLayout;
    top->addWidget(lblCalendar);
    top->addWidget(cboCalendar);
    top->addWidget(btnSetCalendar);
    top->addStretch(1);

    famCalendar = new TCalendarFrame(this);
    const QDate start = startDate.isValid() ? startDate : QDate::currentDate();
    famCalendar->SetStart(start.year(), start.month());

    auto* lblPeriods = new QLabel(QStringLiteral("展望期(&P):"), this);
    trlPlanPeriods = new QTreeWidget(this);
    trlPlanPeriods->setObjectName(QStringLiteral("trlPlanPeriods"));
    trlPlanPeriods->setHeaderHidden(true);
    trlPlanPeriods->setRootIsDecorated(false);
    trlPlanPeriods->setColumnCount(1);
    trlPlanPeriods->setMinimumWidth(230);
    lblPeriods->setBuddy(trlPlanPeriods);

    auto makeAction = [this](const QString& text) {
        auto* action = new QAction(text, this);
        auto* button = new QToolButton(this);
        button->setDefaultAction(action);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setMinimumWidth(90);
        return std::pair{action, button};
    };
    auto* buttons = new QGridLayout;
    const std::pair<QAction**, QString> actions[] = {
        {&actPeriodAddDay, QStringLiteral("天(&D)")},         {&actPeriodAddWeek, QStringLiteral("周(&W)")},
        {&actPeriodAddMonth, QStringLiteral("月(&M)")},       {&actPeriodAddSpan, QStringLiteral("时段(&A)")},
        {&actPeriodMerge, QStringLiteral("延展前时段(&H)")}, {&actPeriodRemove, QStringLiteral("清除(&C)")},
        {&actPeriodRemoveAll, QStringLiteral("清除全部(&X)")},
    };
    int n = 0;
    for (const auto& [slot, text] : actions) {
        auto [action, button] = makeAction(text);
        *slot = action;
        buttons->addWidget(button, n / 2, n % 2);
        ++n;
    }
    auto* side = new QVBoxLayout;
    side->addWidget(lblPeriods);
    side->addWidget(trlPlanPeriods, 1);
    side->addLayout(buttons);
    auto* body = new QHBoxLayout;
    body->addWidget(famCalendar, 1);
    body->addLayout(side);
    ContentLayout()->addLayout(top);
    ContentLayout()->addLayout(body, 1);

    connect(actPeriodAddDay, &QAction::triggered, famCalendar, &TCalendarFrame::AddSelectionToPeriodDay);
    connect(actPeriodAddWeek, &QAction::triggered, famCalendar, &TCalendarFrame::AddSelectionToPeriodWeek);
    connect(actPeriodAddMonth, &QAction::triggered, famCalendar, &TCalendarFrame::AddSelectionToPeriodMonth);
    connect(actPeriodAddSpan, &QAction::triggered, famCalendar, &TCalendarFrame::AddSelectionToPeriodSpan);
    connect(actPeriodMerge, &QAction::triggered, famCalendar, &TCalendarFrame::MergePeriodWithPrior);
    connect(actPeriodRemove, &QAction::triggered, famCalendar, &TCalendarFrame::ClearPeriodsSelected);
    connect(actPeriodRemoveAll, &QAction::triggered, famCalendar, &TCalendarFrame::ClearPeriodsAll);
    connect(actSetCalender, &QAction::triggered, this, &TSetPlanPeriodsDlg::actSetCalenderExecute);
    connect(cboCalendar, &QComboBox::currentIndexChanged, this, &TSetPlanPeriodsDlg::cboCalendarChange);
    connect(famCalendar, &TCalendarFrame::Changed, this, &TSetPlanPeriodsDlg::PeriodsChanged);
    connect(famCalendar, &TCalendarFrame::SelectionChanged, this, &TSetPlanPeriodsDlg::UpdateActions);
    connect(famCalendar, &TCalendarFrame::DateFocused, this, &TSetPlanPeriodsDlg::famCalendarDateFocused);
    connect(trlPlanPeriods, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && !FSyncing)
            famCalendar->FocusPeriod(item->data(0, Qt::UserRole).toInt());
    });
    UpdateActions();
}

void TSetPlanPeriodsDlg::LoadCalendars(int calendarID)
{
    FillCalendarCombo(cboCalendar, FByQuery, calendarID);
    cboCalendarChange();
}

int TSetPlanPeriodsDlg::CalendarID() const
{
    return cboCalendar->currentIndex() < 0 ? 0 : cboCalendar->currentData().toInt();
}

void TSetPlanPeriodsDlg::SetPlanPeriods(const TPlanPeriods& periods)
{
    famCalendar->ClearPeriodsAll();
    for (qsizetype i = 1; i + 1 < periods.size(); ++i)
        famCalendar->AddPeriod(periods[i].DateBegin, periods[i].DateEnd);
}

void TSetPlanPeriodsDlg::cboCalendarChange()
{
    famCalendar->LoadCalendarHolidays(FByQuery, CalendarID());
}

void TSetPlanPeriodsDlg::actSetCalenderExecute()
{
    int id = CalendarID();
    if (EditCalendar(id, FByQuery, famCalendar->Layout().Start, this))
        LoadCalendars(id);
}

void TSetPlanPeriodsDlg::PeriodsChanged()
{
    FPlanPeriods = famCalendar->Periods();
    FSyncing = true;
    trlPlanPeriods->clear();
    for (int i = 0; i < FPlanPeriods.size(); ++i) {
        const TPlanPeriod& p = FPlanPeriods[i];
        auto* node = new QTreeWidgetItem(trlPlanPeriods, QStringList{PlanPeriodText(p.DateBegin, p.DateEnd)});
        node->setIcon(0, LengthImage(PlanPeriodLength(p.DateBegin, p.DateEnd)));
        node->setData(0, Qt::UserRole, i);
    }
    FSyncing = false;
    famCalendarDateFocused(famCalendar->FocusedDate());
    UpdateActions();
}

void TSetPlanPeriodsDlg::famCalendarDateFocused(const QDate& day)
{
    const int index = famCalendar->FindPeriodIndex(day);
    FSyncing = true;
    trlPlanPeriods->setCurrentItem(index >= 0 ? trlPlanPeriods->topLevelItem(index) : nullptr);
    FSyncing = false;
}

void TSetPlanPeriodsDlg::UpdateActions()
{
    const bool selected = !famCalendar->SelectedDates().isEmpty();
    const bool oneRow = famCalendar->SelectionInOneRow();
    actPeriodAddDay->setEnabled(selected);
    actPeriodAddSpan->setEnabled(selected);
    actPeriodAddWeek->setEnabled(oneRow);
    actPeriodAddMonth->setEnabled(oneRow);
    actPeriodMerge->setEnabled(famCalendar->SelectionCanMerged());
    actPeriodRemove->setEnabled(famCalendar->PeriodCount() > 0);
    actPeriodRemoveAll->setEnabled(famCalendar->PeriodCount() > 0);
}

bool TSetPlanPeriodsDlg::CanClose()
{
    if (FPlanPeriods.isEmpty()) {
        if (ShowQuestion(QStringLiteral("您没有设置任何展望期间, 确认?"), mbOKCancel) == mrOK)
            return true;
        famCalendar->grdCalendar->setFocus();
        return false;
    }
    QDate gapBegin, gapEnd;
    if (!PlanPeriodsContiguous(FPlanPeriods, gapBegin, gapEnd)) {
        ShowWarning(QStringLiteral("展望期间需要连续出现, 而日期%1至%2间未设置展望期, 请修正!")
                        .arg(gapBegin.toString(QStringLiteral("yyyy/MM/dd")), gapEnd.toString(QStringLiteral("yyyy/MM/dd"))));
        famCalendar->FocusDate(gapBegin);
        famCalendar->grdCalendar->setFocus();
        return false;
    }
    return true;
}

bool EditPlanPeriods(TPlanPeriods& periods, int& calendarID, TQuery& query, const QDate& startDate, QWidget* parent)
{
    TSetPlanPeriodsDlg dlg(query, startDate, parent);
    dlg.LoadCalendars(calendarID);
    dlg.SetPlanPeriods(periods);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    calendarID = dlg.CalendarID();
    periods = BuildPlanPeriods(dlg.UserPeriods());
    return true;
}

} // namespace kx
