#include "views/fillvaluesdlg.h"

#include "db/escape.h"
#include "db/messages.h"
#include "db/shared.h"
#include "views/columneditor.h"
#include "views/commonui.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

namespace kx {

// One line per editable column: tick, caption and the value to fill.
class TFillValuesModel : public QAbstractTableModel {
public:
    enum { colClear, colField, colValue, colCount };

    explicit TFillValuesModel(const QList<const TViewColumn*>& columns, QObject* parent)
        : QAbstractTableModel(parent), FColumns(columns), FTicked(columns.size(), false), FValues(columns.size())
    {
    }

    const TViewColumn* ColumnAt(int row) const { return FColumns.value(row); }
    int RowOf(const QString& fieldName) const
    {
        for (int i = 0; i < FColumns.size(); ++i)
            if (FColumns[i]->FieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    bool Ticked(int row) const { return FTicked.value(row); }
    const QVariant& Value(int row) const { return FValues[row]; }
    void SetAllTicked(bool ticked)
    {
        FTicked.fill(ticked);
        if (!FColumns.isEmpty())
            Q_EMIT dataChanged(index(0, colClear), index(rowCount() - 1, colClear));
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : int(FColumns.size()); }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : colCount; }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QVariant();
        switch (section) {
        case colClear: return QString();
        case colField: return QStringLiteral("字段");
        case colValue: return QStringLiteral("填充内容");
        default: return QVariant();
        }
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
            return QVariant();
        const TViewColumn* column = FColumns[index.row()];
        const QVariant& value = FValues[index.row()];
        switch (index.column()) {
        case colClear:
            return role == Qt::CheckStateRole ? QVariant(FTicked[index.row()] ? Qt::Checked : Qt::Unchecked) : QVariant();
        case colField: return role == Qt::DisplayRole ? QVariant(column->Caption) : QVariant();
        case colValue: {
            if (role == vrRawValue || role == Qt::EditRole)
                return value;
            if (column->Kind == ckBoolean)
                return role == Qt::CheckStateRole ? QVariant(IsTrueValue(value) ? Qt::Checked : Qt::Unchecked) : QVariant();
            if (role == Qt::DisplayRole) {
                QVariant typed;
                return ConvertFieldValue(value, column->DataType, typed) && !typed.isNull() ? column->DisplayText(typed)
                                                                                             : EnteredValueText(value);
            }
            return role == Qt::TextAlignmentRole ? QVariant(int(column->Alignment)) : QVariant();
        }
        default: return QVariant();
        }
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
            return false;
        const int row = index.row();
        if (index.column() == colClear && role == Qt::CheckStateRole) {
            FTicked[row] = value.toInt() == Qt::Checked;
        } else if (index.column() == colValue && (role == Qt::EditRole || role == Qt::CheckStateRole)) {
            FValues[row] = role == Qt::CheckStateRole ? QVariant(value.toInt() == Qt::Checked) : value;
            FTicked[row] = true;
        } else {
            return false;
        }
        Q_EMIT dataChanged(this->index(row, 0), this->index(row, colCount - 1));
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
            return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
        if (index.column() == colClear)
            f |= Qt::ItemIsUserCheckable;
        else if (index.column() == colValue)
            f |= FColumns[index.row()]->Kind == ckBoolean ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
        return f;
    }

private:
    QList<const TViewColumn*> FColumns;
    QList<bool> FTicked;
    QList<QVariant> FValues;
};

TFillValuesDlg::TFillValuesDlg(TFillTarget target, QWidget* parent) : TDialog(parent), FGridOrTree(std::move(target))
{
    setWindowTitle(QStringLiteral("批量填充"));
    resize(460, 380);
    lblFieldValues = new QLabel(QStringLiteral("对目标选择行填充以下勾选字段的内容(&F):"), this);
    FModel = new TFillValuesModel(FGridOrTree.Columns, this);
    trlFieldValues = new QTreeView(this);
    trlFieldValues->setModel(FModel);
    trlFieldValues->setRootIsDecorated(false);
    trlFieldValues->setUniformRowHeights(true);
    trlFieldValues->setAllColumnsShowFocus(true);
    trlFieldValues->setEditTriggers(QAbstractItemView::AllEditTriggers);
    trlFieldValues->setItemDelegateForColumn(TFillValuesModel::colValue, new TColumnDelegate([this](const QModelIndex& index) {
        return FModel->ColumnAt(index.row());
    }, trlFieldValues));
    trlFieldValues->header()->resizeSection(TFillValuesModel::colClear, 28);
    trlFieldValues->header()->resizeSection(TFillValuesModel::colField, 150);
    trlFieldValues->header()->setStretchLastSection(true);
    lblFieldValues->setBuddy(trlFieldValues);
    btnSelectAll = new QPushButton(QStringLiteral("全勾选(&A)"), this);
    btnClearAll = new QPushButton(QStringLiteral("全不选(&C)"), this);
    btnSelectAll->setAutoDefault(false);
    btnClearAll->setAutoDefault(false);
    auto* tickRow = new QHBoxLayout;
    tickRow->addWidget(btnSelectAll);
    tickRow->addWidget(btnClearAll);
    tickRow->addStretch(1);
    ContentLayout()->addWidget(lblFieldValues);
    ContentLayout()->addWidget(trlFieldValues, 1);
    ContentLayout()->addLayout(tickRow);
    connect(btnSelectAll, &QPushButton::clicked, this, [this] { FModel->SetAllTicked(true); });
    connect(btnClearAll, &QPushButton::clicked, this, [this] { FModel->SetAllTicked(false); });
}

TFillValuesDlg::~TFillValuesDlg() = default;

void TFillValuesDlg::SetFieldValue(const QString& fieldName, const QVariant& value, bool ticked)
{
    const int row = FModel->RowOf(fieldName);
    if (row < 0)
        return;
    FModel->setData(FModel->index(row, TFillValuesModel::colValue), value, Qt::EditRole);
    FModel->setData(FModel->index(row, TFillValuesModel::colClear), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

bool TFillValuesDlg::CanClose()
{
    bool any = false;
    for (int row = 0; row < FModel->rowCount(); ++row) {
        if (!FModel->Ticked(row))
            continue;
        any = true;
        // A value that does not suit the column is refused before any row is touched.
        const TViewColumn* column = FModel->ColumnAt(row);
        QVariant typed;
        if (!ConvertFieldValue(FModel->Value(row), column->DataType, typed)) {
            ShowWarning(FieldCheckText(fcInvalid, column->Caption, EnteredValueText(FModel->Value(row))));
            trlFieldValues->setCurrentIndex(FModel->index(row, TFillValuesModel::colValue));
            return false;
        }
    }
    if (!any)
        ShowWarning(QStringLiteral("您未勾选需要批量填充内容的字段!"));
    return any;
}

int TFillValuesDlg::FillRows()
{
    ShowStatusText(QStringLiteral("正在批量填充字段内容, 按[Esc]键可以中止..."), 0);
    int filled = 0;
    bool stop = false;
    for (int row = 0; row < FGridOrTree.RowCount && !stop; ++row) {
        if (FGridOrTree.FocusRow)
            FGridOrTree.FocusRow(row);
        for (int line = 0; line < FModel->rowCount() && !stop; ++line) {
            if (!FModel->Ticked(line))
                continue;
            QString message;
            if (FGridOrTree.SetValue && !FGridOrTree.SetValue(row, FModel->ColumnAt(line), FModel->Value(line), message)) {
                if (!message.isEmpty())
                    ShowWarning(message);
                stop = true;
            }
        }
        if (!stop)
            ++filled;
        stop = stop || EscapeHeld();
    }
    ShowStatusText(QString(), 0);
    return filled;
}

int TFillValuesDlg::Execute(TFillTarget target, QWidget* parent)
{
    TFillValuesDlg dlg(std::move(target), parent);
    if (dlg.exec() != QDialog::Accepted)
        return 0;
    return dlg.FillRows();
}

} // namespace kx
