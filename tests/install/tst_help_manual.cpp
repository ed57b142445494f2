// Orlith — desktop catalogue of removable media.
// Help's manual lookup: beside the program, then the data folder, then the installed copy.
#include "support/test_files.h"
#include "ui/main/help_manual.h"

#include <QtTest>

using namespace orlith;

class TestHelpManual : public QObject
{
    Q_OBJECT

private slots:
    void lookupOrder()
    {
        QTemporaryDir tmp;
        const QString bin = tmp.filePath("prefix/bin"), data = tmp.filePath("data"),
                      doc = tmp.filePath("prefix/share/doc/orlith");
        for (const QString &dir : {bin, data, doc})
            QVERIFY(QDir().mkpath(dir));
        QVERIFY(findManual(bin, data).isEmpty());
        QVERIFY(QDir().mkpath(data + "/Orlith.html")); // a folder of that name is no manual
        QVERIFY(findManual(bin, data).isEmpty());
        QVERIFY(test::writeAll(doc + "/Orlith.html", "<html></html>"));
        QCOMPARE(findManual(bin, data), doc + "/Orlith.html");
        // A copy beside the program (a portable or build tree) wins over the installed one.
        QVERIFY(test::writeAll(bin + "/Orlith.html", "<html></html>"));
        QCOMPARE(findManual(bin, data), bin + "/Orlith.html");
    }

    // The install test runs this against the tree that `cmake --install` wrote.
    void installedTree()
    {
        const QString prefix = qEnvironmentVariable("ORLITH_INSTALLED_PREFIX");
        if (prefix.isEmpty())
            QSKIP("needs ORLITH_INSTALLED_PREFIX, set by the install test");
        QTemporaryDir data;
        QCOMPARE(findManual(prefix + "/bin", data.path()),
                 QDir::cleanPath(prefix + "/share/doc/orlith/Orlith.html"));
    }
};

QTEST_GUILESS_MAIN(TestHelpManual)
#include "tst_help_manual.moc"
