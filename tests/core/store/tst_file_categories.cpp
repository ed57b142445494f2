// Orlith — desktop catalogue of removable media.
#include "core/store/file_categories.h"

#include <QSet>
#include <QTest>

using namespace orlith;
using namespace Qt::StringLiterals;

namespace {

// One distinct colour text per category, so a lookup shows which category answered.
const QStringList kColors = {"1", "2", "3", "4", "5", "6", "7"};

ExtensionTable table(const QStringList &colors = kColors)
{
    ExtensionTable t;
    t.buildExtensionTable(colors);
    return t;
}

} // namespace

class TestFileCategories : public QObject
{
    Q_OBJECT

private slots:
    // Every extension once, upper-cased, found in any case (colorForPath has the near misses).
    void extensionTable()
    {
        QStringList names;
        for (int c = 0; c < kCategoryCount; ++c)
            names << categoryName(c);
        QCOMPARE(names, QStringList({"Arhive", "Picture", "Executable", "Video", "Music", "Code",
                                     "Document"}));
        const ExtensionTable t = table();
        QCOMPARE(t.rows().size(), 235);
        QSet<QString> seen;
        for (int c = 0; c < kCategoryCount; ++c) {
            for (const QString &e : categoryExtensions(c)) {
                QVERIFY2(!seen.contains(e) && e == e.toUpper(), qPrintable(e));
                seen.insert(e);
                QCOMPARE(t.colorForPath("/m/f." + e.toLower()), QString::number(c + 1));
            }
        }
    }

    void colorForPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("color");
        QTest::newRow("music, mixed case") << u"D:\\Music\\song.Mp3"_s << u"Mp3"_s << u"5"_s;
        QTest::newRow("mp4 is video only") << u"D:\\Films\\clip.mp4"_s << u"mp4"_s << u"4"_s;
        QTest::newRow("dot in folder") << u"D:\\Setup.old\\readme"_s << u"old\\readme"_s << u"0"_s;
        QTest::newRow("dot in folder, slash") << u"/m/v1.c/README"_s << u"c/README"_s << u"0"_s;
        QTest::newRow("trailing dot") << u"D:\\x\\file."_s << QString() << u"0"_s;
        QTest::newRow("last dot wins") << u"/m/a.tar.gz"_s << u"gz"_s << u"1"_s;
        const QString nul(1, QChar(0)), dotlessInc = u"\u0131nc"_s;
        QTest::newRow("extension and a nul") << "/m/a.c" + nul << "c" + nul << u"0"_s;
        QTest::newRow("dotless i upper-cases to I") << "/m/a." + dotlessInc << dotlessInc << u"6"_s;
    }

    void colorForPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, extension);
        QFETCH(QString, color);
        QCOMPARE(extensionOf(path), extension);
        QCOMPARE(table().colorForPath(path), color);
    }

    void colourTexts()
    {
        QPalette palette;
        palette.setColor(QPalette::Active, QPalette::Shadow, QColor(1, 2, 3));
        palette.setColor(QPalette::Active, QPalette::WindowText, QColor(4, 5, 6));
        // R in the low byte; junk is black; the high bit picks a system colour (21, the same
        // bits unsigned; 255 is unknown and reads as window text).
        const std::pair<const char *, QColor> cases[] = {{"1193046", QColor(0x56, 0x34, 0x12)},
                                                         {" 255 ", QColor(255, 0, 0)},
                                                         {"", Qt::black},
                                                         {"99999999999", Qt::black},
                                                         {"-2147483627", QColor(1, 2, 3)},
                                                         {"2147483669", QColor(1, 2, 3)},
                                                         {"-2147483393", QColor(4, 5, 6)}};
        for (const auto &[text, color] : cases)
            QVERIFY2(orlith::colorFromText(text, palette) == color, text);
    }
};

QTEST_GUILESS_MAIN(TestFileCategories)
#include "tst_file_categories.moc"
