#pragma once
// Where CParse finds the message and the source in a record's n bytes, for a reader that needs no more of
// the record: the message from byte 6 on, all but the last five bytes (none in a record of 11 bytes or
// fewer), the source in the high nibble five bytes before the end.

#include <cstdint>

#include "logdata/Parse.h"

namespace vyx {

constexpr int kMessageFirstByte = 6;

constexpr int MessageLengthOf(int n) {
    return n > 11 ? n - 11 : 0;
}

inline int SourceOf(const std::uint8_t* bytes, int n) {
    return n >= 5 ? SourceFromNibble(bytes[n - 5] >> 4) : kSourceUnidentified;
}

}  // namespace vyx
