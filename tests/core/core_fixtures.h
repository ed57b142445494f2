// Orlith — desktop catalogue of removable media.
// Shared by the core suites: running orlith-cli, and a disk that fills up.
#pragma once

#include "support/test_files.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <sys/resource.h>

#include <csignal>

namespace orlith::test {

using namespace Qt::StringLiterals;

struct CliRun
{
    int code = -1;
    QString out;
    QString err;
};

// orlith-cli with these arguments and no input; code -1 when it crashed or hung.
inline CliRun runCli(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(ORLITH_CLI), args);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

inline CliRun cli(const QString &dataDir, const QStringList &args)
{
    return runCli(QStringList{u"--data-dir"_s, dataDir} + args);
}

// While it lives, writes past `bytes` fail as on a full disk (EFBIG), for root too.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes) : m_handler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    bool active() const { return m_active; }

private:
    void (*m_handler)(int);
    rlimit m_old{};
    bool m_active = false;
};

} // namespace orlith::test
