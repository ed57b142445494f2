// Orlith — desktop catalogue of removable media.
// Help's manual lookup: beside the program, then the data folder, then the installed copy.
#include "ui/main/help_manual.h"
#include "support/test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace orlith;

class TestHelpManual : public QObject
{
    Q_OBJECT

private slots:
    void lookupOrder();
    void installedTree();
};

void TestHelpManual::lookupOrder()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString bin = tmp.filePath(QStringLiteral("prefix/bin"));
    const QString data = tmp.filePath(QStringLiteral("data"));
    const QString doc = tmp.filePath(QStringLiteral("prefix/share/doc/orlith"));
    for (const QString &dir : {bin, data, doc})
        QVERIFY(QDir().mkpath(dir));
    QVERIFY(findManual(bin, data).isEmpty());

    // A folder of that name is no manual.
    QVERIFY(QDir().mkpath(data + QStringLiteral("/Orlith.html")));
    QVERIFY(findManual(bin, data).isEmpty());

    QVERIFY(test::writeAll(doc + QStringLiteral("/Orlith.html"), "<html></html>"));
    QCOMPARE(findManual(bin, data), doc + QStringLiteral("/Orlith.html"));

    // A copy beside the program (a portable or build tree) wins over the installed one.
    QVERIFY(test::writeAll(bin + QStringLiteral("/Orlith.html"), "<html></html>"));
    QCOMPARE(findManual(bin, data), bin + QStringLiteral("/Orlith.html"));
}

// The install test runs this against the tree that `cmake --install` wrote.
void TestHelpManual::installedTree()
{
    const QString prefix = qEnvironmentVariable("ORLITH_INSTALLED_PREFIX");
    if (prefix.isEmpty())
        QSKIP("needs ORLITH_INSTALLED_PREFIX, set by the install test");
    QTemporaryDir data;
    QVERIFY(data.isValid());
    QCOMPARE(findManual(prefix + QStringLiteral("/bin"), data.path()),
             QDir::cleanPath(prefix + QStringLiteral("/share/doc/orlith/Orlith.html")));
}

QTEST_GUILESS_MAIN(TestHelpManual)
#include "tst_help_manual.moc"
