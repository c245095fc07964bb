// A widget's (or any object's) stored properties as text and back, the way print and
// layout settings are kept in the database.
#pragma once

#include <QString>

class QObject;

namespace kx {

// "object <name>: <class>" followed by "  <property> = <value>" lines of the object's
// stored, writable properties and the same block for each named child, then "end".
QString ComponentToText(const QObject* component);
// Sets the properties written by ComponentToText on the object and its named children.
// Returns false when the text is not such a description.
bool TextToComponent(const QString& text, QObject* component);

} // namespace kx
