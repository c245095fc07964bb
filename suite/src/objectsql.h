// How the host composes the statement of an information object from its definition:
// the FROM and JOIN text of its data sources, the caller's select list, where clause and
// order, the user's permit filter and a row limit.
#pragma once

#include "kx_mrp/objectdef.h"

namespace kx::suite {

// "from <main source> as <ID>" followed by every other source's join text.
QString DataSourceText(const TInfoObjectDef& def);
// The data sources' own filters joined with " and ".
QString DataSourceFilter(const TInfoObjectDef& def);

struct TObjectSQLParts {
    QString Pattern;            // empty, or a statement up to its where clause, with "$$Fields$$" and "$$MainJoin$$"
    QString Fields;             // select list; a leading "top N " limits the rows to N
    QString Where;
    QString OrderBy;
    QString PermitFilter;       // the user's condition for the object ("1=0": nothing)
};

// The composed statement, or an empty text when the definition has no data source.
QString ComposeObjectSQL(const TInfoObjectDef& def, const TObjectSQLParts& parts);
// "select <select list> <sources>" and the sources' text.
QString ComposeObjectSelect(const TInfoObjectDef& def, const QString& selectList, QString& join);

} // namespace kx::suite
