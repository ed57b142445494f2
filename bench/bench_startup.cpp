// Orlith — desktop catalogue of removable media.
// Start-up of the main window over an existing store, then the listing of its largest disc
// file. Run it with QT_QPA_PLATFORM=offscreen under /usr/bin/time -v for the peak memory;
// scripts/large-store-check.sh does and compares both with their targets.
// Usage: orlith-bench-startup DATA_DIR
#include "core/store/program_folder.h"
#include "ui/common/ui_services.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/file_list_model.h"
#include "ui/main/main_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTableView>
#include <QWindow>

#include <chrono>
#include <cstdio>

using namespace orlith;

namespace {

// A message box would wait for a click that never comes; say it on stderr instead.
class PrintedMessages : public MessageSink
{
public:
    void error(QWidget *, const QString &title, const QString &text) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        ++errors;
    }
    void information(QWidget *, const QString &title, const QString &text) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
    Answer question(QWidget *, const QString &title, const QString &text, Buttons, Icon) override
    {
        std::fprintf(stderr, "%s: %s (answered No)\n", qPrintable(title), qPrintable(text));
        return Answer::No;
    }
    int errors = 0;
};

// The disc whose file is the largest: its name and its size in bytes.
QPair<QString, qint64> largestDisc(const QString &programFolder)
{
    const QFileInfoList files =
        QDir(cdsFolder(programFolder))
            .entryInfoList({QStringLiteral("*.xml")}, QDir::Files, QDir::Size);
    if (files.isEmpty())
        return {};
    return {files.first().completeBaseName(), files.first().size()};
}

// Lets the window system and the paint events run until nothing is left to do.
void settle(QWidget &window)
{
    QApplication::processEvents();
    QWindow *handle = window.windowHandle();
    QElapsedTimer wait;
    wait.start();
    while (handle && !handle->isExposed() && wait.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    QApplication::processEvents();
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (argc != 2 || !QFileInfo(QString::fromLocal8Bit(argv[1])).isDir()) {
        std::fprintf(stderr, "usage: orlith-bench-startup DATA_DIR\n");
        return 2;
    }
    // As the desktop program does: the store is read while the window is built.
    const QString folder = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orlith"));
    PrintedMessages messages;
    UiServices services;
    services.messages = &messages;
    MainWindow window(folder, services);
    window.show();
    settle(window);
    const double shownMs = double(sinceStart.nsecsElapsed()) / 1e6;
    // Wall-clock time, so the caller can measure from before the process was started.
    const auto shownAt = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now().time_since_epoch());

    const auto [disc, discBytes] = largestDisc(folder);
    if (disc.isEmpty()) {
        std::fprintf(stderr, "%s holds no disc files\n", qPrintable(cdsFolder(folder)));
        return 1;
    }
    QElapsedTimer listing;
    listing.start();
    window.tree().selectNode(disc);
    window.listSelectedDisc();
    settle(window);
    const double listMs = double(listing.nsecsElapsed()) / 1e6;

    const qsizetype rows = window.listModel().rowCount();
    std::printf("discs %lld\n", static_cast<long long>(window.index().allDiscs().size()));
    std::printf("shown_ms %.1f\n", shownMs);
    std::printf("shown_at_epoch_us %lld\n", static_cast<long long>(shownAt.count()));
    std::printf("largest_disc %s\n", qPrintable(disc));
    std::printf("largest_disc_bytes %lld\n", static_cast<long long>(discBytes));
    std::printf("listed_rows %lld\n", static_cast<long long>(rows));
    std::printf("list_ms %.1f\n", listMs);
    std::fflush(stdout);
    // A disc that listed nothing, or an error box, is a failure of the check.
    return rows > 0 && messages.errors == 0 ? 0 : 1;
}
