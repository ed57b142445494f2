// Orlith — desktop catalogue of removable media.
#include "ui/common/ui_services.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace orlith {

namespace {

class QtMessageSink final : public MessageSink
{
public:
    void error(QWidget *parent, const QString &title, const QString &text) override
    {
        QMessageBox::warning(parent, title, text);
    }
    void information(QWidget *parent, const QString &title, const QString &text) override
    {
        QMessageBox::information(parent, title, text);
    }
    Answer question(QWidget *parent, const QString &title, const QString &text, Buttons buttons,
                    Icon icon) override
    {
        const QMessageBox::StandardButtons shown = buttons == Buttons::OkCancel
                                                       ? QMessageBox::Ok | QMessageBox::Cancel
                                                       : QMessageBox::Yes | QMessageBox::No;
        const QMessageBox::StandardButton answer =
            icon == Icon::Information ? QMessageBox::information(parent, title, text, shown)
                                      : QMessageBox::question(parent, title, text, shown);
        switch (answer) {
        case QMessageBox::Yes:
        case QMessageBox::Ok:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
        }
    }
};

// QDesktopServices only says whether xdg-open started; xdg-open's exit status says whether
// a program took the file (0) or not (3: none found, 4: it failed to run). So xdg-open is
// run here and a late failure is reported when it ends, instead of being lost.
bool openLocalFile(const QString &path)
{
    const QUrl url = QUrl::fromLocalFile(path);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return QDesktopServices::openUrl(url);
    auto *process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(opener, {url.toString()});
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    QObject::connect(process, &QProcess::finished, process,
                     [process, path](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status == QProcess::NormalExit && code == 0)
                             return;
                         defaultMessageSink().error(
                             QApplication::activeWindow(), QString::fromLatin1(kErrorTitle),
                             QObject::tr("Cannot open %1:\nthe desktop has no program for it, "
                                         "or that program failed to run.")
                                 .arg(path));
                     });
    return true;
}

class QtDesktopServices final : public DesktopServices
{
public:
    bool openDocument(const QString &path) override
    {
        if (!QFileInfo(path).isFile())
            return false;
        return openLocalFile(path);
    }
    bool openFolder(const QString &path) override { return openLocalFile(path); }
    bool openUrl(const QString &address) override
    {
        return QDesktopServices::openUrl(QUrl(address));
    }
    void setClipboard(QMimeData *data) override
    {
        if (QClipboard *clipboard = QGuiApplication::clipboard())
            clipboard->setMimeData(data);
        else
            delete data;
    }
    QString chooseFolder(QWidget *parent, const QString &title) override
    {
        return QFileDialog::getExistingDirectory(parent, title);
    }
    QString chooseImage(QWidget *parent, const QString &title) override
    {
        return QFileDialog::getOpenFileName(
            parent, title, QString(),
            QObject::tr("Disc images and archives (*.iso *.img *.zip *.7z *.tar *.tgz *.tar.gz "
                        "*.tar.bz2 *.tar.xz *.tar.zst);;All files (*)"));
    }
};

} // namespace

MessageSink &defaultMessageSink()
{
    static QtMessageSink sink;
    return sink;
}

DesktopServices &defaultDesktopServices()
{
    static QtDesktopServices services;
    return services;
}

} // namespace orlith
