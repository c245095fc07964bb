// Export and print speed: a grid of N records (50,000 by default) with 20 columns of the
// kinds the planning lists show (codes, Chinese names, dates, quantities, amounts, a
// status), optionally grouped with footer and group totals, written as a workbook, CSV and
// PDF through the same path as command 5. Prints the seconds of each step.
//   export_bench [--rows N] [--grouped] [--out DIR]
#include "engine/progress.h"
#include "views/exportwriters.h"
#include "views/gridgroupmodel.h"
#include "views/gridmodel.h"
#include "views/reportprinter.h"
#include "views/viewexport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>

using namespace kx;

namespace {

struct TColumnSpec {
    const char* Field;
    const char* Caption;
    TColumnKind Kind;
    int Width;
};

const TColumnSpec kColumns[] = {
    {"ItmNo", "物料代码", ckText, 90},       {"ItmName", "物料名称", ckText, 120},   {"ItmSpec", "规格型号", ckText, 140},
    {"UntName", "单位", ckText, 40},         {"SupType", "供应类型", ckText, 70},    {"SupDate", "需求日期", ckDate, 80},
    {"SupStart", "开工日期", ckDate, 80},    {"DmdQty", "需求数量", ckNumber, 80},   {"NetQty", "净需求", ckNumber, 80},
    {"SupQty", "计划数量", ckNumber, 80},    {"StkQty", "库存数量", ckNumber, 80},   {"SafeQty", "安全库存", ckNumber, 70},
    {"Price", "单价", ckCurrency, 70},       {"Amount", "金额", ckCurrency, 90},     {"OrigNo", "来源单号", ckText, 100},
    {"CustName", "客户", ckText, 120},       {"Planner", "计划员", ckText, 60},      {"LeadTime", "提前期", ckNumber, 50},
    {"GroupNo", "计划分组", ckText, 70},     {"Remark", "备注", ckText, 160},
};

double Seconds(QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int rows = 50000;
    bool grouped = false;
    QString out = QDir::tempPath();
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows") && i + 1 < args.size())
            rows = args[++i].toInt();
        else if (args[i] == QLatin1String("--grouped"))
            grouped = true;
        else if (args[i] == QLatin1String("--out") && i + 1 < args.size())
            out = args[++i];
    }
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "cannot create the folder %s\n", qPrintable(out));
        return 2;
    }

    QElapsedTimer timer;
    timer.start();
    TViewColumns columns;
    QList<TRecordField> fields;
    for (const TColumnSpec& spec : kColumns) {
        TViewColumn* c = columns.Add(QString::fromUtf8(spec.Field), QString::fromUtf8(spec.Caption));
        c->Kind = spec.Kind;
        c->Width = spec.Width;
        if (spec.Kind == ckNumber || spec.Kind == ckCurrency)
            c->Alignment = Qt::AlignRight | Qt::AlignVCenter;
        fields.append({c->FieldName, spec.Kind == ckDate ? ftDate : spec.Kind == ckText ? ftWideString : ftFloat});
    }
    TRecordSet records;
    records.SetFields(fields);
    const QString types[] = {QStringLiteral("计划采购"), QStringLiteral("计划生产"), QStringLiteral("计划委外")};
    for (int r = 0; r < rows; ++r) {
        const QDate due = QDate(2024, 1, 1).addDays(r % 365);
        records.AppendRecord({QStringLiteral("4.%1.%2").arg(r % 97, 2, 10, QLatin1Char('0')).arg(r, 6, 10, QLatin1Char('0')),
                              QStringLiteral("物料名称%1").arg(r % 1000), QStringLiteral("规格 %1x%2 型").arg(r % 50).arg(r % 7),
                              QStringLiteral("个"), types[r % 3], due, due.addDays(-(r % 15)), 100.0 + r % 37 * 2.5,
                              50.0 + r % 23, 120.0 + r % 41, double(r % 500), double(r % 20), 1.25 + r % 11 * 0.5,
                              (100.0 + r % 37 * 2.5) * (1.25 + r % 11 * 0.5), QStringLiteral("SO-%1").arg(r / 4, 6, 10, QLatin1Char('0')),
                              QStringLiteral("华东机电有限公司%1").arg(r % 30), QStringLiteral("李明"), double(r % 15),
                              QStringLiteral("G%1").arg(r % 12), QStringLiteral("第%1批次, 按需求日期供应").arg(r % 9)});
    }
    TRecordTableModel table(&columns);
    table.SetRecords(records);
    TGridGroupModel model;
    model.setSourceModel(&table);
    if (grouped) {
        columns.ByField(QStringLiteral("SupType"))->GroupIndex = 0;
        columns.ByField(QStringLiteral("SupType"))->Visible = false;
        for (const char* f : {"DmdQty", "SupQty", "Amount"})
            columns.ByField(QString::fromUtf8(f))->Summary = skSum;
        columns.FooterVisible = true;
        columns.GroupFootersVisible = true;
        model.Rebuild();
    }
    std::printf("data: %d records, %d columns%s (%.2f s)\n", rows, int(std::size(kColumns)), grouped ? ", grouped with totals" : "",
                Seconds(timer));

    timer.restart();
    const TViewExportTable exportTable(QStringLiteral("计划供应明细"), columns, model, nullptr,
                                       grouped ? TViewExportTable::TFooterSource([&](int c) { return model.FooterSummary(c); })
                                               : TViewExportTable::TFooterSource());
    std::printf("table description: %d rows (%.2f s)\n", exportTable.RowCount(), Seconds(timer));

    TSilentProgress progress;
    const QString workbook = QDir(out).filePath(QStringLiteral("export_bench.xlsx"));
    timer.restart();
    QString error;
    if (!WriteWorkbook(exportTable, workbook, &progress, &error)) {
        std::fprintf(stderr, "workbook failed: %s\n", error.toUtf8().constData());
        return 1;
    }
    std::printf("xlsx: %.2f s (%.1f MB)\n", Seconds(timer), QFileInfo(workbook).size() / 1e6);

    const QString csv = QDir(out).filePath(QStringLiteral("export_bench.csv"));
    timer.restart();
    WriteExportFile(exportTable, csv, efCsv, &progress);
    std::printf("csv: %.2f s (%.1f MB)\n", Seconds(timer), QFileInfo(csv).size() / 1e6);

    const QString pdf = QDir(out).filePath(QStringLiteral("export_bench.pdf"));
    timer.restart();
    const TReportHeading heading{QStringLiteral("计划供应明细"), QStringLiteral("李明"), QDateTime::currentDateTime()};
    if (!PrintReportToPdf(exportTable, TPrintSetting(), heading, pdf, &progress, &error)) {
        std::fprintf(stderr, "pdf failed: %s\n", error.toUtf8().constData());
        return 1;
    }
    std::printf("pdf: %.2f s (%.1f MB)\n", Seconds(timer), QFileInfo(pdf).size() / 1e6);
    return 0;
}
