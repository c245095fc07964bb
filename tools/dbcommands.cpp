#include "dbcommands.h"

#include "db/dataset.h"
#include "db/migrations.h"
#include "db/quote.h"
#include "engine/schema.h"
#include "demofactory.h"
#include "generator.h"
#include "suiteschema.h"

#include <cstdio>

namespace kx::cli {

namespace {

void Print(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
}

// Creates the database through the server's maintenance database when it is missing.
void CreateDatabaseIfMissing(const TConnectOptions& options)
{
    TConnection admin;
    Configure(admin, options, QStringLiteral("postgres"));
    TQuery q(&admin);
    q.SQL = QStringLiteral("select 1 from pg_database where datname=%1").arg(QuotedStr(options.Database));
    q.Open();
    if (q.IsEmpty()) {
        CreateSuiteDatabase(admin, options.Database);
        Print(QStringLiteral("已创建数据库 %1").arg(options.Database));
    }
}

} // namespace

int RunDbInit(const TConnectOptions& options, QStringList args)
{
    const bool demo = TakeFlag(args, QStringLiteral("demo"));
    if (!args.isEmpty()) {
        std::fprintf(stderr, "kxmrp db init: 未知参数 %s\n", args.join(QLatin1Char(' ')).toUtf8().constData());
        return 2;
    }
    CreateDatabaseIfMissing(options);
    TConnection connection;
    Configure(connection, options);
    int applied = ApplySuiteSchema(connection);
    applied += ApplyModuleSchema(connection);
    applied += ApplySuiteLateSchema(connection);
    Print(QStringLiteral("数据库 %1 已就绪, 本次升级 %2 步").arg(options.Database).arg(applied));
    if (demo) {
        const suite::TDemoLoadResult loaded = suite::LoadDemoFactory(connection);
        Print(loaded.AlreadyPresent ? QStringLiteral("演示工厂数据已存在, 已补齐缺少的行 (物料 %1 个)").arg(loaded.Items)
                                    : QStringLiteral("演示工厂数据已装入 (物料 %1 个)").arg(loaded.Items));
        if (!loaded.ItemSettings)
            Print(QStringLiteral("物料计划参数表尚未建立, 演示物料的计划参数未装入"));
    }
    return 0;
}

int RunGen(const TConnectOptions& options, QStringList args)
{
    suite::TGenParams params;
    try {
        params = suite::GenSizeParams(TakeOption(args, QStringLiteral("size"), QStringLiteral("S")));
    } catch (const EKxError& e) {
        std::fprintf(stderr, "kxmrp gen: %s\n", e.Message().toUtf8().constData());
        return 2;
    }
    params.Replace = TakeFlag(args, QStringLiteral("replace"));
    for (const char* name : {"seed", "items", "levels", "fanout", "orders", "supplies", "horizon"}) {
        const QString value = TakeOption(args, QLatin1String(name));
        QString refusal;
        if (!value.isNull() && suite::SetGenOption(params, QLatin1String(name), value, refusal) && !refusal.isEmpty()) {
            std::fprintf(stderr, "kxmrp gen: %s\n", refusal.toUtf8().constData());
            return 2;
        }
    }
    if (!args.isEmpty()) {
        std::fprintf(stderr, "kxmrp gen: 未知参数 %s\n", args.join(QLatin1Char(' ')).toUtf8().constData());
        return 2;
    }
    const QString refusal = suite::CheckGenParams(params);
    if (!refusal.isEmpty()) {
        std::fprintf(stderr, "kxmrp gen: %s\n", refusal.toUtf8().constData());
        return 2;
    }
    Print(QStringLiteral("生成数据: 种子 %1, 物料 %2, BOM %3 层, 平均子件 %4, 需求行 %5, 供应行 %6, 展望 %7 天")
              .arg(params.Seed).arg(params.Items).arg(params.Levels).arg(params.Fanout).arg(params.Orders)
              .arg(params.Supplies).arg(params.Horizon));
    TConnection connection;
    Configure(connection, options);
    const suite::TGenReport report = suite::GenerateData(connection, params);
    for (const suite::TGenTableRows& t : report.Tables)
        Print(QStringLiteral("%1 %2").arg(t.Table, -24).arg(t.Rows, 10));
    Print(QStringLiteral("合计 %1 行, 用时 %2 秒").arg(report.TotalRows()).arg(report.Milliseconds / 1000.0, 0, 'f', 1));
    return 0;
}

int RunInfo(const TConnectOptions& options)
{
    TConnection connection;
    Configure(connection, options);
    const QString version = connection.ServerVersion();
    Print(QStringLiteral("服务器: PostgreSQL %1").arg(version));
    Print(QStringLiteral("数据库: %1").arg(options.Database));
    Print(QStringLiteral("结构版本: suite %1, module %2")
              .arg(SuiteSchemaVersion(connection))
              .arg(ModuleSchemaVersion(connection)));
    return 0;
}

} // namespace kx::cli
