#pragma once
// Damage found while a day file is walked frame by frame: where the walk stopped early, jumped over a frame
// it could not decode, resynchronised, or met a last frame the logger had not finished writing.

#include <cstdint>
#include <string>

namespace vyx {

enum class DamageKind {
    SkippedFrame,         // a frame of a length outside 7..302 was jumped over
    WalkStopped,          // a length of 2 or less ended the walk: the rest of the file was not read
    Resynchronised,       // recovery skipped these bytes to the next chain of plausible frames
    IncompleteLastFrame,  // the file ends inside a frame (the logger may still be writing it)
    TooLarge,             // the file is larger than the 32-bit offsets of the index files can address
};

struct DayFileDamage {
    DamageKind kind = DamageKind::SkippedFrame;
    std::uint64_t offset = 0;  // where the damage starts
    std::uint64_t bytes = 0;   // bytes not read as records from there
    int frameLength = -1;      // the length field found there, when there was one

    // Only an unfinished last frame is no damage the user must hear about: the logger may be writing it.
    bool IsNotice() const { return kind != DamageKind::IncompleteLastFrame; }
};

// "frame length 1 ends the walk", "recovery skipped to the next plausible frames after frame length 65000" ...
std::string DamageReason(const DayFileDamage& damage);

}  // namespace vyx
