// A view's print layout as kept in its scheme's PrintSetting (and a result list's user
// setting): paper, orientation, margins, fit to the page width, the title block and the
// totals row. Stored as "name=value" lines; what a text does not say keeps its default.
#pragma once

#include <QMarginsF>
#include <QPageSize>
#include <QString>

namespace kx {

enum TPrintOrientation { poAuto, poPortrait, poLandscape };

struct TPrintSetting {
    QPageSize::PageSizeId PageSize = QPageSize::A4;
    TPrintOrientation Orientation = poAuto;   // auto: landscape when the columns are wider than portrait paper
    QMarginsF Margins{10, 10, 10, 10};          // millimetres: left, top, right, bottom
    bool FitToWidth = true;                     // columns wider than the paper are scaled to one page wide
    bool PrintTitle = true;                     // caption, user and time above each page's table
    bool PrintTotals = true;                    // the footer totals after the last row

    static TPrintSetting FromText(const QString& text);
    QString ToText() const;
    bool operator==(const TPrintSetting&) const = default;
};

// The papers the page setup offers, with their captions.
struct TPaperChoice {
    QPageSize::PageSizeId Id;
    QString Caption;
};
QList<TPaperChoice> PaperChoices();

} // namespace kx
