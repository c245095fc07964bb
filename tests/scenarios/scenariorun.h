// Runs a golden scenario on the shared connection: writes its factory into the suite's
// tables, creates and fills the plan scheme, runs MRP and reads back what the run stored.
#pragma once

#include "scenariomatch.h"

#include <QList>

namespace kx::scenario {

// A scenario that cannot be loaded: the line of the file and the reason.
struct EScenarioLoad {
    int Line = 0;
    QString Text;
};

class TScenarioRunner {
public:
    explicit TScenarioRunner(const TScenario& scenario) : S(scenario) {}

    // Writes the factory and the scheme with its main demand; raises EScenarioLoad.
    void Load();
    // Fetches main demand when the scheme asks for it, then runs MRP with the scheme's keep
    // flags. Exceptions are caught and reported as the run's failure.
    void Run();
    // Every difference between the scenario's expectations and what the run stored, then
    // the balance identities of the stored results.
    QList<TDifference> Check() const;

    // Takes what the scheme's tables hold as the outcome of a run that returned result, so
    // that the checks themselves can be tried on rows written by hand.
    void AdoptStoredResults(bool result)
    {
        FResult = result;
        FFailure.clear();
    }

    // Takes a scheme run elsewhere (a generated factory) as this runner's, for its identities.
    void AdoptScheme(int schemeIID)
    {
        FSchemeIID = schemeIID;
        AdoptStoredResults(true);
    }
    int SchemeIID() const { return FSchemeIID; }
    // The balance identities of the stored results: allocations against the coverage of
    // their demands and supplies, and per item key the balance row.
    QList<TDifference> CheckIdentities() const;

    // The stored rows of a result view ("supplies", "demands", "allots", "balance",
    // "adjusts"), or the log lines the run reported ("log").
    QList<TActualRow> Rows(const QString& view) const;

private:
    const TScenario& S;
    int FSchemeIID = 0;
    bool FResult = false;
    QString FFailure;
    QStringList FMessages;        // message boxes shown while running
    QList<TActualRow> FLog;

    QList<TDifference> CheckRun() const;
};

} // namespace kx::scenario
