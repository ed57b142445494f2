// Orlith — desktop catalogue of removable media.
#include "index_loader.h"

namespace orlith {

IndexLoader::IndexLoader(const QString &programFolder)
    : m_programFolder(programFolder),
      m_index(std::async(std::launch::async, [programFolder] {
          CatalogueIndex index;
          index.load(programFolder);
          return index;
      }))
{
}

IndexLoader::~IndexLoader() = default;

CatalogueIndex IndexLoader::take()
{
    return m_index.get();
}

} // namespace orlith
