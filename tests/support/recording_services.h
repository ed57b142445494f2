// Orlith — desktop catalogue of removable media.
#pragma once

#include "ui/common/ui_services.h"

#include <QMimeData>
#include <QStringList>

#include <memory>

namespace orlith::test {

// Records every message box instead of showing it; questions take `answers` in turn, then Yes.
class RecordingMessages final : public MessageSink
{
public:
    struct Box
    {
        QString kind, title, text; // kind: "error", "information" or "question"
    };

    void error(QWidget *, const QString &title, const QString &text) override
    {
        boxes.append({QStringLiteral("error"), title, text});
    }
    void information(QWidget *, const QString &title, const QString &text) override
    {
        boxes.append({QStringLiteral("information"), title, text});
    }
    Answer question(QWidget *, const QString &title, const QString &text, Buttons, Icon) override
    {
        boxes.append({QStringLiteral("question"), title, text});
        return answers.isEmpty() ? Answer::Yes : answers.takeFirst();
    }

    QStringList texts() const
    {
        QStringList out;
        for (const Box &b : boxes)
            out << b.text;
        return out;
    }

    QList<Box> boxes;
    QList<Answer> answers;
};

// Records what would be opened, keeps the clipboard; the choosers answer as set.
class FakeDesktop final : public DesktopServices
{
public:
    bool openDocument(const QString &path) override { return (documents << path, true); }
    bool openFolder(const QString &path) override { return (folders << path, true); }
    bool openUrl(const QString &) override { return true; }
    void setClipboard(QMimeData *data) override { clipboard.reset(data); }
    QString chooseFolder(QWidget *, const QString &) override { return folderToChoose; }
    QString chooseImage(QWidget *, const QString &) override { return imageToChoose; }

    QStringList documents, folders;
    QString folderToChoose; // the chooser's answer; empty is Cancel
    QString imageToChoose;  // the image chooser's answer; empty is Cancel
    std::unique_ptr<QMimeData> clipboard;
};

} // namespace orlith::test
