#include "dbcommands.h"

#include "cliargs.h"
#include "clihost.h"
#include "db/dataset.h"
#include "db/migrations.h"
#include "db/quote.h"
#include "engine/schema.h"
#include "demofactory.h"
#include "generator.h"
#include "suiteschema.h"


namespace kx::cli {

namespace {

const char* const kDbUsage =
    "用法: kxmrp db init [--demo]\n"
    "  创建数据库(不存在时)并创建或升级数据库结构; --demo 同时装入演示工厂数据。\n"
    "  同时进行的多个 db init 依次执行。\n";

const char* const kGenUsage =
    "用法: kxmrp gen [--size S|M|L] [--profile mts|mto] [--seed N] [--items N] [--levels N] [--fanout N]\n"
    "                [--orders N] [--supplies N] [--horizon 天数] [--replace]\n"
    "  向已初始化的数据库写入生成的测试数据 (需要系统管理员登录)。\n"
    "  --profile mts (默认): 库存生产型, 8层BOM; mto: 订单生产型, 较浅的BOM、较少而较大的订单行。\n";

// Serialises every "db init" of a database: held on the maintenance connection, over the
// creation of the database and every step after it, until the connection closes.
void LockInit(TConnection& admin, const QString& database)
{
    admin.Execute(QStringLiteral("select pg_advisory_lock(hashtext('kxmrp db init'), hashtext(%1))").arg(QuotedStr(database)));
}

// Creates the database through the server's maintenance database when it is missing.
void CreateDatabaseIfMissing(TConnection& admin, const TConnectOptions& options)
{
    TQuery q(&admin);
    q.SQL = QStringLiteral("select 1 from pg_database where datname=%1").arg(QuotedStr(options.Database));
    q.Open();
    if (q.IsEmpty()) {
        CreateSuiteDatabase(admin, options.Database);
        Print(QStringLiteral("已创建数据库 %1").arg(options.Database));
    }
}

} // namespace

int RunDbCommand(const TConnectOptions& options, QStringList args)
{
    if (args.value(0) != QLatin1String("init")) {
        TCliArgs a(args, QStringLiteral("db"), QString::fromUtf8(kDbUsage));
        a.Refuse(args.isEmpty() ? QStringLiteral("缺少子命令") : QStringLiteral("未知子命令 %1").arg(args.first().left(60)));
    }
    TCliArgs a(args.mid(1), QStringLiteral("db init"), QString::fromUtf8(kDbUsage));
    const bool demo = a.Flag("demo");
    a.Finish();
    TConnection admin;
    Configure(admin, options, QStringLiteral("postgres"));
    LockInit(admin, options.Database);
    CreateDatabaseIfMissing(admin, options);
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
    return esDone;
}

int RunGen(const TConnectOptions& options, QStringList args)
{
    TCliArgs a(args, QStringLiteral("gen"), QString::fromUtf8(kGenUsage));
    const QString size = a.OneOf("size", {QStringLiteral("S"), QStringLiteral("M"), QStringLiteral("L")}, QStringLiteral("S"));
    const QString profile = a.OneOf("profile", {QStringLiteral("mts"), QStringLiteral("mto")}, QStringLiteral("mts"));
    suite::TGenParams params = suite::GenSizeParams(size, profile == QLatin1String("mto") ? suite::gpMakeToOrder : suite::gpMakeToStock);
    params.Replace = a.Flag("replace");
    const QString seed = a.Text("seed", 20);
    if (!seed.isEmpty()) {
        bool ok = false;
        params.Seed = seed.toULongLong(&ok);
        if (!ok)
            a.RefuseValue("seed", seed, QStringLiteral("应为非负整数"));
    }
    params.Items = a.Int("items", 1, suite::kGenMaxItems, params.Items);
    params.Levels = a.Int("levels", 1, suite::kGenMaxLevels, params.Levels);
    params.Fanout = a.Int("fanout", 1, suite::kGenMaxFanout, params.Fanout);
    params.Orders = a.Int("orders", 0, suite::kGenMaxLines, params.Orders);
    params.Supplies = a.Int("supplies", 0, suite::kGenMaxLines, params.Supplies);
    params.Horizon = a.Int("horizon", 1, 3660, params.Horizon);
    a.Finish();
    const QString refusal = suite::CheckGenParams(params);
    if (!refusal.isEmpty())
        a.Refuse(refusal);
    TCliHost host(options);
    host.RequireAdministrator(QStringLiteral("生成测试数据"));
    Print(QStringLiteral("生成数据: 种子 %1, 物料 %2, BOM %3 层, 平均子件 %4, 需求行 %5, 供应行 %6, 展望 %7 天")
              .arg(params.Seed).arg(params.Items).arg(params.Levels).arg(params.Fanout).arg(params.Orders)
              .arg(params.Supplies).arg(params.Horizon));
    TConsoleProgress progress;
    params.CheckAbort = [&progress] { progress.CheckAbort(); };
    const suite::TGenReport report = suite::GenerateData(host.Connection(), params);
    for (const suite::TGenTableRows& t : report.Tables)
        Print(QStringLiteral("%1 %2").arg(t.Table, -24).arg(t.Rows, 10));
    Print(QStringLiteral("合计 %1 行, 用时 %2 秒").arg(report.TotalRows()).arg(report.Milliseconds / 1000.0, 0, 'f', 1));
    return esDone;
}

int RunInfo(const TConnectOptions& options, QStringList args)
{
    TCliArgs a(args, QStringLiteral("info"), QStringLiteral("用法: kxmrp info\n  连接数据库, 显示服务器版本和结构版本。\n"));
    a.Finish();
    TConnection connection;
    Configure(connection, options);
    const QString version = connection.ServerVersion();
    Print(QStringLiteral("服务器: PostgreSQL %1").arg(version));
    Print(QStringLiteral("数据库: %1").arg(options.Database));
    Print(QStringLiteral("结构版本: suite %1, module %2")
              .arg(SuiteSchemaVersion(connection))
              .arg(ModuleSchemaVersion(connection)));
    return esDone;
}

} // namespace kx::cli
