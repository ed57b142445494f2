// Orlith — desktop catalogue of removable media.
#include "core/settings/settings_record.h"
#include "core/store/text_codec.h"

#include "core/core_fixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace orlith;
using namespace Qt::StringLiterals;
using namespace orlith::test;

namespace {

const std::array<QString, kCategoryCount> kColours{"255",     "65280",    "16711680",   u"é"_s,
                                                   "8421504", "16777215", "-2147483627"};
const SettingsRecord kFull{"True", "False",   "1",      "0",       u"14 березня 2004"_s,
                           "30",   "1",       -32768,   INT32_MIN, 2400,
                           9000,   INT32_MAX, kColours, u"1"_s,    u"1"_s};

// One switch per pair of texts the file holds for on and off.
struct Switch
{
    const char *name;
    QString SettingsRecord::*field;
    bool (SettingsRecord::*get)() const;
    void (SettingsRecord::*set)(bool);
    const char *on;
    const char *off;
};
const Switch kSwitches[] = {
    {"open file", &SettingsRecord::openFileSetting, &SettingsRecord::opensFile,
     &SettingsRecord::setOpensFile, "True", "False"},
    {"tips", &SettingsRecord::tipsAtStartSetting, &SettingsRecord::tipsAtStart,
     &SettingsRecord::setTipsAtStart, "1", "0"},
    // Off leaves our own field out of the file.
    {"archives", &SettingsRecord::lookInsideArchivesSetting, &SettingsRecord::looksInsideArchives,
     &SettingsRecord::setLooksInsideArchives, "1", ""},
};

// End offset of each field in the file, worked out from the layout rather than the writer.
QList<qsizetype> fieldEnds(const SettingsRecord &r)
{
    QList<qsizetype> ends;
    qsizetype at = 0;
    for (const auto &[name, value] : describeSettings(r)) {
        if (name == "detailsCollapsedSetting")
            at += 2;
        else if (name == "Top" || name == "Left" || name == "Height" || name == "Width")
            at += 4;
        else
            at += 2 + encodeSingleByte(value).size();
        ends.append(at);
    }
    return ends;
}

} // namespace

class TestSettingsRecord : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.emplace().isValid()); }

    void roundTripAndLayout()
    {
        QVERIFY(saveSettings(dataIni(), kFull).ok());
        SettingsRecord loaded;
        loaded.openFileSetting = "stale"; // must be replaced, not merged
        QVERIFY(loadSettings(dataIni(), loaded).ok());
        QCOMPARE(describeSettings(loaded), describeSettings(kFull));
        SettingsRecord small;
        small.openFileSetting = "True";
        small.detailsCollapsedSetting = 0x0102;
        small.Top = -2;
        small.Width = 0x01020304;
        small.categoryColorSettings[0] = u"é"_s;
        small.categoryColorSettings[6] = "-2147483627";
        QVERIFY(saveSettings(dataIni(), small).ok());
        const QByteArray want = QByteArray("\x04\x00True", 6) + QByteArray(12, '\0') +
                                QByteArray("\x02\x01\xfe\xff\xff\xff", 6) + QByteArray(8, '\0') +
                                QByteArray("\x04\x03\x02\x01\x01\x00\xe9", 7) +
                                QByteArray(10, '\0') + QByteArray("\x0b\x00-2147483627", 13);
        QCOMPARE(readAll(dataIni()), want);
    }

    void missingFileIsCreatedEmpty()
    {
        SettingsRecord r = kFull;
        QVERIFY(loadSettings(dataIni(), r).ok());
        QVERIFY(QFileInfo(dataIni()).isFile() && readAll(dataIni()).isEmpty());
        QVERIFY(r == SettingsRecord());
        // A folder where the file should be can be neither read nor created.
        QVERIFY(QFile::remove(dataIni()) && QDir(m_dir->path()).mkdir("Data.ini"));
        r = kFull;
        const StoreResult failed = loadSettings(dataIni(), r);
        QVERIFY(!failed.ok() && failed.error.contains(dataIni()));
        QVERIFY(r == SettingsRecord());
    }

    void everyTruncationKeepsCompleteFields()
    {
        QVERIFY(saveSettings(dataIni(), kFull).ok());
        const QByteArray bytes = readAll(dataIni()) + "trailing junk";
        const QList<qsizetype> ends = fieldEnds(kFull);
        const auto fullFields = describeSettings(kFull);
        const auto emptyFields = describeSettings(SettingsRecord());
        for (qsizetype len = 0; len <= bytes.size(); ++len) {
            QVERIFY(writeAll(dataIni(), bytes.left(len)));
            SettingsRecord loaded = kFull;
            QVERIFY(loadSettings(dataIni(), loaded).ok());
            const auto fields = describeSettings(loaded);
            for (qsizetype i = 0; i < fields.size(); ++i)
                QVERIFY2(fields.at(i) == (ends.at(i) <= len ? fullFields : emptyFields).at(i),
                         qPrintable(u"length %1: %2"_s.arg(len).arg(i)));
        }
    }

    void failedSaveKeepsOldFile()
    {
        SettingsRecord record = kFull;
        QVERIFY(saveSettings(dataIni(), record).ok());
        const QByteArray before = readAll(dataIni());
        record.archiveDateSetting = QString(65536, 'x'); // one byte too long for its count
        const StoreResult r = saveSettings(dataIni(), record);
        QVERIFY(r.error.startsWith(u"Cannot write %1:\n"_s.arg(dataIni())) &&
                r.error.contains("archiveDateSetting"));
        QCOMPARE(readAll(dataIni()), before);
        record.archiveDateSetting = QString(65535, 'x'); // the longest text that fits
        QVERIFY(saveSettings(dataIni(), record).ok());
        SettingsRecord loaded;
        QVERIFY(loadSettings(dataIni(), loaded).ok());
        QVERIFY(loaded == record);
    }

    // Each switch writes its own texts, and only the exact "on" text reads as on, as every
    // reader of the file has it.
    void switchesKeepTheirTexts()
    {
        for (const Switch &s : kSwitches) {
            SettingsRecord r;
            QCOMPARE((r.*s.get)(), s.field == &SettingsRecord::openFileSetting); // a first start
            (r.*s.set)(true);
            const QString on = r.*s.field;
            (r.*s.set)(false);
            QCOMPARE(QStringList({on, r.*s.field}), QStringList({s.on, s.off}));
            for (const QString &text : {on, on.toLower() + ' ', u"yes"_s}) {
                r.*s.field = text;
                QVERIFY2((r.*s.get)() == (text == on), s.name);
            }
        }
    }

private:
    QString dataIni() const { return m_dir->filePath(u"Data.ini"_s); }
    std::optional<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestSettingsRecord)
#include "tst_settings_record.moc"
