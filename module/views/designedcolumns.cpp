#include "views/designedcolumns.h"

#include "views/gridview.h"
#include "views/treeview.h"

namespace kx {

void AddDesignedColumns(TInfoGridView& view, const QList<TDesignedBand>& bands)
{
    for (const TDesignedBand& band : bands) {
        const int b = view.Columns.AddBand(QString::fromUtf8(band.Caption), band.Fixed);
        for (const TDesignedColumn& c : band.Columns)
            view.AddColumn(QLatin1String(c.Field), QString::fromUtf8(c.Caption), b)->Width = c.Width;
    }
}

void BindDesignedColumns(TInfoTreeView& view, const QList<TDesignedBand>& bands)
{
    for (const TDesignedBand& band : bands) {
        const int b = view.Columns.AddBand(QString::fromUtf8(band.Caption), band.Fixed);
        for (const TDesignedColumn& c : band.Columns)
            view.BindStaticColumn(view.CreateColumn(QString::fromUtf8(c.Caption), b), QLatin1String(c.Field));
    }
}

void ApplyDesignedWidths(TInfoTreeView& view, const QList<TDesignedBand>& bands)
{
    for (const TDesignedBand& band : bands)
        for (const TDesignedColumn& c : band.Columns)
            if (TViewColumn* column = view.GetColumnByField(QLatin1String(c.Field)))
                column->Width = c.Width;
}

} // namespace kx
