#include "views/pickpopupdlg.h"

#include "db/shared.h"
#include "db/sqlrun.h"
#include "views/gridmodel.h"
#include "views/pickedit.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include <algorithm>

namespace kx {

namespace {

// One column per field of the result; fields named "#..." stay hidden, the fixed fields
// come first.
void ColumnsOfRecords(TViewColumns& columns, const TRecordSet& records, const QString& fixedFields)
{
    columns.Clear();
    QStringList fixed;
    for (const QString& f : fixedFields.split(QLatin1Char(','), Qt::SkipEmptyParts))
        fixed << QString(f).remove(QLatin1Char('[')).remove(QLatin1Char(']')).remove(QLatin1Char('"')).trimmed();
    QStringList names = records.FieldNames();
    QStringList ordered;
    for (const QString& f : fixed)
        for (const QString& n : names)
            if (n.compare(f, Qt::CaseInsensitive) == 0 && !ordered.contains(n))
                ordered << n;
    for (const QString& n : names)
        if (!ordered.contains(n) && !n.startsWith(QLatin1Char('#')))
            ordered << n;
    for (const QString& n : ordered) {
        TViewColumn* c = columns.Add(n, n);
        c->DataType = records.Field(records.FieldIndex(n)).DataType;
        c->Width = 120;
        if (IsNumericFieldType(c->DataType)) {
            c->Alignment = Qt::AlignRight | Qt::AlignVCenter;
            c->Kind = IsOrdinalFieldType(c->DataType) ? ckText : ckNumber;
        } else if (IsDateFieldType(c->DataType)) {
            c->Kind = ckDateTime;
        }
    }
}

} // namespace

TPickPopupDlg::TPickPopupDlg(TPickEditProperties* properties, QWidget* parent)
    : TDialog(parent), FPickEditProperties(properties)
{
    setWindowTitle(QStringLiteral("选择数据 - [%1]").arg(properties->FCaption));
    resize(560, 420);
    lblPrompt = new QLabel(QStringLiteral("请在下表中选择需要的数据(双击选定):"), this);
    lblSearch = new QLabel(QStringLiteral("查找(&F):"), this);
    edtSearch = new QLineEdit(this);
    lblSearch->setBuddy(edtSearch);
    btnSearch = new QPushButton(QStringLiteral("查找(&S)"), this);
    btnSearch->setAutoDefault(false);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(lblSearch);
    searchRow->addWidget(edtSearch, 1);
    searchRow->addWidget(btnSearch);

    FModel = new TRecordTableModel(&FColumns, this);
    grdPickData = new QTreeView(this);
    grdPickData->setModel(FModel);
    grdPickData->setRootIsDecorated(false);
    grdPickData->setUniformRowHeights(true);
    grdPickData->setAlternatingRowColors(true);
    grdPickData->setAllColumnsShowFocus(true);
    grdPickData->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdPickData->setSelectionMode(properties->FMultiSelect ? QAbstractItemView::ExtendedSelection
                                                           : QAbstractItemView::SingleSelection);
    lblCount = new QLabel(this);

    ContentLayout()->addWidget(lblPrompt);
    ContentLayout()->addLayout(searchRow);
    ContentLayout()->addWidget(grdPickData, 1);
    ContentLayout()->addWidget(lblCount);

    connect(btnSearch, &QPushButton::clicked, this, &TPickPopupDlg::edtSearchReturnPressed);
    connect(edtSearch, &QLineEdit::returnPressed, this, &TPickPopupDlg::edtSearchReturnPressed);
    connect(grdPickData, &QTreeView::doubleClicked, this, [this] {
        if (!PickedRowNumbers().isEmpty())
            accept();
    });
    connect(grdPickData->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TPickPopupDlg::UpdateState);
    connect(grdPickData->selectionModel(), &QItemSelectionModel::currentChanged, this, &TPickPopupDlg::UpdateState);
    UpdateState();
}

TPickPopupDlg::~TPickPopupDlg()
{
    delete grdPickData;
}

bool TPickPopupDlg::Search(const QString& text)
{
    edtSearch->setText(text);
    TQuery& query = FPickEditProperties->FRefQuery ? *FPickEditProperties->FRefQuery : SharedQuery();
    FFailed = !RunSQL(query, FPickEditProperties->BuildSQL(text), true);
    TRecordSet records;
    if (!FFailed)
        records.LoadFrom(query);
    ColumnsOfRecords(FColumns, records, FPickEditProperties->FFixedFields);
    FModel->SetRecords(records);
    for (int i = 0; i < FColumns.Count(); ++i)
        grdPickData->header()->resizeSection(i, FColumns.At(i)->Width);
    if (records.RecordCount() > 0) {
        grdPickData->setCurrentIndex(FModel->index(0, 0));
        grdPickData->setFocus();
    } else {
        edtSearch->selectAll();
        edtSearch->setFocus();
    }
    UpdateState();
    return records.RecordCount() > 0;
}

const TRecordSet& TPickPopupDlg::Rows() const
{
    return FModel->Records();
}

QList<int> TPickPopupDlg::PickedRowNumbers() const
{
    QList<int> rows;
    for (const QModelIndex& index : grdPickData->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

TRecordSet TPickPopupDlg::PickedRows() const
{
    const TRecordSet& all = FModel->Records();
    TRecordSet picked;
    QList<TRecordField> fields;
    for (int f = 0; f < all.FieldCount(); ++f)
        fields << all.Field(f);
    picked.SetFields(fields);
    for (int row : PickedRowNumbers()) {
        QVariantList values;
        for (int f = 0; f < all.FieldCount(); ++f)
            values << all.Value(row, f);
        picked.AppendRecord(values);
    }
    picked.ClearModified();
    return picked;
}

QString TPickPopupDlg::PickedText() const
{
    QStringList texts;
    for (int row : PickedRowNumbers())
        texts << FModel->Records().Value(row, FPickEditProperties->FTextField).toString();
    return texts.join(QLatin1Char(','));
}

void TPickPopupDlg::UpdateState()
{
    const int count = FModel->rowCount();
    const int current = grdPickData->currentIndex().isValid() ? grdPickData->currentIndex().row() + 1 : 0;
    const int picked = int(PickedRowNumbers().size());
    lblCount->setText(FPickEditProperties->FMultiSelect
                          ? QStringLiteral("位置: %1 / %2  选择: %3").arg(current).arg(count).arg(picked)
                          : QStringLiteral("%1 / %2").arg(current).arg(count));
    btnOk->setEnabled(picked > 0);
}

void TPickPopupDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter in the search box searches; it does not confirm the dialog.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && focusWidget() == edtSearch) {
        event->accept();
        return;
    }
    TDialog::keyPressEvent(event);
}

void TPickPopupDlg::edtSearchReturnPressed()
{
    Search(edtSearch->text());
}

} // namespace kx
