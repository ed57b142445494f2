// Orlith — desktop catalogue of removable media.
#include "core/export/excel_file.h"

#include "core/core_fixtures.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using orlith::test::readAll;
using S = ExcelFile;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The records of a BIFF stream, read by hand: (number, body) in file order.
QList<std::pair<int, QByteArray>> records(const QByteArray &bytes)
{
    QList<std::pair<int, QByteArray>> out;
    for (qsizetype at = 0; at + 4 <= bytes.size();) {
        const auto *p = reinterpret_cast<const uchar *>(bytes.constData() + at);
        out.append({p[0] | p[1] << 8, bytes.mid(at + 4, p[2] | p[3] << 8)});
        at += 4 + out.last().second.size();
    }
    return out;
}

// The bytes after BOF, CODEPAGE, FORMATCOUNT and the 24 FORMAT records.
QByteArray afterFormats(const QString &path)
{
    const QByteArray bytes = readAll(path);
    qsizetype at = 0;
    for (const auto &record : records(bytes).first(27))
        at += 4 + record.second.size();
    return bytes.mid(at);
}

// The cell, option and page-break records: between the formats and EOF.
QList<std::pair<int, QByteArray>> sheetRecords(const QString &path)
{
    auto recs = records(afterFormats(path));
    recs.removeLast();
    return recs;
}

// The sheet the spreadsheet export writes, left open: a title row, `rows` of five texts.
void writeExportSheet(ExcelFile &xls, const QString &path, const QList<QStringList> &rows)
{
    QCOMPARE(xls.CreateFile(path), S::kOk);
    xls.PrintGridLines(false);
    QCOMPARE(xls.SetFont("Arial", 10, 0), S::kOk);
    QCOMPARE(xls.SetFont("Arial", 10, S::kFontBold), S::kOk);
    const qint16 widths[] = {30, 80, 20, 25, 20};
    const QStringList titles{"File name", "File Path", "File Size (Kb)", "File Date", "CD name"};
    for (int c = 1; c <= 5; ++c) {
        QCOMPARE(xls.SetColumnWidth(c, c, widths[c - 1]), S::kOk);
        QCOMPARE(xls.WriteValue(S::kValueText, S::kFont1, 130, 0, 1, c, titles[c - 1]), S::kOk);
    }
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 1; c <= 5; ++c)
            QCOMPARE(xls.WriteValue(S::kValueText, 0, S::kAlignLeft, 0, r + 2, c, rows[r][c - 1]),
                     S::kOk);
}

} // namespace

class TestExcelFile : public QObject
{
    Q_OBJECT

private slots:
    void emptySheet()
    {
        ExcelFile xls;
        QCOMPARE(xls.CloseFile(), S::kOk); // never created: nothing happens
        QCOMPARE(xls.CreateFile(path("empty.xls")), S::kOk);
        QCOMPARE(xls.CloseFile(), S::kOk);
        const QByteArray bytes = readAll(path("empty.xls"));
        // A worksheet (0x0010) whose texts are in code page 1252 (0x04E4).
        QVERIFY(bytes.startsWith(hex("0900040002001000"
                                     "42000200E404"
                                     "1F0002001700"
                                     "1E000800"
                                     "07") +
                                 "General"));
        const auto recs = records(bytes);
        QCOMPARE(recs.size(), 1 + 1 + 1 + 24 + 1);
        QCOMPARE(recs[9], std::pair(0x1E, "\x1C" + QByteArray(R"(#,##0\ "$";[Red]\-#,##0\ "$")")));
        QCOMPARE(recs[26], std::pair(0x1E, QByteArray("\x01@")));
        QCOMPARE(afterFormats(path("empty.xls")), hex("0A000000"));
    }

    void cells()
    {
        ExcelFile xls;
        QCOMPARE(xls.CreateFile(path("cells.xls"), S::kCodePageUtf8), S::kOk);
        QCOMPARE(xls.WriteValue(S::kValueText, 0, 0, 0, 1, 1, "General"), S::kOk);
        QCOMPARE(xls.WriteValue(S::kValueInteger, 64, 3, 64, 2, 3, -2.5, 2), S::kOk);
        QCOMPARE(xls.WriteValue(S::kValueNumber, 0, 0, 0, 3, 1, "1234.5"), S::kOk);
        QCOMPARE(xls.WriteValue(S::kValueText, 0, 0, 0, 4, 1, QString(127, QChar(0x10D))), S::kOk);
        QCOMPARE(xls.WriteValue(7, 0, 0, 0, 1, 1, "ignored"), S::kOk);
        QCOMPARE(xls.WriteValue(S::kValueNumber, 0, 0, 0, 1, 1, "abc"), S::kTypeMismatch);
        QCOMPARE(xls.WriteValue(S::kValueText, 0, 0, 0, 1, 1, QString(128, QChar(0x10D))),
                 S::kOverflow); // 256 bytes of UTF-8
        QCOMPARE(xls.CloseFile(), S::kOk);
        QCOMPARE(records(readAll(path("cells.xls")))[1], std::pair(0x42, hex("E9FD"))); // 65001
        const auto recs = sheetRecords(path("cells.xls"));
        QCOMPARE(recs.size(), 4);
        QCOMPARE(afterFormats(path("cells.xls")).first(19), hex("04000F00"
                                                                "00000000"
                                                                "000000"
                                                                "07") +
                                                                "General");
        QCOMPARE(recs[1], std::pair(2, hex("01000200"
                                           "404203"
                                           "FEFF"))); // -2.5 rounds to even
        QCOMPARE(recs[2], std::pair(3, hex("02000000"
                                           "000000"
                                           "00000000004A9340")));
        // A UTF-8 sheet writes its texts as UTF-8, counted in bytes.
        QCOMPARE(recs[3].second.mid(7), "\xFE" + QString(127, QChar(0x10D)).toUtf8());
    }

    void limits()
    {
        ExcelFile xls;
        QCOMPARE(xls.CreateFile(path("limits.xls")), S::kOk);
        const auto label = [&](qint32 row, const QString &text) {
            return xls.WriteValue(S::kValueText, 0, 0, 0, row, 1, text);
        };
        QCOMPARE(label(65536, "a"), S::kOk);
        QCOMPARE(label(32768, "b"), S::kOk);
        QCOMPARE(label(1, QString(255, 'c')), S::kOk);
        // Refused cells leave no trace in the file.
        for (qint32 row : {0, 65537})
            QCOMPARE(label(row, "x"), S::kOverflow);
        QCOMPARE(label(1, QString(256, 'x')), S::kOverflow);
        // Code page 1252 holds ISO-8859-1 but for U+0080-U+009F, where windows-1252 differs.
        for (const QString &text : {QString("Привет"), QString(QChar(0x80))})
            QCOMPARE(label(1, text), S::kInvalidArgument);
        QCOMPARE(xls.CloseFile(), S::kOk);
        const auto recs = sheetRecords(path("limits.xls"));
        QCOMPARE(recs.size(), 3);
        QCOMPARE(recs[0].second, hex("FFFF 0000 000000 01") + "a");
        QCOMPARE(recs[1].second, hex("FF7F 0000 000000 01") + "b");
        QCOMPARE(recs[2].second.first(8), hex("0000 0000 000000 FF"));
    }

    void pageBreaksAndOptions()
    {
        ExcelFile xls;
        QCOMPARE(xls.CreateFile(path("options.xls")), S::kOk);
        for (int row : {10, 3, 7})
            QCOMPARE(xls.InsertHorizPageBreak(row), S::kOk);
        xls.PrintGridLines(false);
        xls.ProtectSpreadsheet(true);
        QCOMPARE(xls.SetMargin(S::kLeftMargin, 0.75), S::kOk);
        QCOMPARE(xls.SetHeader("Héader"), S::kOk);
        QCOMPARE(xls.SetFooter("&P"), S::kOk);
        QCOMPARE(xls.SetFilePassword("pw"), S::kOk);
        QCOMPARE(xls.SetDefaultRowHeight(12), S::kOk);
        QCOMPARE(xls.SetRowHeight(2, 15), S::kOk);
        QCOMPARE(xls.SetColumnWidth(1, 1, 128), S::kOverflow); // 128 x 256 passes 32767
        QCOMPARE(xls.CloseFile(), S::kOk);
        QCOMPARE(afterFormats(path("options.xls")),
                 hex("2B0002000000"
                     "120002000100"
                     "26000800 000000000000E83F") +
                     hex("14000700 06") +
                     "H\xE9"
                     "ader" +
                     hex("15000300 02") + "&P" + hex("2F000200") + "pw" +
                     hex("25000200F000"
                         "08001000 0100 0000 0001 2C01 0000 00 0000 000000") +
                     hex("1B000800 0300 0200 0600 0900"
                         "0A000000"));
    }

    void exportLayout()
    {
        ExcelFile xls;
        writeExportSheet(xls, path("export.xls"),
                         {{"a.txt", "/m/a.txt", "1.50", "1.1.2004", "CD1"}});
        QCOMPARE(xls.CloseFile(), S::kOk);
        const auto recs = sheetRecords(path("export.xls"));
        QCOMPARE(recs.size(), 1 + 2 + 5 + 5 + 5);
        QCOMPARE(recs[0], std::pair(0x2B, hex("0000")));
        QCOMPARE(recs[1], std::pair(0x31, hex("C800000005") + "Arial"));
        QCOMPARE(recs[2], std::pair(0x31, hex("C800010005") + "Arial"));
        const char *widths[] = {"001E", "0050", "0014", "0019", "0014"}; // 7680, 20480, 5120, ...
        for (int c = 0; c < 5; ++c) {
            QCOMPARE(recs[3 + 2 * c], std::pair(0x24, QByteArray(2, char(c)) + hex(widths[c])));
            QCOMPARE(recs[4 + 2 * c].second.first(7), hex("0000") + char(c) + hex("00004082"));
            QCOMPARE(recs[13 + c].second.first(7), hex("0100") + char(c) + hex("00000001"));
        }
    }

    void failures()
    {
        ExcelFile xls;
        QCOMPARE(xls.SetHeader("x"), S::kFileNotOpen);
        QCOMPARE(xls.CreateFile(path("missing/a.xls")), S::kPathNotFound);
        QVERIFY(xls.errorString().contains("missing"));
        QCOMPARE(xls.CreateFile(m_dir.path()), S::kPathFileAccessError);

        // The old file is replaced only by a sheet closed whole: not on a full disk, and not
        // by a sheet never closed.
        QVERIFY(test::writeAll(path("old.xls"), "old"));
        QCOMPARE(xls.CreateFile(path("old.xls")), S::kOk);
        S::Status status;
        {
            test::FileSizeLimit full(2000);
            QVERIFY(full.active());
            for (int row = 1; row <= 100; ++row)
                (void)xls.WriteValue(S::kValueText, 0, 0, 0, row, 1, QString(40, 'x'));
            status = xls.CloseFile();
        }
        QCOMPARE(status, S::kDeviceIoError);
        QVERIFY(!xls.isOpen());
        {
            ExcelFile abandoned;
            QCOMPARE(abandoned.CreateFile(path("old.xls")), S::kOk);
        }
        QCOMPARE(readAll(path("old.xls")), QByteArray("old"));
    }

    // An independent reader (xlrd) must read back what the export writes.
    void readByXlrd()
    {
        const QStringList texts{"Tom & Jerry <1>.avi", "/m/\"quoted\";semi;colon", "1,50",
                                "Ångström? déjà vu: ÿ", "CD 1"};
        ExcelFile xls;
        writeExportSheet(xls, path("xlrd.xls"), {texts, texts});
        QCOMPARE(xls.WriteValue(S::kValueNumber, 0, 0, 0, 4, 1, 1234.5), S::kOk);
        QCOMPARE(xls.WriteValue(S::kValueInteger, 0, 0, 0, 4, 2, 32767), S::kOk);
        QCOMPARE(xls.CloseFile(), S::kOk);

        // The file as written, in the code page it names.
        const char *script = R"(
import json, os, sys, xlrd
book = xlrd.open_workbook(sys.argv[1], logfile=open(os.devnull, 'w'))
sheet = book.sheet_by_index(0)
print(json.dumps([sheet.row_values(r) for r in range(sheet.nrows)]))
)";
        // The system interpreter, where Debian's python3-xlrd lives.
        QProcess python;
        python.start(QFileInfo::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3",
                     {"-c", script, path("xlrd.xls")});
        QVERIFY2(python.waitForFinished(30000) && python.exitCode() == 0,
                 "python3 with xlrd (Debian python3-xlrd) must read the sheet: " +
                     python.readAllStandardError());
        const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0].toArray()[2].toString(), "File Size (Kb)");
        for (int c = 0; c < 5; ++c)
            QCOMPARE(rows[2].toArray()[c].toString(), texts[c]);
        QCOMPARE(rows[3].toArray()[0].toDouble(), 1234.5);
        QCOMPARE(rows[3].toArray()[1].toDouble(), 32767.0);
    }

private:
    QTemporaryDir m_dir;
    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
};

QTEST_GUILESS_MAIN(TestExcelFile)
#include "tst_excel_file.moc"
