// Orlith — desktop catalogue of removable media.
#include "cli_context.h"

#include <cstdio>

namespace orlith::cli {

const CatalogueIndex &CliContext::index()
{
    if (!m_indexLoaded) {
        m_index.load(m_programFolder);
        for (const SkippedDiscFile &s : m_index.skipped())
            err(QStringLiteral("skipped cds/%1: %2").arg(s.fileName, s.reason));
        m_indexLoaded = true;
    }
    return m_index;
}

void outBytes(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void out(const QString &line)
{
    outBytes(line.toUtf8() + '\n');
}

void err(const QString &message)
{
    std::fflush(stdout);
    // One line per error, whatever the engine's message holds: scripts read them line by line.
    const QByteArray bytes =
        "orlith-cli: " + QString(message).replace(QLatin1Char('\n'), QLatin1Char(' ')).toUtf8() +
        '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

namespace {
QString s_helpTopic = QStringLiteral("--help");
}

void setHelpTopic(const QString &command)
{
    s_helpTopic = QStringLiteral("help ") + command;
}

int usageError(const QString &message)
{
    err(message + QStringLiteral(" (see orlith-cli %1)").arg(s_helpTopic));
    return kExitUsage;
}

int failure(const QString &message)
{
    err(message);
    return kExitFailed;
}

void outRows(const QList<FileRow> &rows)
{
    QByteArray text;
    for (const FileRow &row : rows) {
        text += rowAsTabbedLine(row).toUtf8();
        text += '\n';
        if (text.size() > (1 << 20)) {
            outBytes(text);
            text.clear();
        }
    }
    outBytes(text);
}

} // namespace orlith::cli
