// Orlith — desktop catalogue of removable media.
// The window's long jobs beside `orlith-cli` doing the same job on the same data, in one
// run: quick find over 500 discs x 2,000 entries (rare and common text), the search
// window's search, the capture of a 100,000-file folder chosen through "Other folder...",
// and a quick find saved as a disc. For each: the time to the job's end, and the longest
// stall of the window's event loop (how late a 10 ms timer fired at worst).
// Targets: window <= 1.5 x CLI + 0.2 s; longest stall <= 100 ms.
// Usage: orlith-bench-window [DISCS] [ENTRIES] [FILES]   (defaults 500, 2000, 100000)
//        orlith-bench-window --store DIR   quick find over the store in DIR (the
//        10,000,000-entry one of orlith-bench-index) once the window has built its search index
// Offscreen unless a display is set: `xvfb-run orlith-bench-window` paints for real.
#include "bench_timing.h"
#include "store_generator.h"

#include "core/capture/drives.h"
#include "core/search/index_updater.h"
#include "ui/capture/new_disc_dialog.h"
#include "ui/common/ui_services.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/file_list_model.h"
#include "ui/main/main_window.h"
#include "ui/search/search_window.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace orlith;

namespace {

constexpr double kTargetRatio = 1.5;
constexpr double kTargetExtraMs = 200;
constexpr double kTargetStallMs = 100;

// A message box would wait for a click that never comes; say it on stderr instead.
class PrintedMessages : public MessageSink
{
public:
    void error(QWidget *, const QString &title, const QString &text) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
    void information(QWidget *, const QString &, const QString &) override {}
    Answer question(QWidget *, const QString &, const QString &, Buttons, Icon) override
    {
        return Answer::Yes;
    }
};

// The desktop's folder chooser answers the folder to capture.
class ChosenFolder : public DesktopServices
{
public:
    QString folder;
    bool openDocument(const QString &) override { return true; }
    bool openFolder(const QString &) override { return true; }
    bool openUrl(const QString &) override { return true; }
    void setClipboard(QMimeData *) override {}
    QString chooseFolder(QWidget *, const QString &) override { return folder; }
};

// How late a 10 ms timer fires at worst while the window's event loop runs a job.
class StallMeter
{
public:
    StallMeter()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    }
    void start()
    {
        m_worst = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    double stop()
    {
        tick();
        m_timer.stop();
        return m_worst;
    }

private:
    void tick()
    {
        const double now = double(m_clock.nsecsElapsed()) / 1e6;
        m_worst = std::max(m_worst, now - m_last - 10);
        m_last = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_last = 0;
    double m_worst = 0;
};

// Runs `start` and the event loop until `signal` of `sender` arrives.
template <typename Sender, typename Signal>
double runUntil(Sender *sender, Signal signal, const std::function<void()> &start,
                StallMeter &stalls, double &stall)
{
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, &QEventLoop::quit);
    QElapsedTimer t;
    stalls.start();
    t.start();
    QTimer::singleShot(0, [&] { start(); });
    loop.exec();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    stall = stalls.stop();
    return ms;
}

double cli(const QString &data, const QStringList &args, const QString &out)
{
    QProcess p;
    p.setStandardOutputFile(out);
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(ORLITH_CLI), QStringList{QStringLiteral("--data-dir"), data} + args);
    p.waitForFinished(-1);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (p.exitCode() != 0)
        std::fprintf(stderr, "orlith-cli %s failed\n", qPrintable(args.join(QLatin1Char(' '))));
    return ms;
}

// Answers the next new-disc dialog with `name` in the first catalog and, for a capture,
// "Other folder..." (the chooser gives the folder).
void answerNewDisc(const QString &name, bool chooseFolder)
{
    QTimer::singleShot(0, [name, chooseFolder] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *d = qobject_cast<NewDiscDialog *>(w);
            if (!d || !d->isVisible())
                continue;
            d->findChild<QLineEdit *>(QStringLiteral("txtNewCDName"))->setText(name);
            d->findChild<QComboBox *>(QStringLiteral("comCDCat"))->setCurrentIndex(1);
            if (chooseFolder) {
                auto *drives = d->findChild<QComboBox *>(QStringLiteral("comCDROMs"));
                drives->setCurrentIndex(drives->count() - 1);
                emit drives->activated(drives->count() - 1);
            }
            d->checkAndAccept();
        }
    });
}

void row(const char *what, double window, double stall, double cliMs)
{
    const double limit = kTargetRatio * cliMs + kTargetExtraMs;
    const bool ok = window <= limit && stall <= kTargetStallMs;
    std::printf("%-30s window %8.1f ms  stall %6.1f ms  cli %8.1f ms  (limit %.0f ms, stall <= "
                "%.0f) %s\n",
                what, window, stall, cliMs, limit, kTargetStallMs, ok ? "ok" : "SLOW");
}

struct Find
{
    const char *label;
    const char *text;
};

void quickFinds(MainWindow &form, const QString &data, const QString &out,
                std::initializer_list<Find> finds, StallMeter &stalls)
{
    auto *find = form.findChild<QLineEdit *>(QStringLiteral("txtFind"));
    form.tree().selectNode(QStringLiteral("katalog"));
    for (const Find &f : finds) {
        find->setText(QString::fromUtf8(f.text));
        double window = 1e300, worst = 0, cliMs = 1e300;
        for (int i = 0; i < 3; ++i) {
            double s = 0;
            window = std::min(window, runUntil(
                                          &form, &MainWindow::listSearchFinished,
                                          [&] { form.findFiles(); }, stalls, s));
            worst = std::max(worst, s);
            cliMs = std::min(cliMs, cli(data, {QStringLiteral("find"), find->text()}, out));
        }
        std::printf("%s \"%s\": %d hits\n", f.label, f.text, form.listModel().rowCount());
        row(f.label, window, worst, cliMs);
    }
}

// Quick find in a window over a large store the user already has, with its search index.
int largeStore(const QString &data)
{
    QTemporaryDir work;
    const QString out = work.filePath(QStringLiteral("cli.out"));
    PrintedMessages messages;
    ChosenFolder desktop;
    FakeDriveProvider drives;
    QElapsedTimer opening;
    opening.start();
    MainWindow form(data, UiServices{&messages, &desktop, &drives});
    form.show();
    std::printf("window open in %.0f ms\n", double(opening.nsecsElapsed()) / 1e6);
    // The window brings the index up to date behind itself first (builds it when missing).
    auto *updater = form.findChild<SearchIndexUpdater *>();
    if (updater && updater->running()) {
        QEventLoop loop;
        QObject::connect(updater, &SearchIndexUpdater::updated, &loop, &QEventLoop::quit);
        loop.exec();
    }
    std::printf("search index ready after %.1f s\n", double(opening.nsecsElapsed()) / 1e9);
    StallMeter stalls;
    quickFinds(form, data, out,
               {{"10M, quick find, rare text", "Holiday 7/Clip031"},
                {"10M, quick find, common text", "Archive 3"},
                {"10M, quick find, Cyrillic text", "Концерт 24"}},
               stalls);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc == 3 && qstrcmp(argv[1], "--store") == 0)
        return largeStore(QString::fromLocal8Bit(argv[2]));
    const int discs = argc > 1 ? std::atoi(argv[1]) : 500;
    const int entries = argc > 2 ? std::atoi(argv[2]) : 2000;
    const int files = argc > 3 ? std::atoi(argv[3]) : 100000;

    QTemporaryDir work;
    const QString data = work.filePath(QStringLiteral("data"));
    const QString tree = work.filePath(QStringLiteral("tree"));
    const QString out = work.filePath(QStringLiteral("cli.out"));
    std::printf("generating %d disc files of %d entries and a tree of %d files...\n", discs,
                entries, files);
    if (!bench::generateStore(data, discs, entries) || !bench::generateTree(tree, files))
        return 1;

    PrintedMessages messages;
    ChosenFolder desktop;
    desktop.folder = tree;
    FakeDriveProvider drives;
    MainWindow form(data, UiServices{&messages, &desktop, &drives});
    form.show();
    StallMeter stalls;
    double stall = 0;

    quickFinds(form, data, out,
               {{"quick find, rare text", "install040.iso"}, {"quick find, common text", "photos"}},
               stalls);
    auto *find = form.findChild<QLineEdit *>(QStringLiteral("txtFind"));

    form.showSearch();
    auto *search = qobject_cast<SearchWindow *>(form.searchWindow());
    search->findChild<QLineEdit *>(QStringLiteral("txtSearchString"))
        ->setText(QStringLiteral("photos"));
    double window = runUntil(
        search, &SearchWindow::searchFinished, [&] { search->startSearch(); }, stalls, stall);
    double cliMs = cli(
        data, {QStringLiteral("search"), QStringLiteral("--text"), QStringLiteral("photos")}, out);
    std::printf("search window \"photos\": %d hits\n", form.listModel().rowCount());
    row("search window", window, stall, cliMs);
    search->close();

    // Capture: the window through "Other folder...", the command line on the same folder;
    // interleaved, best of three, so that neither gets a quieter machine or a warmer cache.
    window = cliMs = 1e300;
    stall = 0;
    for (int i = 0; i < 3; ++i) {
        double s = 0;
        window = std::min(window, runUntil(
                                      &form, &MainWindow::captureFinished,
                                      [&] {
                                          answerNewDisc(QStringLiteral("Window capture %1").arg(i),
                                                        /*chooseFolder=*/true);
                                          form.captureDisc();
                                      },
                                      stalls, s));
        stall = std::max(stall, s);
        cliMs =
            std::min(cliMs, cli(data,
                                {QStringLiteral("capture"), QStringLiteral("--catalog"),
                                 form.tree().catalogsInOrder().first(), QStringLiteral("--name"),
                                 QStringLiteral("CLI capture %1").arg(i), tree},
                                out));
    }
    std::printf("capture: %d files\n", form.listModel().rowCount());
    row("capture", window, stall, cliMs);

    // Save list: a quick find and its hits saved as a disc, against `find --save-as`.
    const QString catalog = form.tree().catalogsInOrder().first();
    find->setText(QStringLiteral("photos"));
    QElapsedTimer both;
    both.start();
    double findStall = 0;
    runUntil(
        &form, &MainWindow::listSearchFinished, [&] { form.findFiles(); }, stalls, findStall);
    runUntil(
        &form, &MainWindow::saveFinished,
        [&] {
            answerNewDisc(QStringLiteral("Window save"), /*chooseFolder=*/false);
            form.saveList();
        },
        stalls, stall);
    window = double(both.nsecsElapsed()) / 1e6;
    cliMs = cli(data,
                {QStringLiteral("find"), QStringLiteral("photos"), QStringLiteral("--save-as"),
                 QStringLiteral("CLI save"), QStringLiteral("--catalog"), catalog},
                out);
    std::printf("save list: %d rows\n", form.listModel().rowCount());
    row("quick find + save list", window, std::max(stall, findStall), cliMs);
    return 0;
}
