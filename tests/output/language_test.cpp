// Qt's own dialogs in the shell's language, on a real X display (Xvfb): with the shell's
// translations a message box, the export's save dialog and the print preview show Chinese
// buttons; pictures of each are left in the test output. Without the translation file the
// shell still starts, in English.
#include "shellstartup.h"
#include "testhost.h"

#include "db/messages.h"
#include "views/exportservice.h"
#include "views/messagebox.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <functional>

using namespace kx;
using namespace kx::test;

namespace {

// Runs check on the modal dialog the action opens, leaves its picture, then closes it.
void WithModal(const QString& picture, const std::function<void(QWidget*)>& check, const std::function<void()>& action)
{
    bool seen = false;
    QTimer timer;
    timer.setInterval(100);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || seen)
            return;
        seen = true;
        QApplication::processEvents();
        modal->grab().save(TestOutputPath(picture));
        check(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    timer.start();
    action();
    timer.stop();
    EXPECT_TRUE(seen) << picture.toStdString() << ": no dialog came up";
}

QStringList ButtonTexts(QWidget* widget)
{
    QStringList texts;
    for (const QAbstractButton* b : widget->findChildren<QAbstractButton*>())
        if (b->isVisible() && !b->text().isEmpty())
            texts << b->text();
    return texts;
}

QStringList ActionTexts(QWidget* widget)
{
    QStringList texts;
    for (const QToolBar* bar : widget->findChildren<QToolBar*>())
        for (const QAction* a : bar->actions())
            if (!a->isSeparator())
                texts << a->text() + QLatin1Char('|') + a->toolTip();
    return texts;
}

TExportMemoryTable SmallList()
{
    TExportMemoryTable table;
    table.Title = QStringLiteral("物料清单");
    table.Columns << TExportColumn{QStringLiteral("No"), QStringLiteral("物料代码")}
                  << TExportColumn{QStringLiteral("Qty"), QStringLiteral("数量"), -1, 70, evNumber};
    table.AddRow({QStringLiteral("1.01.001"), 12.5});
    table.AddRow({QStringLiteral("1.01.002"), 3.0});
    return table;
}

} // namespace

class ShellLanguage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run under xvfb-run";
        FPrevious = SetMessageResponder(WidgetMessageBox);
    }
    void TearDown() override
    {
        SetMessageResponder(FPrevious);
        shell::InstallQtTranslations();
    }

private:
    TMessageResponder FPrevious;
};

TEST_F(ShellLanguage, MessageBoxFileDialogAndPrintPreviewShowChineseButtons)
{
    ASSERT_TRUE(shell::InstallQtTranslations());

    WithModal(QStringLiteral("language_message_box.png"), [](QWidget* box) {
        const QStringList texts = ButtonTexts(box);
        EXPECT_TRUE(texts.contains(QStringLiteral("是(&Y)"))) << texts.join(QLatin1Char(',')).toStdString();
        EXPECT_TRUE(texts.contains(QStringLiteral("否(&N)"))) << texts.join(QLatin1Char(',')).toStdString();
        EXPECT_TRUE(texts.contains(QStringLiteral("取消"))) << texts.join(QLatin1Char(',')).toStdString();
    }, [] { ShowQuestion(QStringLiteral("您将退出[物料计划资料]的当前编辑状态, 对未保存过的内容进行保存?"), mbYesNoCancel | mbDefButton3); });

    const TExportMemoryTable table = SmallList();
    WithModal(QStringLiteral("language_export_dialog.png"), [](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("导出数据"));
        const QStringList texts = ButtonTexts(dialog);
        EXPECT_TRUE(texts.contains(QStringLiteral("保存(&S)"))) << texts.join(QLatin1Char(',')).toStdString();
        EXPECT_TRUE(texts.contains(QStringLiteral("取消"))) << texts.join(QLatin1Char(',')).toStdString();
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->selectedNameFilter(), QStringLiteral("Excel 工作簿 (*.xlsx)"));
        EXPECT_EQ(files->defaultSuffix(), QStringLiteral("xlsx"));
    }, [&] { EXPECT_FALSE(ExecuteExport(nullptr, table, table.Title)); });

    QString setting;
    WithModal(QStringLiteral("language_print_preview.png"), [](QWidget* preview) {
        EXPECT_EQ(preview->windowTitle(), QStringLiteral("打印预览 - 物料清单"));
        const QStringList texts = ActionTexts(preview);
        EXPECT_TRUE(texts.join(QLatin1Char(',')).contains(QStringLiteral("打印"))) << texts.join(QLatin1Char(',')).toStdString();
        EXPECT_TRUE(texts.join(QLatin1Char(',')).contains(QStringLiteral("打印设置"))) << texts.join(QLatin1Char(',')).toStdString();
    }, [&] { ExecutePrintCommand(nullptr, cmdPrintPreview, table, setting); });
}

TEST_F(ShellLanguage, WithoutTheTranslationFileTheShellStillStartsInEnglish)
{
    QTemporaryDir empty;
    EXPECT_FALSE(shell::InstallQtTranslations(empty.path()));
    WithModal(QStringLiteral("language_fallback_box.png"), [](QWidget* box) {
        const QStringList texts = ButtonTexts(box);
        EXPECT_TRUE(texts.contains(QStringLiteral("&Yes"))) << texts.join(QLatin1Char(',')).toStdString();
    }, [] { ShowQuestion(QStringLiteral("继续?"), mbYesNo); });
}
