// Orlith — desktop catalogue of removable media.
// The desktop program: resolves the data folder and opens the main window.
#include "core/store/program_folder.h"
#include "ui/main/main_window.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

namespace {

const QCommandLineOption &dataDirOption()
{
    static const QCommandLineOption option(QStringLiteral("data-dir"),
                                           QStringLiteral("Keep the catalogue in DIR."),
                                           QStringLiteral("DIR"));
    return option;
}

void describeOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("Orlith, a catalogue of removable media."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(dataDirOption());
}

// Whether the command line asks only for text: the help or the version.
bool asksForText(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        if (arg == "--")
            break;
        for (const char *text : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
            if (arg == text)
                return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Orlith"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORLITH_VERSION));
    // The help and the version need no display: they are answered before the window
    // system is opened, which would end the program where there is none.
    if (asksForText(argc, argv)) {
        QCoreApplication textOnly(argc, argv);
        QCommandLineParser parser;
        describeOptions(parser);
        parser.process(textOnly); // prints and exits; returns when "-h" was an option's value
    }

    QApplication app(argc, argv);
    // Lets Wayland desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.orlith.Orlith"));

    QCommandLineParser parser;
    describeOptions(parser);
    parser.process(app);

    const QString folder = orlith::resolveProgramFolder(parser.value(dataDirOption()),
                                                        QApplication::applicationDirPath());
    if (orlith::StoreResult r = orlith::ensureStoreFolders(folder); !r) {
        QMessageBox::critical(nullptr, QStringLiteral("Error"), r.error);
        return 1;
    }
    // The window reads the store on a second thread while it builds its widgets.
    orlith::MainWindow window(folder);
    window.show();
    return app.exec();
}
