// A host for tests: fills the module environment, implements the host callbacks with
// recording fakes (the view-scheme preparation is the suite's own, as in the shell),
// answers message boxes from a script and holds Esc on demand.
#pragma once

#include "catalogue.h"
#include "db/connection.h"
#include "db/messages.h"
#include "kx_mrp/environment.h"
#include "qtprinters.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QStringList>

#include <functional>
#include <memory>

namespace kx::test {

class TTestHost {
public:
    TTestHost();
    ~TTestHost();
    TTestHost(const TTestHost&) = delete;
    TTestHost& operator=(const TTestHost&) = delete;

    TModuleEnvironment Env;
    TEnumCache EnumCache;
    // Every callback the module made, as "Name:arguments" lines.
    QStringList Calls;
    // Object definitions GetObjectDef answers with (looked up without regard to case).
    void AddObjectDef(const TInfoObjectDef* def) { FObjectDefs.insert(def->ID.toLower(), def); }
    const TInfoObjectDef* FindObjectDef(const QString& id) const { return FObjectDefs.value(id.toLower(), nullptr); }
    // Answers of GetPermitSQL, by permit code.
    QMap<QString, QString> PermitSQL;
    // What the user picker answers (user and group IDs); empty: the user cancels it.
    QStringList UsersToPick;

    void SetUser(const QString& userID, const QString& userName, const QString& groups = QString());
    void SetDatabase(const QString& server, const QString& database, const QString& user = QString(),
                     const QString& password = QString());
    // A new login context: the module reconnects on its next call.
    void NewContext();
    // Answers GetObjectDef, BuildObjectSQL, BuildObjectSelect and GetPermitSQL from the
    // suite's catalogue of the host's database, as the shell does, for the host's user.
    void UseCatalogue();
    suite::TCatalogue* Catalogue() const { return FCatalogue.get(); }

    static TTestHost* Current();

private:
    QMap<QString, const TInfoObjectDef*> FObjectDefs;
    std::unique_ptr<TConnection> FHostConnection;
    std::unique_ptr<suite::TCatalogue> FCatalogue;
    QByteArray FUserID, FUserName, FGroups, FServer, FDatabase, FUser, FPassword;
};

// A file in the folder where tests leave their pictures ($KX_TEST_OUTPUT, else the temp folder).
QString TestOutputPath(const QString& fileName);

// Answers message boxes that offer a choice, in order, from a script, and records every box
// shown. A box with the OK button alone is answered OK without using the script; past the
// end of the script a box answers with its default button.
class TScriptedMessages {
public:
    explicit TScriptedMessages(QList<int> answers = {});
    ~TScriptedMessages();

    void Answer(int result) { FAnswers << result; }
    const QList<TMessageRequest>& Requests() const { return FRequests; }
    QStringList Texts() const;
    QString LastText() const { return FRequests.isEmpty() ? QString() : FRequests.last().Text; }
    int Count() const { return int(FRequests.size()); }

private:
    QList<int> FAnswers;
    QList<TMessageRequest> FRequests;
    TMessageResponder FPrevious;
};

// Holds Esc for the scope; with afterPolls > 0 the key goes down only after that many
// polls have found it up.
class TEscapeHold {
public:
    explicit TEscapeHold(int afterPolls = 0);
    ~TEscapeHold();
    int Polls() const { return *FPolls; }

private:
    std::shared_ptr<int> FPolls;
};

} // namespace kx::test
