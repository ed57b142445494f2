// Orlith — desktop catalogue of removable media.
// A header click on a list of 150,000 rows, column by column: the window waits for it.
#include "bench_timing.h"
#include "core/store/date_text.h"
#include "ui/main/file_list_model.h"

#include <QGuiApplication>
#include <QRandomGenerator>

#include <cstdio>

using namespace orlith;

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 150000;
    QRandomGenerator random(42);
    const QDateTime start(QDate(1998, 1, 1), QTime(0, 0));
    QList<FileRow> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("Track %1 of Album%2.mp3")
                                 .arg(random.bounded(30))
                                 .arg(random.bounded(5000));
        const QString path = QStringLiteral("/media/disc/Music/Artist%1/Album%2/")
                                 .arg(random.bounded(800))
                                 .arg(random.bounded(20)) +
                             name;
        const QDateTime when = start.addSecs(random.bounded(800000000));
        rows << FileRow{name, path, random.bounded(qint64(1) << 32), formatDateText(when),
                        QStringLiteral("Disc %1").arg(random.bounded(100))};
    }
    FileListModel model;
    model.setRows(rows);
    static const char *const names[] = {"name", "path", "size", "date", "disc"};
    for (int column = 0; column < FileListModel::ColumnCount; ++column) {
        // Each run clicks twice, so the list is back in one order before the next.
        const double ms = bench::bestMs(3, [&] {
            model.setRows(rows);
            model.sortByHeader(column);
        });
        std::printf("sort %d rows by %s: %.0f ms\n", count, names[column], ms);
    }
    return 0;
}
