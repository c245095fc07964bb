#include "scenariofile.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>

#include <cctype>

namespace kx::scenario {

namespace {

using enum TColumnType;

// Columns of the MRP scenarios' input tables; a trailing "!" marks a column every row must
// fill, a trailing "#" a number, "@" a date.
const QHash<QString, QStringList>& MrpInputTables()
{
    static const QHash<QString, QStringList> tables{
        {QStringLiteral("items"),
         {"item!", "name", "spec", "type#", "unit", "decimal#", "mrptype#", "mrpskip#", "mrpgroup#", "mrptrack#",
          "preleadtime#", "fixleadtime#", "varleadtime#", "varleadlot#", "postleadtime#", "safeqty#", "minqty#", "lotqty#",
          "maxqty#", "putlosstype#", "putlossrate", "putinteger#", "suitskip#", "outskip#", "mobomskip#", "oobomskip#",
          "modeptid", "posuppid", "oosuppid", "propmask", "disabled#"}},
        {QStringLiteral("units"), {"unit!", "name", "factor#"}},
        {QStringLiteral("boms"), {"bom!", "item!", "type#", "yield#", "default#", "begin@", "end@"}},
        {QStringLiteral("bom lines"),
         {"bom!", "entry!#", "item!", "qty!#", "base#", "fixed#", "loss#", "losstext", "role#", "offset#", "percent#",
          "begin@", "end@", "itembom", "locked#", "skip#", "hook"}},
        {QStringLiteral("substitutes"),
         {"item!", "sub!", "qty#", "rqty#", "seq#", "replace#", "bom", "entry#", "begin@", "end@"}},
        {QStringLiteral("holidays"), {"from!@", "to@", "which"}},
        {QStringLiteral("periods"), {"begin!@", "end!@"}},
        {QStringLiteral("stock"),
         {"item!", "qty!#", "batch", "origtype#", "origno", "origentry#", "tag", "grouptype#", "groupno", "warehouse"}},
        {QStringLiteral("orders"),
         {"kind!", "no!", "entry#", "item!", "qty!#", "done#", "chk#", "date!@", "draw@", "billdate@", "bom",
          "origtype#", "origno", "origentry#", "tag", "grouptype#", "groupno"}},
        {QStringLiteral("components"),
         {"order!", "entry!#", "line#", "item!", "qty!#", "done#", "draw@", "role#", "unitqty#"}},
        {QStringLiteral("sales"),
         {"kind!", "no!", "entry#", "item!", "qty!#", "done#", "date!@", "billdate@", "customer", "bom", "tag",
          "subtag", "grouptype#", "groupno"}},
        {QStringLiteral("main"),
         {"item!", "kind#", "bill", "entry#", "date!@", "qty!#", "priority#", "bom", "origtype#", "origno",
          "origentry#", "customer", "tag", "hints", "props", "prop1", "prop2", "prop3"}},
        {QStringLiteral("scrap"), {"order!", "entry!#", "line#", "component#", "item!", "qty!#", "done#", "draw!@"}},
        {QStringLiteral("fetched periods"), {"begin!@", "end!@"}},
        {QStringLiteral("previous supplies"),
         {"iid!#", "item!", "kind!#", "qty!#", "billqty#", "adjqty#", "bom", "track"}},
        {QStringLiteral("previous adjusts"), {"iid!#", "oldtype!#", "oldbom", "oldqty#"}},
    };
    return tables;
}

const QHash<QString, QStringList>& MrpKeyValueSections()
{
    static const QHash<QString, QStringList> sections{
        {QStringLiteral("scheme"),
         {"type", "source", "scope", "safety", "replace", "suites", "trackmode", "itemtrack", "loss", "lotrule", "losstype",
          "orderbyorigdate", "fetch", "keeptype", "keepbom", "keepqty", "state"}},
        {QStringLiteral("expect run"),
         {"result", "state", "main", "demands", "supplies", "allots", "balance", "runlog", "adjusts"}},
    };
    return sections;
}

QString Plain(const QString& declared)
{
    QString s = declared;
    while (!s.isEmpty() && (s.endsWith(u'!') || s.endsWith(u'#') || s.endsWith(u'@')))
        s.chop(1);
    return s;
}

// Blank-separated cells; "..." keeps blanks inside one cell.
QStringList SplitCells(const QString& line, bool& ok)
{
    QStringList cells;
    ok = true;
    int i = 0;
    const int n = int(line.size());
    while (i < n) {
        while (i < n && line.at(i).isSpace())
            ++i;
        if (i >= n)
            break;
        QString cell;
        if (line.at(i) == u'"') {
            const int close = int(line.indexOf(u'"', i + 1));
            if (close < 0) {
                ok = false;
                return cells;
            }
            cell = line.mid(i + 1, close - i - 1);
            i = close + 1;
        } else {
            while (i < n && !line.at(i).isSpace())
                cell += line.at(i++);
        }
        cells << cell;
    }
    return cells;
}

bool IsNumber(const QString& text)
{
    bool ok = false;
    text.toDouble(&ok);
    return ok;
}

class TReader {
public:
    TReader(TScenario& scenario, const TCaseFormat& format, QStringList& errors) : S(scenario), F(format), Errors(errors) {}

    void Error(int line, const QString& text) { Errors << QStringLiteral("%1:%2: %3").arg(S.Path).arg(line).arg(text); }

    void Read(const QStringList& lines)
    {
        TSection* current = nullptr;
        for (int i = 0; i < lines.size(); ++i) {
            const int lineNo = i + 1;
            const QString line = lines.at(i).trimmed();
            if (i == 0) {
                if (!line.startsWith(u'#') || line.mid(1).trimmed().isEmpty())
                    Error(lineNo, QStringLiteral("the first line must be a comment saying what the case proves"));
                S.Claim = line.mid(1).trimmed();
                continue;
            }
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            if (line.startsWith(u'[')) {
                current = OpenSection(line, lineNo);
                continue;
            }
            if (!current) {
                Error(lineNo, QStringLiteral("text outside a section"));
                continue;
            }
            if (F.KeyValueSections.contains(current->Name))
                ReadValue(*current, line, lineNo);
            else
                ReadTableLine(*current, line, lineNo);
        }
    }

    void Validate()
    {
        QSet<QString> items;
        for (const TSection* t : S.SectionsNamed(QStringLiteral("items")))
            for (const TRow& r : t->Rows)
                items << t->Cell(r, QStringLiteral("item"));
        for (const TSection& t : S.Sections) {
            if (F.KeyValueSections.contains(t.Name))
                continue;
            if (t.IsExpectation()) {
                ValidateExpectation(t);
                continue;
            }
            const auto columns = F.InputTables.value(t.Name);
            for (const TRow& r : t.Rows) {
                for (const QString& declared : columns) {
                    const QString column = Plain(declared);
                    const QString cell = t.Cell(r, column);
                    if (declared.contains(u'!') && cell.isEmpty())
                        Error(r.Line, QStringLiteral("[%1] needs a value in column %2").arg(t.Name, column));
                    if (cell.isEmpty())
                        continue;
                    if (declared.contains(u'#') && !IsNumber(cell))
                        Error(r.Line, QStringLiteral("%1 is not a number: %2").arg(column, cell));
                    if (declared.contains(u'@') && !ScenarioDate(cell).isValid())
                        Error(r.Line, QStringLiteral("%1 is not a date yyyy-mm-dd: %2").arg(column, cell));
                }
                for (const QString& column : F.ItemColumns.value(t.Name)) {
                    const QString item = t.Cell(r, column);
                    if (!item.isEmpty() && !items.contains(item))
                        Error(r.Line, QStringLiteral("unknown item %1").arg(item));
                }
            }
        }
        for (const QString& required : F.RequiredSections)
            if (S.SectionsNamed(required).isEmpty())
                Error(1, QStringLiteral("a %1 needs [%2]").arg(F.Kind, required));
    }

private:
    TScenario& S;
    const TCaseFormat& F;
    QStringList& Errors;

    TSection* OpenSection(const QString& line, int lineNo)
    {
        const int close = int(line.indexOf(u']'));
        if (close < 0) {
            Error(lineNo, QStringLiteral("section header without ]"));
            return nullptr;
        }
        QStringList words = line.mid(1, close - 1).simplified().toLower().split(u' ', Qt::SkipEmptyParts);
        TSection section;
        section.Line = lineNo;
        // The name is "expect" plus one word, or the known input name (one or two words).
        int nameWords = 1;
        if (!words.isEmpty() && words.first() == QLatin1String("expect"))
            nameWords = 2;
        else if (words.size() >= 2 && F.InputTables.contains(words.at(0) + u' ' + words.at(1)))
            nameWords = 2;
        section.Name = words.mid(0, nameWords).join(u' ');
        for (const QString& option : words.mid(nameWords)) {
            const int eq = int(option.indexOf(u'='));
            section.Options.insert(eq < 0 ? option : option.left(eq), eq < 0 ? QString() : option.mid(eq + 1));
        }
        const bool known = F.InputTables.contains(section.Name) || F.KeyValueSections.contains(section.Name) ||
                           (section.IsExpectation() && F.Views.contains(section.View()));
        if (!known) {
            Error(lineNo, QStringLiteral("unknown section [%1]").arg(section.Name));
            return nullptr;
        }
        if (!section.IsExpectation() && !section.Options.isEmpty())
            Error(lineNo, QStringLiteral("only expectations take options"));
        S.Sections << section;
        return &S.Sections.last();
    }

    void ReadValue(TSection& section, const QString& line, int lineNo)
    {
        const int eq = int(line.indexOf(u'='));
        const QString key = line.left(eq).trimmed().toLower();
        if (eq < 0 || !F.KeyValueSections.value(section.Name).contains(key)) {
            Error(lineNo, QStringLiteral("[%1] takes key = value lines with the keys %2")
                              .arg(section.Name, F.KeyValueSections.value(section.Name).join(QStringLiteral(", "))));
            return;
        }
        section.Values.insert(key, line.mid(eq + 1).trimmed());
        section.ValueLines.insert(key, lineNo);
    }

    void ReadTableLine(TSection& section, const QString& line, int lineNo)
    {
        bool ok = true;
        const QStringList cells = SplitCells(line, ok);
        if (!ok) {
            Error(lineNo, QStringLiteral("unclosed quote"));
            return;
        }
        if (section.Columns.isEmpty()) {
            for (const QString& c : cells) {
                const QString column = c.toLower();
                if (!KnownColumn(section, column))
                    Error(lineNo, QStringLiteral("[%1] has no column %2").arg(section.Name, c));
                section.Columns << column;
            }
            return;
        }
        if (cells.size() != section.Columns.size()) {
            Error(lineNo, QStringLiteral("%1 cells under %2 columns").arg(cells.size()).arg(section.Columns.size()));
            return;
        }
        section.Rows << TRow{lineNo, cells};
    }

    bool KnownColumn(const TSection& section, const QString& column) const
    {
        if (section.IsExpectation())
            return ColumnType(section.View(), column).has_value();
        for (const QString& declared : F.InputTables.value(section.Name))
            if (Plain(declared) == column)
                return true;
        return false;
    }

    std::optional<TColumnType> ColumnType(const QString& view, const QString& column) const
    {
        for (const TViewColumn& c : F.Views.value(view))
            if (column == QLatin1String(c.Name))
                return c.Type;
        return std::nullopt;
    }

    void ValidateExpectation(const TSection& t)
    {
        for (auto it = t.Options.cbegin(); it != t.Options.cend(); ++it) {
            if (it.key() != QLatin1String("partial") && it.key() != QLatin1String("all") && !ColumnType(t.View(), it.key()))
                Error(t.Line, QStringLiteral("unknown option %1").arg(it.key()));
        }
        // An expectation without rows must say which rows it denies.
        if (t.Rows.isEmpty() && t.Options.isEmpty() && !F.ViewsThatMayBeEmpty.contains(t.View()))
            Error(t.Line, QStringLiteral("an empty expectation needs a filter such as kind=42,58, or \"all\""));
        for (const TRow& r : t.Rows) {
            for (int c = 0; c < t.Columns.size(); ++c) {
                const QString cell = r.Cells.at(c);
                if (cell == QLatin1String("*") || cell == QLatin1String("-"))
                    continue;
                const auto type = ColumnType(t.View(), t.Columns.at(c));
                if (type == TColumnType::Number && !IsNumber(cell))
                    Error(r.Line, QStringLiteral("%1 is not a number: %2").arg(t.Columns.at(c), cell));
                if (type == TColumnType::Date && !ScenarioDate(cell).isValid())
                    Error(r.Line, QStringLiteral("%1 is not a date yyyy-mm-dd: %2").arg(t.Columns.at(c), cell));
            }
        }
    }
};

} // namespace

QString TSection::Cell(const TRow& row, const QString& column, const QString& defaultValue) const
{
    const int index = int(Columns.indexOf(column.toLower()));
    if (index < 0 || index >= row.Cells.size())
        return defaultValue;
    const QString cell = row.Cells.at(index);
    return cell == QLatin1String("-") ? defaultValue : cell;
}

double TSection::Number(const TRow& row, const QString& column, double defaultValue) const
{
    const QString cell = Cell(row, column);
    return cell.isEmpty() ? defaultValue : cell.toDouble();
}

QString TSection::Value(const QString& key, const QString& defaultValue) const
{
    return Values.value(key.toLower(), defaultValue);
}

QList<const TSection*> TScenario::SectionsNamed(const QString& name) const
{
    QList<const TSection*> found;
    for (const TSection& s : Sections)
        if (s.Name == name)
            found << &s;
    return found;
}

const TSection* TScenario::Section(const QString& name) const
{
    const auto found = SectionsNamed(name);
    return found.isEmpty() ? nullptr : found.first();
}

TScenario ReadCaseFile(const QString& path, const TCaseFormat& format, QStringList& errors)
{
    TScenario scenario;
    scenario.Path = path;
    scenario.Name = QFileInfo(path).completeBaseName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        errors << QStringLiteral("%1: cannot be read").arg(path);
        return scenario;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    TReader reader(scenario, format, errors);
    reader.Read(lines);
    reader.Validate();
    return scenario;
}

TScenario ReadScenario(const QString& path, QStringList& errors)
{
    return ReadCaseFile(path, MrpScenarioFormat(), errors);
}

QStringList ScenarioFiles(const QString& folder, const QString& pattern)
{
    QStringList files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({pattern}, QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}

std::string CaseTestName(const QString& path)
{
    std::string name = QFileInfo(path).completeBaseName().toStdString();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

QDate ScenarioDate(const QString& text)
{
    return text.size() == 10 ? QDate::fromString(text, QStringLiteral("yyyy-MM-dd")) : QDate();
}

namespace {

const QHash<QString, QList<TViewColumn>>& MrpViews()
{
    static const QHash<QString, QList<TViewColumn>> views{
        {QStringLiteral("supplies"),
         {{"item", Text},    {"kind", Number},  {"bill", Text},     {"entry", Number},  {"date", Date},
          {"draw", Date},    {"lead", Number},  {"period", Number}, {"qty", Number},    {"billqty", Number},
          {"adjqty", Number}, {"chk", Number},  {"allot", Number},  {"agrpx", Number},  {"arepl", Number},
          {"rest", Number},  {"hints", Hints},  {"bom", Text},      {"locked", Number}, {"track", Text},
          {"group", Text},   {"pdmd", Number},  {"pdmds", Parents}, {"dept", Text},     {"supp", Text},
          {"origtype", Number}, {"origno", Text}, {"priority", Number}, {"dset", Number}, {"dsetrate", Number}}},
        {QStringLiteral("demands"),
         {{"item", Text},    {"kind", Number},  {"bill", Text},     {"entry", Number},  {"date", Date},
          {"period", Number}, {"need", Number}, {"billqty", Number}, {"inv", Number},   {"mo", Number},
          {"oo", Number},    {"po", Number},    {"mr", Number},     {"or", Number},     {"pr", Number},
          {"chk", Number},   {"pchk", Number},  {"grpx", Number},   {"repl", Number},   {"net", Number},
          {"qty", Number},   {"bom", Text},     {"priority", Number}, {"unitqty", Number}, {"offset", Number},
          {"group", Text},   {"hints", Hints},  {"origtype", Number}, {"origno", Text}, {"parent", Text},
          {"tag", Text},     {"aset", Number},  {"asetrate", Number}}},
        {QStringLiteral("allots"),
         {{"item", Text},    {"dmdkind", Number}, {"dmdbill", Text}, {"dmdentry", Number}, {"dmddate", Date},
          {"supitem", Text}, {"supkind", Number}, {"supbill", Text}, {"supdate", Date},   {"qty", Number},
          {"date", Date},    {"period", Number}, {"adjdays", Number}, {"track", Number}, {"grpx", Number},
          {"repl", Number},  {"replqty", Number}}},
        {QStringLiteral("balance"),
         {{"item", Text}, {"props", Text}, {"group", Text}, {"for", Number}, {"so", Number}, {"free", Number},
          {"inv", Number}, {"po", Number}, {"oo", Number}, {"mo", Number}, {"gin", Number}, {"rin", Number},
          {"chk", Number}, {"pr", Number}, {"or", Number}, {"mr", Number}, {"safe", Number}, {"ood", Number},
          {"mod", Number}, {"gout", Number}, {"rout", Number}, {"pood", Number}, {"pmod", Number}, {"vird", Number},
          {"net", Number}, {"qty", Number}, {"ppo", Number}, {"poo", Number}, {"pmo", Number}, {"x", Number},
          {"end", Number}}},
        {QStringLiteral("adjusts"),
         {{"item", Text}, {"kind", Number}, {"oldtype", Number}, {"oldbom", Text}, {"oldqty", Number},
          {"pending", Number}}},
        {QStringLiteral("log"), {{"kind", Number}, {"indent", Number}, {"text", Text}}},
        {QStringLiteral("main"),
         {{"item", Text}, {"kind", Number}, {"bill", Text}, {"entry", Number}, {"date", Date}, {"period", Number},
          {"billqty", Number}, {"exeqty", Number}, {"need", Number}, {"adjqty", Number}, {"qty", Number},
          {"hints", Hints}}},
    };
    return views;
}

} // namespace

const TCaseFormat& MrpScenarioFormat()
{
    static const TCaseFormat format{
        QStringLiteral("scenario"),
        MrpInputTables(),
        MrpKeyValueSections(),
        MrpViews(),
        {
            {QStringLiteral("boms"), {"item"}},           {QStringLiteral("bom lines"), {"item"}},
            {QStringLiteral("substitutes"), {"item", "sub"}}, {QStringLiteral("stock"), {"item"}},
            {QStringLiteral("orders"), {"item"}},         {QStringLiteral("components"), {"item"}},
            {QStringLiteral("sales"), {"item"}},          {QStringLiteral("main"), {"item"}},
            {QStringLiteral("scrap"), {"item"}},
            {QStringLiteral("previous supplies"), {"item"}},
        },
        {QStringLiteral("periods")},
        {QStringLiteral("balance"), QStringLiteral("allots"), QStringLiteral("adjusts")},
        {
            {QStringLiteral("supplies"), {QStringLiteral("item"), QStringLiteral("kind")}},
            {QStringLiteral("demands"), {QStringLiteral("item"), QStringLiteral("kind")}},
            {QStringLiteral("allots"),
             {QStringLiteral("item"), QStringLiteral("supitem"), QStringLiteral("dmdkind"), QStringLiteral("supkind")}},
            {QStringLiteral("balance"), {QStringLiteral("item"), QStringLiteral("group")}},
            {QStringLiteral("adjusts"), {QStringLiteral("item")}},
            {QStringLiteral("log"), {QStringLiteral("text")}},
            {QStringLiteral("main"), {QStringLiteral("item"), QStringLiteral("kind")}},
        },
        {QStringLiteral("supplies"), QStringLiteral("demands")},
    };
    return format;
}

const QList<TViewColumn>& ViewColumns(const QString& view)
{
    static const QList<TViewColumn> none;
    const auto it = MrpViews().constFind(view);
    return it == MrpViews().cend() ? none : *it;
}

std::optional<TColumnType> ViewColumnType(const QString& view, const QString& column)
{
    for (const TViewColumn& c : ViewColumns(view))
        if (column == QLatin1String(c.Name))
            return c.Type;
    return std::nullopt;
}

} // namespace kx::scenario
