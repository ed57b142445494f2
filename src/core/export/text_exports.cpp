// Orlith — desktop catalogue of removable media.
#include "core/export/text_exports.h"

#include "core/export/line_encoder.h"
#include "core/store/safe_write.h"

#include <memory>

namespace orlith {

namespace {

constexpr qsizetype kFlushBytes = 1 << 20;

// Output through AtomicFile (a temporary file renamed over the destination at the end, or a
// stream written straight to), in 1 MB blocks; the first failed write is remembered and
// reported by close(). An empty path writes nowhere (a run that only learns the encoding).
class TextExportWriter : public ExportWriter
{
public:
    explicit TextExportWriter(ExportEncoding encoding) : m_line(m_buffer, encoding) {}

    StoreResult open(const QString &path) override
    {
        m_file = std::make_unique<AtomicFile>(path, path.isEmpty() ? AtomicFile::Kind::Nowhere
                                                                   : AtomicFile::Kind::Output);
        if (StoreResult r = m_file->open(); !r)
            return r;
        m_buffer.reserve(kFlushBytes + 64 * 1024);
        return StoreResult::success();
    }

    StoreResult close() override
    {
        flush();
        return m_file->commit();
    }

    void discard() override { m_file->discard(); }
    bool needsUtf8() const override { return m_line.needsUtf8(); }

protected:
    void endLine()
    {
        m_line.endLine();
        if (m_buffer.size() >= kFlushBytes)
            flush();
    }

    QByteArray m_buffer;
    LineEncoder m_line;

private:
    // The first failed write is kept by the file and reported by commit().
    void flush()
    {
        m_file->write(m_buffer);
        m_buffer.resize(0);
    }

    std::unique_ptr<AtomicFile> m_file;
};

// Semicolons between fields, every field in double quotes; a quote inside is doubled. A text
// cell that a spreadsheet would run as a formula gets a "'" before it (startsLikeFormula).
class CsvWriter final : public TextExportWriter
{
public:
    CsvWriter(const ExportOptions &options, ExportEncoding encoding)
        : TextExportWriter(encoding), m_title(options.titleRow), m_size(options.locale)
    {
    }

    void head() override
    {
        if (!m_title)
            return;
        m_line.ascii(
            QLatin1StringView(R"("File name";"File path";"File size";"File date";"CD name")"));
        endLine();
    }

    void row(const ExportRow &row) override
    {
        m_line.ascii(QLatin1StringView("\""));
        cell(row.name);
        m_line.ascii(QLatin1StringView("\";\""));
        cell(row.path);
        m_line.ascii(QLatin1StringView("\";\""));
        // A size that reads as a number is written as one, "-5.00" too, so spreadsheets
        // can still add sizes up; only a size field holding other text is guarded.
        m_size.append(m_line, row.size, Escape::DoubleQuote, /*guardFormula=*/true);
        m_line.ascii(QLatin1StringView("\";\""));
        cell(row.date);
        m_line.ascii(QLatin1StringView("\";\""));
        cell(row.disc);
        m_line.ascii(QLatin1StringView("\""));
        endLine();
    }

private:
    void cell(QByteArrayView value)
    {
        if (startsLikeFormula(value))
            m_line.ascii(QLatin1StringView("'"));
        m_line.value(value, Escape::DoubleQuote);
    }

    bool m_title;
    SizeFormat m_size;
};

// The user's separator and optional qualifier; values as stored, nothing escaped, but a "'"
// before a cell that a spreadsheet would run as a formula (startsLikeFormula).
class DelimitedTextWriter final : public TextExportWriter
{
public:
    DelimitedTextWriter(const ExportOptions &options, ExportEncoding encoding)
        : TextExportWriter(encoding), m_title(options.titleRow), m_separator(options.separator),
          m_qualifier(options.qualifier.isNull() ? QString() : QString(options.qualifier))
    {
    }

    void head() override
    {
        if (!m_title)
            return;
        static const char *const titles[] = {"File name", "File path", "File size", "File date",
                                             "CD name"};
        for (int i = 0; i < 5; ++i) {
            if (i > 0)
                m_line.text(m_separator);
            m_line.text(m_qualifier);
            m_line.ascii(QLatin1StringView(titles[i]));
            m_line.text(m_qualifier);
        }
        endLine();
    }

    void row(const ExportRow &row) override
    {
        field(row.name);
        m_line.text(m_separator);
        field(row.path);
        m_line.text(m_separator);
        // Sizes stay numbers, a negative one too; only a size field holding other text
        // is guarded.
        field(row.size, !isPlainNumber(row.size));
        m_line.text(m_separator);
        field(row.date);
        m_line.text(m_separator);
        field(row.disc);
        endLine();
    }

private:
    void field(QByteArrayView value, bool guardFormula = true)
    {
        m_line.text(m_qualifier);
        if (guardFormula && startsLikeFormula(value))
            m_line.ascii(QLatin1StringView("'"));
        m_line.value(value);
        m_line.text(m_qualifier);
    }

    bool m_title;
    QString m_separator;
    QString m_qualifier;
};

// One page with one table, naming its charset; cell values have & < > escaped.
class HtmlWriter final : public TextExportWriter
{
public:
    HtmlWriter(const ExportOptions &options, ExportEncoding encoding)
        : TextExportWriter(encoding), m_size(options.locale, SizeUnit::Kilobytes),
          m_charset(encoding == ExportEncoding::Utf8 ? R"(<meta charset="UTF-8">)"
                                                     : R"(<meta charset="ISO-8859-1">)")
    {
    }

    void head() override
    {
        const char *const lines[] = {
            "<html>",
            "",
            "<head>",
            m_charset,
            // The table takes the window's width; sizes line up, dates never wrap.
            "<style>td:nth-child(3) { text-align: right } td:nth-child(4) { white-space: "
            "nowrap }</style>",
            "</head>",
            "",
            R"(<body bgcolor="#CEFFCE" bordercolor="#C0C0C0">)",
            "<br><br>",
            R"(<table border="1" bgcolor="#DDDDDD" width="100%">)",
            R"(<tr bgcolor="#9acd32">)",
            R"(<td><b>File name</b></td>)",
            R"(<td><b>File path</b></td>)",
            R"(<td><b>File size (Kb)</b></td>)",
            R"(<td><b>File date</b></td>)",
            R"(<td><b>CD name</b></td>)",
            "</tr>",
        };
        for (const char *line : lines) {
            m_line.ascii(QLatin1StringView(line));
            endLine();
        }
    }

    void row(const ExportRow &row) override
    {
        m_line.ascii(QLatin1StringView("<tr>"));
        endLine();
        cell(row.name);
        cell(row.path);
        m_line.ascii(QLatin1StringView("<td>"));
        m_size.append(m_line, row.size, Escape::Html);
        m_line.ascii(QLatin1StringView("</td>"));
        endLine();
        cell(row.date);
        cell(row.disc);
        m_line.ascii(QLatin1StringView("</tr>"));
        endLine();
    }

    void tail() override
    {
        for (const char *line : {"</table>", "</body>", "</html>"}) {
            m_line.ascii(QLatin1StringView(line));
            endLine();
        }
    }

private:
    void cell(QByteArrayView value)
    {
        m_line.ascii(QLatin1StringView("<td>"));
        m_line.value(value, Escape::Html);
        m_line.ascii(QLatin1StringView("</td>"));
        endLine();
    }

    SizeFormat m_size;
    const char *m_charset;
};

// Optional database and table statements, then three lines per row. Quoted values have
// their single quotes doubled, and for MySQL their backslashes too (else a name ending in
// one, or holding \', would end its string early and run the rest as SQL); the size stands
// unquoted, as stored when it is a whole number, else as NULL. The columns take whatever a
// store holds, so that strict servers load every row: names as long as file systems allow,
// paths up to PATH_MAX, sizes of 2 GiB and more. Database and table names that pass
// sqlNamesProblem stand as typed; any other (only a direct call can hand one over) is quoted
// by the dialect's rules, so that no name can end a statement either.
class SqlWriter final : public TextExportWriter
{
public:
    SqlWriter(const ExportOptions &options, ExportEncoding encoding)
        : TextExportWriter(encoding), m_options(options),
          m_escape(options.dialect == SqlDialect::MySql ? Escape::SingleQuoteAndBackslash
                                                        : Escape::SingleQuote),
          m_database(identifier(options.databaseName, options.dialect)),
          m_table(identifier(options.tableName, options.dialect))
    {
    }

    void head() override
    {
        const ExportOptions &o = m_options;
        // The script is UTF-8; a server told nothing reads it in its own default set.
        if (o.dialect == SqlDialect::MySql)
            line({QStringLiteral("SET NAMES utf8mb4;")});
        if (o.createDatabase) {
            line({QStringLiteral("Create database "), m_database, QStringLiteral(";")});
            line({QStringLiteral("Use "), m_database, QStringLiteral(";")});
            line({});
        }
        if (o.createTable) {
            line({QStringLiteral("Create table "), m_table, QStringLiteral(" (")});
            line({o.dialect == SqlDialect::MySql
                      ? QStringLiteral("file_ID int(20) auto_increment primary key,")
                      : QStringLiteral("ID_Auto int IDENTITY(1,1),")});
            for (const char *column :
                 {"file_name varchar(255),", "file_path varchar(4096),", "file_size bigint,",
                  "file_date varchar(30),", "cd_name varchar(255)", ");", ""})
                line({QString::fromLatin1(column)});
        }
    }

    void row(const ExportRow &row) override
    {
        m_line.ascii(QLatin1StringView(" insert into "));
        m_line.text(m_table);
        m_line.ascii(
            QLatin1StringView(" (file_name, file_path, file_size, file_date, cd_name) values"));
        endLine();
        m_line.ascii(QLatin1StringView(" ('"));
        m_line.value(row.name, m_escape);
        m_line.ascii(QLatin1StringView("', '"));
        m_line.value(row.path, m_escape);
        m_line.ascii(QLatin1StringView("', "));
        if (isBigint(row.size))
            m_line.value(row.size);
        else
            m_line.ascii(QLatin1StringView("NULL"));
        m_line.ascii(QLatin1StringView(", '"));
        m_line.value(row.date, m_escape);
        m_line.ascii(QLatin1StringView("', '"));
        m_line.value(row.disc, m_escape);
        m_line.ascii(QLatin1StringView("');"));
        endLine();
        endLine();
    }

private:
    // MySQL quotes with backticks, MS SQL with brackets; the closing mark is doubled inside.
    static QString identifier(const QString &name, SqlDialect dialect)
    {
        if (isSqlIdentifier(name))
            return name;
        if (dialect == SqlDialect::MySql)
            return QLatin1Char('`') + QString(name).replace(QLatin1Char('`'), QLatin1String("``")) +
                   QLatin1Char('`');
        return QLatin1Char('[') + QString(name).replace(QLatin1Char(']'), QLatin1String("]]")) +
               QLatin1Char(']');
    }

    // Digits with spaces around them, at most 2^63 - 1: nothing else can reach the script
    // from a size field, whatever a disc file holds there.
    static bool isBigint(QByteArrayView raw)
    {
        while (!raw.isEmpty() && raw.front() == ' ')
            raw = raw.sliced(1);
        while (!raw.isEmpty() && raw.back() == ' ')
            raw.chop(1);
        while (raw.size() > 1 && raw.front() == '0')
            raw = raw.sliced(1);
        if (raw.isEmpty() || raw.size() > 19)
            return false;
        for (char c : raw) {
            if (c < '0' || c > '9')
                return false;
        }
        return raw.size() < 19 || raw <= QByteArrayView("9223372036854775807");
    }

    void line(std::initializer_list<QString> pieces)
    {
        for (const QString &piece : pieces)
            m_line.text(piece);
        endLine();
    }

    ExportOptions m_options;
    Escape m_escape;
    QString m_database;
    QString m_table;
};

} // namespace

std::unique_ptr<ExportWriter> makeCsvWriter(const ExportOptions &options, ExportEncoding encoding)
{
    return std::make_unique<CsvWriter>(options, encoding);
}

std::unique_ptr<ExportWriter> makeTextWriter(const ExportOptions &options, ExportEncoding encoding)
{
    return std::make_unique<DelimitedTextWriter>(options, encoding);
}

std::unique_ptr<ExportWriter> makeHtmlWriter(const ExportOptions &options, ExportEncoding encoding)
{
    return std::make_unique<HtmlWriter>(options, encoding);
}

std::unique_ptr<ExportWriter> makeSqlWriter(const ExportOptions &options, ExportEncoding encoding)
{
    return std::make_unique<SqlWriter>(options, encoding);
}

} // namespace orlith
