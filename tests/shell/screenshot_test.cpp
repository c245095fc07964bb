// The desktop host on a real X display (Xvfb): started logged in as the demo planner, it
// opens a module view of the demo factory in a tab (the host's own sales-order list when
// the module does not serve the view yet) and saves a picture of the window into the test
// output folder for anyone to look at.
#include "shellfixture.h"

#include "erplistview.h"
#include "objectpage.h"

#include "db/messages.h"
#include "testhost.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTabWidget>
#include <QThread>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::shell;
using namespace kx::test;

class ShellScreenshot : public TShellTest {
public:
    static void SetUpTestSuite() { TShellTest::SetUpTestSuite(); }
};

TEST_F(ShellScreenshot, PlannerSeesAModuleViewOfTheDemoFactory)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run under xvfb-run";
    TScriptedMessages messages;
    TMainWindow* window = StartAsPlanner();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(messages.Count(), 0) << messages.LastText().toStdString();
    TObjectPage* page = window->OpenObject(QStringLiteral("KX_MRP.Items"));
    if (!page) {
        EXPECT_EQ(messages.LastText(), QStringLiteral("很抱歉, 此功能处于内部测试阶段, 暂时不开放使用!"));
        page = window->OpenObject(QStringLiteral("KX_MRP.SO"));
    }
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(window->Pages()->count(), 1);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("KX_MRP 物料需求计划 - 李明 (%1)").arg(DatabaseName()));
    window->resize(1280, 800);
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(25);
    }
    const QString folder = qEnvironmentVariable("KX_TEST_OUTPUT", QDir::tempPath());
    QDir().mkpath(folder);
    const QString file = QDir(folder).filePath(QStringLiteral("shell_main_window.png"));
    ASSERT_TRUE(window->grab().save(file));
    const QImage saved(file);
    EXPECT_EQ(saved.width(), window->width() * int(window->devicePixelRatio()));
    std::printf("screenshot: %s (%s)\n", file.toUtf8().constData(), page->Caption().toUtf8().constData());
}
