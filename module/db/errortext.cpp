#include "db/errortext.h"

namespace kx {

namespace {

struct TStateSentence {
    const char* State;            // a whole code, or a class of two characters
    const char* Sentence;
};

// Looked up first by the whole code, then by its class.
const TStateSentence kSentences[] = {
    {"57P01", "数据库服务器已停止或正在重新启动, 连接被断开"},
    {"57P02", "数据库服务器已停止或正在重新启动, 连接被断开"},
    {"57P03", "数据库服务器正在启动或停止, 暂时不能连接"},
    {"57014", "数据库语句被取消(超过等待时间或被中止)"},
    {"3D000", "数据库不存在"},
    {"42P01", "数据库中缺少所需的表或视图, 数据库结构尚未初始化或与程序版本不符"},
    {"42703", "数据库中缺少所需的字段, 数据库结构与程序版本不符"},
    {"42883", "数据库中缺少所需的函数或过程, 数据库结构与程序版本不符"},
    {"40P01", "与其他用户的操作互相等待(死锁), 本次操作已被撤销"},
    {"40001", "与其他用户同时进行的操作冲突, 本次操作已被撤销"},
    {"55P03", "数据正被其他用户锁定, 请稍后再试"},
    {"23505", "数据重复, 与已有的记录冲突"},
    {"23503", "数据所引用的记录不存在或已被删除"},
    {"23502", "必须填写的数据为空"},
    {"23514", "数据不符合数据库的检查规则"},
    {"22001", "文本长度超出字段允许的范围"},
    {"22003", "数值超出字段允许的范围"},
    {"22007", "日期或时间的格式无效"},
    {"22008", "日期或时间超出允许的范围"},
    {"22012", "计算中出现除数为零"},
    {"22P02", "数据的格式无效"},
    {"08", "与数据库服务器的连接中断"},
    {"28", "数据库拒绝了登录"},
    {"22", "数据无效"},
    {"23", "数据违反了数据库的完整性规则"},
    {"25", "数据库事务的状态不允许执行本操作"},
    {"40", "数据库事务被撤销"},
    {"42", "数据库结构与程序版本不符, 或语句有误"},
    {"53", "数据库服务器资源不足(磁盘空间、内存或连接数)"},
    {"54", "操作超出了数据库的限制"},
    {"55", "数据库对象当前的状态不允许执行本操作"},
    {"57", "数据库服务器中止了操作"},
    {"58", "数据库服务器的系统错误"},
    {"XX", "数据库服务器内部错误"},
};

QString SentenceOf(const QString& state)
{
    for (const TStateSentence& s : kSentences)
        if (state == QLatin1String(s.State))
            return QString::fromUtf8(s.Sentence);
    for (const TStateSentence& s : kSentences)
        if (qstrlen(s.State) == 2 && state.startsWith(QLatin1String(s.State)))
            return QString::fromUtf8(s.Sentence);
    return QStringLiteral("数据库操作失败");
}

QString WithServerText(const QString& sentence, const QString& message)
{
    return message.isEmpty() ? sentence : QStringLiteral("%1 [服务器信息: %2]").arg(sentence, message.simplified());
}

} // namespace

QString ServerErrorText(const QString& sqlState, const QString& message, const QString& detail)
{
    // Our procedures raise their refusals (state P0001, a number in the detail) in words
    // meant for the user.
    if (sqlState.startsWith(QLatin1String("P0")) || detail.contains(QLatin1String("errnum=")))
        return message;
    return WithServerText(SentenceOf(sqlState) + QLatin1Char('!'), message);
}

QString ConnectErrorText(const QString& server, const QString& database, const QString& message)
{
    QString sentence = QStringLiteral("无法连接数据库服务器");
    if (!server.isEmpty())
        sentence += QStringLiteral("[%1]").arg(server);
    sentence += database.isEmpty() ? QStringLiteral("!") : QStringLiteral("上的数据库[%1]!").arg(database);
    if (message.contains(QLatin1String("does not exist")) && !database.isEmpty())
        sentence += QStringLiteral(" 数据库不存在。");
    else if (message.contains(QLatin1String("password authentication failed")) || message.contains(QLatin1String("authentication")))
        sentence += QStringLiteral(" 数据库用户或密码不正确。");
    else if (message.contains(QLatin1String("No such file or directory")) || message.contains(QLatin1String("Connection refused")))
        sentence += QStringLiteral(" 数据库服务器未启动或地址不正确。");
    return WithServerText(sentence, message);
}

} // namespace kx
