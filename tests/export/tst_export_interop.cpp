// Orlith — desktop catalogue of removable media.
// Exports read back by independent readers: Python's csv and html.parser, xlrd, sqlite3
// and a private MariaDB server.
#include "export/export_job.h"
#include "export_fixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <unistd.h>

using namespace orlith;
using orlith::test::readAll;

namespace {

constexpr int kToolTimeoutMs = 60000;
const QString kDisc = QStringLiteral("Tom's; CD & Дом");

// The rows every reader must give back: name, path, size, date, disc.
QList<QStringList> expectedRows(const QString &sizeForm)
{
    QList<QStringList> rows;
    const QList<FileEntry> entries{
        test::trickyEntry(),
        {"Дом; «сад».txt", "/media/cd/Дом; «сад».txt", 0, "01.01.2001 00:00:00"},
        {"Ωμέγα 'α' <b>.txt", "/media/cd/Ωμέγα 'α' <b>.txt", 42, "03.03.2003 03:03:03"}};
    for (const FileEntry &e : entries)
        rows.append({e.name, e.path, sizeForm.arg(e.size), e.date, kDisc});
    return rows;
}

QString findTool(const QString &name)
{
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/local/sbin"})
                           : found;
}

struct ToolRun
{
    bool ok = false;
    QByteArray out;
    QByteArray err;
};

ToolRun runTool(const QString &program, const QStringList &args, const QByteArray &input = {})
{
    QProcess p;
    p.start(findTool(program), args);
    if (!p.waitForStarted(kToolTimeoutMs))
        return {false, {}, program.toUtf8() + " did not start (is it installed?)"};
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(kToolTimeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {false, {}, program.toUtf8() + " timed out"};
    }
    return {p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

QList<QStringList> jsonRows(const QByteArray &json)
{
    QList<QStringList> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(json).array()) {
        QStringList cells;
        for (const QJsonValue &cell : row.toArray())
            cells << (cell.isDouble() ? QString::number(cell.toDouble()) : cell.toString());
        rows << cells;
    }
    return rows;
}

// A MariaDB server of our own: its data folder and socket in a temporary folder, no
// network, stopped (and killed if need be) when the object goes.
class MariaDbServer
{
public:
    explicit MariaDbServer(const QString &dir) : m_dir(dir), m_socket(dir + "/sock") {}
    ~MariaDbServer() { stop(); }

    // Empty on success, else what went wrong.
    QString start()
    {
        QStringList user;
        if (::geteuid() == 0)
            user << "--user=root"; // mariadbd refuses to run as root unless told
        const ToolRun install =
            runTool("mariadb-install-db",
                    QStringList{"--no-defaults", "--datadir=" + m_dir + "/data", "--skip-test-db",
                                "--auth-root-authentication-method=normal"} +
                        user);
        if (!install.ok)
            return "mariadb-install-db failed (install Debian mariadb-server): " + install.err;
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(
            findTool("mariadbd"),
            QStringList{"--no-defaults", "--datadir=" + m_dir + "/data", "--socket=" + m_socket,
                        "--skip-networking", "--pid-file=" + m_dir + "/pid",
                        "--log-error=" + m_dir + "/error.log", "--innodb-buffer-pool-size=16M",
                        // Debian's own server configuration sets these too.
                        "--character-set-server=utf8mb4", "--collation-server=utf8mb4_general_ci"} +
                user);
        if (!m_server.waitForStarted(kToolTimeoutMs))
            return "mariadbd did not start: " + m_server.errorString();
        for (int waited = 0; waited < kToolTimeoutMs; waited += 250) {
            if (m_server.state() != QProcess::Running)
                return "mariadbd stopped: " + readAll(m_dir + "/error.log");
            if (client({"-e", "select 1"}).ok)
                return {};
            QThread::msleep(250);
        }
        return "mariadbd did not answer within a minute: " + readAll(m_dir + "/error.log");
    }

    ToolRun client(const QStringList &args, const QByteArray &input = {}) const
    {
        return runTool("mariadb",
                       QStringList{"--no-defaults", "--socket=" + m_socket, "-u", "root",
                                   "--default-character-set=utf8mb4"} +
                           args,
                       input);
    }

    void stop()
    {
        if (m_server.state() == QProcess::NotRunning)
            return;
        (void)runTool("mariadb-admin",
                      {"--no-defaults", "--socket=" + m_socket, "-u", "root", "shutdown"});
        if (!m_server.waitForFinished(kToolTimeoutMs)) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }

private:
    QString m_dir;
    QString m_socket;
    QProcess m_server;
};

} // namespace

class TestExportInterop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void csvByPython();
    void htmlByPython();
    void xlsByXlrd();
    void sqlBySqlite();
    void sqlByMariaDb();

private:
    QString exported(ExportFormat format, const ExportOptions &options = {},
                     const QString &item = kDisc + ".xml")
    {
        const QString out = m_dir.filePath("out" + exportExtension(format));
        const StoreResult r = exportDiscs(format, out, m_dir.filePath("cds"), {item}, options);
        return r.ok() ? out : QString();
    }
    QList<QStringList> python(const char *script, const QString &file)
    {
        const ToolRun run =
            runTool(QFile::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3",
                    {"-c", script, file});
        if (!run.ok)
            qWarning() << run.err;
        return jsonRows(run.out);
    }

    QTemporaryDir m_dir;
};

void TestExportInterop::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    QList<FileEntry> entries;
    for (const QStringList &r : expectedRows("%1"))
        entries.append({r[0], r[1], r[2].toLongLong(), r[3]});
    QVERIFY(QDir().mkpath(m_dir.filePath("cds")));
    QVERIFY(writeDiscFile(m_dir.filePath("cds/" + kDisc + ".xml"), "Films", entries).ok());
    QVERIFY(writeDiscFile(m_dir.filePath("cds/latin.xml"), "Music",
                          {test::trickyEntry(), {"déjà vu.mp3", "/m/déjà vu.mp3", 7, "d"}})
                .ok());
}

// Every line is ASCII or UTF-8 here, as each row carries the Cyrillic disc name.
void TestExportInterop::csvByPython()
{
    const char *script = R"(
import csv, io, json, sys
text = open(sys.argv[1], 'rb').read().decode('utf-8')
print(json.dumps(list(csv.reader(io.StringIO(text, newline=''), delimiter=';'))))
)";
    const QList<QStringList> rows = python(script, exported(ExportFormat::Csv));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0], QStringList({"File name", "File path", "File size", "File date", "CD name"}));
    QCOMPARE(rows.mid(1), expectedRows("%1.00"));
}

void TestExportInterop::htmlByPython()
{
    const char *script = R"(
import json, sys
from html.parser import HTMLParser
class Table(HTMLParser):
    rows, cell = [], None
    def handle_starttag(self, tag, attrs):
        if tag == 'tr': self.rows.append([])
        if tag == 'td': self.cell = ''
    def handle_endtag(self, tag):
        if tag == 'td': self.rows[-1].append(self.cell); self.cell = None
    def handle_data(self, data):
        if self.cell is not None: self.cell += data
t = Table()
t.feed(open(sys.argv[1], 'rb').read().decode('utf-8'))
print(json.dumps(t.rows))
)";
    const QList<QStringList> rows = python(script, exported(ExportFormat::Html));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0][2], "File size (Kb)");
    QCOMPARE(rows.mid(1), expectedRows("%1.00"));
}

// xlrd takes only 0x0010 as a BIFF2 worksheet's document type, so it reads a copy with
// that word changed; the sheet has no code page record, so Latin-1 texts are used.
void TestExportInterop::xlsByXlrd()
{
    const char *script = R"(
import json, os, sys, xlrd
data = open(sys.argv[1], 'rb').read()
book = xlrd.open_workbook(file_contents=data[:6] + b'\x10\x00' + data[8:],
    encoding_override='iso-8859-1', logfile=open(os.devnull, 'w'))
sheet = book.sheet_by_index(0)
print(json.dumps([sheet.row_values(r) for r in range(sheet.nrows)]))
)";
    const QList<QStringList> rows = python(script, exported(ExportFormat::Xls, {}, "latin.xml"));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0],
             QStringList({"File name", "File Path", "File Size (Kb)", "File Date", "CD name"}));
    const FileEntry e = test::trickyEntry();
    QCOMPARE(rows[1], QStringList({e.name, e.path, "1536.00", e.date, "latin"}));
    QCOMPARE(rows[2], QStringList({"déjà vu.mp3", "/m/déjà vu.mp3", "7.00", "d", "latin"}));
}

void TestExportInterop::sqlBySqlite()
{
    const QString query = "select file_name, file_path, file_size, file_date, cd_name from CDFiles";
    const QString db = m_dir.filePath("inserts.db");
    ToolRun run =
        runTool("sqlite3", {db},
                "create table CDFiles (file_name, file_path, file_size, file_date, cd_name);\n" +
                    readAll(exported(ExportFormat::Sql)));
    QVERIFY2(run.ok, run.err.constData());
    run = runTool("sqlite3", {"-json", db, query});
    QVERIFY2(run.ok, run.err.constData());
    const QJsonArray objects = QJsonDocument::fromJson(run.out).array();
    QList<QStringList> rows;
    for (const QJsonValue &o : objects) {
        QStringList cells;
        for (const char *c : {"file_name", "file_path", "file_size", "file_date", "cd_name"})
            cells << o[c].toVariant().toString();
        rows << cells;
    }
    QCOMPARE(rows, expectedRows("%1"));

    ExportOptions ms;
    ms.dialect = SqlDialect::MsSql;
    ms.createTable = true;
    ms.tableName = "Files";
    const QString msDb = m_dir.filePath("mssql.db");
    run = runTool("sqlite3", {msDb}, readAll(exported(ExportFormat::Sql, ms)));
    QVERIFY2(run.ok, run.err.constData());
    run = runTool("sqlite3", {msDb, "select count(*), sum(file_size) from Files"});
    QCOMPARE(run.out.trimmed(), QByteArray("3|1578"));
}

void TestExportInterop::sqlByMariaDb()
{
    QTemporaryDir serverDir;
    MariaDbServer server(serverDir.path());
    const QString problem = server.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    ExportOptions o;
    o.createDatabase = o.createTable = true;
    ToolRun run = server.client({}, readAll(exported(ExportFormat::Sql, o)));
    QVERIFY2(run.ok, run.err.constData());
    run = server.client({"-N", "-B", "-e",
                         "select file_ID, file_name, file_path, file_size, "
                         "file_date, cd_name from MyFiles.CDFiles order by file_ID"});
    QVERIFY2(run.ok, run.err.constData());
    QList<QStringList> rows;
    for (const QByteArray &line : run.out.trimmed().split('\n'))
        rows << QString::fromUtf8(line).split('\t');
    QCOMPARE(rows.size(), 3);
    const QList<QStringList> expected = expectedRows("%1");
    for (int i = 0; i < 3; ++i)
        QCOMPARE(rows[i], QStringList{QString::number(i + 1)} + expected[i]);
    server.stop();
}

QTEST_GUILESS_MAIN(TestExportInterop)
#include "tst_export_interop.moc"
