// The exceptions of the module: database errors, the silent abort of a confirmed Esc,
// and conversion errors of the text helpers.
#pragma once

#include <QString>

#include <stdexcept>

namespace kx {

// Base of the module's exceptions; Message() is the text shown to the user.
class EKxError : public std::runtime_error {
public:
    explicit EKxError(const QString& message) : std::runtime_error(message.toStdString()), FMessage(message) {}
    const QString& Message() const { return FMessage; }

private:
    QString FMessage;
};

// A statement the server refused, or a connection that could not be made.
class EDatabaseError : public EKxError {
public:
    EDatabaseError(const QString& message, int number, const QString& sqlState = {}, const QString& statement = {})
        : EKxError(message), FNumber(number), FSQLState(sqlState), FStatement(statement) {}
    int Number() const { return FNumber; }
    const QString& SQLState() const { return FSQLState; }
    const QString& Statement() const { return FStatement; }

private:
    int FNumber;
    QString FSQLState;
    QString FStatement;
};

// A confirmed Esc: unwinds the running operation and is shown by nobody.
class EAbort : public EKxError {
public:
    EAbort() : EKxError(QStringLiteral("按下[Esc]键中止操作")) {}
};

class EConvertError : public EKxError {
public:
    using EKxError::EKxError;
};

} // namespace kx
