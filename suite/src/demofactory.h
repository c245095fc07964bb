// The demo factory: a small electric-fan maker to try the module on, loaded by
// "kxmrp db init --demo", and the standard factory calendars it shares with the generator.
#pragma once

#include <QDate>
#include <QString>

namespace kx {
class TConnection;
}

namespace kx::suite {

// Every date of the demo lies a fixed number of days from this Monday.
QDate DemoBaseDate();

struct TDemoLoadResult {
    bool AlreadyPresent = false;    // the demo's items were there before; only missing rows were added
    bool ItemSettings = false;      // KX_MRP_ItemSetting exists and the items' planning settings were loaded
    int Items = 0;                  // the demo's items in the database afterwards
};

// Loads the demo factory into a database that has the suite's and the module's tables, in
// one transaction. Rows that exist already (by their fixed "DM-" identities) are kept as they
// are, so loading again neither duplicates nor overwrites anything. The demo users are
// admin / admin123, liming / liming123 (planner) and zhangli / zhangli123 (buyer).
TDemoLoadResult LoadDemoFactory(TConnection& connection);

// Adds the calendars "标准工作日历" and "六天工作制日历" with the Chinese public holidays of
// 2026 and 2027 when they are missing. Runs inside the caller's transaction.
void LoadStandardCalendars(TConnection& connection);

} // namespace kx::suite
