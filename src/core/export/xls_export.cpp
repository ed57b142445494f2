// Orlith — desktop catalogue of removable media.
#include "core/export/xls_export.h"

#include "core/export/excel_file.h"
#include "core/export/line_encoder.h"
#include "core/store/text_codec.h"

#include <algorithm>
#include <iterator>

namespace orlith {

namespace {

// A bold, shaded, centred title row and one row of five left-aligned text cells per
// entry. A cell the writer refuses for its length (a text over 255 bytes) is left out, as
// is the writer's way. The format numbers rows in 16 bits and holds one 8-bit code page, so
// past 65,535 entries, or at a text outside ISO-8859-1, nothing more is written and the rows
// are only counted: the export is then refused whole (refusal()) and its file discarded. A
// failure to write the file is reported by close().
class XlsWriter final : public ExportWriter
{
public:
    explicit XlsWriter(const ExportOptions &options) : m_size(options.locale, SizeUnit::Kilobytes)
    {
    }

    StoreResult open(const QString &path) override
    {
        if (StoreResult created = m_sheet.create(path); !created)
            return created;
        m_sheet.setPrintGridLines(false);
        (void)m_sheet.setFont(QStringLiteral("Arial"), 10, 0);
        (void)m_sheet.setFont(QStringLiteral("Arial"), 10, ExcelFile::kFontBold);
        for (int c = 0; c < 5; ++c)
            (void)m_sheet.setColumnWidth(c + 1, c + 1, kSheetColumns[c].width);
        return StoreResult::success();
    }

    void head() override
    {
        for (int c = 0; c < 5; ++c)
            (void)m_sheet.writeText(ExcelFile::kFont1, ExcelFile::kAlignCentre | ExcelFile::kShaded,
                                    1, c + 1, QString::fromLatin1(kSheetColumns[c].title));
    }

    void row(const ExportRow &row) override
    {
        if (++m_entries > kMaxXlsEntries || !m_fits)
            return;
        const QString values[] = {text(row.name), text(row.path), m_size.format(row.size),
                                  text(row.date), text(row.disc)};
        m_fits = std::all_of(std::begin(values), std::end(values),
                             [](const QString &v) { return fitsLatin1(v); });
        for (int c = 0; m_fits && c < 5; ++c)
            (void)m_sheet.writeText(ExcelFile::kFont0, ExcelFile::kAlignLeft, qint32(m_entries) + 1,
                                    c + 1, values[c]);
    }

    StoreResult close() override { return m_sheet.close(); }

    // An unclosed sheet is discarded by the writer, leaving any old file as it was.
    void discard() override {}
    bool needsUtf8() const override { return false; }
    QString refusal() const override
    {
        if (m_fits && m_entries <= kMaxXlsEntries)
            return {};
        return QStringLiteral("This export holds %1 entries (or names that the XLS format cannot "
                              "hold); use the XLSX export.")
            .arg(m_entries);
    }

private:
    static QString text(QByteArrayView raw) { return decodeSingleByte(raw.data(), raw.size()); }

    ExcelFile m_sheet;
    SizeFormat m_size;
    qint64 m_entries = 0;
    bool m_fits = true;
};

} // namespace

std::unique_ptr<ExportWriter> makeXlsWriter(const ExportOptions &options)
{
    return std::make_unique<XlsWriter>(options);
}

} // namespace orlith
