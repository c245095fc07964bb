#include "views/columneditor.h"

#include "views/commonui.h"
#include "views/pickedit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>

namespace kx {

QWidget* CreateColumnEditor(const TViewColumn& column, QWidget* parent)
{
    if (column.OnCreateEditor)
        return column.OnCreateEditor(parent);
    switch (column.Kind) {
    case ckBoolean: return nullptr;
    case ckEnum: {
        auto* combo = new QComboBox(parent);
        combo->addItem(QString(), QVariant());
        for (const TEnumValue& item : column.EnumItems)
            combo->addItem(item.Text, item.Value);
        return combo;
    }
    case ckPicker: {
        auto* edit = new TPickEdit(parent);
        if (column.FieldDef)
            edit->Properties.SetupForField(*column.FieldDef);
        return edit;
    }
    case ckDate:
    case ckDateTime: {
        auto* edit = new QDateTimeEdit(parent);
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(column.Kind == ckDate ? QStringLiteral("yyyy/MM/dd") : QStringLiteral("yyyy/MM/dd hh:mm:ss"));
        return edit;
    }
    case ckNumber:
    case ckCurrency:
    case ckText: break;
    }
    auto* edit = new QLineEdit(parent);
    edit->setAlignment(column.Alignment);
    edit->setFrame(false);
    return edit;
}

void SetColumnEditorValue(QWidget* editor, const TViewColumn& column, const QVariant& value)
{
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const int i = value.isNull() ? 0 : combo->findData(value.toInt());
        combo->setCurrentIndex(i < 0 ? 0 : i);
    } else if (auto* dates = qobject_cast<QDateTimeEdit*>(editor)) {
        const QDateTime dt = value.typeId() == QMetaType::QDate ? value.toDate().startOfDay() : value.toDateTime();
        dates->setDateTime(dt.isValid() ? dt : QDate::currentDate().startOfDay());
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        bool numeric = false;
        const double d = value.toDouble(&numeric);
        const bool number = column.Kind == ckNumber || column.Kind == ckCurrency;
        edit->setText(value.isNull() ? QString() : number && numeric ? QString::number(d, 'g', 15) : value.toString());
        edit->selectAll();
    }
}

QVariant ColumnEditorValue(QWidget* editor, const TViewColumn& column)
{
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        return combo->currentData();
    if (auto* dates = qobject_cast<QDateTimeEdit*>(editor))
        return column.Kind == ckDate ? QVariant(dates->date()) : QVariant(dates->dateTime());
    if (auto* edit = qobject_cast<QLineEdit*>(editor))
        return edit->text();
    return QVariant();
}

void CommitPendingEdit(QAbstractItemView* view)
{
    const QModelIndex current = view->currentIndex();
    if (QWidget* editor = view->indexWidget(current))
        Q_EMIT view->itemDelegateForIndex(current)->commitData(editor);
}

TColumnDelegate::TColumnDelegate(std::function<const TViewColumn*(const QModelIndex&)> columnOf, QObject* parent)
    : QStyledItemDelegate(parent), FColumnOf(std::move(columnOf))
{
}

QWidget* TColumnDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const TViewColumn* column = FColumnOf ? FColumnOf(index) : nullptr;
    if (!column)
        return QStyledItemDelegate::createEditor(parent, option, index);
    QWidget* editor = CreateColumnEditor(*column, parent);
    if (auto* button = qobject_cast<TExButtonEdit*>(editor))
        connect(button, &TExButtonEdit::ValuePicked, this, [this, button] { Q_EMIT const_cast<TColumnDelegate*>(this)->commitData(button); });
    return editor;
}

void TColumnDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const TViewColumn* column = FColumnOf ? FColumnOf(index) : nullptr;
    if (!column) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    SetColumnEditorValue(editor, *column, index.data(vrRawValue));
}

void TColumnDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    const TViewColumn* column = FColumnOf ? FColumnOf(index) : nullptr;
    if (!column) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    model->setData(index, ColumnEditorValue(editor, *column), Qt::EditRole);
}

} // namespace kx
