// Orlith — desktop catalogue of removable media.
// Verifying a disc against a medium built here, captured with checksums.
#include "core/capture/capture_job.h"
#include "core/capture/content_hash.h"
#include "core/capture/disc_verify.h"

#include "core/capture/capture_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kDate = 1079302205;

// The paths below `root`, in report order, each cut to its last two parts and 20 characters.
QString names(const QList<FileEntry> &list, const QString &root)
{
    QStringList out;
    for (const FileEntry &e : list)
        out << e.path.mid(root.size() + 1).section(u'/', -2).right(20);
    return out.join(u',');
}

} // namespace

class TestDiscVerify : public QObject
{
    Q_OBJECT

private slots:
    void classifies_data()
    {
        QTest::addColumn<QString>("change");
        // changed | missing | unreadable | new | not checksummed | OK count
        QTest::addColumn<QString>("expected");
        QTest::newRow("untouched") << ""
                                   << "||||plain.txt|4";
        QTest::newRow("same size and date, other bytes") << "rewrite a.txt"
                                                         << "a.txt||||plain.txt|3";
        QTest::newRow("removed") << "remove sub/b.txt"
                                 << "|sub/b.txt|||plain.txt|3";
        QTest::newRow("added") << "add sub/n.txt"
                               << "|||sub/n.txt|plain.txt|4";
        QTest::newRow("no checksum, other bytes") << "rewrite plain.txt"
                                                  << "||||plain.txt|4";
        QTest::newRow("no checksum, other date") << "touch plain.txt"
                                                 << "plain.txt||||plain.txt|3";
        // Stored under its archive's path by "Look inside archives".
        QTest::newRow("archive member") << "member a.txt/inner"
                                        << "||||plain.txt|4";
        // A path past PATH_MAX: listed by the walk, but no one can open it, root included.
        QTest::newRow("unreadable") << "deep"
                                    << "||" + QString(20, u'f') + "||plain.txt|5";
    }
    void classifies()
    {
        QFETCH(QString, change);
        QFETCH(QString, expected);
        QTemporaryDir tmp;
        const QString root = tmp.path() + "/m"_L1;
        for (const char *name : {"a.txt", "sub/b.txt", "sub/c.txt", "plain.txt"})
            QVERIFY(makeFile(root + u'/' + QLatin1String(name), name, kDate));
        QString deep;
        if (change == "deep"_L1) {
            const QStringList steps(19, QString(200, u'd'));
            deep = root + u'/' + steps.join(u'/') + u'/' + QString(250, u'f');
            QVERIFY(QDir().mkpath(QFileInfo(deep).path()));
            QVERIFY(makeFile(QFileInfo(deep).path() + "/g.txt"_L1, "g", kDate));
            QCOMPARE(QProcess::execute("sh", {"-c", "cd \"$1\" && echo x > \"$2\"", "sh",
                                              QFileInfo(deep).path(), QFileInfo(deep).fileName()}),
                     0);
        }

        CaptureRequest request;
        request.drive = root;
        request.walkOnly = true;
        CaptureJob capture(request);
        QVERIFY(capture.run());
        QList<FileEntry> stored = capture.entries();
        for (FileEntry &e : stored) {
            if (e.name != "plain.txt"_L1)
                e.hash = hashFileContent(e.path).value;
        }
        const QStringList op = change.split(u' ');
        const QString path = root + u'/' + op.value(1);
        if (op[0] == "rewrite"_L1)
            QVERIFY(makeFile(path, QByteArray(readAll(path).size(), 'Z'), kDate));
        else if (op[0] == "remove"_L1)
            QVERIFY(QFile::remove(path));
        else if (op[0] == "add"_L1)
            QVERIFY(makeFile(path, "new", kDate));
        else if (op[0] == "touch"_L1)
            QVERIFY(makeFile(path, readAll(path), kDate + 86400));
        else if (op[0] == "member"_L1)
            stored.append({"inner"_L1, path, 5, stored.first().date});

        DiscVerify verify(stored, root);
        const bool ran = verify.run().ok();
        if (!deep.isEmpty()) // QTemporaryDir cannot remove a path past PATH_MAX
            QProcess::execute("rm", {"-rf", root});
        QVERIFY(ran);
        const DiscVerifyReport &r = verify.report();
        const QString got =
            QStringList{names(r.changed, root), names(r.missing, root),   names(r.unreadable, root),
                        names(r.added, root),   names(r.unchecked, root), QString::number(r.ok)}
                .join(u'|');
        QCOMPARE(got, expected);
        QCOMPARE(r.allOk(), r.ok == r.total());
        QCOMPARE(verify.filesDone(), verify.filesFound());
    }

    void summary()
    {
        DiscVerifyReport r;
        r.ok = 3;
        r.changed.resize(1);
        r.added.resize(2);
        r.unchecked.resize(1);
        QCOMPARE(verifySummary(r), "Verified 6 files: 3 OK, 1 changed, 0 missing, 0 unreadable, "
                                   "2 new; 1 not checksummed."_L1);
        QVERIFY(!r.allOk());
    }
};

QTEST_GUILESS_MAIN(TestDiscVerify)
#include "tst_disc_verify.moc"
