// gen_bench: times the data generator on a fresh database.
//   gen_bench --server DIR [--database kx_bench] [--size L] [--seed 1] [--keep]
// Creates the database anew (dropping one of that name), applies the schema, generates the
// case and prints rows per table, the time taken and whether it met the goal: size L in
// under two minutes. The database is dropped afterwards unless --keep is given.
#include "db/connection.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/shared.h"
#include "engine/schema.h"
#include "generator.h"
#include "suiteschema.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace kx;

namespace {

constexpr qint64 kGoalMilliseconds = 120000;

QString Option(const QStringList& args, const QString& name, const QString& fallback)
{
    const qsizetype at = args.indexOf(QLatin1String("--") + name);
    return at >= 0 && at + 1 < args.size() ? args[at + 1] : fallback;
}

void Print(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString server = Option(args, QStringLiteral("server"), qEnvironmentVariable("PGHOST"));
    const QString database = Option(args, QStringLiteral("database"), QStringLiteral("kx_bench"));
    try {
        suite::TGenParams params = suite::GenSizeParams(Option(args, QStringLiteral("size"), QStringLiteral("L")));
        params.Seed = Option(args, QStringLiteral("seed"), QStringLiteral("1")).toULongLong();

        TConnection admin;
        admin.ConnectionString = BuildConnectionString(0, server, QStringLiteral("postgres"), {}, {});
        admin.Execute(QStringLiteral("drop database if exists %1 with (force)").arg(QuotedIdent(database)));
        CreateSuiteDatabase(admin, database);
        TConnection connection;
        connection.ConnectionString = BuildConnectionString(0, server, database, {}, {});
        QElapsedTimer schema;
        schema.start();
        ApplySuiteSchema(connection);
        ApplyModuleSchema(connection);
        ApplySuiteLateSchema(connection);
        Print(QStringLiteral("数据库 %1 已建立 (结构 %2 毫秒)").arg(database).arg(schema.elapsed()));

        const suite::TGenReport report = suite::GenerateData(connection, params);
        for (const suite::TGenTableRows& t : report.Tables)
            Print(QStringLiteral("%1 %2").arg(t.Table, -24).arg(t.Rows, 10));
        Print(QStringLiteral("物料 %1, BOM %2 层, 需求行 %3, 供应行 %4: 合计 %5 行, 用时 %6 秒 (%7 行/秒)")
                  .arg(params.Items).arg(params.Levels).arg(params.Orders).arg(params.Supplies).arg(report.TotalRows())
                  .arg(report.Milliseconds / 1000.0, 0, 'f', 1)
                  .arg(report.TotalRows() * 1000 / qMax<qint64>(1, report.Milliseconds)));
        const bool met = report.Milliseconds < kGoalMilliseconds;
        Print(QStringLiteral("目标 %1 秒以内: %2").arg(kGoalMilliseconds / 1000).arg(met ? QStringLiteral("达到") : QStringLiteral("未达到")));
        connection.Close();
        if (!args.contains(QStringLiteral("--keep")))
            admin.Execute(QStringLiteral("drop database %1 with (force)").arg(QuotedIdent(database)));
        return met ? 0 : 1;
    } catch (const EKxError& e) {
        std::fprintf(stderr, "错误: %s\n", e.Message().toUtf8().constData());
        return 2;
    }
}
