// Orlith — desktop catalogue of removable media.
#pragma once

namespace orlith {

// What a name of the catalogue tree stands for: the root ("Catalogs", every disc), a
// catalog, a disc, or a folder inside a disc (a tree node only, never a store name). None
// is no node, or a name the store does not hold. The tree stores the value in its items,
// so the order is fixed.
enum class NodeKind { None, Root, Catalog, Disc, Folder };

} // namespace orlith
