// Orlith — desktop catalogue of removable media.
#include "ui/export/csv_wizard.h"
#include "ui/export/html_wizard.h"
#include "ui/export/sql_wizard.h"
#include "ui/export/text_wizard.h"
#include "ui/export/xls_wizard.h"
#include "core/export/export_fixtures.h"
#include "ui/main/form1_window.h"
#include "support/recording_services.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace orlith;
using orlith::test::readAll;

class TestExportWizards : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_messages.boxes.clear(); }
    void pagesAndBindings_data();
    void pagesAndBindings();
    void csvFlow();
    void currentItemWithoutSelection();
    void textFormatChecks();
    void sqlFlow();
    void xlsSimpleSelection();
    void driveNotReady();
    void menuOpensModalWizard();

private:
    UiServices services() { return {&m_messages, &m_desktop, &m_drives}; }
    QString root() const { return m_dir.filePath("store"); }
    QString outDir() const { return m_dir.path(); }
    void click(QWidget &w, const char *button)
    {
        auto *b = w.findChild<QPushButton *>(button);
        QVERIFY2(b && b->isVisible(), button);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    template <class T> T *child(QWidget &w, const char *name)
    {
        return w.findChild<T *>(QString::fromLatin1(name));
    }
    QString lastBox(const char *kind, const char *title)
    {
        if (m_messages.boxes.isEmpty())
            return {};
        const auto box = m_messages.boxes.takeLast();
        return box.kind == kind && box.title == title ? box.text : "(" + box.kind + ") " + box.text;
    }
    QByteArray engine(ExportFormat f, const QStringList &items, const ExportOptions &o)
    {
        const QString out = m_dir.filePath("engine.out");
        return exportDiscs(f, out, root() + "/cds", items, o).ok() ? readAll(out) : QByteArray();
    }

    QTemporaryDir m_dir;
    test::RecordingMessages m_messages;
    test::FakeDesktop m_desktop;
    FakeDriveProvider m_drives;
};

void TestExportWizards::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    QVERIFY(test::makeStore(root()));
}

void TestExportWizards::pagesAndBindings_data()
{
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<int>("selectionMode");
    QTest::addColumn<bool>("enterAndEsc");
    const QStringList two{"frameChoseXML", "frameChoseLocation"};
    QTest::newRow("frmCSV") << two << 3 << true;
    QTest::newRow("frmText") << QStringList{"frameChoseXML", "frmChoseFormat", "frameChoseLocation"}
                             << 3 << true;
    QTest::newRow("frmHTML") << two << 3 << true;
    QTest::newRow("frmSQL") << QStringList{"frameChoseSQL", "frameChoseXML", "frameFileLocation",
                                           "frameOption"}
                            << 3 << false;
    QTest::newRow("frmExportXLS") << QStringList{"formChoseXML", "frameChoseLocation"} << 2
                                  << false;
}

// Page order, the list's selection mode and the Enter binding of each wizard.
void TestExportWizards::pagesAndBindings()
{
    QFETCH(QStringList, pages);
    QFETCH(int, selectionMode);
    QFETCH(bool, enterAndEsc);
    const QString name = QTest::currentDataTag();
    std::unique_ptr<ExportWizard> w;
    if (name == "frmCSV")
        w = std::make_unique<frmCSV>(root(), services());
    else if (name == "frmText")
        w = std::make_unique<frmText>(root(), services());
    else if (name == "frmHTML")
        w = std::make_unique<frmHTML>(root(), services());
    else if (name == "frmSQL")
        w = std::make_unique<frmSQL>(root(), services());
    else
        w = std::make_unique<frmExportXLS>(root(), services());
    QCOMPARE(w->objectName(), name);
    QVERIFY(w->isModal());
    auto *stack = w->findChild<QStackedWidget *>();
    QStringList shown;
    for (int i = 0; i < stack->count(); ++i)
        shown << stack->widget(i)->objectName();
    QCOMPARE(shown, pages);
    auto *file1 = child<QListWidget>(*w, "File1");
    QCOMPARE(int(file1->selectionMode()), selectionMode);
    QCOMPARE(file1->count(), 2);
    QCOMPARE(child<QPushButton>(*w, "cmdNext")->isDefault(), enterAndEsc);
    w->show();
    QVERIFY(!child<QPushButton>(*w, "cmdFinish")->isVisible());
    QTest::keyClick(w.get(), Qt::Key_Escape);
    QCOMPARE(w->isVisible(), !enterAndEsc);
}

void TestExportWizards::csvFlow()
{
    frmCSV w(root(), services());
    w.show();
    click(w, "cmdNext");
    QCOMPARE(lastBox("error", "Error"), "You must select file.");
    auto *file1 = child<QListWidget>(w, "File1");
    file1->setCurrentRow(0);
    file1->item(1)->setSelected(true);
    click(w, "cmdNext");
    QVERIFY(child<QGroupBox>(w, "frameChoseLocation")->isVisible());
    QVERIFY(!child<QPushButton>(w, "cmdNext")->isVisible());
    QVERIFY(child<QCheckBox>(w, "chkTitle")->isChecked());
    click(w, "cmdFinish");
    QCOMPARE(lastBox("error", "Error"), "You must enter file name.");
    QVERIFY(w.isVisible());

    // Nothing is written among the disc files; the wizard stays open.
    w.setDestinationFolder(root() + "/cds");
    QTest::keyClicks(child<QLineEdit>(w, "txtFileName"), "out.csv");
    click(w, "cmdFinish");
    QVERIFY(
        lastBox("error", "Error").endsWith("out.csv.csv: it is one of Orlith's own store files"));
    QVERIFY(w.isVisible() && !QFile::exists(root() + "/cds/out.csv.csv"));

    w.setDestinationFolder(outDir());
    child<QCheckBox>(w, "chkTitle")->setChecked(false);
    click(w, "cmdFinish");
    QCOMPARE(lastBox("information", "Information"), "CSV file successfuly created.");
    QCOMPARE(w.result(), int(QDialog::Accepted));
    ExportOptions noTitle;
    noTitle.titleRow = false;
    QCOMPARE(readAll(outDir() + "/out.csv.csv"),
             engine(ExportFormat::Csv, {"CD1.xml", "cd2.xml"}, noTitle));
}

// Next passes on the current item alone; Finish then writes the head and tail only.
void TestExportWizards::currentItemWithoutSelection()
{
    frmHTML w(root(), services());
    w.show();
    auto *file1 = child<QListWidget>(w, "File1");
    file1->setCurrentRow(1);
    file1->clearSelection();
    click(w, "cmdNext");
    w.setDestinationFolder(outDir());
    child<QLineEdit>(w, "txtFileName")->setText("empty");
    click(w, "cmdFinish");
    QCOMPARE(lastBox("information", "Information"), "HTML file successfuly created.");
    QCOMPARE(readAll(outDir() + "/empty.html"), engine(ExportFormat::Html, {}, {}));
}

void TestExportWizards::textFormatChecks()
{
    frmText w(root(), services());
    w.show();
    child<QListWidget>(w, "File1")->setCurrentRow(1);
    click(w, "cmdNext");
    QVERIFY(child<QGroupBox>(w, "frmChoseFormat")->isVisible());
    auto *separator = child<QLineEdit>(w, "txtSeparator");
    auto *qualifier = child<QComboBox>(w, "comQualifier");
    // Button face while disabled, window colour while enabled, as painted.
    const auto background = [](QWidget *box) {
        return box->grab().toImage().pixelColor(box->width() / 3, box->height() / 2);
    };
    const QColor face = w.palette().color(QPalette::Button),
                 base = w.palette().color(QPalette::Base);
    QList<QColor> painted{background(separator), background(qualifier)};
    QVERIFY(child<QRadioButton>(w, "optComma")->isChecked());
    QVERIFY(!separator->isEnabled());
    QCOMPARE(separator->maxLength(), 1);
    child<QRadioButton>(w, "optOther")->click();
    QVERIFY(separator->isEnabled());
    click(w, "cmdNext2");
    QCOMPARE(lastBox("information", "Error"), "Please chose separator");
    QTest::keyClicks(separator, "|x");
    QCOMPARE(separator->text(), "|");
    QVERIFY(!qualifier->isEnabled());
    child<QCheckBox>(w, "chkDataQualifier")->click();
    QVERIFY(qualifier->isEnabled());
    painted << background(separator) << background(qualifier);
    QCOMPARE(painted, QList<QColor>({face, face, base, base}));
    click(w, "cmdNext2");
    QCOMPARE(lastBox("information", "Error"), "Please chose qualifier");
    QVERIFY(child<QGroupBox>(w, "frmChoseFormat")->isVisible());
    qualifier->setCurrentIndex(1);
    QTest::keyClicks(qualifier, "\"x"); // typed keys change nothing
    QCOMPARE(qualifier->currentText(), "'");
    click(w, "cmdNext2");
    QVERIFY(child<QPushButton>(w, "cmdFinish")->isVisible());
    w.setDestinationFolder(outDir());
    child<QLineEdit>(w, "txtFileName")->setText("t");
    click(w, "cmdFinish");
    QCOMPARE(lastBox("information", "Information"), "Text file successfuly created.");
    ExportOptions o;
    o.separator = '|';
    o.qualifier = '\'';
    QCOMPARE(readAll(outDir() + "/t.txt"), engine(ExportFormat::Text, {"cd2.xml"}, o));
}

void TestExportWizards::sqlFlow()
{
    frmSQL w(root(), services());
    w.show();
    QCOMPARE(w.destinationFolder(), root());
    QVERIFY(child<QRadioButton>(w, "optMySQL")->isChecked());
    child<QRadioButton>(w, "optMSSQL")->click();
    click(w, "cmdNext");
    click(w, "cmdNext2");
    QCOMPARE(lastBox("error", "Error"), "You must select file for export.");
    child<QListWidget>(w, "File1")->setCurrentRow(0);
    click(w, "cmdNext2");
    QVERIFY(child<QGroupBox>(w, "frmImeSQL"));
    click(w, "cmdNext3");
    QCOMPARE(lastBox("error", "Error"), "You must enter file name");
    w.setDestinationFolder(outDir());
    child<QLineEdit>(w, "txtSQLFileName")->setText("s");
    click(w, "cmdNext3");
    QVERIFY(child<QGroupBox>(w, "frameOption")->isVisible());

    auto *database = child<QLineEdit>(w, "txtdatabaseName");
    QCOMPARE(database->text(), "MyFiles");
    QVERIFY(!database->isEnabled() && !child<QLabel>(w, "lblDatabaseName")->isEnabled());
    database->setText("My Files");
    click(w, "cmdFinish");
    QCOMPARE(lastBox("error", "Error"), "Database name must not have blank spaces.");
    database->setText("Db");
    child<QCheckBox>(w, "chkCreateTable")->click();
    QVERIFY(child<QLineEdit>(w, "txtTableName")->isEnabled());
    click(w, "cmdFinish");
    QCOMPARE(lastBox("information", "Information"), "SQL file successfuly created.");
    ExportOptions o;
    o.dialect = SqlDialect::MsSql;
    o.createTable = true;
    o.databaseName = "Db";
    QCOMPARE(readAll(outDir() + "/s.sql"), engine(ExportFormat::Sql, {"CD1.xml"}, o));
}

void TestExportWizards::xlsSimpleSelection()
{
    frmExportXLS w(root(), services());
    w.show();
    auto *file1 = child<QListWidget>(w, "File1");
    // Each click toggles an item.
    for (int row : {0, 1, 0}) {
        const QRect r = file1->visualItemRect(file1->item(row));
        QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, r.center());
    }
    QCOMPARE(w.selectedItems(), QStringList{"cd2.xml"});
    click(w, "cmdNext");
    w.setDestinationFolder(outDir());
    child<QLineEdit>(w, "txtFileName")->setText("x");
    click(w, "cmdFinish");
    QCOMPARE(lastBox("information", "Information"), "XLS file successfuly created.");
    QCOMPARE(readAll(outDir() + "/x.xls"), engine(ExportFormat::Xls, {"cd2.xml"}, {}));
}

void TestExportWizards::driveNotReady()
{
    QDir().mkpath(m_dir.filePath("cdrom"));
    QDir().mkpath(m_dir.filePath("usb"));
    m_drives.clear();
    m_drives.addDrive(m_dir.filePath("cdrom"));
    m_drives.setMedia(m_dir.filePath("cdrom"), false);
    m_drives.addDrive(m_dir.filePath("usb"));
    frmCSV w(root(), services());
    w.show();
    const QString before = w.destinationFolder();
    auto *drive1 = child<QComboBox>(w, "Drive1");
    QVERIFY(drive1->findText("/") >= 0);
    drive1->setCurrentIndex(drive1->findText(m_dir.filePath("cdrom")));
    QCOMPARE(lastBox("error", "Error"), "Drive is not ready. 68");
    QCOMPARE(w.destinationFolder(), before);
    QCOMPARE(drive1->currentText(), m_dir.filePath("cdrom"));
    drive1->setCurrentIndex(drive1->findText(m_dir.filePath("usb")));
    QVERIFY(m_messages.boxes.isEmpty());
    QCOMPARE(w.destinationFolder(), m_dir.filePath("usb"));
    m_drives.clear();
}

void TestExportWizards::menuOpensModalWizard()
{
    Form1 form(root(), services());
    form.show();
    form.resize(900, 700);
    QString opened;
    QPoint offset;
    QTimer::singleShot(0, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        opened = modal ? modal->objectName() : QString();
        if (modal) {
            // Centred on the main window.
            offset = modal->frameGeometry().center() - form.frameGeometry().center();
            child<QPushButton>(*modal, "cmdCancel")->click();
        }
    });
    form.findChild<QAction *>("mnuText")->trigger();
    QCOMPARE(opened, "frmText");
    QVERIFY2(offset.manhattanLength() <= 2,
             qPrintable(QString("%1,%2").arg(offset.x()).arg(offset.y())));
}

QTEST_MAIN(TestExportWizards)
#include "tst_export_wizards.moc"
