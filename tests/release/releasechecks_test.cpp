// What the release refuses or warns about, each with its own message and against the row and
// column concerned: nothing is written while a check fails or the user declines.
#include "releasefixture.h"

#include "db/shared.h"
#include "db/strutils.h"
#include "engine/planscheme.h"
#include "release/publishing.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

int BillsStored()
{
    return TSql::Scalar(QStringLiteral("select (select count(*) from KX_Bill_MOHead where MOID not like 'DM-%')+"
                                                 "(select count(*) from KX_Bill_PRHead where PRID not like 'DM-%')"))
        .toInt();
}

QString Today()
{
    return DateToText(QDate::currentDate());
}

} // namespace

class ReleaseChecks : public TReleaseTest {
protected:
    void SetUp() override
    {
        TReleaseTest::SetUp();
        SetOptions(btMO, [](TMRPOutputOptions& o) { o.DepartmentID = QStringLiteral("DM-D-PMC"); });
    }
};

TEST_F(ReleaseChecks, EachFaultOfARowIsReportedWithItsMessageAndNothingIsWritten)
{
    const int scheme = PublishedCopy(QStringLiteral("检查方案"));
    struct TCase {
        const char* Name;
        std::function<void(TMRPOutputList&, int)> Change;
        QString Finding;
        QString Box;
    };
    const QString warned = QStringLiteral("检查待投放数据时发现警告1个, 继续执行投放?");
    const QString refused = QStringLiteral("检查待投放数据时发现错误1个, 请修正后再投放!");
    const QList<TCase> cases{
        {"over the rest", [](TMRPOutputList& l, int r) { l.SetDoDestQty(r, 645); },
         QStringLiteral("警告|拟投放数(645)超过可投放数(545=计划数量545-已投放数0)!|1.01.001|SupDoDestQty"), warned},
        {"negative", [](TMRPOutputList& l, int r) { l.SetDoDestQty(r, -5); },
         QStringLiteral("错误|[拟投放数]的值(-5)没有大于0 !|1.01.001|SupDoDestQty"), refused},
        {"no supply unit", [](TMRPOutputList& l, int r) { l.SetDeptText(SharedConnection(), r, QString()); },
         QStringLiteral("错误|[供应单位]的内容不能为空!|1.01.001|SupDept"), refused},
        {"unknown supply unit", [](TMRPOutputList& l, int r) { l.SetDeptText(SharedConnection(), r, QStringLiteral("五号车间")); },
         QStringLiteral("错误|[供应单位]的值(五号车间)不存在!|1.01.001|SupDept"), refused},
        {"no BOM", [](TMRPOutputList& l, int r) { l.SetBomText(SharedConnection(), r, QString()); },
         QStringLiteral("错误|[BOM单]的内容不能为空!|1.01.001|SupBOM"), refused},
        {"delivery before start", [](TMRPOutputList& l, int r) { l.Rows[size_t(r)].Date = QDate(2026, 12, 20); },
         QStringLiteral("错误|[交货日期]的值没有大于或等于[开工日期]的值!|1.01.001|SupDate"), refused},
        {"start in the past", [](TMRPOutputList& l, int r) { l.Rows[size_t(r)].DrawDate = QDate(2026, 12, 1); },
         QStringLiteral("警告|[开工日期]的值(2026/12/01)早于今天(%1), 投放时自动调整为今天!|1.01.001|SupDrawDate").arg(Today()), warned},
    };
    for (const TCase& c : cases) {
        TMRPOutputList list;
        LoadRows(list, scheme, 1);
        const int row = FindRow(list, QStringLiteral("1.01.001"), QStringLiteral("SI2611-001/1"));
        ASSERT_GE(row, 0);
        list.SetChecked(row, true);
        c.Change(list, row);
        TRecordingSink sink(list);
        TScriptedMessages messages({mrNo});
        EXPECT_FALSE(Release(scheme, list, sink)) << c.Name;
        EXPECT_TRUE(sink.Lines.contains(c.Finding)) << c.Name << "\n" << sink.Lines.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(messages.LastText(), c.Box) << c.Name;
        EXPECT_EQ(BillsStored(), 0) << c.Name;
    }
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Supplies where SupSchIID=%1 and SupDestQty is not null").arg(scheme)).toInt(), 0);
}

TEST_F(ReleaseChecks, DatesInThePastAreReleasedAsToday)
{
    const int scheme = PublishedCopy(QStringLiteral("过期方案"));
    TMRPOutputList list;
    LoadRows(list, scheme, 1);
    const int row = FindRow(list, QStringLiteral("1.01.001"), QStringLiteral("SI2611-001/1"));
    list.SetChecked(row, true);
    list.Rows[size_t(row)].DrawDate = QDate(2026, 12, 1);
    list.Rows[size_t(row)].Date = QDate(2026, 12, 3);
    TRecordingSink sink(list);
    TScriptedMessages messages({mrYes});
    ASSERT_TRUE(Release(scheme, list, sink));
    EXPECT_EQ(messages.Texts().value(0), QStringLiteral("检查待投放数据时发现警告2个, 继续执行投放?"));
    EXPECT_TRUE(sink.Lines.contains(QStringLiteral("警告|[交货日期]的值(2026/12/03)早于今天(%1), 投放时自动调整为今天!|1.01.001|SupDate")
                                        .arg(Today())));
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    EXPECT_EQ(Rows(QStringLiteral("select to_char(MODelivDate,'YYYYMMDD')||' '||to_char(MODrawDate,'YYYYMMDD') from KX_Bill_MOLine "
                                  "where MOID not like 'DM-%'")),
              QStringList({today + QLatin1Char(' ') + today}));
}

TEST_F(ReleaseChecks, ASchemeWithdrawnAfterTheRowsWereLoadedIsRefused)
{
    const int scheme = PublishedCopy(QStringLiteral("撤回方案"));
    TMRPOutputList list;
    LoadRows(list, scheme, 1);
    list.SetChecked(FindRow(list, QStringLiteral("1.01.001"), QStringLiteral("SI2611-001/1")), true);
    TReleaseScheme owner;
    owner.IID = scheme;
    ASSERT_TRUE(ChangeReleaseState(SharedConnection(), owner, psUnpublished, psPublished));
    TRecordingSink sink(list);
    TScriptedMessages messages;
    EXPECT_FALSE(Release(scheme, list, sink));
    EXPECT_EQ(messages.Texts(), QStringList({QStringLiteral("计划方案[撤回方案]已取消发布, 或已关闭投放, 不能继续进行投放!")}));
    EXPECT_EQ(BillsStored(), 0);
}

TEST_F(ReleaseChecks, RowsOfABillKindTheUserMayNotReleaseAreLeftOut)
{
    const int scheme = PublishedCopy(QStringLiteral("权限方案"));
    SetOptions(btPR, [](TMRPOutputOptions& o) {
        o.DepartmentID = QStringLiteral("DM-D-PUR");
        o.EmployeeID = QStringLiteral("DM-E-03");
    });
    const struct {
        const char* User;
        int PlanType;
        const char* Item;
        const char* Origin;
        const char* Warning;
    } cases[] = {
        {"zhangli", 1, "1.01.001", "SI2611-001/1", "警告|没有投放生产任务的权限, 该行放弃投放!|1.01.001|SupDestType"},
        {"liming", 3, "5.01.001", "SO2612-001/1", "警告|没有投放采购申请的权限, 该行放弃投放!|5.01.001|SupDestType"},
        {"liming", 2, "2.02.001", "SO2612-001/1", "警告|没有投放委外申请的权限, 该行放弃投放!|2.02.001|SupDestType"},
    };
    for (const auto& c : cases) {
        LoginAs(QString::fromUtf8(c.User));
        TMRPOutputList list;
        LoadRows(list, scheme, c.PlanType);
        const int row = FindRow(list, QString::fromUtf8(c.Item), QString::fromUtf8(c.Origin));
        ASSERT_GE(row, 0) << c.Item;
        list.SetChecked(row, true);
        TRecordingSink sink(list);
        TScriptedMessages messages;
        EXPECT_FALSE(Release(scheme, list, sink));
        EXPECT_TRUE(sink.Lines.contains(QString::fromUtf8(c.Warning))) << sink.Lines.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(messages.LastText(), QStringLiteral("未发现有可投放的数据。"));
    }
    EXPECT_EQ(BillsStored(), 0);
}

TEST_F(ReleaseChecks, RequisitionsWithoutDepartmentAndEmployeeAskForTheSettingsFirst)
{
    const int scheme = PublishedCopy(QStringLiteral("选项方案"));
    LoginAs(QStringLiteral("zhangli"));
    for (const bool confirm : {false, true}) {
        TMRPOutputList list;
        LoadRows(list, scheme, 3);
        list.SetChecked(FindRow(list, QStringLiteral("5.01.001"), QStringLiteral("SO2612-001/1")), true);
        TRecordingSink sink(list);
        sink.OnEditOptions = [confirm](int destType) {
            if (confirm)
                SetOptions(destType, [](TMRPOutputOptions& o) {
                    o.DepartmentID = QStringLiteral("DM-D-PUR");
                    o.EmployeeID = QStringLiteral("DM-E-03");
                });
            return confirm;
        };
        TScriptedMessages messages;
        EXPECT_EQ(Release(scheme, list, sink), confirm);
        EXPECT_EQ(sink.OptionsAsked, QList<int>({int(btPR)}));
        EXPECT_EQ(BillsStored(), confirm ? 1 : 0);
    }
    EXPECT_EQ(Scalar(QStringLiteral("select PRDeptID||' '||PREmpID from KX_Bill_PRHead where PRID not like 'DM-%'")).toString(),
              QStringLiteral("DM-D-PUR DM-E-03"));
}

TEST_F(ReleaseChecks, AMainDemandNoLongerApprovedIsAnError)
{
    const int scheme = PublishedCopy(QStringLiteral("主需求方案"));
    TMRPOutputList list;
    LoadRows(list, scheme, 1);
    list.SetChecked(FindRow(list, QStringLiteral("1.01.001"), QStringLiteral("SO2612-001/1")), true);
    Exec(QStringLiteral("update KX_Bill_SOHead set SOChecked=0 where SONo='SO2612-001'"));
    TRecordingSink sink(list);
    TScriptedMessages messages;
    EXPECT_FALSE(Release(scheme, list, sink));
    Exec(QStringLiteral("update KX_Bill_SOHead set SOChecked=1 where SONo='SO2612-001'"));
    EXPECT_TRUE(sink.Lines.contains(QStringLiteral("错误|主需求信息(销售订单: SO2612-001/1 | 1.01.001)不存在或未审核!|1.01.001|SupOrigNo")))
        << sink.Lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(BillsStored(), 0);
}
