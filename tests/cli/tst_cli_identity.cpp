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

    // Each row runs its commands in turn; the last one's exit code and output are checked.
    void info_data()
    {
        QTest::addColumn<QList<QStringList>>("runs");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("says");
        QTest::newRow("fields") << QList<QStringList>{{"info", "backup"}} << 0
                                << QStringList{
                                       "label=LABEL\nuuid=1234-ABCD\nfs=vfat\ncapacity=4194304\n"
                                       "free=\nmedia=\ndrive=\nlocation=Shelf 2\nnumber=\n"};
        QTest::newRow("set both, hostile text")
            << QList<QStringList>{{"info", "Plain", "--location", "Box \"<7>\" &\nback", "--number",
                                   "A12"},
                                  {"info", "Plain"}}
            << 0 << QStringList{"location=Box \"<7>\" &\uFFFDback\n", "number=A12\n"};
        QTest::newRow("set one, the other kept")
            << QList<QStringList>{{"info", "Backup", "--number", "7"}, {"info", "Backup"}} << 0
            << QStringList{"location=Shelf 2\n", "number=7\n", "uuid=1234-ABCD\n"};
        // find is quick find: a disc's place lists all its files.
        QTest::newRow("find by number")
            << QList<QStringList>{{"info", "Plain", "--number", "A12"}, {"find", "a12"}} << 0
            << QStringList{"\tPlain\n", "Found  1 "};
        QTest::newRow("no such disc")
            << QList<QStringList>{{"info", "Nope"}} << 1 << QStringList{"no disc named \"Nope\""};
        QTest::newRow("two discs") << QList<QStringList>{{"info", "Plain", "Backup"}} << 2
                                   << QStringList{"info takes one disc name"};
    }

    void info()
    {
        QFETCH(QList<QStringList>, runs);
        QFETCH(int, code);
        QFETCH(QStringList, says);
        CliRun r;
        for (const QStringList &args : runs)
            r = cli(root(), args);
        for (const QString &text : says)
            QVERIFY2(r.says(code, text), qPrintable(text + u" in: "_s + r.out + r.err));
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
