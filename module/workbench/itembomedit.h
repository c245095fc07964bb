// The editor of a BOM cell: a picker over the item's BOMs valid on a day (itembom.h).
#pragma once

#include <QDate>
#include <QString>

class QWidget;

namespace kx {

class TPickEdit;

TPickEdit* NewItemBomEdit(QWidget* parent, const QString& itemID, const QString& itemProps, const QDate& day);

} // namespace kx
