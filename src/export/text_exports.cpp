// Orlith — desktop catalogue of removable media.
#include "text_exports.h"

#include "export/line_encoder.h"
#include "store/safe_write.h"

#include <QSaveFile>

namespace orlith {

namespace {

constexpr qsizetype kFlushBytes = 1 << 20;

// Output through a temporary file renamed over the destination at the end, written in
// 1 MB blocks; the first failed write is remembered and reported by close(). The file is
// unbuffered so that a full disk is reported as such (see writeAll), not as "Unknown error".
class TextExportWriter : public ExportWriter
{
public:
    StoreResult open(const QString &path) override
    {
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return failed();
        m_buffer.reserve(kFlushBytes + 64 * 1024);
        return StoreResult::success();
    }

    StoreResult close() override
    {
        flush();
        if (m_writeFailed || !m_file.commit()) {
            StoreResult r = failed();
            m_file.cancelWriting();
            return r;
        }
        return StoreResult::success();
    }

    void discard() override { m_file.cancelWriting(); }

protected:
    void endLine()
    {
        m_line.endLine();
        if (m_buffer.size() >= kFlushBytes)
            flush();
    }

    QByteArray m_buffer;
    LineEncoder m_line{m_buffer};

private:
    void flush()
    {
        if (!m_writeFailed && !writeAll(m_file, m_buffer))
            m_writeFailed = true;
        m_buffer.resize(0);
    }

    StoreResult failed() const
    {
        return StoreResult::failure(
            QStringLiteral("Cannot write %1:\n%2").arg(m_file.fileName(), m_file.errorString()));
    }

    QSaveFile m_file;
    bool m_writeFailed = false;
};

// Semicolons between fields, every field in double quotes; a quote inside is doubled.
class CsvWriter final : public TextExportWriter
{
public:
    explicit CsvWriter(const ExportOptions &options)
        : m_title(options.titleRow), m_size(options.locale)
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
        m_line.value(row.name, Escape::DoubleQuote);
        m_line.ascii(QLatin1StringView("\";\""));
        m_line.value(row.path, Escape::DoubleQuote);
        m_line.ascii(QLatin1StringView("\";\""));
        m_size.append(m_line, row.size, Escape::DoubleQuote);
        m_line.ascii(QLatin1StringView("\";\""));
        m_line.value(row.date, Escape::DoubleQuote);
        m_line.ascii(QLatin1StringView("\";\""));
        m_line.value(row.disc, Escape::DoubleQuote);
        m_line.ascii(QLatin1StringView("\""));
        endLine();
    }

private:
    bool m_title;
    SizeFormat m_size;
};

// The user's separator and optional qualifier; values as stored, nothing escaped.
class DelimitedTextWriter final : public TextExportWriter
{
public:
    explicit DelimitedTextWriter(const ExportOptions &options)
        : m_title(options.titleRow), m_separator(options.separator),
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
        field(row.size);
        m_line.text(m_separator);
        field(row.date);
        m_line.text(m_separator);
        field(row.disc);
        endLine();
    }

private:
    void field(QByteArrayView value)
    {
        m_line.text(m_qualifier);
        m_line.value(value);
        m_line.text(m_qualifier);
    }

    bool m_title;
    QString m_separator;
    QString m_qualifier;
};

// One page with one table; cell values have & < > escaped.
class HtmlWriter final : public TextExportWriter
{
public:
    explicit HtmlWriter(const ExportOptions &options) : m_size(options.locale) {}

    void head() override
    {
        static const char *const lines[] = {
            "<html>",
            "",
            "<head>",
            "</head>",
            "",
            R"(<body bgcolor="#CEFFCE" bordercolor="#C0C0C0">)",
            "<br><br>",
            R"(<table border="1" bgcolor="#DDDDDD" width="1600">)",
            R"(<tr bgcolor="#9acd32">)",
            R"(<td width="300"><b>File name</b></td>)",
            R"(<td width="1000"><b>File path</b></td>)",
            R"(<td width="150"><b>File size (Kb)</b></td>)",
            R"(<td width="150"><b>File date</b></td>)",
            R"(<td width="150"><b>CD name</b></td>)",
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
};

// Optional database and table statements, then three lines per row. Quoted values have
// their single quotes doubled, and for MySQL their backslashes too (else a name ending in
// one, or holding \', would end its string early and run the rest as SQL); the size stands
// unquoted, as stored.
class SqlWriter final : public TextExportWriter
{
public:
    explicit SqlWriter(const ExportOptions &options)
        : m_options(options),
          m_escape(options.dialect == SqlDialect::MySql ? Escape::SingleQuoteAndBackslash
                                                        : Escape::SingleQuote)
    {
    }

    void head() override
    {
        const ExportOptions &o = m_options;
        if (o.createDatabase) {
            line({QStringLiteral("Create database "), o.databaseName, QStringLiteral(";")});
            line({QStringLiteral("Use "), o.databaseName, QStringLiteral(";")});
            line({});
        }
        if (o.createTable) {
            line({QStringLiteral("Create table "), o.tableName, QStringLiteral(" (")});
            line({o.dialect == SqlDialect::MySql
                      ? QStringLiteral("file_ID int(20) auto_increment primary key,")
                      : QStringLiteral("ID_Auto int IDENTITY(1,1),")});
            for (const char *column :
                 {"file_name varchar(100),", "file_path varchar(200),", "file_size int(20),",
                  "file_date varchar(30),", "cd_name varchar(100)", ");", ""})
                line({QString::fromLatin1(column)});
        }
    }

    void row(const ExportRow &row) override
    {
        m_line.ascii(QLatin1StringView(" insert into "));
        m_line.text(m_options.tableName);
        m_line.ascii(
            QLatin1StringView(" (file_name, file_path, file_size, file_date, cd_name) values"));
        endLine();
        m_line.ascii(QLatin1StringView(" ('"));
        m_line.value(row.name, m_escape);
        m_line.ascii(QLatin1StringView("', '"));
        m_line.value(row.path, m_escape);
        m_line.ascii(QLatin1StringView("', "));
        m_line.value(row.size);
        m_line.ascii(QLatin1StringView(", '"));
        m_line.value(row.date, m_escape);
        m_line.ascii(QLatin1StringView("', '"));
        m_line.value(row.disc, m_escape);
        m_line.ascii(QLatin1StringView("');"));
        endLine();
        endLine();
    }

private:
    void line(std::initializer_list<QString> pieces)
    {
        for (const QString &piece : pieces)
            m_line.text(piece);
        endLine();
    }

    ExportOptions m_options;
    Escape m_escape;
};

} // namespace

std::unique_ptr<ExportWriter> makeCsvWriter(const ExportOptions &options)
{
    return std::make_unique<CsvWriter>(options);
}

std::unique_ptr<ExportWriter> makeTextWriter(const ExportOptions &options)
{
    return std::make_unique<DelimitedTextWriter>(options);
}

std::unique_ptr<ExportWriter> makeHtmlWriter(const ExportOptions &options)
{
    return std::make_unique<HtmlWriter>(options);
}

std::unique_ptr<ExportWriter> makeSqlWriter(const ExportOptions &options)
{
    return std::make_unique<SqlWriter>(options);
}

} // namespace orlith
