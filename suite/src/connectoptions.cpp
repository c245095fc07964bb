#include "connectoptions.h"

#include "db/shared.h"

#include <QProcessEnvironment>

namespace kx {

QString TakeOption(QStringList& args, const QString& name, const QString& fallback)
{
    const QString flag = QLatin1String("--") + name;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == flag && i + 1 < args.size()) {
            const QString value = args[i + 1];
            args.remove(i, 2);
            return value;
        }
        if (args[i].startsWith(flag + QLatin1Char('='))) {
            const QString value = args[i].mid(flag.size() + 1);
            args.remove(i);
            return value;
        }
    }
    return fallback;
}

bool TakeFlag(QStringList& args, const QString& name)
{
    return args.removeAll(QLatin1String("--") + name) > 0;
}

TConnectOptions TakeConnectOptions(QStringList& args, const QString& userOption, const QString& passwordOption)
{
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    TConnectOptions o;
    o.Server = TakeOption(args, QStringLiteral("server"), env.value(QStringLiteral("KXMRP_SERVER"), env.value(QStringLiteral("PGHOST"))));
    o.Database = TakeOption(args, QStringLiteral("database"), env.value(QStringLiteral("KXMRP_DATABASE"), QStringLiteral("kx_mrp")));
    o.User = TakeOption(args, userOption, env.value(QStringLiteral("KXMRP_DBUSER")));
    o.Password = TakeOption(args, passwordOption, env.value(QStringLiteral("KXMRP_DBPASSWORD")));
    return o;
}

void Configure(TConnection& connection, const TConnectOptions& options, const QString& database)
{
    connection.Close();
    connection.ConnectionString = BuildConnectionString(0, options.Server, database.isEmpty() ? options.Database : database,
                                                        options.User, options.Password);
}

} // namespace kx
