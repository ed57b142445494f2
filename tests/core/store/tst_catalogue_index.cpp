// Orlith — desktop catalogue of removable media.
#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/index_cache.h"
#include "core/store/program_folder.h"

#include "core/capture/capture_fixtures.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>

using namespace orlith;
using namespace Qt::StringLiterals;
using namespace orlith::test;

namespace {

class Store
{
public:
    Store() { QVERIFY(ensureStoreFolders(m_dir.path()).ok()); }
    QString root() const { return m_dir.path(); }
    QString cache() const { return root() + u'/' + QLatin1String(kIndexCacheFile); }
    void disc(const QString &name, const QString &catalog)
    {
        QVERIFY(writeDiscFile(discFilePath(root(), name), catalog, {}).ok());
    }
    void raw(const QString &fileName, const QByteArray &bytes)
    {
        QVERIFY(writeAll(root() + "/cds/"_L1 + fileName, bytes));
    }
    CatalogueIndex load() const
    {
        CatalogueIndex index;
        index.load(root());
        return index;
    }
    // Loaded through the cache, at a time when every file counts as settled.
    CatalogueIndex loadCached() const
    {
        CatalogueIndex index;
        index.loadDiscs(cdsFolder(root()), cache(), settled());
        return index;
    }
    static qint64 settled() { return (QDateTime::currentMSecsSinceEpoch() + 60'000) * 1'000'000; }

private:
    QTemporaryDir m_dir;
};

struct stat statOf(const QString &path)
{
    struct stat st = {};
    [&] { QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0); }();
    return st;
}

} // namespace

class TestCatalogueIndex : public QObject
{
    Q_OBJECT

private slots:
    void catalogsFromOrderFileThenDiscFiles()
    {
        Store store;
        QVERIFY(
            writeAll(catalogOrderPath(store.root()), "Films\r\nEmpty\r\n\r\nMusic\r\nFilms\r\n"));
        store.disc(u"Rock 1"_s, u"Music"_s);
        store.disc(u"Backup A"_s, u"Backups"_s);
        store.disc(u"Rock 2"_s, u"Music"_s);
        store.disc(u"Zeta"_s, u"Archive"_s);
        // Discs in name order whatever the case; a catalog named in another case is the same.
        for (const char *name : {"beta", "Alpha", "Delta"})
            store.disc(QString::fromLatin1(name), u"archive"_s);
        // Skipped: no catalog line, a catalog's name, a case twin (first byte order wins).
        store.raw(u"nocat.xml"_s,
                  "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n\r\n<cd-dvd>\r\n");
        store.disc(u"music"_s, u"Music"_s);
        store.disc(u"rock 2"_s, u"Music"_s);
        store.disc(u"katalog"_s, u"Music"_s);
        store.disc(u"root child"_s, u"Catalogs"_s);
        const CatalogueIndex index = store.load();
        // Order-file catalogs (no empty lines or repeats), then as disc files first name them.
        QCOMPARE(
            shape(index),
            u"Films: Empty: Music:Rock 1,Rock 2 archive:Alpha,beta,Delta,Zeta Backups:Backup A"_s);
        QStringList skipped;
        for (const SkippedDiscFile &s : index.skipped())
            skipped << s.fileName;
        skipped.sort();
        QCOMPARE(skipped, (QStringList{"katalog.xml", "music.xml", "nocat.xml", "rock 2.xml",
                                       "root child.xml"}));
    }

    void whichFilesAreDiscFiles()
    {
        Store store;
        store.disc(u"plain"_s, u"C"_s);
        store.disc(u".hidden"_s, u"C"_s);
        store.raw(u"other.xmlx"_s, "<cd-dvd>\r\n<catalog>C</catalog>\r\n");
        const QString cds = store.root() + "/cds/"_L1;
        QVERIFY(QFile::link(cds + "plain.xml"_L1, cds + "linked.xml"_L1));
        QVERIFY(QFile::link(cds + "gone"_L1, cds + "broken.xml"_L1));
        QVERIFY(QDir(cds).mkdir(u"folder.xml"_s));
        // Killed writes' leftovers (our own prefix) go at start once a minute old; fresh ones
        // stay, and so does every user file that merely looks like a temporary one.
        const QString root = store.root();
        const QStringList stale{cds + ".orlith-tmp-QkWzpR1234", root + "/.orlith-tmp-a"};
        const QStringList kept{cds + ".orlith-tmp-fresh", cds + "plain.xml.QkWzpR",
                               root + "/katalog.ini.Backup"};
        for (const QString &path : stale + kept)
            QVERIFY(makeFile(path, {}, ::time(nullptr) - (path == kept.first() ? 0 : 120)));
        // Hidden files and links to files count; other endings, dangling links, folders do not.
        const CatalogueIndex index = store.load();
        QCOMPARE(shape(index), u"C:.hidden,linked,plain"_s);
        QVERIFY(index.skipped().isEmpty());
        QVERIFY(ensureStoreFolders(store.root()).ok());
        for (const QString &path : stale + kept)
            QVERIFY2(QFile::exists(path) == kept.contains(path), qPrintable(path));
    }

    // The cache spares reading unchanged files, and never outlives a change.
    void indexCache()
    {
        Store store;
        const QString alpha = discFilePath(store.root(), u"Alpha"_s);
        store.disc(u"Alpha"_s, u"Films"_s);
        store.disc(u"Beta"_s, u"Music"_s);
        // A planted cache entry for an unchanged file is believed: proof the cache is used.
        IndexCache planted;
        planted.keep("Alpha.xml", statOf(alpha), u"Kept"_s, Store::settled());
        QVERIFY(planted.write(store.cache()));
        QCOMPARE(shape(store.loadCached()), u"Kept:Alpha Music:Beta"_s);
        // Rewritten in place, same length, old mtime put back: the change time must tell.
        const struct stat before = statOf(alpha);
        QThread::msleep(20);
        QFile file(alpha);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray bytes = file.readAll().replace("Films", "Books");
        QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
        file.close();
        const struct timespec times[2] = {before.st_atim, before.st_mtim};
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(alpha).constData(), times, 0) == 0);
        QCOMPARE(shape(store.loadCached()), u"Books:Alpha Music:Beta"_s);
    }

    void orderFileRoundTrip()
    {
        Store store;
        CatalogueIndex index;
        for (const char *name : {"Zeta", "Café", "alpha", "音楽"})
            QVERIFY(index.addCatalog(QString::fromUtf8(name)));
        QVERIFY(index.writeCatalogOrder(catalogOrderPath(store.root())).ok());
        QCOMPARE(readAll(catalogOrderPath(store.root())),
                 QByteArray("Zeta\r\nCaf\xe9\r\nalpha\r\n") + u"音楽"_s.toUtf8() + "\r\n");
        QCOMPARE(shape(store.load()), u"Zeta: Café: alpha: 音楽:"_s);
    }

    void fileNameRule_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("usable");
        QTest::newRow("empty") << QString() << false;
        for (const char *bad : {"..", "a/b", "a:b", "a\nb", "com1", "Nul.xml", "LPT3.tar.gz",
                                "trailing space ", "x."})
            QTest::newRow(bad) << QString::fromLatin1(bad) << false;
        for (const char *good : {"Отпуск 音楽", "CONSOLE", "COM10", "a.con", ". x"})
            QTest::newRow(good) << QString::fromUtf8(good) << true;
    }

    void fileNameRule()
    {
        QFETCH(QString, name);
        QFETCH(bool, usable);
        QCOMPARE(isUsableFileName(name), usable);
    }
};

QTEST_GUILESS_MAIN(TestCatalogueIndex)
#include "tst_catalogue_index.moc"
