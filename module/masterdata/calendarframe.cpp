#include "masterdata/calendarframe.h"

#include "db/sqlrun.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace kx {

namespace {

const QColor kHolidayBack(255, 214, 214);
const QColor kHolidayText(200, 0, 0);
const QColor kOutsideBack(245, 245, 245);
const QColor kLabelBack(232, 236, 242);
// Periods alternate between two tints so that their borders show.
const QColor kPeriodBack[2] = {QColor(200, 226, 255), QColor(210, 244, 210)};

} // namespace

// The grid's cells: model row r is layout row r + 1 (the weekday letters are the header).
class TCalendarModel : public QAbstractTableModel {
public:
    explicit TCalendarModel(TCalendarFrame* frame) : QAbstractTableModel(frame), FFrame(frame) {}

    void Reset()
    {
        beginResetModel();
        endResetModel();
    }
    void Repaint()
    {
        if (rowCount() > 0)
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
    QDate DateOf(const QModelIndex& index) const { return FFrame->FLayout.DateAt(index.row() + 1, index.column()); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : FFrame->FLayout.RowCount() - 1;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : FFrame->FLayout.ColumnCount();
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return QVariant();
        const TCalendarLayout& layout = FFrame->FLayout;
        if (index.column() == 0) {
            switch (role) {
            case Qt::DisplayRole:
                // The label spans the month's two rows: the year above the month.
                return index.row() % 2 == 0
                    ? TCalendarLayout::MonthLabel(layout.MonthOfRow(index.row() + 1)).replace(QStringLiteral("年"), QStringLiteral("年\n"))
                    : QVariant();
            case Qt::BackgroundRole: return kLabelBack;
            case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
            default: return QVariant();
            }
        }
        const QDate day = DateOf(index);
        if (!day.isValid())
            return role == Qt::BackgroundRole ? QVariant(kOutsideBack) : QVariant();
        const bool holiday = FFrame->IsHoliday(day);
        switch (role) {
        case Qt::DisplayRole: return day.day();
        case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
        case Qt::ToolTipRole: return day.toString(QStringLiteral("yyyy/MM/dd"));
        case Qt::ForegroundRole: return holiday ? QVariant(kHolidayText) : QVariant();
        case Qt::BackgroundRole: {
            const int period = FFrame->FindPeriodIndex(day);
            if (period >= 0)
                return kPeriodBack[period % 2];
            return holiday ? QVariant(kHolidayBack) : QVariant();
        }
        case Qt::FontRole:
            if (day == QDate::currentDate() || holiday) {
                QFont font;
                font.setBold(true);
                font.setUnderline(day == QDate::currentDate());
                return font;
            }
            return QVariant();
        default: return QVariant();
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid() || index.column() == 0)
            return Qt::ItemIsEnabled;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return TCalendarLayout::WeekdayLetter(section);
        return QVariant();
    }

private:
    TCalendarFrame* FFrame;
};

TCalendarFrame::TCalendarFrame(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("famCalendar"));
    FLayout.Start = QDate(QDate::currentDate().year(), QDate::currentDate().month(), 1);
    FModel = new TCalendarModel(this);
    grdCalendar = new QTableView(this);
    grdCalendar->setObjectName(QStringLiteral("grdCalendar"));
    grdCalendar->setModel(FModel);
    grdCalendar->verticalHeader()->hide();
    grdCalendar->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdCalendar->verticalHeader()->setDefaultSectionSize(20);
    grdCalendar->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdCalendar->horizontalHeader()->setDefaultSectionSize(26);
    grdCalendar->horizontalHeader()->setMinimumSectionSize(20);
    grdCalendar->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdCalendar->setSelectionBehavior(QAbstractItemView::SelectItems);
    grdCalendar->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdCalendar->setCornerButtonEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grdCalendar);
    setMinimumWidth(MonthLabelWidth() + 21 * 26 + 24);
    connect(grdCalendar->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TCalendarFrame::SelectionChanged);
    connect(grdCalendar->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        const QDate day = FModel->DateOf(current);
        if (day.isValid())
            Q_EMIT DateFocused(day);
    });
    Redraw();
}

TCalendarFrame::~TCalendarFrame()
{
    delete grdCalendar;
}

int TCalendarFrame::MonthLabelWidth() const
{
    // The month's label stands on two lines, the year ("2026年") above the month ("12月").
    const QFontMetrics metrics(grdCalendar->font());
    return std::max(metrics.horizontalAdvance(QStringLiteral("0000年")), metrics.horizontalAdvance(QStringLiteral("00月"))) + 12;
}

void TCalendarFrame::Redraw()
{
    FModel->Reset();
    grdCalendar->clearSpans();
    grdCalendar->setColumnWidth(0, MonthLabelWidth());
    for (int row = 0; row + 1 < FModel->rowCount(); row += 2)
        grdCalendar->setSpan(row, 0, 2, 1);
}

void TCalendarFrame::SetStart(int year, int month)
{
    FLayout.Start = QDate(year, month, 1);
    Redraw();
}

void TCalendarFrame::SetMonths(int count)
{
    if (count <= 0)
        return;
    FLayout.Months = count;
    Redraw();
}

void TCalendarFrame::AddHoliday(const QDate& day)
{
    if (day.isValid() && kx::AddHoliday(FHolidays, DateToDayNumber(day)))
        FModel->Repaint();
}

QDate TCalendarFrame::GetHoliday(int index) const
{
    return DayNumberToDate(FHolidays.value(index));
}

bool TCalendarFrame::IsHoliday(const QDate& day) const
{
    return kx::IsHoliday(FHolidays, day);
}

void TCalendarFrame::AddSelectionToHoliday()
{
    for (const QDate& day : SelectedDates())
        kx::AddHoliday(FHolidays, DateToDayNumber(day));
    FModel->Repaint();
    Q_EMIT Changed();
}

void TCalendarFrame::ClearHolidaysSelected()
{
    for (const QDate& day : SelectedDates())
        RemoveHoliday(FHolidays, DateToDayNumber(day));
    FModel->Repaint();
    Q_EMIT Changed();
}

void TCalendarFrame::ClearHolidaysAll()
{
    FHolidays.clear();
    FModel->Repaint();
    Q_EMIT Changed();
}

void TCalendarFrame::LoadCalendarHolidays(TQuery& query, int calendarID)
{
    FHolidays.clear();
    THolidayList holidays;
    if (calendarID != 0 && LoadHolidaysBetween(query, calendarID, FLayout.Start, FLayout.End(), holidays))
        FHolidays = holidays;
    FModel->Repaint();
    Q_EMIT Changed();
}

void TCalendarFrame::AddPeriod(const QDate& begin, const QDate& end)
{
    FPeriods.Add(DateToDayNumber(begin), DateToDayNumber(end));
    FModel->Repaint();
    Q_EMIT Changed();
}

TPlanPeriod TCalendarFrame::GetPeriod(int index) const
{
    const TPeriod& p = FPeriods.At(index);
    return TPlanPeriod{ppkNormal, DayNumberToDate(p.DateBegin), DayNumberToDate(p.DateEnd)};
}

QList<TPlanPeriod> TCalendarFrame::Periods() const
{
    QList<TPlanPeriod> periods;
    for (int i = 0; i < FPeriods.Count(); ++i)
        periods << GetPeriod(i);
    return periods;
}

int TCalendarFrame::FindPeriodIndex(const QDate& day) const
{
    return day.isValid() ? FPeriods.FindIndex(DateToDayNumber(day)) : -1;
}

void TCalendarFrame::FocusPeriod(int index)
{
    if (index < 0 || index >= FPeriods.Count())
        return;
    const TPeriod& p = FPeriods.At(index);
    SelectDates(DayNumberToDate(p.DateBegin), DayNumberToDate(p.DateEnd));
}

void TCalendarFrame::FocusAfter(qint64 lastDay)
{
    FModel->Repaint();
    FocusDate(DayNumberToDate(lastDay + 1));
    Q_EMIT Changed();
}

void TCalendarFrame::AddSelectionToPeriodDay()
{
    const QList<QDate> days = SelectedDates();
    if (days.isEmpty())
        return;
    for (const QDate& day : days)
        FPeriods.Add(DateToDayNumber(day), DateToDayNumber(day));
    FocusAfter(DateToDayNumber(days.last()));
}

void TCalendarFrame::AddSelectionToPeriodWeek()
{
    if (!SelectionInOneRow())
        return;
    const QModelIndexList cells = grdCalendar->selectionModel()->selectedIndexes();
    int first = TCalendarLayout::kDayColumns, last = 0;
    for (const QModelIndex& cell : cells) {
        first = std::min(first, cell.column());
        last = std::max(last, cell.column());
    }
    const int row = cells.first().row() + 1;
    qint64 lastDay = -1;
    for (int column = std::max(first, 1); column <= last; column += 7) {
        const QDate day = FLayout.DateAt(row, column);
        if (!day.isValid())
            continue;
        lastDay = DateToDayNumber(day) + 6;
        FPeriods.Add(DateToDayNumber(day), lastDay);
    }
    if (lastDay >= 0)
        FocusAfter(lastDay);
}

void TCalendarFrame::AddSelectionToPeriodMonth()
{
    if (!SelectionInOneRow())
        return;
    // Each selected day not covered by the month just laid starts a month of its own length.
    qint64 lastDay = -1;
    for (const QDate& day : SelectedDates()) {
        const qint64 begin = DateToDayNumber(day);
        if (begin <= lastDay)
            continue;
        lastDay = begin + day.daysInMonth() - 1;
        FPeriods.Add(begin, lastDay);
    }
    if (lastDay >= 0)
        FocusAfter(lastDay);
}

void TCalendarFrame::AddSelectionToPeriodSpan()
{
    const QList<QDate> days = SelectedDates();
    if (days.isEmpty())
        return;
    FPeriods.Add(DateToDayNumber(days.first()), DateToDayNumber(days.last()));
    FocusAfter(DateToDayNumber(days.last()));
}

void TCalendarFrame::MergePeriodWithPrior()
{
    const QList<QDate> days = SelectedDates();
    if (days.isEmpty())
        return;
    const qint64 last = DateToDayNumber(days.last());
    const int target = FPeriods.MergeTarget(DateToDayNumber(days.first()), last);
    if (target < 0)
        return;
    FPeriods.Add(FPeriods.At(target).DateBegin, last);
    FocusAfter(last);
}

void TCalendarFrame::ClearPeriodsSelected()
{
    for (const QDate& day : SelectedDates()) {
        const qint64 d = DateToDayNumber(day);
        FPeriods.RemoveTouching(d, d);
    }
    FModel->Repaint();
    Q_EMIT Changed();
}

void TCalendarFrame::ClearPeriodsAll()
{
    FPeriods.Clear();
    FModel->Repaint();
    Q_EMIT Changed();
}

QList<QDate> TCalendarFrame::SelectedDates() const
{
    QList<QDate> days;
    for (const QModelIndex& cell : grdCalendar->selectionModel()->selectedIndexes()) {
        const QDate day = FModel->DateOf(cell);
        if (day.isValid())
            days << day;
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    return days;
}

bool TCalendarFrame::SelectionInOneRow() const
{
    const QModelIndexList cells = grdCalendar->selectionModel()->selectedIndexes();
    if (SelectedDates().isEmpty())
        return false;
    return std::all_of(cells.begin(), cells.end(), [&cells](const QModelIndex& c) { return c.row() == cells.first().row(); });
}

bool TCalendarFrame::SelectionCanMerged() const
{
    const QList<QDate> days = SelectedDates();
    return !days.isEmpty() && FPeriods.MergeTarget(DateToDayNumber(days.first()), DateToDayNumber(days.last())) >= 0;
}

void TCalendarFrame::SelectDates(const QDate& from, const QDate& to)
{
    QItemSelection selection;
    for (QDate day = from; day.isValid() && day <= to; day = day.addDays(1)) {
        int row = 0, column = 0;
        if (FLayout.CellOf(day, row, column)) {
            const QModelIndex cell = FModel->index(row - 1, column);
            selection.select(cell, cell);
        }
    }
    int row = 0, column = 0;
    if (FLayout.CellOf(from, row, column))
        grdCalendar->selectionModel()->setCurrentIndex(FModel->index(row - 1, column), QItemSelectionModel::NoUpdate);
    grdCalendar->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void TCalendarFrame::FocusDate(const QDate& day)
{
    int row = 0, column = 0;
    if (!FLayout.CellOf(day, row, column))
        return;
    const QModelIndex cell = FModel->index(row - 1, column);
    grdCalendar->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    grdCalendar->scrollTo(cell);
}

QDate TCalendarFrame::FocusedDate() const
{
    return FModel->DateOf(grdCalendar->currentIndex());
}

void FillCalendarCombo(QComboBox* combo, TQuery& query, int calendarID)
{
    const QSignalBlocker block(combo);
    combo->clear();
    if (RunSQL(query, kCalendarListSQL, true))
        for (query.First(); !query.Eof(); query.Next())
            combo->addItem(query.FieldByName(QStringLiteral("CalName")).AsString(), query.FieldByName(QStringLiteral("CalIID")).AsInteger());
    const int at = combo->findData(calendarID);
    combo->setCurrentIndex(at >= 0 ? at : (combo->count() > 0 ? 0 : -1));
}

} // namespace kx
