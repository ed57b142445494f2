// Orlith — desktop catalogue of removable media.
#include "core/store/disc_file.h"
#include "core/store/disc_info.h"
#include "core/store/program_folder.h"

#include "core/capture/medium_fixtures.h"
#include "core/core_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;

class TestCliIdentity : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(ensureStoreFolders(root()).ok());
        const DiscInfo info{"LABEL", "1234-ABCD", "vfat", 4194304, -1, {}, {}, "Shelf 2", {}};
        const QList<FileEntry> entries{{"a.txt", "/a.txt", 10, "1.1.2024 10:00:00"}};
        QVERIFY(writeDiscFile(discFilePath(root(), "Backup"), "Cat", entries,
                              AtomicFile::Kind::StoreFile, info)
                    .ok());
        QVERIFY(writeDiscFile(discFilePath(root(), "Plain"), "Cat", entries).ok());
    }

    // info shows a disc's identity and sets its place, one field leaving the other; quick
    // find finds a disc by its place.
    void info()
    {
        const auto run = [&](const QStringList &args) { return cli(root(), args); };
        QVERIFY(run({"info", "backup"})
                    .says(0, "label=LABEL\nuuid=1234-ABCD\nfs=vfat\ncapacity=4194304\nfree=\n"
                             "media=\ndrive=\nlocation=Shelf 2\nnumber=\n"));
        QVERIFY(
            run({"info", "Plain", "--location", "Box \"<7>\" &\nback", "--number", "A12"}).says(0));
        QVERIFY(run({"info", "Plain"}).says(0, "location=Box \"<7>\" &\uFFFDback\nnumber=A12\n"));
        QVERIFY(run({"info", "Backup", "--number", "7"}).says(0));
        QVERIFY(run({"info", "Backup"}).says(0, "location=Shelf 2\nnumber=7\n"));
        QCOMPARE(run({"find", "a12"}).out.section(u'\t', 4), "Plain\n"); // one row
        QVERIFY(run({"info", "Plain", "Backup"}).says(2, "info takes one disc name"));
    }

    void identify_data()
    {
        QTest::addColumn<QString>("medium");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("says");
        QTest::newRow("the same FAT medium") << "1234ABCD" << 0 << "Backup\n";
        QTest::newRow("another FAT medium") << "0BADF00D" << 1 << "no catalogued disc matches";
        QTest::newRow("a folder") << "" << 1 << "says nothing of itself";
    }

    void identify()
    {
        QFETCH(QString, medium);
        QFETCH(int, code);
        QFETCH(QString, says);
        QString path = m_dir->path();
        if (!medium.isEmpty()) {
            path = makeFatImage(m_dir->path(), QStringLiteral("LABEL"), medium);
            if (path.isEmpty())
                QSKIP("mkfs.vfat is missing (scripts/test.sh installs dosfstools)");
        }
        const CliRun r = cli(root(), {"identify", path});
        QVERIFY2(r.says(code, says), qPrintable(r.out + r.err));
    }

private:
    QString root() const { return m_dir->filePath("data"); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestCliIdentity)
#include "tst_cli_identity.moc"
