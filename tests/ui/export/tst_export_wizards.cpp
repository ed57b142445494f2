// Orlith — desktop catalogue of removable media.
#include "core/export/export_fixtures.h"
#include "support/window_fixture.h"
#include "ui/export/csv_wizard.h"
#include "ui/export/html_wizard.h"
#include "ui/export/sql_wizard.h"
#include "ui/export/text_wizard.h"
#include "ui/export/xls_wizard.h"

using namespace orlith;
using orlith::test::child;
using orlith::test::click;
using orlith::test::readAll;

class TestExportWizards : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QVERIFY(test::makeStore(root()));
    }

    void init() { m_f.messages.boxes.clear(); }

    void csvFlow()
    {
        const QString cdrom = m_dir.filePath("cdrom"), usb = m_dir.filePath("usb");
        QVERIFY(QDir().mkpath(cdrom) && QDir().mkpath(usb));
        m_f.drives.addDrive(cdrom);
        m_f.drives.setMedia(cdrom, false);
        m_f.drives.addDrive(usb);
        CsvWizard w(root(), m_f.services());
        w.show();
        // Enter is Next and Escape closes (not so in the SQL and Excel wizards); Finish comes last.
        QVERIFY(child<QPushButton>(w, "cmdNext")->isDefault() &&
                !child<QPushButton>(w, "cmdFinish")->isVisible());
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        w.show();
        const QString before = w.destinationFolder();
        auto *drive1 = child<QComboBox>(w, "Drive1");
        drive1->setCurrentIndex(drive1->findText(cdrom));
        QCOMPARE(lastBox("error", "Error"), "Drive is not ready. 68");
        QCOMPARE(w.destinationFolder() + ' ' + drive1->currentText(), before + ' ' + cdrom);
        drive1->setCurrentIndex(drive1->findText(usb));
        QCOMPARE(w.destinationFolder(), usb);
        m_f.drives.clear();
        // The list got the keyboard focus, but no disc was chosen.
        auto *file1 = child<QListWidget>(w, "File1");
        file1->setFocus(Qt::TabFocusReason);
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(file1, &focusIn);
        click(w, "cmdNext");
        QCOMPARE(lastBox("error", "Error"), "You must select file.");
        file1->setCurrentRow(0);
        file1->item(1)->setSelected(true);
        click(w, "cmdNext");
        click(w, "cmdFinish");
        QCOMPARE(lastBox("error", "Error"), "You must enter file name.");
        // Nothing is written among the disc files (tst_cli_export has the message); it stays open.
        w.setDestinationFolder(root() + "/cds");
        QTest::keyClicks(child<QLineEdit>(w, "txtFileName"), "out.csv");
        click(w, "cmdFinish");
        QVERIFY(w.isVisible() && !QFile::exists(root() + "/cds/out.csv.csv"));
        child<QCheckBox>(w, "chkTitle")->click(); // ticked at first
        QCOMPARE(finish(w, "out.csv"), "CSV file successfuly created.");
        QCOMPARE(w.result(), int(QDialog::Accepted));
        ExportOptions noTitle;
        noTitle.titleRow = false;
        QCOMPARE(readAll(outDir() + "/out.csv.csv"),
                 engine(ExportFormat::Csv, {"CD1.xml", "cd2.xml"}, noTitle));
    }

    // Ctrl-click twice: Next passes, Finish writes head and tail only; plain clicks toggle items.
    void clicksChooseDiscs()
    {
        const auto run = [this](std::unique_ptr<ExportWizard> w, Qt::KeyboardModifiers keys,
                                QList<int> rows) {
            w->show();
            auto *file1 = child<QListWidget>(*w, "File1");
            for (int row : rows)
                QTest::mouseClick(file1->viewport(), Qt::LeftButton, keys,
                                  file1->visualItemRect(file1->item(row)).center());
            click(*w, "cmdNext");
            return finish(*w, "x");
        };
        QCOMPARE(
            run(std::make_unique<HtmlWizard>(root(), m_f.services()), Qt::ControlModifier, {1, 1}),
            "HTML file successfuly created.");
        QCOMPARE(readAll(outDir() + "/x.html"), engine(ExportFormat::Html, {}, {}));
        // CD1's Cyrillic names do not fit the XLS format: refused, nothing written.
        QVERIFY(run(std::make_unique<XlsWizard>(root(), m_f.services()), Qt::NoModifier, {0})
                    .endsWith("use the XLSX export."));
        QVERIFY(!QFile::exists(outDir() + "/x.xls"));
        QCOMPARE(
            run(std::make_unique<XlsWizard>(root(), m_f.services()), Qt::NoModifier, {0, 1, 0}),
            "XLS file successfuly created.");
        QCOMPARE(readAll(outDir() + "/x.xls"), engine(ExportFormat::Xls, {"cd2.xml"}, {}));
    }

    void textFormatChecks()
    {
        TextWizard w(root(), m_f.services());
        w.show();
        child<QListWidget>(w, "File1")->setCurrentRow(1);
        click(w, "cmdNext");
        auto *separator = child<QLineEdit>(w, "txtSeparator");
        auto *qualifier = child<QComboBox>(w, "comQualifier");
        QVERIFY(child<QRadioButton>(w, "optComma")->isChecked() && !separator->isEnabled());
        child<QRadioButton>(w, "optOther")->click();
        click(w, "cmdNext2");
        QCOMPARE(lastBox("information", "Error"), "Please chose separator");
        QTest::keyClicks(separator, "|x");
        QCOMPARE(separator->text(), "|");
        QVERIFY(!qualifier->isEnabled());
        child<QCheckBox>(w, "chkDataQualifier")->click();
        click(w, "cmdNext2");
        QCOMPARE(lastBox("information", "Error"), "Please chose qualifier");
        qualifier->setCurrentIndex(1);
        QTest::keyClicks(qualifier, "\"x"); // typed keys change nothing
        QCOMPARE(qualifier->currentText(), "'");
        click(w, "cmdNext2");
        QCOMPARE(finish(w, "t"), "Text file successfuly created.");
        ExportOptions o;
        o.separator = '|';
        o.qualifier = '\'';
        QCOMPARE(readAll(outDir() + "/t.txt"), engine(ExportFormat::Text, {"cd2.xml"}, o));
    }

    void sqlFlow()
    {
        SqlWizard w(root(), m_f.services());
        w.show();
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isVisible() && !child<QPushButton>(w, "cmdNext")->isDefault());
        child<QRadioButton>(w, "optMSSQL")->click();
        click(w, "cmdNext");
        child<QListWidget>(w, "File1")->setCurrentRow(0);
        click(w, "cmdNext2");
        click(w, "cmdNext3");
        QCOMPARE(lastBox("error", "Error"), "You must enter file name");
        w.setDestinationFolder(outDir());
        child<QLineEdit>(w, "txtSQLFileName")->setText("s");
        click(w, "cmdNext3");
        auto *database = child<QLineEdit>(w, "txtdatabaseName");
        QCOMPARE(database->text(), "MyFiles");
        QVERIFY(!database->isEnabled() && !child<QLabel>(w, "lblDatabaseName")->isEnabled());
        database->setText("Db");
        child<QCheckBox>(w, "chkCreateTable")->click();
        click(w, "cmdFinish");
        QCOMPARE(lastBox("information", "Information"), "SQL file successfuly created.");
        ExportOptions o;
        o.dialect = SqlDialect::MsSql;
        o.createTable = true;
        o.databaseName = "Db";
        QCOMPARE(readAll(outDir() + "/s.sql"), engine(ExportFormat::Sql, {"CD1.xml"}, o));
    }

private:
    QString root() const { return m_dir.filePath("store"); }
    QString outDir() const { return m_dir.path(); }
    QString lastBox(const char *kind, const char *title)
    {
        if (m_f.messages.boxes.isEmpty())
            return {};
        const auto box = m_f.messages.boxes.takeLast();
        return box.kind == kind && box.title == title ? box.text : "(" + box.kind + ") " + box.text;
    }

    // Types the file name, finishes into outDir() and returns the success message.
    QString finish(ExportWizard &w, const QString &name)
    {
        w.setDestinationFolder(outDir());
        child<QLineEdit>(w, "txtFileName")->setText(name);
        click(w, "cmdFinish");
        return lastBox("information", "Information");
    }
    QByteArray engine(ExportFormat f, const QStringList &items, const ExportOptions &o)
    {
        const QString out = m_dir.filePath("engine.out");
        return exportDiscs(f, out, root() + "/cds", items, o).ok() ? readAll(out) : QByteArray();
    }

    QTemporaryDir m_dir;
    test::WindowFixture m_f; // its messages and drives; the store is root()
};

QTEST_MAIN(TestExportWizards)
#include "tst_export_wizards.moc"
