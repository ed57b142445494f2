// Orlith — desktop catalogue of removable media.
#pragma once

#include <QObject>
#include <QSet>
#include <QString>

class QSocketNotifier;

namespace orlith {

// Tells when a file system is mounted while the program runs. The kernel marks
// /proc/self/mountinfo with POLLPRI at every change of the mount table; the table is then
// read again and each mount point not seen before is reported once.
class MountWatcher : public QObject
{
    Q_OBJECT

public:
    // `mountInfo` is the table to watch; a table that cannot be opened reports nothing.
    explicit MountWatcher(QObject *parent = nullptr,
                          const QString &mountInfo = QStringLiteral("/proc/self/mountinfo"));
    ~MountWatcher() override;

    // Reports `path` as newly mounted: tests and demonstrations feed a folder or an image.
    void reportMounted(const QString &path) { emit mounted(path); }

signals:
    void mounted(const QString &mountPoint);

private:
    void readTable(bool report);

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QSet<QString> m_known;
};

} // namespace orlith
