// Every object a user finds in the navigator opens: the planner, the buyer and the
// administrator each open every entry of their navigator in turn, and none answers with the
// "not open yet" notice, fails without saying why, or leaves nothing on the screen. A page of
// each object the administrator opens is saved as a picture for anyone to look over.
#include "shellfixture.h"

#include "objectpage.h"

#include "testhost.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::shell;
using namespace kx::test;

namespace {

struct TNavigatorEntry {
    QString ID;
    QString Name;
};

QList<TNavigatorEntry> NavigatorEntries(const TMainWindow& window)
{
    QList<TNavigatorEntry> entries;
    QList<QTreeWidgetItem*> pending;
    for (int i = 0; i < window.Navigator()->topLevelItemCount(); ++i)
        pending << window.Navigator()->topLevelItem(i);
    while (!pending.isEmpty()) {
        QTreeWidgetItem* item = pending.takeFirst();
        if (item->childCount() == 0 && !item->toolTip(0).isEmpty())
            entries << TNavigatorEntry{item->toolTip(0), item->text(0)};
        for (int i = 0; i < item->childCount(); ++i)
            pending << item->child(i);
    }
    return entries;
}

// Closes whatever modal dialog an object shows on opening (an object of the form kind is a
// dialog), remembering its title.
class TDialogCloser {
public:
    TDialogCloser()
    {
        FTimer.setInterval(50);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                Titles << dialog->windowTitle();
                dialog->reject();
            }
        });
        FTimer.start();
    }
    QStringList Titles;

private:
    QTimer FTimer;
};

void Settle()
{
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
}

} // namespace

class CatalogueWalk : public TShellTest {
public:
    static void SetUpTestSuite() { TShellTest::SetUpTestSuite(); }

protected:
    TMainWindow* StartAs(const QString& user, const QString& password)
    {
        Run = std::make_unique<TShellRun>(
            ParseShellOptions(StartArguments({QStringLiteral("--user"), user, QStringLiteral("--password"), password})));
        return Run->LogIn(false) ? Run->ShowMainWindow() : nullptr;
    }
};

TEST_F(CatalogueWalk, EveryNavigatorEntryOpensForPlannerBuyerAndAdministrator)
{
    const QString folder = QDir(qEnvironmentVariable("KX_TEST_OUTPUT", QDir::tempPath())).filePath(QStringLiteral("catalogue"));
    QDir().mkpath(folder);
    const struct {
        const char* User;
        const char* Password;
        int AtLeast;  // entries the demo gives this user, at least
    } users[] = {{"liming", "liming123", 20}, {"zhangli", "zhangli123", 5}, {"admin", "admin123", 20}};
    for (const auto& user : users) {
        SCOPED_TRACE(user.User);
        TScriptedMessages messages;
        TMainWindow* window = StartAs(QString::fromLatin1(user.User), QString::fromLatin1(user.Password));
        ASSERT_NE(window, nullptr) << messages.LastText().toStdString();
        window->resize(1280, 800);
        const QList<TNavigatorEntry> entries = NavigatorEntries(*window);
        EXPECT_GE(entries.size(), user.AtLeast);
        for (const TNavigatorEntry& entry : entries) {
            SCOPED_TRACE(entry.ID.toStdString());
            const int shown = messages.Count();
            TDialogCloser closer;
            TObjectPage* page = window->OpenObject(entry.ID);
            Settle();
            QStringList said = messages.Texts().mid(shown);
            EXPECT_FALSE(said.join(QLatin1Char('\n')).contains(QStringLiteral("内部测试"))) << said.join('\n').toStdString();
            // A form shows its dialog instead of a page; anything else must leave a page.
            EXPECT_TRUE(page || !closer.Titles.isEmpty())
                << entry.Name.toStdString() << " opened nothing: " << said.join('\n').toStdString();
            if (!page)
                continue;
            // The administrator has no scheme of his own: the workbench says how to make one.
            if (qstrcmp(user.User, "admin") == 0 && entry.ID == QLatin1String("KX_MRP.MRP")) {
                auto* chooser = page->findChild<QComboBox*>(QStringLiteral("cboScheme"));
                ASSERT_NE(chooser, nullptr);
                EXPECT_EQ(chooser->count(), 0);
                EXPECT_EQ(chooser->placeholderText(), QStringLiteral("(还没有计划方案: 请按[新建计划方案]建立第一个方案)"));
            }
            if (qstrcmp(user.User, "admin") == 0) {
                QString file = entry.ID;
                file.replace(QLatin1Char('.'), QLatin1Char('_'));
                window->grab().save(QDir(folder).filePath(file + QStringLiteral(".png")));
            }
            const int index = window->Pages()->indexOf(page);
            if (index >= 0) {
                EXPECT_TRUE(window->ClosePage(index));
            }
            Settle();
        }
        Run.reset();
    }
}
