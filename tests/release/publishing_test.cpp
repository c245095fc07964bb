// Publishing a plan scheme: states move only from the state the user saw, a copy is published
// under a name new to its owner and carries no release, receivers are users and groups each
// held once, and the receiving user sees the scheme only while he may release from it.
#include "releasefixture.h"

#include "db/shared.h"
#include "engine/planscheme.h"
#include "release/publishing.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

int StateOf(int scheme)
{
    return TSql::Scalar(QStringLiteral("select SchState from KX_MRP_Schemes where SchIID=%1").arg(scheme)).toInt();
}

} // namespace

class Publishing : public TReleaseTest {};

TEST_F(Publishing, StatesMoveOnlyFromTheStateShownAndReopeningAReleasedSchemeKeepsItReleased)
{
    const int iid = CopySchemeForPublish(SharedConnection(), RunScheme, QStringLiteral("状态方案"), false);
    TReleaseScheme scheme;
    scheme.IID = iid;
    scheme.State = StateOf(iid);
    ASSERT_EQ(scheme.State, int(psMRPDone));
    struct TMove {
        int To;
        int Expected;
        const char* Before;   // statement run before the move
    };
    const TMove moves[] = {
        {psPublished, psPublished, nullptr},
        {psUnpublished, psUnpublished, nullptr},
        {psPublished, psPublished, nullptr},
        {psReleaseClosed, psReleaseClosed, nullptr},
        {psPublished, psPublished, nullptr},          // nothing released yet: published again
        {psReleaseClosed, psReleaseClosed, nullptr},
        {psPublished, psReleased, "update KX_MRP_Supplies set SupDestQty=5 where SupSchIID=%1 and SupBillType=58 and SupIID="
                                  "(select min(SupIID) from KX_MRP_Supplies where SupSchIID=%1 and SupBillType=58)"},
        {psReleaseClosed, psReleaseClosed, nullptr},
    };
    for (const TMove& move : moves) {
        if (move.Before)
            Exec(QString::fromUtf8(move.Before).arg(iid));
        ASSERT_TRUE(ChangeReleaseState(SharedConnection(), scheme, move.To, scheme.State)) << move.To;
        EXPECT_EQ(scheme.State, move.Expected);
        EXPECT_EQ(StateOf(iid), move.Expected);
    }
    EXPECT_TRUE(scheme.Text().startsWith(QStringLiteral("状态方案 (已关闭投放 ")));
    // Another user reopened it meanwhile: the state this user saw is gone.
    Exec(QStringLiteral("update KX_MRP_Schemes set SchState=%1 where SchIID=%2").arg(psPublished).arg(iid));
    EXPECT_FALSE(ChangeReleaseState(SharedConnection(), scheme, psPublished, psReleaseClosed));
    EXPECT_EQ(StateOf(iid), int(psPublished));
}

TEST_F(Publishing, ACopyNeedsANameNewToItsOwner)
{
    const struct {
        const char* Name;
        const char* Fault;
    } cases[] = {
        {"  ", "名称不能为空, 请输入!"},
        {"十二月计划", "您选择复制方案方式发布, 原计划方案\"十二月计划\"将被保留, 请输入新名称进行发布!"},
        {" 十二月计划 ", "您选择复制方案方式发布, 原计划方案\"十二月计划\"将被保留, 请输入新名称进行发布!"},
        {"已有名称", "计划方案\"已有名称\"已存在, 请输入新名称进行发布!"},
        {"新的名称", ""},
    };
    CopySchemeForPublish(SharedConnection(), RunScheme, QStringLiteral("已有名称"), true);
    for (const auto& c : cases)
        EXPECT_EQ(CheckCopyName(SharedConnection(), QString::fromUtf8(c.Name), QStringLiteral("十二月计划"), EnvUserID()),
                  QString::fromUtf8(c.Fault))
            << c.Name;
    // Another owner's scheme of that name is no obstacle.
    EXPECT_EQ(CheckCopyName(SharedConnection(), QStringLiteral("已有名称"), QStringLiteral("十二月计划"), QStringLiteral("DM-USR-ZHANGLI")),
              QString());
}

TEST_F(Publishing, ACopyCarriesTheRunWithoutItsReleaseOrOnlyTheMainDemand)
{
    const int source = PublishedCopy(QStringLiteral("复制源"));
    Exec(QStringLiteral("update KX_MRP_Supplies set SupDestQty=SupQty, SupDester='DM-USR-ZHANGLI' where SupSchIID=%1").arg(source));
    Exec(QStringLiteral("insert into KX_MRP_DestAlters (DstSchIID, DstSupIID, DstDmdIID, DstItmID, DstQty) values (%1, 1, 1, 'DM-I-SCR', 5)")
             .arg(source));
    const int full = CopySchemeForPublish(SharedConnection(), source, QStringLiteral("完整复制"), false);
    const int main = CopySchemeForPublish(SharedConnection(), source, QStringLiteral("主需求复制"), true);
    auto counts = [](int iid) {
        return Rows(QStringLiteral("select (select count(*) from KX_MRP_Main where ManSchIID=%1)||' '||"
                                   "(select count(*) from KX_MRP_Supplies where SupSchIID=%1)||' '||"
                                   "(select count(*) from KX_MRP_Supplies where SupSchIID=%1 and SupDestQty is not null)||' '||"
                                   "(select count(*) from KX_MRP_DestAlters where DstSchIID=%1)||' '||"
                                   "(select SchMrpCalIID||'/'||SchState from KX_MRP_Schemes where SchIID=%1)").arg(iid))
            .value(0);
    };
    const QString sourceMain = counts(source).section(' ', 0, 0);
    const QString sourceSupplies = counts(source).section(' ', 1, 1);
    EXPECT_EQ(counts(full), QStringLiteral("%1 %2 0 0 1/8").arg(sourceMain, sourceSupplies));
    EXPECT_EQ(counts(main), QStringLiteral("%1 0 0 0 0/8").arg(sourceMain));
}

TEST_F(Publishing, ReceiversAreUsersAndGroupsHeldOnce)
{
    const int iid = CopySchemeForPublish(SharedConnection(), RunScheme, QStringLiteral("接收方案"), false);
    QList<TUserRec> added = AddReceivers(SharedConnection(), iid,
                                         {QStringLiteral("DM-USR-ZHANGLI"), QStringLiteral("DM-G-PLAN"), QStringLiteral("DM-USR-ZHANGLI")});
    ASSERT_EQ(added.size(), 2);
    EXPECT_TRUE(AddReceivers(SharedConnection(), iid, {QStringLiteral("DM-USR-ZHANGLI")}).isEmpty());
    QStringList shown;
    for (const TUserRec& u : LoadReceivers(SharedConnection(), iid))
        shown << QStringLiteral("%1 %2").arg(u.IsGroup ? QStringLiteral("组") : QStringLiteral("用户"), u.DisplayName());
    EXPECT_EQ(shown, QStringList({QStringLiteral("组 计划组(PLAN)"), QStringLiteral("用户 张丽(zhangli)")}));
    RemoveReceiver(SharedConnection(), iid, added.value(0).IsGroup ? added.value(0) : added.value(1));
    EXPECT_EQ(LoadReceivers(SharedConnection(), iid).size(), 1);
}

TEST_F(Publishing, TheReceiverSeesTheSchemeOnlyWhileItMayBeReleased)
{
    const int iid = PublishedCopy(QStringLiteral("可见方案"));
    const int byGroup = CopySchemeForPublish(SharedConnection(), RunScheme, QStringLiteral("组内方案"), false);
    AddReceivers(SharedConnection(), byGroup, {QStringLiteral("DM-G-BUY")});
    TReleaseScheme scheme;
    scheme.IID = byGroup;
    ASSERT_TRUE(ChangeReleaseState(SharedConnection(), scheme, psPublished, psMRPDone));
    LoginAs(QStringLiteral("zhangli"));
    auto visible = [] {
        QStringList names;
        // Other tests publish schemes of their own to the buyer.
        for (const TReleaseScheme& s : LoadReleasableSchemes(SharedConnection(), EnvUserID(), EnvText(Host().Env.UserGroups)))
            if (s.Name.endsWith(QStringLiteral("方案")))
                names << s.Name + QLatin1Char('/') + s.OwnerName;
        names.sort();
        return names.join(QLatin1Char(' '));
    };
    EXPECT_EQ(visible(), QStringLiteral("可见方案/李明 组内方案/李明"));
    EXPECT_TRUE(ReleasableSchemeText(LoadReleasableSchemes(SharedConnection(), EnvUserID(), EnvText(Host().Env.UserGroups)).value(0),
                                     EnvUserID())
                    .endsWith(QStringLiteral(" 李明)")));
    scheme.IID = iid;
    for (const auto& [to, from] : {std::pair{psUnpublished, psPublished}, std::pair{psPublished, psUnpublished},
                                   std::pair{psReleaseClosed, psPublished}}) {
        ASSERT_TRUE(ChangeReleaseState(SharedConnection(), scheme, to, from));
        EXPECT_EQ(visible().contains(QStringLiteral("可见方案")), to == psPublished) << to;
    }
}
