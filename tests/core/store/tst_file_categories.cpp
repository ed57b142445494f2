// Orlith — desktop catalogue of removable media.
#include "core/store/file_categories.h"

#include <QSet>
#include <QTest>

using namespace orlith;

namespace {

// One distinct colour text per category, so a lookup shows which category answered.
const QStringList kColors = {"1", "2", "3", "4", "5", "6", "7"};

// The lookup as the rows describe it: the first row, in table order, whose extension equals
// the path's extension when both are upper-cased.
QString scanColor(const ExtensionTable &table, const QString &path)
{
    const QString ext = ExtensionOf(path).toUpper();
    for (const ExtensionTable::Row &row : table.rows()) {
        if (row.extension.toUpper() == ext)
            return row.color;
    }
    return QStringLiteral("0");
}

} // namespace

class TestFileCategories : public QObject
{
    Q_OBJECT

private slots:
    void categoriesAndCounts();
    void colorForPath_data();
    void colorForPath();
    void hashAgreesWithTableScan();
    void rebuildAfterColourChange();
    void colorFromText();
};

void TestFileCategories::categoriesAndCounts()
{
    QCOMPARE(categoryNames(), QStringList({"Arhive", "Picture", "Executable", "Video", "Music",
                                           "Code", "Document"}));
    const int expected[kCategoryCount] = {41, 50, 3, 25, 42, 39, 35};
    QSet<QString> seen;
    for (int c = 0; c < kCategoryCount; ++c) {
        const QStringList exts = categoryExtensions(c);
        QCOMPARE(exts.size(), expected[c]);
        for (const QString &e : exts) {
            QVERIFY2(!seen.contains(e), qPrintable(e + " is in two categories"));
            QCOMPARE(e, e.toUpper());
            seen.insert(e);
        }
    }
    QCOMPARE(seen.size(), 235);
    ExtensionTable table;
    table.BuildExtensionTable(kColors);
    QCOMPARE(table.rows().size(), 235);
}

void TestFileCategories::colorForPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("color");
    QTest::newRow("music, mixed case") << "D:\\Music\\song.Mp3" << "Mp3" << "5";
    QTest::newRow("archive, upper case") << "D:\\a\\ARCHIVE.ZIP" << "ZIP" << "1";
    QTest::newRow("mp4 is video only") << "D:\\Films\\clip.mp4" << "mp4" << "4";
    QTest::newRow("rm is video only") << "/m/x.rm" << "rm" << "4";
    QTest::newRow("no dot") << "D:\\readme" << "" << "0";
    QTest::newRow("dot in folder") << "D:\\Setup.old\\readme" << "old\\readme" << "0";
    QTest::newRow("dot in folder, slash") << "/m/v1.c/README" << "c/README" << "0";
    QTest::newRow("trailing dot") << "D:\\x\\file." << "" << "0";
    QTest::newRow("last dot wins") << "/m/a.tar.gz" << "gz" << "1";
    QTest::newRow("longest extension") << "/m/d.ashdisc" << "ashdisc" << "1";
    QTest::newRow("one letter") << "/src/main.c" << "c" << "6";
    QTest::newRow("extension and a nul") << QString("/m/a.c") + QChar(0) << QString("c") + QChar(0)
                                         << "0";
    QTest::newRow("dotless i upper-cases to I") << QString::fromUtf8("/m/a.\xc4\xb1nc")
                                                << QString::fromUtf8("\xc4\xb1nc") << "6";
}

void TestFileCategories::colorForPath()
{
    QFETCH(QString, path);
    QFETCH(QString, extension);
    QFETCH(QString, color);
    QCOMPARE(ExtensionOf(path), extension);
    ExtensionTable table;
    table.BuildExtensionTable(kColors);
    QCOMPARE(table.ColorForPath(path), color);
}

// The hash must answer as a scan of the rows does, for every extension and near misses.
void TestFileCategories::hashAgreesWithTableScan()
{
    ExtensionTable table;
    table.BuildExtensionTable(kColors);
    for (int c = 0; c < kCategoryCount; ++c) {
        for (const QString &e : categoryExtensions(c)) {
            QCOMPARE(table.ColorForPath("/m/f." + e.toLower()), QString::number(c + 1));
            const QString paths[] = {"D:\\dir.x\\F." + e, "/m/f." + e + "X",
                                     "/m/f." + e.chopped(1), "/m/f.x" + e, "/m/" + e,
                                     "/m/f." + e + QString::fromUtf8("\xc3\xa9")};
            for (const QString &path : paths)
                QVERIFY2(table.ColorForPath(path) == scanColor(table, path), qPrintable(path));
        }
    }
}

void TestFileCategories::rebuildAfterColourChange()
{
    QStringList colors = kColors;
    ExtensionTable table;
    table.BuildExtensionTable(colors);
    // The table holds copies: changing a setting alone changes nothing.
    colors[4] = QStringLiteral("255");
    QCOMPARE(table.ColorForPath("/m/song.mp3"), QStringLiteral("5"));
    table.BuildExtensionTable(colors);
    QCOMPARE(table.ColorForPath("/m/song.mp3"), QStringLiteral("255"));
    QCOMPARE(table.ColorForPath("/m/clip.avi"), QStringLiteral("4"));

    std::array<QString, kCategoryCount> settings; // a fresh, empty settings record
    settings[6] = QStringLiteral("-2147483627");
    table.BuildExtensionTable(settings);
    QCOMPARE(table.ColorForPath("/m/a.pdf"), QStringLiteral("-2147483627"));
    QCOMPARE(table.ColorForPath("/m/a.zip"), QString());
    QCOMPARE(table.ColorForPath("/m/a.xyz"), QStringLiteral("0"));
}

void TestFileCategories::colorFromText()
{
    const QPalette none;
    QCOMPARE(orlith::colorFromText("1193046", none), QColor(0x56, 0x34, 0x12)); // R low byte
    QCOMPARE(orlith::colorFromText(" 255 ", none), QColor(255, 0, 0));
    QCOMPARE(orlith::colorFromText("", none), QColor(Qt::black));
    QCOMPARE(orlith::colorFromText("blue", none), QColor(Qt::black));
    QCOMPARE(orlith::colorFromText("99999999999", none), QColor(Qt::black));
    QCOMPARE(colorToText(QColor(0x56, 0x34, 0x12)), QStringLiteral("1193046"));

    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Shadow, QColor(1, 2, 3));
    palette.setColor(QPalette::Active, QPalette::WindowText, QColor(4, 5, 6));
    palette.setColor(QPalette::Active, QPalette::Window, QColor(7, 8, 9));
    QCOMPARE(orlith::colorFromText("-2147483627", palette), QColor(1, 2, 3)); // 21
    QCOMPARE(orlith::colorFromText("2147483669", palette), QColor(1, 2, 3));  // same bits
    QCOMPARE(orlith::colorFromText("-2147483641", palette), QColor(4, 5, 6)); // 7
    QCOMPARE(orlith::colorFromText("-2147483636", palette), QColor(7, 8, 9)); // 12
    QCOMPARE(orlith::colorFromText("-2147483393", palette), QColor(4, 5, 6)); // 255: unknown
}

QTEST_GUILESS_MAIN(TestFileCategories)
#include "tst_file_categories.moc"
