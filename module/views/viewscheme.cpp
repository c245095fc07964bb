#include "views/viewscheme.h"

#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"

namespace kx {

namespace {

const char* const kSchemeColumns = "ViwIID, ViwName, ViwKind, ViwParams, ViwPSetting";

void ReadMask(TViewScheme& scheme)
{
    TQuery& q = SharedQuery();
    if (!RunSQL(q, QStringLiteral("select ViwMask from KX_SYS_ViewMasks where ViwID=%1").arg(QuotedStr(scheme.ID)), true))
        return;
    if (!q.IsEmpty())
        scheme.Mask = QLatin1Char('|') + q.Fields(0).AsString().remove(QLatin1Char(' ')) + QLatin1Char('|');
}

int ReturnedIID(TQuery& q, const QString& sql)
{
    if (!RunSQL(q, sql, true) || q.IsEmpty())
        return 0;
    return q.Fields(0).AsInteger();
}

} // namespace

bool LoadViewScheme(TViewScheme& scheme)
{
    TQuery& q = SharedQuery();
    QString sql;
    if (scheme.IID != 0)
        sql = QStringLiteral("select %1 from KX_SYS_ViewSchemes where ViwID=%2 and ViwIID=%3 limit 1")
                  .arg(QLatin1String(kSchemeColumns), QuotedStr(scheme.ID), SQLInt(scheme.IID));
    else
        sql = QStringLiteral("select %1 from KX_SYS_ViewSchemes where ViwID=%2 and (ViwUsrID=%3 and ViwKind=%4 "
                             "or ViwUsrID='' and ViwKind=%5) order by ViwKind limit 1")
                  .arg(QLatin1String(kSchemeColumns), QuotedStr(scheme.ID), QuotedStr(EnvUserID()), SQLInt(vkLastUsed),
                       SQLInt(vkPublic));
    bool found = false;
    if (RunSQL(q, sql, true) && !q.IsEmpty()) {
        found = true;
        scheme.IID = q.FieldByName(QStringLiteral("ViwIID")).AsInteger();
        scheme.Name = q.FieldByName(QStringLiteral("ViwName")).AsString();
        scheme.Kind = TViewSchemeKind(q.FieldByName(QStringLiteral("ViwKind")).AsInteger());
        scheme.Params = q.FieldByName(QStringLiteral("ViwParams")).AsString();
        const QString print = q.FieldByName(QStringLiteral("ViwPSetting")).AsString();
        if (!print.isEmpty())
            scheme.PrintSetting = print;
        scheme.SQLParsed = false;
    }
    ReadMask(scheme);
    return found;
}

bool SaveViewScheme(TViewScheme& scheme, bool withPrintSetting)
{
    TQuery& q = SharedQuery();
    const QString id = QuotedStr(scheme.ID);
    const QString user = QuotedStr(EnvUserID());
    const QString name = QuotedStr(scheme.Name);
    const QString params = QuotedStr(scheme.Params);
    const QString print = withPrintSetting ? QuotedStr(scheme.PrintSetting) : QStringLiteral("null");
    int iid = 0;
    if (scheme.IID > 0)
        iid = ReturnedIID(q, QStringLiteral("update KX_SYS_ViewSchemes set ViwName=%1, ViwKind=%2, ViwParams=%3, ViwPSetting=%4, "
                                            "ViwTime=localtimestamp where ViwIID=%5 and ViwID=%6 and ViwUsrID=%7 returning ViwIID")
                                 .arg(name, SQLInt(scheme.Kind), params, print, SQLInt(scheme.IID), id, user));
    else
        iid = ReturnedIID(q, QStringLiteral("delete from KX_SYS_ViewSchemes where ViwID=%1 and ViwUsrID=%2 and %3;\n"
                                            "insert into KX_SYS_ViewSchemes (ViwID, ViwUsrID, ViwName, ViwKind, ViwParams, "
                                            "ViwPSetting, ViwTime) values (%1, %2, %4, %5, %6, %7, localtimestamp) returning ViwIID")
                                 .arg(id, user,
                                      scheme.Kind == vkLastUsed ? QStringLiteral("ViwKind=0")
                                                                : QStringLiteral("ViwKind<>0 and ViwName=%1").arg(name),
                                      name, SQLInt(scheme.Kind), params, print));
    if (iid == 0)
        return false;
    scheme.IID = iid;
    return true;
}

bool SaveLastUsedViewScheme(TViewScheme& scheme)
{
    if (scheme.Kind == vkLastUsed && scheme.IID > 0 && SaveViewScheme(scheme, true))
        return true;
    scheme.IID = 0;
    scheme.Kind = vkLastUsed;
    return SaveViewScheme(scheme, true);
}

bool DeleteViewScheme(TViewScheme& scheme)
{
    TQuery& q = SharedQuery();
    if (!RunSQL(q, QStringLiteral("delete from KX_SYS_ViewSchemes where ViwIID=%1 and ViwID=%2 and ViwUsrID=%3")
                       .arg(SQLInt(scheme.IID), QuotedStr(scheme.ID), QuotedStr(EnvUserID())),
                false)
        || q.RowsAffected() == 0)
        return false;
    scheme.IID = 0;
    return true;
}

QList<TSchemeListEntry> ListViewSchemes(TQuery& query, const QString& viewID)
{
    QList<TSchemeListEntry> entries;
    entries.append({sekCurrent, 0, QStringLiteral("(最近使用方案)"), QString()});
    const QString user = QuotedStr(EnvUserID());
    const QString sql = QStringLiteral("select v.ViwIID, v.ViwUsrID, v.ViwName, v.ViwKind, u.UsrName from KX_SYS_ViewSchemes as v "
                                       "left join KX_SYS_Users as u on v.ViwUsrID=u.UsrID where v.ViwID=%1 and "
                                       "(v.ViwUsrID=%2 and v.ViwKind<>%3 or v.ViwKind=%4) order by (case when v.ViwUsrID=%2 "
                                       "then 0 when v.ViwUsrID='' then 2 else 1 end), v.ViwTime desc, v.ViwKind")
                            .arg(QuotedStr(viewID), user, SQLInt(vkLastUsed), SQLInt(vkPublic));
    bool hasDefault = false;
    if (RunSQL(query, sql, true))
        for (query.First(); !query.Eof(); query.Next()) {
            TSchemeListEntry e;
            e.IID = query.FieldByName(QStringLiteral("ViwIID")).AsInteger();
            e.Name = query.FieldByName(QStringLiteral("ViwName")).AsString().trimmed();
            const QString owner = query.FieldByName(QStringLiteral("ViwUsrID")).AsString();
            const int kind = query.FieldByName(QStringLiteral("ViwKind")).AsInteger();
            if (owner.isEmpty()) {
                e.Kind = sekDefault;
                e.Text = QStringLiteral("(默认方案)");
                hasDefault = true;
            } else if (owner == EnvUserID()) {
                e.Kind = kind == vkPublic ? sekOwnPublic : sekPrivate;
                e.Text = e.Name;
            } else {
                e.Kind = sekOtherPublic;
                e.Text = e.Name + QLatin1Char('(') + query.FieldByName(QStringLiteral("UsrName")).AsString().trimmed()
                    + QLatin1Char(')');
            }
            entries.append(e);
        }
    if (!hasDefault)
        entries.append({sekDefault, -1, QStringLiteral("(默认方案)"), QString()});
    return entries;
}

} // namespace kx
