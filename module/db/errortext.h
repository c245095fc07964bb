// What a user reads when the server refuses a statement: a sentence in the interface's
// language saying what failed, by the kind of error, with the server's own text kept as a
// detail for whoever looks into it. Errors raised by our own procedures already speak to
// the user and pass unchanged. Every database error of the module is worded here, where it
// is raised, so no screen and no command has to translate one.
#pragma once

#include <QString>

namespace kx {

// sqlState: the five-character code; message: the server's primary text; detail: its detail.
QString ServerErrorText(const QString& sqlState, const QString& message, const QString& detail = QString());
// A connection that could not be made to database on server (host or socket folder).
QString ConnectErrorText(const QString& server, const QString& database, const QString& message);

} // namespace kx
