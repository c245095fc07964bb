// kxmrp: creates and inspects the database and runs planning work without a window.
#include "agecommands.h"
#include "clihost.h"
#include "connectoptions.h"
#include "dbcommands.h"
#include "deductcommand.h"
#include "minicommands.h"
#include "releasecommands.h"
#include "resultcommands.h"
#include "schemecommands.h"
#include "db/errors.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cstdio>
#include <new>

namespace {

const char* const kUsage =
    "用法: kxmrp [--server S] [--database D] [--dbuser U] [--dbpassword P] [--login 用户代码] [--password 密码] <命令>\n"
    "命令:\n"
    "  info              连接数据库, 显示服务器版本和结构版本\n"
    "  db init [--demo]  创建或升级数据库结构 (--demo 同时装入演示工厂数据)\n"
    "  scheme ...        创建、修改、复制、删除、列出、显示计划方案 (kxmrp scheme --help 查看用法)\n"
    "  mps --scheme ID   获取、导入或从其他方案复制计划方案的主需求 (kxmrp mps --help 查看用法)\n"
    "  run --scheme ID [--keep-type] [--keep-bom] [--keep-qty]\n"
    "                    运算计划方案的MRP (保留供应类型/BOM/数量调整; Ctrl-C 中止, 原有结果不变)\n"
    "  deduct [--span date|week|month] [--before N] [--after N] [--redo] ...\n"
    "                    自动冲销产品预测 (kxmrp deduct --help 查看用法)\n"
    "  supplies --scheme ID [--type 0-9 | --adjust 文件]\n"
    "                    列出供应计划, 或按表格文件调整MRP计划供应 (kxmrp supplies --help 查看用法)\n"
    "  publish --scheme ID [--to 用户[,用户...]] [--withdraw|--allow|--close]\n"
    "                    发布计划方案给接收用户, 取消发布, 允许或关闭投放 (kxmrp publish --help 查看用法)\n"
    "  release --scheme ID [--dest 22|24|36|38] [--all]\n"
    "                    按保存的投放选项投放已发布方案的计划至ERP单据 (kxmrp release --help 查看用法)\n"
    "  gen [--size S|M|L] [--profile mts|mto] [--seed N] [--items N] [--levels N] [--fanout N]\n"
    "      [--orders N] [--supplies N] [--horizon 天数] [--replace]\n"
    "                    向已初始化的数据库写入生成的测试数据 (系统管理员; 默认规模 S;\n"
    "                    --replace 先清空生成器写入的各表)\n"
    "  age ...           库龄分析并保存结果 (kxmrp age --help 查看用法)\n"
    "  kit --lines 单号/行号,... [运算参数] [--today-dates] [--output 文件]\n"
    "                    齐套分析: 列出需求行的齐套数量和缺口数量 (kxmrp kit --help 查看用法)\n"
    "  lack (--lines 单号/行号,... | --orders all|mo|oo [--until 日期]) [--current-bom] ...\n"
    "                    生产缺料分析: 列出生产任务、委外订单缺少的投料 (kxmrp lack --help 查看用法)\n"
    "\n"
    "除 info 和 db init 外, 每个命令都以一个用户登录执行, 并要求该用户在桌面程序中做同样的事所需的权限:\n"
    "  --login 用户代码 (或环境变量 KXMRP_LOGIN), --password 密码 (或环境变量 KXMRP_PASSWORD; 在终端上未给出时提示输入)。\n"
    "数据库连接: --server 主机、主机:端口或套接字目录, --database 数据库名 (KXMRP_SERVER, KXMRP_DATABASE),\n"
    "  --dbuser/--dbpassword 数据库登录 (KXMRP_DBUSER, KXMRP_DBPASSWORD; 不给出时以操作系统用户连接)。\n"
    "退出码: 0 完成, 1 操作失败, 2 命令或参数错误, 3 登录或权限被拒绝, 130 被Ctrl-C中断, 143 被终止。\n";

void PrintError(const QString& text)
{
    std::fprintf(stderr, "%s\n", QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')).toUtf8().constData());
}

// The login of the run, wherever --login and --password stand among the arguments.
kx::cli::TCliLogin TakeLogin(QStringList& args)
{
    kx::cli::TCliLogin login;
    login.UserNo = kx::TakeOption(args, QStringLiteral("login"));
    login.HasPassword = args.contains(QStringLiteral("--password")) || !args.filter(QRegularExpression(QStringLiteral("^--password="))).isEmpty();
    login.Password = kx::TakeOption(args, QStringLiteral("password"));
    return login;
}

int RunCommand(QStringList args)
{
    using namespace kx;
    using namespace kx::cli;
    const QString usage = QString::fromUtf8(kUsage);
    const TConnectOptions options = TakeConnectOptions(args, QStringLiteral("dbuser"), QStringLiteral("dbpassword"));
    SetCliLogin(TakeLogin(args));
    const QString name = args.value(0);
    if (name == QLatin1String("help") || name == QLatin1String("--help") || name == QLatin1String("-h"))
        throw ECliHelp(usage);
    if (name.isEmpty())
        throw ECliRefusal(QStringLiteral("kxmrp: 缺少命令"), esUsage, usage);
    if (options.Database.trimmed().isEmpty())
        throw ECliRefusal(QStringLiteral("kxmrp: 参数--database的值不能为空!"), esUsage, usage);
    const QStringList rest = args.mid(1);
    if (name == QLatin1String("info"))
        return RunInfo(options, rest);
    if (name == QLatin1String("db"))
        return RunDbCommand(options, rest);
    if (name == QLatin1String("scheme"))
        return RunSchemeCommand(options, rest);
    if (name == QLatin1String("mps"))
        return RunMpsCommand(options, rest);
    if (name == QLatin1String("run"))
        return RunMrpCommand(options, rest);
    if (name == QLatin1String("deduct"))
        return RunDeductCommand(options, rest);
    if (name == QLatin1String("age"))
        return RunAgeCommand(options, rest);
    if (name == QLatin1String("kit"))
        return RunKitCommand(options, rest);
    if (name == QLatin1String("lack"))
        return RunLackCommand(options, rest);
    if (name == QLatin1String("supplies"))
        return RunSuppliesCommand(options, rest);
    if (name == QLatin1String("publish"))
        return RunPublishCommand(options, rest);
    if (name == QLatin1String("release"))
        return RunReleaseCommand(options, rest);
    if (name == QLatin1String("gen"))
        return RunGen(options, rest);
    throw ECliRefusal(QStringLiteral("kxmrp: 未知命令 %1").arg(name.left(60)), esUsage, usage);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    using namespace kx;
    using namespace kx::cli;
    InstallInterruptHandlers();
    int status = esFailed;
    try {
        status = RunCommand(app.arguments().mid(1));
    } catch (const ECliHelp& help) {
        std::fputs(help.Message().toUtf8().constData(), stdout);
        return esDone;
    } catch (const ECliRefusal& e) {
        PrintError(e.Message());
        if (!e.Usage().isEmpty())
            std::fputs(e.Usage().toUtf8().constData(), stderr);
        status = e.Status();
    } catch (const EAbort&) {
        status = esFailed;
    } catch (const EDatabaseError& e) {
        QString text = QStringLiteral("kxmrp: 错误: %1 (错误号: %2)").arg(e.Message()).arg(e.Number());
        if (e.SQLState().startsWith(QLatin1String("42")))
            text += QStringLiteral("\n请先运行 kxmrp db init 创建或升级数据库结构。");
        PrintError(text);
        status = esFailed;
    } catch (const EKxError& e) {
        PrintError(QStringLiteral("kxmrp: 错误: %1").arg(e.Message()));
        status = esFailed;
    } catch (const std::bad_alloc&) {
        PrintError(QStringLiteral("kxmrp: 内存不足, 操作被中止!"));
        status = esFailed;
    } catch (const std::exception& e) {
        PrintError(QStringLiteral("kxmrp: 程序执行出现错误! 原因: %1").arg(QString::fromUtf8(e.what())));
        status = esFailed;
    }
    if (const int signal = Interrupted()) {
        const TInterruptedEnd end = InterruptedEnd(status, signal, WorkSavedInSteps());
        PrintError(end.Message);
        return end.Status;
    }
    return status;
}
