// Orlith — desktop catalogue of removable media.
#include "core/export/xlsx_export.h"

#include "core/export/line_encoder.h"
#include "core/export/xls_export.h"
#include "core/store/safe_write.h"
#include "core/store/text_codec.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace orlith {

namespace {

// The date form the list shows, for the spreadsheet to show its date cells in.
constexpr char kShownDate[] = "dd.mm.yyyy hh:mm:ss";

constexpr qint64 kCopyBlockBytes = 1024 * 1024;

QString libraryError(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}

// The value's text as UTF-8 and NUL-terminated, as the library takes it: disc files hold
// UTF-8 or ISO-8859-1 (decodeSingleByte's rule), so most values are copied as they are.
void toUtf8(QByteArrayView raw, QByteArray &out)
{
    out.resize(0);
    if (isValidUtf8(raw.data(), raw.size())) {
        out.append(raw);
        return;
    }
    for (const char c : raw) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out.append(c);
        } else {
            out.append(char(0xC0 | (u >> 6)));
            out.append(char(0x80 | (u & 0x3F)));
        }
    }
}

// Digits at p[0..n), or -1.
int digits(const char *p, int n)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

// A date as disc files store it, "dd.MM.yyyy hh:mm:ss", as the spreadsheet's serial number
// (days since 1899-12-30, the library's own rule; before March 1900 one day less, as the
// format counts a 29 February 1900); false for any other text, which then stays text. Read
// by hand, and not through the library's date call, which consults the time zone on every
// cell: a million rows meet it.
bool storedDate(QByteArrayView raw, double &serial)
{
    if (raw.size() != 19 || raw[2] != '.' || raw[5] != '.' || raw[10] != ' ' || raw[13] != ':' ||
        raw[16] != ':')
        return false;
    const char *p = raw.data();
    const int day = digits(p, 2), month = digits(p + 3, 2), year = digits(p + 6, 4);
    const int hour = digits(p + 11, 2), minute = digits(p + 14, 2), second = digits(p + 17, 2);
    if (year < 1900 || !QDate::isValid(year, month, day) || !QTime::isValid(hour, minute, second))
        return false;
    const QDate date(year, month, day);
    static const qint64 epoch = QDate(1899, 12, 30).toJulianDay();
    const qint64 days = date.toJulianDay() - epoch - (date < QDate(1900, 3, 1) ? 1 : 0);
    serial = double(days) + double(hour * 3600 + minute * 60 + second) / 86400.0;
    return true;
}

// A size as disc files store it (spaces, an optional sign, digits), or false.
bool storedSize(QByteArrayView raw, double &bytes)
{
    bool ok = false;
    bytes = double(raw.trimmed().toLongLong(&ok));
    return ok;
}

// The workbook is made by the library in a private folder (it writes only to a named file)
// and then copied through AtomicFile, so the output follows the rules of every export: a
// file replaced only when complete, links followed, a FIFO or device written straight to.
// constant_memory keeps one row in memory whatever the length of the export.
class XlsxWriter final : public ExportWriter
{
public:
    // Sizes become numbers, so they are read in the C locale's form whatever the options say;
    // the reader shows them in its own.
    XlsxWriter() : m_size(QLocale::c(), SizeUnit::Kilobytes) {}

    ~XlsxWriter() override
    {
        if (m_book)
            lxw_workbook_free(m_book); // abandoned: nothing is written
    }

    StoreResult open(const QString &path) override
    {
        m_path = path;
        if (!m_work.isValid())
            return failure(QStringLiteral("no temporary folder: %1").arg(m_work.errorString()));
        const QByteArray file = QFile::encodeName(m_work.filePath(QStringLiteral("book.xlsx")));
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = LXW_TRUE; // past 4 GB of sheet data
        const QByteArray tmp = QFile::encodeName(m_work.path());
        options.tmpdir = const_cast<char *>(tmp.constData());
        m_book = workbook_new_opt(file.constData(), &options);
        if (!m_book)
            return failure(QStringLiteral("the workbook could not be started"));
        m_title = workbook_add_format(m_book);
        format_set_bold(m_title);
        format_set_align(m_title, LXW_ALIGN_CENTER);
        format_set_bg_color(m_title, 0xC0C0C0);
        m_number = workbook_add_format(m_book);
        format_set_num_format(m_number, "0.00");
        m_date = workbook_add_format(m_book);
        format_set_num_format(m_date, kShownDate);
        return StoreResult::success();
    }

    void head() override { newSheet(); }

    void row(const ExportRow &row) override
    {
        if (m_row == kXlsxSheetRows)
            newSheet();
        const auto row0 = lxw_row_t(m_row);
        text(row0, 0, row.name);
        text(row0, 1, row.path);
        double bytes = 0;
        bool number = storedSize(row.size, bytes);
        if (!number) { // another number form (a decimal point), as the other exports read it
            const QString size = m_size.format(row.size);
            bytes = size.toDouble(&number) * 1024.0;
        }
        if (number)
            keep(worksheet_write_number(m_sheet, row0, 2, bytes / 1024.0, m_number));
        else
            text(row0, 2, row.size);
        if (double serial = 0; storedDate(row.date, serial))
            keep(worksheet_write_number(m_sheet, row0, 3, serial, m_date));
        else
            text(row0, 3, row.date);
        text(row0, 4, row.disc);
        ++m_row;
    }

    StoreResult close() override
    {
        lxw_workbook *book = std::exchange(m_book, nullptr);
        if (const lxw_error closed = workbook_close(book); closed != LXW_NO_ERROR)
            return failure(libraryError(closed));
        if (m_error != LXW_NO_ERROR)
            return failure(libraryError(m_error));
        if (m_path.isEmpty())
            return StoreResult::success();
        return copyOut();
    }

    void discard() override {}
    bool needsUtf8() const override { return false; }

private:
    void newSheet()
    {
        m_sheet = workbook_add_worksheet(m_book, nullptr);
        if (!m_sheet) {
            m_error = LXW_ERROR_MEMORY_MALLOC_FAILED;
            return;
        }
        for (int c = 0; c < 5; ++c) {
            keep(worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c), kSheetColumns[c].width,
                                      nullptr));
            keep(worksheet_write_string(m_sheet, 0, lxw_col_t(c), kSheetColumns[c].title, m_title));
        }
        m_row = 1;
    }

    void text(lxw_row_t row, lxw_col_t col, QByteArrayView raw)
    {
        if (raw.isEmpty())
            return;
        toUtf8(raw, m_scratch);
        keep(worksheet_write_string(m_sheet, row, col, m_scratch.constData(), nullptr));
    }

    // The first error wins; a text longer than a cell holds (32,767 characters) is left out,
    // as the other sheet writer leaves out what its cells cannot hold.
    void keep(lxw_error error)
    {
        if (error != LXW_NO_ERROR && error != LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED &&
            m_error == LXW_NO_ERROR)
            m_error = error;
    }

    StoreResult copyOut()
    {
        QFile book(m_work.filePath(QStringLiteral("book.xlsx")));
        if (!book.open(QIODevice::ReadOnly))
            return failure(book.errorString());
        AtomicFile out(m_path, AtomicFile::Kind::Output);
        if (StoreResult opened = out.open(); !opened)
            return opened;
        while (!book.atEnd()) {
            const QByteArray block = book.read(kCopyBlockBytes);
            if (block.isEmpty() && book.error() != QFileDevice::NoError) {
                out.discard();
                return failure(book.errorString());
            }
            if (!out.write(block))
                break; // commit() reports it
        }
        return out.commit();
    }

    StoreResult failure(const QString &reason) const
    {
        return StoreResult::failure(QStringLiteral("Cannot write %1:\n%2").arg(m_path, reason));
    }

    SizeFormat m_size;
    QTemporaryDir m_work;
    QString m_path;
    lxw_workbook *m_book = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_title = nullptr;
    lxw_format *m_number = nullptr;
    lxw_format *m_date = nullptr;
    lxw_error m_error = LXW_NO_ERROR;
    qint64 m_row = 0;
    QByteArray m_scratch;
};

} // namespace

std::unique_ptr<ExportWriter> makeXlsxWriter()
{
    return std::make_unique<XlsxWriter>();
}

} // namespace orlith
