// Orlith — desktop catalogue of removable media.
// The desktop program: resolves the data folder and opens the main window.
#include "ui/main/form1_window.h"
#include "core/store/index_loader.h"
#include "core/store/program_folder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QMessageBox>

#include <cstring>
#include <optional>

namespace {

// The data folder as the command line will resolve it, found before Qt starts so that the
// store can be read meanwhile. Only the plain forms of --data-dir are looked for: when the
// parser later resolves another folder, this guess is dropped and the store read again.
QString expectedProgramFolder(int argc, char *argv[])
{
    QString dataDir;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--data-dir") == 0 && i + 1 < argc)
            dataDir = QString::fromLocal8Bit(argv[++i]);
        else if (std::strncmp(argv[i], "--data-dir=", 11) == 0)
            dataDir = QString::fromLocal8Bit(argv[i] + 11);
    }
    const QString executableFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return orlith::resolveProgramFolder(dataDir, executableFolder);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setApplicationName(QStringLiteral("Orlith"));
    std::optional<orlith::IndexLoader> early(std::in_place, expectedProgramFolder(argc, argv));

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
    // process() ends the program for --help, --version and a mistaken option. The store's
    // reading must end first: exit() would tear Qt down under the loader's thread.
    if (!parser.parse(QApplication::arguments()) || parser.isSet(QStringLiteral("help"))
        || parser.isSet(QStringLiteral("help-all")) || parser.isSet(QStringLiteral("version")))
        early.reset();
    parser.process(app);

    const QString folder =
        orlith::resolveProgramFolder(parser.value(dataDir), QApplication::applicationDirPath());
    if (orlith::StoreResult r = orlith::ensureStoreFolders(folder); !r) {
        QMessageBox::critical(nullptr, QStringLiteral("Error"), r.error);
        return 1;
    }
    if (!early || early->programFolder() != folder)
        early.emplace(folder);
    orlith::Form1 window(std::move(*early));
    window.show();
    return app.exec();
}
