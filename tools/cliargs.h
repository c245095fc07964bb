// The command line's common layer for the options of a command and the ways a command
// ends: every option read against its kind and range, every refusal a clear sentence with
// the exit status a script can tell apart.
//
//   0   done
//   1   the work failed (the reason was printed; nothing was left half-written)
//   2   the command or an option is wrong (the message and the command's usage were printed)
//   3   the login or the user's rights refused the command
//   130 interrupted (Ctrl-C), 143 terminated; the work in flight was cancelled and rolled back
//       (a signal that comes when the work is already done leaves it done, and the status 0)
#pragma once

#include "db/errors.h"

#include <QDate>
#include <QStringList>

#include <initializer_list>

namespace kx::cli {

enum TExitStatus { esDone = 0, esFailed = 1, esUsage = 2, esRefused = 3 };

// A command refused with a message and an exit status; main prints the message (and, for a
// usage refusal, the command's usage) and ends with the status.
class ECliRefusal : public EKxError {
public:
    ECliRefusal(const QString& message, int status, const QString& usage = QString())
        : EKxError(message), FStatus(status), FUsage(usage) {}
    int Status() const { return FStatus; }
    const QString& Usage() const { return FUsage; }

private:
    int FStatus;
    QString FUsage;
};

// Asked for a command's usage (--help or -h): main prints it and ends with 0.
class ECliHelp : public EKxError {
public:
    explicit ECliHelp(const QString& usage) : EKxError(usage) {}
};

// The options of one command, taken out one by one as "--name value", "--name=value" or
// "--name" (a flag). Each reader checks what it takes and raises ECliRefusal (exit 2) with
// "参数--name的值(value)..." and the usage; Finish refuses whatever the command did not take.
class TCliArgs {
public:
    // command: as it is typed ("scheme create"); usage: its usage text. --help anywhere
    // raises ECliHelp at once.
    TCliArgs(QStringList args, const QString& command, const QString& usage);

    bool Has(const char* name) const;
    bool Flag(const char* name);
    // A text without control characters, trimmed, at most maxLength characters; fallback when absent.
    QString Text(const char* name, int maxLength, const QString& fallback = QString());
    // As Text, refusing an absent or empty value.
    QString Required(const char* name, int maxLength);
    // A whole number from min to max; fallback when absent.
    int Int(const char* name, int min, int max, int fallback);
    // As Int, refusing an absent value ("--scheme ID" of every command on a scheme).
    int RequiredInt(const char* name, int min, int max);
    // A whole number that must be one of the allowed values.
    int OneOf(const char* name, std::initializer_list<int> allowed, int fallback);
    // A word that must be one of the allowed ones (compared without regard to case).
    QString OneOf(const char* name, const QStringList& allowed, const QString& fallback);
    // A date (yyyy-mm-dd, yyyy/mm/dd or yyyymmdd) from min to max; fallback when absent.
    QDate Date(const char* name, const QDate& min, const QDate& max, const QDate& fallback);
    // The path of a file that exists and can be read.
    QString ExistingFile(const char* name);
    // The words left that are not options (a sub-command's own arguments), taken out.
    QStringList TakeWords();
    // Refuses any option or word the command did not take.
    void Finish();

    // Ends the command with exit 2: "kxmrp <command>: <text>" and the usage.
    [[noreturn]] void Refuse(const QString& text) const;
    // "参数--name的值(value)无效!" followed by what is expected.
    [[noreturn]] void RefuseValue(const char* name, const QString& value, const QString& expected) const;

    const QString& Command() const { return FCommand; }
    const QString& Usage() const { return FUsage; }

private:
    // The value of --name (null when absent), taken out; a flag given without a value is refused.
    QString Take(const char* name);

    QStringList FArgs;
    QString FCommand;
    QString FUsage;
};

} // namespace kx::cli
