// Orlith — desktop catalogue of removable media.
// Verifying a disc against a medium built here, captured with checksums.
#include "core/capture/capture_job.h"
#include "core/capture/content_hash.h"
#include "core/capture/disc_verify.h"

#include "core/capture/capture_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kDate = 1079302205;

// The paths below `root`, in report order.
QString names(const QList<FileEntry> &list, const QString &root)
{
    QStringList out;
    for (const FileEntry &e : list)
        out << e.path.mid(root.size() + 1);
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
        const auto row = [](const char *tag, const char *change, const char *expected) {
            QTest::newRow(tag) << QString(change) << QString(expected);
        };
        row("same size and date, other bytes", "rewrite a.txt", "a.txt||||plain.txt|3");
        row("removed", "remove sub/b.txt", "|sub/b.txt|||plain.txt|3");
        row("added", "add sub/n.txt", "|||sub/n.txt|plain.txt|4");
        row("no checksum, other bytes", "rewrite plain.txt", "||||plain.txt|4");
        row("no checksum, other date", "touch plain.txt", "plain.txt||||plain.txt|3");
        // Stored under its archive's path by "Look inside archives".
        row("archive member", "member a.txt/inner", "||||plain.txt|4");
        // Another program holds a write lease on it: opening it fails, root or not.
        row("unreadable", "lease sub/b.txt", "||sub/b.txt||plain.txt|3");
    }
    void classifies()
    {
        QFETCH(QString, change);
        QFETCH(QString, expected);
        QTemporaryDir tmp;
        const QString root = tmp.path() + "/m"_L1;
        for (const char *name : {"a.txt", "sub/b.txt", "sub/c.txt", "plain.txt"})
            QVERIFY(makeFile(root + u'/' + QLatin1String(name), name, kDate));

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
        int leased = -1;
        if (op[0] == "lease"_L1) {
            ::signal(SIGIO, SIG_IGN); // the lease's holder is told of each open that breaks it
            leased = ::open(QFile::encodeName(path).constData(), O_WRONLY);
            QVERIFY(leased >= 0 && ::fcntl(leased, F_SETLEASE, F_WRLCK) == 0);
        }

        DiscVerify verify(stored, root);
        const bool ran = verify.run().ok();
        if (leased >= 0)
            ::close(leased);
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
};

QTEST_GUILESS_MAIN(TestDiscVerify)
#include "tst_disc_verify.moc"
