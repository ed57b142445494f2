// Orlith — desktop catalogue of removable media.
#pragma once

#include <QObject>
#include <QString>

namespace orlith {

class BackgroundJob;

// Keeps a store's search index current for a window: each request runs a full update
// (building the index when there is none) on a worker; a request made while one runs runs
// once more after it. Searches meanwhile use the index as it was, and scan what it lacks.
// Deleting the updater stops a build between two discs.
class SearchIndexUpdater : public QObject
{
    Q_OBJECT

public:
    explicit SearchIndexUpdater(QString programFolder, QObject *parent = nullptr);
    ~SearchIndexUpdater() override;

    void request();
    bool running() const;

signals:
    // After each update; `error` is empty when it succeeded (a failure only leaves discs
    // to the scan).
    void updated(const QString &error);

private:
    QString m_programFolder;
    BackgroundJob *m_job = nullptr;
    bool m_again = false;
    QString m_error; // set by the worker's last post
};

} // namespace orlith
