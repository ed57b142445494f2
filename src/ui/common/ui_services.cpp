// Orlith — desktop catalogue of removable media.
#include "ui/common/ui_services.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
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

class QtDesktopServices final : public DesktopServices
{
public:
    bool openDocument(const QString &path) override
    {
        if (!QFileInfo(path).isFile())
            return false;
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
    bool openFolder(const QString &path) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
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
