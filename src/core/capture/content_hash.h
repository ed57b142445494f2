// Orlith — desktop catalogue of removable media.
// Content checksums: XXH3-128 of a file's bytes, as `xxh128sum` prints them.
#pragma once

#include "core/store/store_result.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

namespace orlith {

// The checksum of bytes given piece by piece, in order.
class ContentHasher
{
public:
    ContentHasher();
    ~ContentHasher();
    ContentHasher(const ContentHasher &) = delete;
    ContentHasher &operator=(const ContentHasher &) = delete;

    void add(const char *data, qsizetype size);
    // "xxh128:" and the 32 hex digits `xxh128sum` prints; starts over for the next file.
    QByteArray finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The checksum text of a whole byte string.
QByteArray contentHashText(QByteArrayView bytes);

// Whether a stored checksum has the form contentHashText gives.
bool isContentHashText(QByteArrayView text);

// Reads the file from start to end, in large sequential blocks (an optical drive reads
// best without seeking), and answers its checksum. `bytesRead`, when given, grows as blocks
// are read, for a progress display on another thread; `cancel`, when set, stops the read
// (the result is then a failure). A file that cannot be opened or read fails naming it.
StoreValue<QByteArray> hashFileContent(const QString &path,
                                       std::atomic<qint64> *bytesRead = nullptr,
                                       const std::atomic_bool *cancel = nullptr);

// The same for the file `name` of the folder open as `folderFd` (or the path `name` when
// `folderFd` is negative), for a reader that walks folder by folder; `shownPath` names it in
// the error. `afterBlock`, when given, is called after each block with the block's size, on
// the reading thread, so a job can report and look at the clock inside a large file.
StoreValue<QByteArray> hashFileContentAt(int folderFd, const char *name, const QString &shownPath,
                                         const std::function<void(qint64)> &afterBlock,
                                         const std::atomic_bool *cancel = nullptr);

} // namespace orlith
