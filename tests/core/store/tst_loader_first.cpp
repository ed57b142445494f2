// Orlith — desktop catalogue of removable media.
// The desktop program starts reading the store before QApplication exists. The reading
// uses Qt on its own thread, and Qt takes the first thread that uses it for its main
// thread: the application must still end up on the thread that made it. A plain main, since
// the point is what happens before any application object.
#include "core/store/index_loader.h"
#include "core/store/program_folder.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orlith;

namespace {

int fail(const char *what)
{
    std::fprintf(stderr, "FAIL: %s\n", what);
    return 1;
}

// Qt says so when the application is made on another thread than the one it took for main.
bool warnedOfThread = false;

void recordMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
    if (message.contains(QLatin1String("main() thread")))
        warnedOfThread = true;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir dir;
    if (!dir.isValid() || !ensureStoreFolders(dir.path()).ok())
        return fail("no temporary store");
    // The catalog order file is a pipe: the loader's thread opens it through a QFile, and so
    // has used Qt, then waits in the open until this thread opens the other end.
    const QByteArray order = QFile::encodeName(catalogOrderPath(dir.path()));
    if (::mkfifo(order.constData(), 0600) != 0)
        return fail("cannot make a pipe");

    IndexLoader loader(dir.path());
    int writer = -1;
    for (int tries = 0; writer < 0 && tries < 10000; ++tries) {
        writer = ::open(order.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer < 0 && errno != ENXIO)
            return fail("cannot open the pipe");
        if (writer < 0)
            ::usleep(1000);
    }
    if (writer < 0)
        return fail("the loader never opened the catalog order file");

    // The loader's thread is alive, inside Qt, while the application is made.
    qInstallMessageHandler(recordMessage);
    QCoreApplication app(argc, argv);
    const bool onThisThread = !warnedOfThread && app.thread() == QThread::currentThread();
    const bool written = ::write(writer, "Films\r\n", 7) == 7;
    ::close(writer);
    const CatalogueIndex index = loader.take();
    if (!onThisThread)
        return fail("the application's thread is not the one that made it");
    if (!written || index.catalogCount() != 1)
        return fail("the catalog order file was not read");
    std::printf("PASS: the application stays on the thread that made it\n");
    return 0;
}
