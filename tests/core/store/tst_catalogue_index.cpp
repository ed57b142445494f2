// Orlith — desktop catalogue of removable media.
#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/index_cache.h"
#include "core/store/index_loader.h"
#include "core/store/program_folder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>

using namespace orlith;

namespace {

// "Catalog: disc disc | Catalog: ..." — a compact picture of the index to compare.
QString shape(const CatalogueIndex &index)
{
    QStringList parts;
    for (const CatalogNode &c : index.catalogs())
        parts << (c.name + QLatin1Char(':') + (c.discs.isEmpty() ? QString() : QLatin1Char(' ') + c.discs.join(QLatin1Char(' '))));
    return parts.join(QLatin1String(" | "));
}

class Store
{
public:
    Store() { QVERIFY(ensureStoreFolders(m_dir.path()).ok()); }
    QString root() const { return m_dir.path(); }
    void disc(const QString &name, const QString &catalog)
    {
        QVERIFY(writeDiscFile(discFilePath(root(), name), catalog, {}).ok());
    }
    void raw(const QString &fileName, const QByteArray &bytes)
    {
        QFile f(root() + QLatin1String("/cds/") + fileName);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void order(const QByteArray &bytes)
    {
        QFile f(catalogOrderPath(root()));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    CatalogueIndex load() const
    {
        CatalogueIndex index;
        index.load(root());
        return index;
    }

private:
    QTemporaryDir m_dir;
};

// Far enough after every file of a test that all count as settled.
qint64 later()
{
    return (QDateTime::currentMSecsSinceEpoch() + 60'000) * 1'000'000;
}

struct stat statOf(const QString &path)
{
    struct stat st {};
    [&] { QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0); }();
    return st;
}

CatalogueIndex loadCached(const QString &root, qint64 nowNs)
{
    CatalogueIndex index;
    index.loadDiscs(cdsFolder(root), root + QLatin1Char('/') + QLatin1String(kIndexCacheFile), nowNs);
    return index;
}

} // namespace

class TestCatalogueIndex : public QObject
{
    Q_OBJECT

private slots:
    void emptyStore();
    void catalogsFromOrderFileThenDiscFiles();
    void discsInNameOrderIgnoringCase();
    void skipsFilesThatCannotBeShown();
    void whichFilesAreDiscFiles();
    void loaderReadsTheSameIndex();
    void cacheSparesReadingUnchangedFiles();
    void cacheNeverOutlivesAChange();
    void damagedCacheIsReadAgain();
    void keysAreUniqueWithoutCase();
    void editsKeepKeysUnique();
    void orderFileRoundTrip();
    void fileNameRule_data();
    void fileNameRule();
};

void TestCatalogueIndex::emptyStore()
{
    Store store;
    const CatalogueIndex index = store.load();
    QVERIFY(index.catalogs().isEmpty());
    QCOMPARE(index.catalogCount(), 0);
    QCOMPARE(index.discCount(), 0);
    QVERIFY(index.skipped().isEmpty());
}

void TestCatalogueIndex::catalogsFromOrderFileThenDiscFiles()
{
    Store store;
    store.order("Films\r\nEmpty\r\n\r\nMusic\r\nFilms\r\n");
    store.disc(QStringLiteral("Rock 1"), QStringLiteral("Music"));
    store.disc(QStringLiteral("Backup A"), QStringLiteral("Backups"));
    store.disc(QStringLiteral("Rock 2"), QStringLiteral("Music"));
    store.disc(QStringLiteral("Zeta"), QStringLiteral("Archive"));
    const CatalogueIndex index = store.load();
    // Order-file catalogs first (empty lines and repeats dropped), then catalogs in the
    // order disc files first name them.
    QCOMPARE(shape(index), QStringLiteral("Films: | Empty: | Music: Rock 1 Rock 2 | "
                                          "Backups: Backup A | Archive: Zeta"));
    QCOMPARE(index.catalogCount(), 5);
    QCOMPARE(index.discCount(), 4);
    QCOMPARE(index.allDiscs(), (QStringList{"Rock 1", "Rock 2", "Backup A", "Zeta"}));
}

void TestCatalogueIndex::discsInNameOrderIgnoringCase()
{
    Store store;
    for (const char *name : {"beta", "Alpha", "gamma", "Delta"})
        store.disc(QString::fromLatin1(name), QStringLiteral("C"));
    // A catalog named in another letter case joins the same catalog.
    store.disc(QStringLiteral("epsilon"), QStringLiteral("c"));
    QCOMPARE(shape(store.load()), QStringLiteral("C: Alpha beta Delta epsilon gamma"));
}

void TestCatalogueIndex::skipsFilesThatCannotBeShown()
{
    Store store;
    store.order("Music\r\n");
    store.disc(QStringLiteral("ok"), QStringLiteral("Music"));
    store.raw(QStringLiteral("empty.xml"), QByteArray());
    store.raw(QStringLiteral("nocat.xml"), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n\r\n<cd-dvd>\r\n");
    store.disc(QStringLiteral("music"), QStringLiteral("Music")); // a catalog's name
    store.disc(QStringLiteral("OK"), QStringLiteral("Music")); // same name, other case: sorts first
    store.disc(QStringLiteral("katalog"), QStringLiteral("Music"));
    store.disc(QStringLiteral("root child"), QStringLiteral("Catalogs"));
    store.raw(QStringLiteral("notes.txt"), "<catalog>X</catalog>");
    const CatalogueIndex index = store.load();
    QCOMPARE(shape(index), QStringLiteral("Music: OK"));
    QStringList skipped;
    for (const SkippedDiscFile &s : index.skipped())
        skipped << s.fileName;
    skipped.sort();
    QCOMPARE(skipped, (QStringList{"empty.xml", "katalog.xml", "music.xml", "nocat.xml", "ok.xml",
                                   "root child.xml"}));
}

void TestCatalogueIndex::whichFilesAreDiscFiles()
{
    Store store;
    store.disc(QStringLiteral("plain"), QStringLiteral("C"));
    store.disc(QStringLiteral(".hidden"), QStringLiteral("C"));
    store.raw(QStringLiteral("other.xmlx"), "<cd-dvd>\r\n<catalog>C</catalog>\r\n");
    const QString cds = store.root() + QLatin1String("/cds/");
    QVERIFY(QFile::link(cds + QLatin1String("plain.xml"), cds + QLatin1String("linked.xml")));
    QVERIFY(QFile::link(cds + QLatin1String("gone"), cds + QLatin1String("broken.xml")));
    QVERIFY(QDir(cds).mkdir(QStringLiteral("folder.xml")));
    // What killed writes leave behind: never a disc, and gone at the next start once a
    // minute old. A fresh one may be a write in progress; ".backup" is a name someone chose.
    const QStringList stale{cds + "plain.xml.QkWzpR", cds + "Gone.XML.destroyed",
                            store.root() + "/katalog.ini.XyZabc"};
    const QStringList kept{cds + "plain.xml.HbTrnE", cds + "plain.xml.backup"};
    const timespec old[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
    for (const QString &path : stale + kept) {
        QFile stray(path);
        QVERIFY(stray.open(QIODevice::WriteOnly));
        stray.close();
        QVERIFY(path == kept.first()
                || ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), old, 0) == 0);
    }
    // Hidden files and links to files count; other endings, dangling links and folders
    // are not disc files at all.
    const CatalogueIndex index = store.load();
    QCOMPARE(shape(index), QStringLiteral("C: .hidden linked plain"));
    QVERIFY(index.skipped().isEmpty());
    QVERIFY(ensureStoreFolders(store.root()).ok());
    for (const QString &path : stale + kept)
        QVERIFY2(QFile::exists(path) == kept.contains(path), qPrintable(path));
}

void TestCatalogueIndex::loaderReadsTheSameIndex()
{
    Store store;
    store.order("Films\r\n");
    for (int i = 0; i < 50; ++i)
        store.disc(QStringLiteral("Disc %1").arg(i), QStringLiteral("Catalog %1").arg(i % 7));
    store.raw(QStringLiteral("broken.xml"), QByteArray());
    const CatalogueIndex direct = store.load();
    IndexLoader loader(store.root());
    QCOMPARE(loader.programFolder(), store.root());
    const CatalogueIndex loaded = loader.take();
    QCOMPARE(shape(loaded), shape(direct));
    QCOMPARE(loaded.discCount(), 50);
    QCOMPARE(loaded.skipped().size(), 1);
    QCOMPARE(loaded.discKey(QStringLiteral("disc 7")), QStringLiteral("Disc 7"));
    // A loader dropped unread waits for its thread rather than leaving it running.
    { IndexLoader unread(store.root()); }

    // A follow-up has run, once, with the index read, when take() returns: given while the
    // reading goes on it runs on the loader's thread, given after it ended it runs in take().
    for (const bool late : {false, true}) {
        IndexLoader follow(store.root());
        if (late)
            QThread::msleep(500); // fifty small files are read long before
        int runs = 0;
        int discs = -1;
        bool onCaller = false;
        follow.whenRead([&](const CatalogueIndex &index) {
            ++runs;
            discs = index.discCount();
            onCaller = QThread::currentThread() == QCoreApplication::instance()->thread();
        });
        QCOMPARE(follow.take().discCount(), 50);
        QCOMPARE(runs, 1);
        QCOMPARE(discs, 50);
        if (late)
            QVERIFY(onCaller);
    }
}

void TestCatalogueIndex::cacheSparesReadingUnchangedFiles()
{
    Store store;
    store.disc(QStringLiteral("Alpha"), QStringLiteral("Films"));
    store.disc(QStringLiteral("Beta"), QStringLiteral("Music"));
    const QString cachePath = store.root() + QLatin1Char('/') + QLatin1String(kIndexCacheFile);

    // Files changed just now are read, and not kept: their times may not show a change yet.
    QCOMPARE(shape(store.load()), QStringLiteral("Films: Alpha | Music: Beta"));
    QCOMPARE(IndexCache::read(cachePath).size(), 0);

    // Settled files are kept, and the cache describes them as stat does.
    QCOMPARE(shape(loadCached(store.root(), later())), QStringLiteral("Films: Alpha | Music: Beta"));
    QCOMPARE(IndexCache::read(cachePath).size(), 2);

    // A cache that names another catalog for an unchanged file is believed: the file is not
    // read again. Proof that the cache is used, and that an unchanged file matches it.
    const QString alpha = discFilePath(store.root(), QStringLiteral("Alpha"));
    IndexCache planted;
    planted.keep("Alpha.xml", statOf(alpha), QStringLiteral("Kept"), later());
    QVERIFY(planted.write(cachePath));
    QCOMPARE(shape(loadCached(store.root(), later())), QStringLiteral("Kept: Alpha | Music: Beta"));
    // Without the cache the file itself speaks.
    CatalogueIndex direct;
    direct.loadDiscs(cdsFolder(store.root()));
    QCOMPARE(shape(direct), QStringLiteral("Films: Alpha | Music: Beta"));
}

void TestCatalogueIndex::cacheNeverOutlivesAChange()
{
    Store store;
    store.disc(QStringLiteral("Alpha"), QStringLiteral("Films"));
    store.disc(QStringLiteral("Beta"), QStringLiteral("Music"));
    const QString alpha = discFilePath(store.root(), QStringLiteral("Alpha"));
    QCOMPARE(shape(loadCached(store.root(), later())), QStringLiteral("Films: Alpha | Music: Beta"));

    // Rewritten in place with a catalog of the same length and its old modification time
    // put back: only the change time tells, and it must be enough.
    const struct stat before = statOf(alpha);
    QThread::msleep(20);
    QFile file(alpha);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains("Films"));
    bytes.replace("Films", "Books");
    QVERIFY(file.seek(0));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(alpha).constData(), times, 0) == 0);
    QCOMPARE(shape(loadCached(store.root(), later())), QStringLiteral("Books: Alpha | Music: Beta"));

    // Replaced by another file under the same name, and removed: neither is taken from the
    // cache.
    QVERIFY(QFile::remove(alpha));
    store.disc(QStringLiteral("Alpha"), QStringLiteral("Games"));
    QCOMPARE(shape(loadCached(store.root(), later())), QStringLiteral("Games: Alpha | Music: Beta"));
    QVERIFY(QFile::remove(alpha));
    QCOMPARE(shape(loadCached(store.root(), later())), QStringLiteral("Music: Beta"));

    // A file that cannot be read any more is reported, not shown from the cache.
    const QString beta = discFilePath(store.root(), QStringLiteral("Beta"));
    QVERIFY(QFile::setPermissions(beta, QFileDevice::WriteOwner));
    if (QFile(beta).open(QIODevice::ReadOnly))
        QSKIP("running as a user who reads any file");
    const CatalogueIndex unreadable = loadCached(store.root(), later());
    QCOMPARE(unreadable.discCount(), 0);
    QCOMPARE(unreadable.skipped().size(), 1);
}

void TestCatalogueIndex::damagedCacheIsReadAgain()
{
    Store store;
    for (int i = 0; i < 20; ++i)
        store.disc(QStringLiteral("Disc %1").arg(i), QStringLiteral("Catalog %1").arg(i % 3));
    const QString cachePath = store.root() + QLatin1Char('/') + QLatin1String(kIndexCacheFile);
    const QString expected = shape(loadCached(store.root(), later()));
    QFile cache(cachePath);
    QVERIFY(cache.open(QIODevice::ReadOnly));
    const QByteArray whole = cache.readAll();
    cache.close();
    QCOMPARE(IndexCache::read(cachePath).size(), 20);

    // Cut anywhere, zeroed, or with a byte changed in its counts: the cache is refused or
    // still true, and the index is the same as read from the disc files.
    QList<QByteArray> damaged = {QByteArray(), QByteArray(whole.size(), '\0'), whole + "x"};
    for (qsizetype cut = 1; cut < whole.size(); cut += 37)
        damaged << whole.left(cut);
    for (qsizetype at : {20, 24, 25, 64, 70})
        damaged << QByteArray(whole).replace(at, 1, "\xff");
    for (const QByteArray &bytes : std::as_const(damaged)) {
        QVERIFY(cache.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cache.write(bytes);
        cache.close();
        QCOMPARE(shape(loadCached(store.root(), later())), expected);
        // Read again, it is written anew whole.
        QCOMPARE(IndexCache::read(cachePath).size(), 20);
    }
}

void TestCatalogueIndex::keysAreUniqueWithoutCase()
{
    CatalogueIndex index;
    QVERIFY(index.addCatalog(QStringLiteral("Music")));
    QVERIFY(index.addDisc(QStringLiteral("music"), QStringLiteral("Rock")));
    for (const char *taken : {"MUSIC", "rock", "Catalogs", "catalogs", "katalog", "KATALOG"})
        QVERIFY2(index.isKeyTaken(QString::fromLatin1(taken)), taken);
    QVERIFY(!index.isKeyTaken(QStringLiteral("Jazz")));
    QVERIFY(!index.addCatalog(QStringLiteral("ROCK")));
    QVERIFY(!index.addDisc(QStringLiteral("Music"), QStringLiteral("MUSIC")));
    QVERIFY(!index.addDisc(QStringLiteral("Nope"), QStringLiteral("Jazz")));
    QCOMPARE(index.discKey(QStringLiteral("ROCK")), QStringLiteral("Rock"));
    QCOMPARE(index.catalogOfDisc(QStringLiteral("rock")), 0);
    QCOMPARE(index.catalogOfDisc(QStringLiteral("Music")), -1);
    // Non-Latin letters fold too.
    QVERIFY(index.addCatalog(QStringLiteral("Музыка")));
    QVERIFY(index.isKeyTaken(QStringLiteral("МУЗЫКА")));
}

void TestCatalogueIndex::editsKeepKeysUnique()
{
    CatalogueIndex index;
    QVERIFY(index.addCatalog(QStringLiteral("A")));
    QVERIFY(index.addCatalog(QStringLiteral("B")));
    QVERIFY(index.addDisc(QStringLiteral("A"), QStringLiteral("d1")));
    QVERIFY(index.addDisc(QStringLiteral("A"), QStringLiteral("d2")));

    QVERIFY(!index.removeCatalog(QStringLiteral("A"))); // still has discs
    QVERIFY(index.removeCatalog(QStringLiteral("b")));
    QVERIFY(!index.isKeyTaken(QStringLiteral("B")));

    QVERIFY(!index.renameDisc(QStringLiteral("d1"), QStringLiteral("D2")));
    QVERIFY(index.renameDisc(QStringLiteral("d1"), QStringLiteral("D1"))); // case only
    QVERIFY(index.renameDisc(QStringLiteral("D1"), QStringLiteral("first")));
    QVERIFY(!index.isKeyTaken(QStringLiteral("d1")));
    QVERIFY(!index.renameCatalog(QStringLiteral("A"), QStringLiteral("first")));
    QVERIFY(index.renameCatalog(QStringLiteral("A"), QStringLiteral("Alpha")));
    QCOMPARE(shape(index), QStringLiteral("Alpha: first d2"));
    QCOMPARE(index.catalogOfDisc(QStringLiteral("d2")), 0);
    QVERIFY(index.isKeyTaken(QStringLiteral("alpha")));
    QVERIFY(!index.isKeyTaken(QStringLiteral("A")));

    QVERIFY(index.removeDisc(QStringLiteral("FIRST")));
    QVERIFY(!index.removeDisc(QStringLiteral("first")));
    QCOMPARE(index.discCount(), 1);
}

void TestCatalogueIndex::orderFileRoundTrip()
{
    Store store;
    CatalogueIndex index;
    for (const char *name : {"Zeta", "Café", "alpha"})
        QVERIFY(index.addCatalog(QString::fromUtf8(name)));
    QVERIFY(index.addCatalog(QStringLiteral("音楽")));
    QVERIFY(index.writeCatalogOrder(catalogOrderPath(store.root())).ok());
    QFile f(catalogOrderPath(store.root()));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("Zeta\r\nCaf\xe9\r\nalpha\r\n") + QStringLiteral("音楽").toUtf8() + "\r\n");
    QCOMPARE(shape(store.load()), QStringLiteral("Zeta: | Café: | alpha: | 音楽:"));

    const StoreResult r = index.writeCatalogOrder(store.root() + QLatin1String("/missing/katalog.ini"));
    QVERIFY(!r.ok());
    QVERIFY(r.error.contains(QLatin1String("katalog.ini")));
}

void TestCatalogueIndex::fileNameRule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("usable");
    QTest::newRow("plain") << QStringLiteral("Holiday 2004") << true;
    QTest::newRow("non-latin") << QStringLiteral("Отпуск 音楽") << true;
    QTest::newRow("ampersand") << QStringLiteral("Tom & Jerry") << true;
    QTest::newRow("dots inside") << QStringLiteral("a.b") << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("dot") << QStringLiteral(".") << false;
    QTest::newRow("dot dot") << QStringLiteral("..") << false;
    for (const char *bad : {"a/b", "a\\b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "a\tb", "a\nb",
                            "CON", "prn", "Aux", "NUL", "com1", "COM9", "LPT1", "lpt9", "con.txt",
                            "Nul.xml", "LPT3.tar.gz", "trailing space ", "trailing point."})
        QTest::newRow(bad) << QString::fromLatin1(bad) << false;
    for (const char *good : {"CONSOLE", "con-txt", "COM10", "LPT", "a.con", "x nul", ". x"})
        QTest::newRow(good) << QString::fromLatin1(good) << true;
}

void TestCatalogueIndex::fileNameRule()
{
    QFETCH(QString, name);
    QFETCH(bool, usable);
    QCOMPARE(isUsableFileName(name), usable);
}

QTEST_GUILESS_MAIN(TestCatalogueIndex)
#include "tst_catalogue_index.moc"
