// "kxmrp supplies" as a nightly job uses it: the supplies of a run listed by plan type, and
// adjustments applied from a table file with the checks and messages of the supplies view; a
// file with any bad row changes nothing, and only a planner who maintains the scheme may adjust.
#include "kxmrpprocess.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

class SuppliesCommand : public TDemoDatabaseTest {
protected:
    TCliResult Kxmrp(const QStringList& args) { return RunKxmrp(DatabaseName(), args); }
    // A table file of adjustments.
    QString File(const QString& name, const QString& text)
    {
        const QString path = Dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
        return path;
    }
    // The planned supply of an item with a tracking key.
    QString SupplyOf(const QString& itemNo, const QString& track)
    {
        return Scalar(QStringLiteral("select s.SupIID from KX_MRP_Supplies as s join KX_Base_ItemMaster as i on i.ItmID=s.SupItmID where "
                                     "s.SupSchIID=%1 and i.ItmNo='%2' and s.SupTrackKey='%3' and s.SupBillType>=42")
                          .arg(Scheme, itemNo, track))
            .toString();
    }
    QString Stored() const
    {
        return Rows(QStringLiteral("select s.SupIID || ' ' || s.SupBillType || ' ' || s.SupQty::float8 || ' ' || coalesce(j.AdjOldType, 0) "
                                   "from KX_MRP_Supplies as s left join KX_MRP_SupAdjusts as j on j.AdjSchIID=s.SupSchIID and "
                                   "j.AdjSupIID=s.SupIID where s.SupSchIID=%1 order by s.SupIID")
                        .arg(Scheme))
            .join(QLatin1Char('\n'));
    }

    QTemporaryDir Dir;
    QString Scheme;
};

TEST_F(SuppliesCommand, AFileOfAdjustmentsIsAppliedWholeOrNotAtAll)
{
    ASSERT_EQ(Kxmrp(Login("liming") + QStringList{QStringLiteral("scheme"), QStringLiteral("create"), QStringLiteral("--name"),
                                                  QStringLiteral("夜间调整"), QStringLiteral("--from"), QStringLiteral("2026-12-07"),
                                                  QStringLiteral("--weeks"), QStringLiteral("8")})
                  .Status,
              0);
    Scheme = Scalar(QStringLiteral("select max(SchIID) from KX_MRP_Schemes")).toString();
    const QStringList scheme{QStringLiteral("--scheme"), Scheme};
    ASSERT_EQ(Kxmrp(Login("liming") + QStringList{QStringLiteral("mps")} + scheme).Status, 0);
    ASSERT_EQ(Kxmrp(Login("liming") + QStringList{QStringLiteral("run")} + scheme).Status, 0);
    const QString wire = SupplyOf(QStringLiteral("4.01.001"), QStringLiteral("2|DM-SO-06|1"));
    const QString blade = SupplyOf(QStringLiteral("2.05.001"), QStringLiteral("2|DM-SO-04|1"));
    ASSERT_FALSE(wire.isEmpty() || blade.isEmpty());

    // The purchase plan: the wire's planned purchase among its orders.
    const QStringList supplies{QStringLiteral("supplies"), QStringLiteral("--scheme"), Scheme};
    const TCliResult listed = Kxmrp(Login("liming") + supplies + QStringList{QStringLiteral("--type"), QStringLiteral("3")});
    EXPECT_EQ(listed.Status, 0) << listed.Err.toStdString();
    EXPECT_TRUE(listed.Out.contains(QStringLiteral("%1\t4.01.001\t漆包线\tMRP采购\tSO2612-004/1/1/1\t2027/01/13\t40\t0\t40\t0\t\t").arg(wire)))
        << listed.Out.toStdString();
    EXPECT_FALSE(listed.Out.contains(QStringLiteral("MRP生产")));

    // Bad rows, each refused with its message; nothing of the file is stored.
    const QString before = Stored();
    const struct {
        QStringList Args;
        QString File;
        int Status;
        QString Says;
    } bad[] = {
        {Login("liming"), QStringLiteral("供应内码,计划数量\n%1,55\n999999,10\n").arg(wire), 1, QStringLiteral("第3行: [供应内码]的值(999999)不存在!")},
        {Login("liming"), QStringLiteral("供应内码,类型\n%1,生产任务\n").arg(blade), 1, QStringLiteral("第2行: [类型]的值(生产任务)无效!")},
        {Login("liming"), QStringLiteral("供应内码,BOM单\n%1,BOM-9.99\n").arg(blade), 1, QStringLiteral("第2行: [BOM单]的值(BOM-9.99)不存在!")},
        {Login("liming"), QStringLiteral("供应内码,计划数量\n%1,55\n%2,-5\n").arg(wire, blade), 1,
         QStringLiteral("供应内码%1: [计划数量]的值(-5)没有大于或等于0 !").arg(blade)},
        {Login("zhangli"), QStringLiteral("供应内码,计划数量\n%1,55\n").arg(wire), 3, QStringLiteral("受到限制")},
    };
    for (const auto& c : bad) {
        const TCliResult r = Kxmrp(c.Args + supplies + QStringList{QStringLiteral("--adjust"), File(QStringLiteral("bad.csv"), c.File)});
        EXPECT_EQ(r.Status, c.Status) << c.File.toStdString() << r.Err.toStdString();
        EXPECT_TRUE((r.Out + r.Err).contains(c.Says)) << (r.Out + r.Err).toStdString();
        EXPECT_EQ(Stored(), before);
    }
    EXPECT_EQ(Kxmrp(Login("liming") + supplies + QStringList{QStringLiteral("--type"), QStringLiteral("12")}).Status, 2);

    // A good file: more wire bought, the blade bought instead of made.
    const TCliResult saved = Kxmrp(Login("liming") + supplies
                                   + QStringList{QStringLiteral("--adjust"),
                                                 File(QStringLiteral("good.csv"), QStringLiteral("供应内码,计划数量,类型\n%1,55,\n%2,,58\n").arg(wire, blade))});
    EXPECT_EQ(saved.Status, 0) << saved.Err.toStdString();
    EXPECT_TRUE(saved.Out.contains(QStringLiteral("调整了 2 行供应计划; 状态: MRP结果有变, 需重新运算MRP"))) << saved.Out.toStdString();
    EXPECT_TRUE(saved.Out.contains(QStringLiteral("- 涉及到父级物料的BOM或数量变化")));
    EXPECT_EQ(Rows(QStringLiteral("select AdjSupIID || ' ' || AdjOldType || ' ' || AdjPending from KX_MRP_SupAdjusts where AdjSchIID=%1 "
                                  "order by AdjSupIID")
                       .arg(Scheme)),
              (QStringList{QStringLiteral("%1 42 1").arg(blade), QStringLiteral("%1 58 0").arg(wire)}));
}
