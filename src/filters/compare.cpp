#include "filters/compare.h"

#include <deque>
#include <utility>
#include <vector>

#include "core/dir_list.h"
#include "platform/text.h"

namespace quorel {

namespace {

constexpr std::uint32_t kNoNode = 0xFFFFFFFFu;

// The full paths of one dataset, folded to upper case, as a tree of pieces
// (the texts between backslashes). A node stands for the sequence of pieces
// from the top to it and is found from its parent node and its own piece, so
// two paths are equal ignoring case exactly when they reach the same node.
// Matching an entry then costs one probe per piece of its name rather than a
// walk over its whole path, and the index keeps no path texts: the pieces
// are views of the dataset's own names.
class PathIndex {
  public:
    // Node 0 is the empty sequence, above every root.
    explicit PathIndex(std::size_t expectedNodes) {
        nodes_.reserve(expectedNodes + 1);
        nodes_.push_back({kNoNode, {}, nullptr, nullptr});
        std::size_t slots = 16;
        while (slots < 2 * expectedNodes + 2) {
            slots *= 2;
        }
        slots_.assign(slots, Slot{0, 0});
    }

    // The node of `piece` below `parent`, or kNoNode.
    std::uint32_t find(std::uint32_t parent, std::wstring_view piece) const {
        const std::uint32_t hash = hashPiece(parent, piece);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot slot = slots_[i];
            if (slot.node == 0) {
                return kNoNode;
            }
            if (slot.hash == hash && matches(nodes_[slot.node], parent, piece)) {
                return slot.node;
            }
        }
    }

    // The node of `piece` below `parent`, made when it is new. `piece` must
    // outlive the index.
    std::uint32_t insert(std::uint32_t parent, std::wstring_view piece) {
        if (2 * nodes_.size() + 2 > slots_.size()) {
            grow();
        }
        const std::uint32_t hash = hashPiece(parent, piece);
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = hash & mask;
        for (; slots_[i].node != 0; i = (i + 1) & mask) {
            if (slots_[i].hash == hash && matches(nodes_[slots_[i].node], parent, piece)) {
                return slots_[i].node;
            }
        }
        const auto id = static_cast<std::uint32_t>(nodes_.size());
        nodes_.push_back({parent, piece, nullptr, nullptr});
        slots_[i] = {hash, id};
        return id;
    }

    // The first entry of the indexed dataset with the node's path, and the
    // first of the dataset looked up in it; null while there is none.
    CDirEntry* entry(std::uint32_t node) const { return nodes_[node].entry; }
    CDirEntry* counterpart(std::uint32_t node) const { return nodes_[node].counterpart; }
    void claim(std::uint32_t node, CDirEntry* e) {
        if (nodes_[node].entry == nullptr) {
            nodes_[node].entry = e;
        }
    }
    void claimCounterpart(std::uint32_t node, CDirEntry* e) {
        if (nodes_[node].counterpart == nullptr) {
            nodes_[node].counterpart = e;
        }
    }

  private:
    struct Node {
        std::uint32_t parent;
        std::wstring_view piece;
        CDirEntry* entry;
        CDirEntry* counterpart;
    };
    // The hash beside the node id spares a visit to the node for most
    // probes that do not match.
    struct Slot {
        std::uint32_t hash;
        std::uint32_t node;  // 0 marks a free slot
    };

    static std::uint32_t hashPiece(std::uint32_t parent, std::wstring_view piece) {
        std::uint64_t h = 0xCBF29CE484222325ull ^ (parent * 0x9E3779B97F4A7C15ull);
        for (wchar_t c : piece) {
            h ^= static_cast<std::uint32_t>(foldCase(c));
            h *= 0x100000001B3ull;
        }
        h ^= h >> 33;
        h *= 0xFF51AFD7ED558CCDull;
        h ^= h >> 33;
        return static_cast<std::uint32_t>(h);
    }

    static bool matches(const Node& n, std::uint32_t parent, std::wstring_view piece) {
        return n.parent == parent && equalsNoCase(n.piece, piece);
    }

    void grow() {
        std::vector<Slot> old(slots_.size() * 2, Slot{0, 0});
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (const Slot& slot : old) {
            if (slot.node == 0) {
                continue;
            }
            std::size_t i = slot.hash & mask;
            while (slots_[i].node != 0) {
                i = (i + 1) & mask;
            }
            slots_[i] = slot;
        }
    }

    std::vector<Node> nodes_;
    std::vector<Slot> slots_;
};

// Where an entry's path leads in an index: the node of the path itself, and
// the node its children's paths continue from. A path that ends in a
// backslash ("C:\") ends in an empty piece, and a child's name takes that
// piece's place ("C:\" and "x" make "C:\x"), so its children continue from
// the node above, which may exist where the path itself does not.
struct PathNodes {
    std::uint32_t self = kNoNode;
    std::uint32_t base = kNoNode;
};

// Follows `text` piece by piece from `base`; `step(parent, piece)` gives the
// next node or kNoNode.
template <class Step>
PathNodes follow(std::uint32_t base, std::wstring_view text, Step step) {
    std::uint32_t at = base;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(L'\\', start);
        const std::wstring_view piece =
            text.substr(start, end == std::wstring_view::npos ? end : end - start);
        const std::uint32_t next = at == kNoNode ? kNoNode : step(at, piece);
        if (end == std::wstring_view::npos) {
            return {next, piece.empty() ? at : next};
        }
        at = next;
        start = end + 1;
    }
}

// Visits every entry of `list` in dataset order with the nodes of its path.
// Only the path of a root (or of an entry that keeps a path of its own) is
// asked of the entry; every other path continues its parent's by the
// entry's name, as CDirEntry::path() makes it. Those paths are kept in
// `rootPaths`, since an index refers to them.
template <class Step, class Visit>
void walkPaths(const CDirList& list, std::deque<std::wstring>& rootPaths, Step step, Visit visit) {
    std::vector<std::pair<const CDirEntry*, std::uint32_t>> parents;
    for (CDirEntry& e : list) {
        while (!parents.empty() && parents.back().first != e.parent()) {
            parents.pop_back();
        }
        PathNodes nodes;
        if (parents.empty() || e.hasStoredPath()) {
            rootPaths.push_back(e.path());
            nodes = follow(0, rootPaths.back(), step);
        } else {
            nodes = follow(parents.back().second, e.name(), step);
        }
        visit(e, nodes.self);
        parents.emplace_back(&e, nodes.base);
    }
}

// The path index of one dataset, with the node of each of its entries in
// dataset order.
class DatasetPaths {
  public:
    explicit DatasetPaths(const CDirList& list) : index_(list.entryCount()) {
        nodeOfEntry_.reserve(list.entryCount());
        walkPaths(
            list, rootPaths_,
            [this](std::uint32_t parent, std::wstring_view piece) {
                return index_.insert(parent, piece);
            },
            [this](CDirEntry& e, std::uint32_t node) {
                index_.claim(node, &e);
                nodeOfEntry_.push_back(node);
            });
    }

    // Links every entry of `other` that has a counterpart in the indexed
    // dataset, and notes for each path the first entry of `other` with it.
    void linkFrom(CDirList& other) {
        std::deque<std::wstring> rootPaths;
        walkPaths(
            other, rootPaths,
            [this](std::uint32_t parent, std::wstring_view piece) {
                return index_.find(parent, piece);
            },
            [this](CDirEntry& e, std::uint32_t node) {
                if (node == kNoNode) {
                    return;
                }
                if (index_.entry(node) != nullptr) {
                    e.partner = index_.entry(node);
                }
                index_.claimCounterpart(node, &e);
            });
    }

    // After linkFrom(other): links every entry of the indexed dataset `list`
    // to the first entry of `other` with its path, which is what indexing
    // `other` and linking `list` from it would give.
    void linkBack(CDirList& list) const {
        std::size_t i = 0;
        for (CDirEntry& e : list) {
            if (i >= nodeOfEntry_.size()) {
                break;
            }
            if (CDirEntry* counterpart = index_.counterpart(nodeOfEntry_[i++])) {
                e.partner = counterpart;
            }
        }
    }

  private:
    PathIndex index_;
    std::deque<std::wstring> rootPaths_;  // a deque never moves its texts
    std::vector<std::uint32_t> nodeOfEntry_;
};

void appendFolded(std::wstring& path, std::wstring_view name) {
    if (!path.empty() && path.back() != L'\\') {
        path += L'\\';
    }
    for (wchar_t c : name) {
        path += foldCase(c);
    }
}
}  // namespace

bool DatasetsMatch(const CDirList& shown, const CDirList& compared) {
    const CDirEntry* a = shown.firstEntry();
    const CDirEntry* b = compared.firstEntry();
    for (; a != nullptr && b != nullptr; a = a->nextSibling(), b = b->nextSibling()) {
        if (!equalsNoCase(a->path(), b->path())) {
            return false;
        }
    }
    return a == nullptr && b == nullptr;
}

CDirEntry* FindEntryByPath(const CDirList& dataset, std::wstring_view path) {
    const std::wstring target = upperCase(path);
    // A depth-first walk that enters an entry's listing only when the
    // entry's path begins the target: every path below it begins with its
    // path. A root that merely begins another root's path ("C:\data" and
    // "C:\data2") is entered and left without a hit.
    struct Listing {
        CDirEntry* next;
        std::size_t parentLength;
        bool roots;
    };
    std::vector<Listing> listings{{dataset.firstEntry(), 0, true}};
    std::wstring at;
    while (!listings.empty()) {
        Listing& listing = listings.back();
        CDirEntry* e = listing.next;
        if (e == nullptr) {
            listings.pop_back();
            continue;
        }
        listing.next = e->nextSibling();
        if (listing.roots) {
            at = upperCase(e->path());
        } else {
            at.resize(listing.parentLength);
            appendFolded(at, e->name());
        }
        if (at == target) {
            return e;
        }
        if (e->firstChild() != nullptr && !e->isDotEntry() &&
            std::wstring_view(target).starts_with(at)) {
            listings.push_back({e->firstChild(), at.size(), false});
        }
    }
    return nullptr;
}

void LinkEntries(CDirList& a, const CDirList& b) {
    DatasetPaths(b).linkFrom(a);
}

void ClearLinks(CDirList& list) {
    for (CDirEntry& e : list) {
        e.partner = nullptr;
        for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
            e.ace(i)->partnerAce = AceRecord::kNoPartnerAce;
        }
    }
}

void LinkBothWays(CDirList& shown, CDirList& compared) {
    ClearLinks(shown);
    ClearLinks(compared);
    DatasetPaths paths(compared);
    paths.linkFrom(shown);
    paths.linkBack(compared);
}

}  // namespace quorel
