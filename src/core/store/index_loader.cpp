// Orlith — desktop catalogue of removable media.
#include "core/store/index_loader.h"

namespace orlith {

IndexLoader::IndexLoader(const QString &programFolder)
    : m_programFolder(programFolder), m_shared(std::make_shared<Shared>())
{
    m_index = std::async(std::launch::async, [programFolder, shared = m_shared] {
        CatalogueIndex index;
        index.load(programFolder);
        FollowUp followUp;
        {
            const std::lock_guard lock(shared->mutex);
            shared->read = true;
            followUp = std::move(shared->followUp);
        }
        if (followUp)
            followUp(index);
        return index;
    });
}

IndexLoader::~IndexLoader() = default;

void IndexLoader::whenRead(FollowUp work)
{
    const std::lock_guard lock(m_shared->mutex);
    if (m_shared->read)
        m_late = std::move(work);
    else
        m_shared->followUp = std::move(work);
}

CatalogueIndex IndexLoader::take()
{
    CatalogueIndex index = m_index.get();
    if (m_late)
        std::exchange(m_late, {})(index);
    return index;
}

} // namespace orlith
