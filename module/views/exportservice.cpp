#include "views/exportservice.h"

#include "db/errors.h"
#include "db/messages.h"
#include "db/shared.h"
#include "engine/progress.h"
#include "views/exportwriters.h"
#include "views/messagebox.h"
#include "views/pagesetupdlg.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>

namespace kx {

namespace {

const QString kExportTitle = QStringLiteral("导出数据");

// Work in place: the status text shows the step, Esc asks whether to stop.
bool RunInPlace(QWidget*, const QString&, const TExportWork& work)
{
    TWaitCursor wait;
    TStatusProgress progress;
    try {
        work(progress);
    } catch (const EAbort&) {
        return false;
    }
    return true;
}

TExportRunner& Runner()
{
    static TExportRunner runner = RunInPlace;
    return runner;
}

// The folder of the last export, so that the next one starts there.
QString& LastFolder()
{
    static QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folder;
}

QString ChooseFileByDialog(QWidget* parent, const QString& suggestedName)
{
    const QStringList filters = ExportFileFilters();
    QFileDialog dialog(parent, kExportTitle, QDir(LastFolder()).filePath(suggestedName));
    dialog.setObjectName(QStringLiteral("dlgExport"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    // The extension follows the file type the user picks.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        const QString suffix = QFileInfo(WithExportSuffix(QStringLiteral("x"), filter)).suffix();
        dialog.setDefaultSuffix(suffix);
        const QString name = dialog.selectedFiles().value(0);
        if (!name.isEmpty())
            dialog.selectFile(QFileInfo(name).completeBaseName() + QLatin1Char('.') + suffix);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString name = WithExportSuffix(dialog.selectedFiles().first(), dialog.selectedNameFilter());
    LastFolder() = QFileInfo(name).absolutePath();
    return name;
}

TExportFileChooser& Chooser()
{
    static TExportFileChooser chooser = ChooseFileByDialog;
    return chooser;
}

// Printing and preview on a printer set up for the report; the preview paints on the GUI
// thread (the dialog asks for its pages), with Esc stopping after the page in hand.
bool PrintOnPrinter(QWidget* parent, const TExportTable& table, const TPrintSetting& setting, bool preview)
{
    TReportPrinter report(table, setting, ReportHeadingOf(table.Title));
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(table.Title);
    report.SetupDevice(printer);
    if (preview) {
        QPrintPreviewDialog dialog(&printer, parent);
        dialog.setObjectName(QStringLiteral("dlgPrintPreview"));
        dialog.setWindowTitle(QStringLiteral("打印预览 - %1").arg(table.Title));
        dialog.resize(1000, 720);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
            TWaitCursor wait;
            TStatusProgress progress;
            try {
                report.Print(*target, &progress);
            } catch (const EAbort&) {
            }
        });
        return dialog.exec() == QDialog::Accepted;
    }
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("打印 - %1").arg(table.Title));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return Runner()(parent, QStringLiteral("打印"), [&](IEngineProgress& progress) {
        progress.ShowText(QStringLiteral("正在打印[%1], 按[Esc]键可以中止...").arg(table.Title));
        report.Print(printer, &progress);
    });
}

} // namespace

TExportRunner SetExportRunner(TExportRunner runner)
{
    TExportRunner old = Runner();
    Runner() = runner ? std::move(runner) : TExportRunner(RunInPlace);
    return old;
}

TExportFileChooser SetExportFileChooser(TExportFileChooser chooser)
{
    TExportFileChooser old = Chooser();
    Chooser() = chooser ? std::move(chooser) : TExportFileChooser(ChooseFileByDialog);
    return old;
}

QStringList ExportFileFilters()
{
    return {QStringLiteral("Excel 工作簿 (*.xlsx)"), QStringLiteral("CSV 文件 (*.csv)"), QStringLiteral("网页 (*.html)"),
            QStringLiteral("XML 数据 (*.xml)"), QStringLiteral("文本文档 (*.txt)"), QStringLiteral("PDF 文档 (*.pdf)")};
}

QString WithExportSuffix(const QString& fileName, const QString& filter)
{
    if (fileName.isEmpty() || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return fileName + QLatin1Char('.') + (match.hasMatch() ? match.captured(1) : QStringLiteral("xlsx"));
}

TReportHeading ReportHeadingOf(const QString& caption)
{
    return {caption, EnvUserName(), QDateTime::currentDateTime()};
}

bool ExportTableToFile(QWidget* parent, const TExportTable& table, const QString& fileName, const QString& printSetting)
{
    const TExportFormat format = ExportFormatOfFile(fileName);
    bool written = false;
    const bool finished = Runner()(parent, kExportTitle, [&](IEngineProgress& progress) {
        progress.ShowText(QStringLiteral("正在导出数据至文档\"%1\", 按[Esc]键可以中止...").arg(QDir::toNativeSeparators(fileName)));
        if (format == efPdf)
            written = PrintReportToPdf(table, TPrintSetting::FromText(printSetting), ReportHeadingOf(table.Title), fileName, &progress);
        else
            written = WriteExportFile(table, fileName, format, &progress);
    });
    if (!finished)
        return false;
    if (!written)
        ShowError(QStringLiteral("导出数据至文档\"%1\"出现错误!").arg(QDir::toNativeSeparators(fileName)));
    return written;
}

bool ExecuteExport(QWidget* parent, const TExportTable& table, const QString& baseName, const QString& printSetting)
{
    const QString fileName = Chooser()(parent, baseName + QStringLiteral(".xlsx"));
    if (fileName.isEmpty())
        return false;
    return ExportTableToFile(parent, table, fileName, printSetting);
}

bool ExecutePrintCommand(QWidget* parent, int command, const TExportTable& table, QString& printSetting)
{
    TPrintSetting setting = TPrintSetting::FromText(printSetting);
    switch (command) {
    case cmdPageSetup:
    case cmdDesignReport:
        if (!TPageSetupDlg::Execute(setting, parent))
            return false;
        printSetting = setting.ToText();
        return true;
    case cmdPrint: return PrintOnPrinter(parent, table, setting, false);
    case cmdPrintPreview: return PrintOnPrinter(parent, table, setting, true);
    default: return false;
    }
}

} // namespace kx
