#include "editing/pending_changes.h"

namespace quorel {

std::optional<PendingChange> PendingChanges::takeFirst() {
    if (changes_.empty()) {
        return std::nullopt;
    }
    PendingChange first = std::move(changes_.front());
    changes_.pop_front();
    return first;
}

}  // namespace quorel
