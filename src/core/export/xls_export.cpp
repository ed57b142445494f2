// Orlith — desktop catalogue of removable media.
#include "core/export/xls_export.h"

#include "core/export/excel_file.h"
#include "core/export/line_encoder.h"
#include "core/store/text_codec.h"

namespace orlith {

namespace {

struct Column
{
    qint16 width; // characters
    const char *title;
};

constexpr Column kColumns[] = {
    {30, "File name"}, {80, "File Path"}, {20, "File Size (Kb)"},
    {25, "File Date"}, {20, "CD name"},
};

// A bold, shaded, centred title row and one row of five left-aligned text cells per
// entry. A cell the writer refuses for its length (a text over 255 bytes) is left out, as
// is the writer's way; one outside the code page asks for UTF-8. A failure to write the
// file is reported by close().
class XlsWriter final : public ExportWriter
{
public:
    XlsWriter(const ExportOptions &options, ExportEncoding encoding)
        : m_size(options.locale), m_utf8(encoding == ExportEncoding::Utf8)
    {
    }

    StoreResult open(const QString &path) override
    {
        if (StoreResult created = m_sheet.create(path, m_utf8 ? ExcelFile::kCodePageUtf8
                                                              : ExcelFile::kCodePageLatin1);
            !created)
            return created;
        m_sheet.setPrintGridLines(false);
        (void)m_sheet.setFont(QStringLiteral("Arial"), 10, 0);
        (void)m_sheet.setFont(QStringLiteral("Arial"), 10, ExcelFile::kFontBold);
        for (int c = 0; c < 5; ++c)
            (void)m_sheet.setColumnWidth(c + 1, c + 1, kColumns[c].width);
        return StoreResult::success();
    }

    void head() override
    {
        for (int c = 0; c < 5; ++c)
            (void)m_sheet.writeText(ExcelFile::kFont1, ExcelFile::kAlignCentre | ExcelFile::kShaded,
                                    m_row, c + 1, QString::fromLatin1(kColumns[c].title));
        ++m_row;
    }

    void row(const ExportRow &row) override
    {
        const QString values[] = {text(row.name), text(row.path), m_size.format(row.size),
                                  text(row.date), text(row.disc)};
        for (int c = 0; c < 5; ++c) {
            if (!m_utf8 && !fitsLatin1(values[c]))
                m_needsUtf8 = true;
            else
                (void)m_sheet.writeText(ExcelFile::kFont0, ExcelFile::kAlignLeft, m_row, c + 1,
                                        values[c]);
        }
        ++m_row;
    }

    StoreResult close() override { return m_sheet.close(); }

    // An unclosed sheet is discarded by the writer, leaving any old file as it was.
    void discard() override {}
    bool needsUtf8() const override { return m_needsUtf8; }

private:
    static QString text(QByteArrayView raw) { return decodeSingleByte(raw.data(), raw.size()); }

    ExcelFile m_sheet;
    SizeFormat m_size;
    bool m_utf8;
    bool m_needsUtf8 = false;
    qint32 m_row = 1;
};

} // namespace

std::unique_ptr<ExportWriter> makeXlsWriter(const ExportOptions &options, ExportEncoding encoding)
{
    return std::make_unique<XlsWriter>(options, encoding);
}

} // namespace orlith
