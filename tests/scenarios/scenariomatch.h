// Comparison of a scenario's expectations with the rows a run stored.
#pragma once

#include "scenariofile.h"

#include <QHash>
#include <QList>

namespace kx::scenario {

// One stored row of a result view: column -> text, null as "".
using TActualRow = QHash<QString, QString>;

struct TDifference {
    int Line = 0;                 // line of the scenario file the difference belongs to
    QString Text;
};

// Whether a stored value satisfies an expected cell: "*" anything, "-" empty (or zero for
// numbers); numbers within 1e-6; hints as period=quantity sets; parent lists with the
// quantities of each demand added up, in order of appearance; "~text" in a text column
// asks only for the text to be contained.
bool CellMatches(TColumnType type, const QString& expected, const QString& actual);

// Every difference between an expectation section and the rows of its view: expected rows
// that are missing or stored with other values, and, unless the section says "partial",
// stored rows in scope that it does not list. The scope: every option named after a column
// keeps the rows whose value is in its comma list; without such an option a section of
// supplies or demands speaks about the kinds its rows list (unless it says "all").
QList<TDifference> CompareSection(const TSection& expected, const QList<TActualRow>& actual,
                                  const TCaseFormat& format = MrpScenarioFormat());

// A quantity as the files write it: no trailing zeros.
QString QtyText(double value);

} // namespace kx::scenario
