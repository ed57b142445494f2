// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/capture/drives.h"

#include <QString>

class QMimeData;
class QWidget;

namespace orlith {

// The title of every box that reports a failure the user can mend.
inline constexpr char kErrorTitle[] = "Error";

// Modal message boxes and questions go through here, so widget tests can record them and
// answer questions without blocking. Titles and texts are shown exactly as given.
class MessageSink
{
public:
    enum class Answer { Yes, No, Cancel };
    // OK answers Yes; Cancel (or closing the box) answers Cancel.
    enum class Buttons { YesNo, OkCancel };
    enum class Icon { Question, Information };

    virtual ~MessageSink() = default;
    // Exclamation icon: a failure the user can mend.
    virtual void error(QWidget *parent, const QString &title, const QString &text) = 0;
    // Information icon.
    virtual void information(QWidget *parent, const QString &title, const QString &text) = 0;
    virtual Answer question(QWidget *parent, const QString &title, const QString &text,
                            Buttons buttons = Buttons::YesNo, Icon icon = Icon::Question) = 0;
};

// What the desktop does for us: open documents, folders and addresses, the clipboard, and
// the folder chooser.
class DesktopServices
{
public:
    virtual ~DesktopServices() = default;
    // Opens an existing normal file with its associated program; false when there is none.
    virtual bool openDocument(const QString &path) = 0;
    virtual bool openFolder(const QString &path) = 0;
    virtual bool openUrl(const QString &address) = 0;
    // Takes ownership of the data.
    virtual void setClipboard(QMimeData *data) = 0;
    // Asks for an existing folder; empty when the user cancels.
    virtual QString chooseFolder(QWidget *parent, const QString &title) = 0;
    // Asks for an existing disc image or archive file; empty when the user cancels.
    virtual QString chooseImage(QWidget *parent, const QString &title)
    {
        (void)parent;
        (void)title;
        return {};
    }
};

// The real ones: QMessageBox, QDesktopServices and the application clipboard.
MessageSink &defaultMessageSink();
DesktopServices &defaultDesktopServices();

// The services together, handed to every window.
struct UiServices
{
    MessageSink *messages = &defaultMessageSink();
    DesktopServices *desktop = &defaultDesktopServices();
    DriveProvider *drives = &systemDriveProvider();
};

} // namespace orlith
