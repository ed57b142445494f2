// Orlith — desktop catalogue of removable media.
// The desktop program: resolves the data folder and opens the main window.
#include "core/store/program_folder.h"
#include "ui/main/main_window.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

int main(int argc, char *argv[])
{
    QApplication::setApplicationName(QStringLiteral("Orlith"));
    QApplication app(argc, argv);
    // Lets Wayland desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.orlith.Orlith"));
    QApplication::setApplicationVersion(QStringLiteral(ORLITH_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Orlith, a catalogue of removable media."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                     QStringLiteral("Keep the catalogue in DIR."),
                                     QStringLiteral("DIR"));
    parser.addOption(dataDir);
    parser.process(app);

    const QString folder =
        orlith::resolveProgramFolder(parser.value(dataDir), QApplication::applicationDirPath());
    if (orlith::StoreResult r = orlith::ensureStoreFolders(folder); !r) {
        QMessageBox::critical(nullptr, QStringLiteral("Error"), r.error);
        return 1;
    }
    // The window reads the store on a second thread while it builds its widgets.
    orlith::MainWindow window(folder);
    window.show();
    return app.exec();
}
