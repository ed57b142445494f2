// Orlith — desktop catalogue of removable media.
// Content checksums: the same text as xxh128sum.
#include "core/capture/content_hash.h"

#include "core/core_fixtures.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace orlith;

class TestContentHash : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // Across the read block's edge too; the command-line tool is the reference.
    void sameAsXxh128sum_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray random(3 * 1024 * 1024 + 17, Qt::Uninitialized);
        QRandomGenerator gen(7);
        for (char &c : random)
            c = char(gen.bounded(256));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("three blocks and a bit") << random;
    }
    void sameAsXxh128sum()
    {
        QFETCH(QByteArray, bytes);
        const QString file = m_dir.filePath("f");
        QVERIFY(test::writeAll(file, bytes));
        QProcess sum;
        sum.start("xxh128sum", {file});
        QVERIFY2(sum.waitForFinished(), "xxh128sum (Debian's xxhash) is needed");
        const QByteArray expected = "xxh128:" + sum.readAllStandardOutput().split(' ').first();
        const StoreValue<QByteArray> hashed = hashFileContent(file);
        QVERIFY2(hashed.ok(), qPrintable(hashed.error));
        QCOMPARE(hashed.value, expected);
        QCOMPARE(contentHashText(bytes), expected);
        QVERIFY(isContentHashText(expected));
    }

    // A FIFO is no file to read to its end; a missing file names itself.
    void onlyRegularFiles()
    {
        const QString fifo = m_dir.filePath("fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(!hashFileContent(fifo).ok());
        QVERIFY(hashFileContent(m_dir.filePath("gone")).error.contains("gone"));
    }
};

QTEST_GUILESS_MAIN(TestContentHash)
#include "tst_content_hash.moc"
