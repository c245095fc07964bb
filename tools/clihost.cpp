#include "clihost.h"

#include "db/errors.h"
#include "db/shared.h"

#include <unistd.h>

#include <cstdio>

namespace kx::cli {

TCliHost::TCliHost(const TConnectOptions& options, const QString& userNo)
{
    TConnection lookup;
    Configure(lookup, options);
    suite::TLoginUser user;
    if (!suite::FindLoginUser(lookup, userNo, user))
        throw EKxError(userNo.isEmpty() ? QStringLiteral("数据库中没有可用的系统管理员用户!")
                                        : QStringLiteral("用户\"%1\"不存在或已被禁用!").arg(userNo));
    FSession = std::make_unique<suite::THostSession>(options, user, getpid(), 100000);
    SetEnvironment(&FSession->Env());
    Configure(FConnection, options);
}

TCliHost::~TCliHost() = default;

TPlanPeriods ConsecutivePeriods(const QDate& from, int count, const QString& unit)
{
    QList<TPlanPeriod> user;
    QDate begin = from;
    for (int i = 0; i < count; ++i) {
        const QDate next = unit == QLatin1String("days") ? begin.addDays(1)
                         : unit == QLatin1String("months") ? begin.addMonths(1)
                                                            : begin.addDays(7);
        user << TPlanPeriod{ppkNormal, begin, next.addDays(-1)};
        begin = next;
    }
    return BuildPlanPeriods(user);
}

void TConsoleProgress::ShowText(const QString& text)
{
    if (FBarShown)
        std::fputc('\n', stderr);
    FBarShown = false;
    FLastPercent = -1;
    if (FShowText && !text.isEmpty())
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

void TConsoleProgress::ShowPosition(qint64 done, qint64 total)
{
    if (total <= 0 || !isatty(fileno(stderr)))
        return;
    const int percent = int(done * 100 / total);
    if (percent == FLastPercent)
        return;
    FLastPercent = percent;
    const int width = 40;
    const int filled = percent * width / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%", QByteArray(filled, '#').constData(), QByteArray(width - filled, '.').constData(), percent);
    FBarShown = true;
}

TConsoleProgress::~TConsoleProgress()
{
    if (FBarShown)
        std::fputc('\n', stderr);
}

} // namespace kx::cli
