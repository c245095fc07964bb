// kxmrp: creates and inspects the database and runs planning work without a window.
#include "agecommands.h"
#include "connectoptions.h"
#include "dbcommands.h"
#include "deductcommand.h"
#include "schemecommands.h"
#include "db/errors.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

const char* const kUsage =
    "用法: kxmrp [--server S] [--database D] [--user U] [--password P] <命令>\n"
    "命令:\n"
    "  info              连接数据库, 显示服务器版本和结构版本\n"
    "  db init [--demo]  创建或升级数据库结构 (--demo 同时装入演示工厂数据)\n"
    "  scheme ...        创建、列出、显示计划方案 (kxmrp scheme 查看用法)\n"
    "  mps --scheme ID   获取计划方案的主需求\n"
    "  run --scheme ID [--keep-type] [--keep-bom] [--keep-qty]\n"
    "                    运算计划方案的MRP (保留供应类型/BOM/数量调整)\n"
    "  deduct [--span date|week|month] [--before N] [--after N] [--redo] ...\n"
    "                    自动冲销产品预测 (kxmrp deduct --help 查看用法)\n"
    "  gen [--size S|M|L] [--seed N] [--items N] [--levels N] [--fanout N] [--orders N]\n"
    "      [--supplies N] [--horizon 天数] [--replace]\n"
    "                    向已初始化的数据库写入生成的测试数据 (默认规模 S; --replace 先清空生成器写入的各表)\n"
    "  age ...           库龄分析并保存结果 (kxmrp age --help 查看用法)\n";

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    using namespace kx;
    using namespace kx::cli;
    try {
        const TConnectOptions options = TakeConnectOptions(args);
        const QString command = args.value(0);
        if (command == QLatin1String("info") && args.size() == 1)
            return RunInfo(options);
        if (command == QLatin1String("db") && args.value(1) == QLatin1String("init"))
            return RunDbInit(options, args.mid(2));
        if (command == QLatin1String("scheme"))
            return RunSchemeCommand(options, args.mid(1));
        if (command == QLatin1String("mps"))
            return RunMpsCommand(options, args.mid(1));
        if (command == QLatin1String("run"))
            return RunMrpCommand(options, args.mid(1));
        if (command == QLatin1String("age"))
            return RunAgeCommand(options, args.mid(1));
        if (command == QLatin1String("deduct"))
            return RunDeductCommand(options, args.mid(1));
        if (command == QLatin1String("gen"))
            return RunGen(options, args.mid(1));
        std::fputs(kUsage, stderr);
        return 2;
    } catch (const kx::EDatabaseError& e) {
        std::fprintf(stderr, "错误: %s (错误号: %d)\n", e.Message().toUtf8().constData(), e.Number());
    } catch (const kx::EKxError& e) {
        std::fprintf(stderr, "错误: %s\n", e.Message().toUtf8().constData());
    }
    return 1;
}
