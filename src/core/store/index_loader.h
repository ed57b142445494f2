// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/store/catalogue_index.h"

#include <QString>

#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <utility>

namespace orlith {

// Reads the store's index on a thread of its own, so that the window can be built while
// the disc files are read: with thousands of discs that reading is most of the start-up.
class IndexLoader
{
public:
    using FollowUp = std::function<void(const CatalogueIndex &)>;

    explicit IndexLoader(const QString &programFolder);
    IndexLoader(IndexLoader &&) noexcept = default;
    IndexLoader &operator=(IndexLoader &&) noexcept = default;
    ~IndexLoader(); // waits for the reading to end

    const QString &programFolder() const { return m_programFolder; }
    // Work that needs only the index read, such as making the tree's nodes: it runs on the
    // loader's thread right after the reading, or in take() when the reading had already
    // ended. Either way it has run when take() returns. One follow-up at most.
    void whenRead(FollowUp work);
    // The index as CatalogueIndex::load reads it; waits for the reading. Call it once.
    CatalogueIndex take();

private:
    // What the caller and the loader's thread hand each other.
    struct Shared
    {
        std::mutex mutex;
        FollowUp followUp;
        bool read = false;
    };

    QString m_programFolder;
    std::shared_ptr<Shared> m_shared;
    FollowUp m_late; // given after the reading ended
    std::future<CatalogueIndex> m_index;
};

} // namespace orlith
