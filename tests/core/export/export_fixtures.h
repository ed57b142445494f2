// Orlith — desktop catalogue of removable media.
// A small store for the export tests, and the tools that read exports back.
#pragma once

#include "core/core_fixtures.h"
#include "core/export/export_job.h"
#include "core/store/disc_file.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTest>

namespace orlith::test {

using namespace Qt::StringLiterals;

// The bytes of an export of `items` of the store at `root`, written to `out`; the error's
// text when it failed.
inline QByteArray exportBytes(const QString &out, ExportFormat format, const QString &root,
                              const QStringList &items, const ExportOptions &options = {})
{
    const StoreResult r = exportDiscs(format, out, root + u"/cds"_s, items, options);
    return r ? readAll(out) : r.error.toUtf8();
}

// The entry of the exact-bytes tests: every character the formats treat specially.
inline FileEntry trickyEntry()
{
    return {u"Tom & Jerry <1> \"q\" 'x';y.avi"_s, u"/media/cd/Tom & Jerry <1> \"q\" 'x';y.avi"_s,
            1536, u"14.03.2004 22:10:05"_s};
}

// Discs "CD1" (the tricky entry, a Cyrillic one) and "cd2" (Latin-1): list order ignores case.
inline bool makeStore(const QString &root)
{
    QDir().mkpath(root + u"/cds"_s);
    const QList<FileEntry> cd1{
        trickyEntry(),
        {u"Дом; «сад».txt"_s, u"/media/cd/Дом; «сад».txt"_s, 0, u"01.01.2001 00:00:00"_s}};
    const QList<FileEntry> cd2{
        {u"déjà vu.mp3"_s, u"/media/cd2/déjà vu.mp3"_s, 12345, u"02.02.2002 02:02:02"_s}};
    return writeDiscFile(root + u"/cds/CD1.xml"_s, u"Films"_s, cd1).ok() &&
           writeDiscFile(root + u"/cds/cd2.xml"_s, u"Music"_s, cd2).ok();
}

// An "html", "xls" or "xlsx" file's rows as JSON, read by Python's html.parser, xlrd or
// openpyxl (every sheet in turn; number cells as "n:0.00", date cells as
// "d:dd.mm.yyyy hh:mm:ss", so that a test sees the cell types); "calc" has LibreOffice
// Calc convert a spreadsheet to CSV, cells as it shows them.
inline CliRun readByPython(const QString &file, const QString &kind)
{
    static const char script[] = R"(
import csv, json, os, re, sys
from html.parser import HTMLParser
data = open(sys.argv[1], 'rb').read()
if sys.argv[2] == 'html':
    class Table(HTMLParser):
        rows, cell = [], None
        def handle_starttag(self, tag, attrs):
            if tag == 'tr': self.rows.append([])
            if tag == 'td': self.cell = ''
        def handle_endtag(self, tag):
            if tag == 'td': self.rows[-1].append(self.cell); self.cell = None
        def handle_data(self, text):
            if self.cell is not None: self.cell += text
    t = Table(); t.feed(data.decode(re.search(rb'<meta charset="([^"]*)', data)[1].decode()))
    rows = t.rows
elif sys.argv[2] == 'calc':
    import subprocess, tempfile
    out = tempfile.mkdtemp()
    # Comma-separated, double quotes, UTF-8, cells as shown; a private profile.
    subprocess.run(['soffice', '-env:UserInstallation=file://' + out + '/profile', '--headless',
                    '--convert-to', 'csv:Text - txt - csv (StarCalc):44,34,76', '--outdir', out,
                    sys.argv[1]], check=True, capture_output=True)
    name = os.path.splitext(os.path.basename(sys.argv[1]))[0] + '.csv'
    rows = list(csv.reader(open(os.path.join(out, name), encoding='utf-8', newline='')))
elif sys.argv[2] == 'xlsx':
    import datetime, openpyxl
    def cell(v):
        if v is None: return ''
        if isinstance(v, datetime.datetime): return v.strftime('d:%d.%m.%Y %H:%M:%S')
        if isinstance(v, (int, float)): return 'n:%.2f' % v
        return v
    book = openpyxl.load_workbook(sys.argv[1], read_only=True)
    rows = [[cell(v) for v in row] for sheet in book for row in sheet.iter_rows(values_only=True)]
else:
    import xlrd
    book = xlrd.open_workbook(file_contents=data, logfile=open(os.devnull, 'w'))
    sheet = book.sheet_by_index(0)
    rows = [sheet.row_values(r) for r in range(sheet.nrows)]
print(json.dumps(rows))
)";
    // The system interpreter, where Debian's python3-xlrd and python3-openpyxl live.
    return runProgram(QFile::exists(u"/usr/bin/python3"_s) ? u"/usr/bin/python3"_s : u"python3"_s,
                      {u"-c"_s, QString::fromUtf8(script), file, kind});
}

} // namespace orlith::test
