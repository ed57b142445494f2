// Orlith — desktop catalogue of removable media.
#pragma once

#include "catalogue_index.h"

#include <QString>

#include <future>

namespace orlith {

// Reads the store's index on a thread of its own, so that the window can be built while
// the disc files are read: with thousands of discs that reading is most of the start-up.
class IndexLoader
{
public:
    explicit IndexLoader(const QString &programFolder);
    IndexLoader(IndexLoader &&) noexcept = default;
    IndexLoader &operator=(IndexLoader &&) noexcept = default;
    ~IndexLoader(); // waits for the reading to end

    const QString &programFolder() const { return m_programFolder; }
    // The index as CatalogueIndex::load reads it; waits for the reading. Call it once.
    CatalogueIndex take();

private:
    QString m_programFolder;
    std::future<CatalogueIndex> m_index;
};

} // namespace orlith
