#pragma once

#include <cstdint>

namespace quorel {

enum class EditStatus : std::uint8_t {
    Done,        // written (or, for ownership, done) and the entry read again
    Unchanged,   // nothing to change: nothing written
    OutOfRange,  // an ACE index at or past the ACE count: nothing written, no message
    Stale,       // the DACL on disk is not the one shown: nothing written, entry read again
    Failed,      // a step failed and was reported: nothing written by the failed step
};

// What an editing operation did. `error` is the Windows error of the step
// that failed, 0 otherwise.
struct EditResult {
    EditStatus status = EditStatus::Done;
    std::uint32_t error = 0;

    bool ok() const { return status == EditStatus::Done || status == EditStatus::Unchanged; }
    explicit operator bool() const { return ok(); }
    static EditResult failed(std::uint32_t error) { return {EditStatus::Failed, error}; }
};

}  // namespace quorel
