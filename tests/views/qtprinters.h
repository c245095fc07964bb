// Qt texts in test failure messages as readable text.
#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

// Readable Qt texts in test failures.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{' << list.join(QStringLiteral(", ")).toStdString() << '}';
}
