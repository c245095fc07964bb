// A view scheme: the stored layout and parameters of one view for one user.
#pragma once

#include <QString>

namespace kx {

enum TViewSchemeKind { vkLastUsed = 0, vkPrivate = 1, vkPublic = 2 };

enum TViewSupport : unsigned {
    voSupportFilter = 1,
    voSupportFields = 2,
    voSupportSort = 4,
    voSupportGroup = 8,
    voSupportTotal = 16,
    voSupportSubTotal = 32,
};
using TViewSupports = unsigned;
constexpr TViewSupports voSupportAll = voSupportFilter | voSupportFields | voSupportSort
    | voSupportGroup | voSupportTotal | voSupportSubTotal;

struct TViewScheme {
    int IID = 0;                  // row in KX_SYS_ViewSchemes; 0 not stored; -1 the missing default
    QString ID;                   // view ID
    QString Name;
    TViewSchemeKind Kind = vkLastUsed;
    QString Mask;                 // masked field IDs, each enclosed in "|"
    QString Params;               // name=value lines joined by CR LF
    QString PrintSetting;
    TViewSupports Supports = voSupportAll;
    bool SQLParsed = false;       // the three SQL texts below match Params
    QString FieldsSQL;
    QString FilterSQL;
    QString OrderBySQL;
};

} // namespace kx
