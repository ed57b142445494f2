// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/disc_listing.h"
#include "core/store/store_result.h"

#include <QObject>

namespace orlith {

class BackgroundJob;

// Saving the rows of the file list as a new disc file ("Save list"), on a worker. The rows
// are taken as they stand when it is made; finished() follows the write. A save is never
// cut short: its disc file is written whole or not at all, so deleting a running save
// waits for it.
class SaveListTask : public QObject
{
    Q_OBJECT

public:
    // `catalog` is the catalog as the index spells it (checkNewDiscFile).
    SaveListTask(QString programFolder, QString disc, QString catalog, QList<FileRow> rows,
                 QObject *parent = nullptr);
    ~SaveListTask() override;

    void start();
    bool running() const;
    // Blocks until the disc file is written.
    void wait();

    const QString &disc() const { return m_disc; }
    qsizetype count() const { return m_rows.size(); }

signals:
    void finished(const orlith::StoreResult &result);

private:
    QString m_programFolder;
    QString m_disc;
    QString m_catalog;
    QList<FileRow> m_rows;
    StoreResult m_result; // set by the worker's last post
    BackgroundJob *m_worker = nullptr;
};

} // namespace orlith
