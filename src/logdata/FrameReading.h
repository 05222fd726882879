#pragma once
// The one place that knows where a frame of a day file ends and how the record at an offset is read again.
// The loading worker's sequential walk, the store's fetch (list, search, copy), and the report reader all
// go through these functions, so they agree on every byte.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "logdata/DayFileFormat.h"
#include "logdata/Parse.h"
#include "logdata/Record.h"
#include "platform/File.h"
#include "platform/FileError.h"

namespace vyx {

// The big-endian length field at p (two bytes).
inline int FrameLength(const std::uint8_t* p) { return p[0] * 256 + p[1]; }

// Frames of 7..302 bytes are decoded; other lengths above 2 are skipped, 2 or less end the walk.
inline bool IsDecodableLength(int length) {
    return length >= format::kMinDecodedFrameLength && length <= format::kMaxDecodedFrameLength;
}

// What a resynchronising reader accepts as a record: a decodable length, a class byte that names a message
// class, and a time stamp within a day of the day file's own day. `frame` starts at the length field and
// holds `length` bytes.
bool IsPlausibleFrame(const std::uint8_t* frame, int length, std::uint32_t dayStart);

// Why a record could not be read again.
enum class RecordReadStatus {
    Ok,
    NoIndexEntry,   // the index file is shorter than the published range says
    FileShorter,    // the day file ends before the frame the index points at
    FrameChanged,   // the bytes at that offset are no longer the frame that was indexed
    FileReplaced,   // another file has the day file's name now
};

// The reason in words, for messages ("the day file is shorter than when it was loaded").
std::string RecordReadStatusText(RecordReadStatus status);

// A published record that cannot be read again: its day file shrank, was replaced or changed. Nothing is
// shown in its place; the text names the day file, the Sr.No. and the reason.
class CRecordUnreadable : public CVyxError {
public:
    CRecordUnreadable(std::string dayFile, std::int64_t serial, std::string reason);

    const std::string& DayFile() const { return m_dayFile; }
    std::int64_t Serial() const { return m_serial; }
    const std::string& Reason() const { return m_reason; }

private:
    std::string m_dayFile;
    std::int64_t m_serial;
    std::string m_reason;
};

// Positioned reads of one file through a window buffer, so that readers walking a file in order (forwards
// or backwards) read it in large blocks.
class CFileWindow {
public:
    explicit CFileWindow(std::size_t blockBytes = format::kMaxDecodedFrameLength) : m_blockBytes(blockBytes) {}

    void Attach(std::shared_ptr<const CInputFile> file);
    void Detach();
    bool IsAttached() const { return m_file != nullptr; }

    // Reads never reach past this offset: bytes beyond it may still be on their way to the file (index
    // entries not yet published, a frame the logger is writing), and must not be kept in the window.
    void SetLimit(std::uint64_t limit) { m_limit = limit; }

    // Makes the bytes offset .. offset + count - 1 available and returns a pointer to them; `got` tells how
    // many of them the file has below the limit (fewer at its end). Throws CFileError when the read fails.
    // A read goes forward from offset, or takes the block that ends with these bytes when the reader walks
    // backwards (an offset before the window's); given readEnd (past offset + count), it takes the block that
    // ends there, or starts at offset when that block would not reach back to it.
    const std::uint8_t* Bytes(std::uint64_t offset, std::size_t count, std::size_t& got, std::uint64_t readEnd = 0);
    // True when the window holds those bytes already (Bytes reads nothing for them).
    bool Holds(std::uint64_t offset, std::size_t count) const {
        return m_windowValid && offset >= m_start && offset + count <= m_start + m_count;
    }
    // Where the bytes it holds start, once it has read any.
    bool Valid() const { return m_windowValid; }
    std::uint64_t Start() const { return m_start; }

private:
    std::shared_ptr<const CInputFile> m_file;
    std::size_t m_blockBytes;
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_start = 0;
    std::size_t m_count = 0;
    bool m_windowValid = false;
    std::uint64_t m_limit = UINT64_MAX;
};

// The record bytes of the frame that starts at `frame` (of which `got` bytes could be read), checked as
// DecodeFrameAt checks them but not decoded: for readers that look at the head first and decode only some
// records. On Ok, record and size name the record bytes (the frame without its length field).
RecordReadStatus FrameRecordAt(const std::uint8_t* frame, std::size_t got, const std::uint8_t*& record, int& size);

// Decodes the frame that starts at `frame`, of which `got` bytes could be read, into target. Anything but Ok
// leaves the target untouched.
RecordReadStatus DecodeFrameAt(const std::uint8_t* frame, std::size_t got, const CParse& parse, CRecord& target);

// Reads the frame at `offset` and decodes it into target. The window's limit must lie at or beyond the end of
// the frame (the bytes the load had read when it published the record). Anything but Ok leaves the target untouched.
// Throws CFileError when a read fails.
RecordReadStatus ReadRecordAt(CFileWindow& window, std::uint64_t offset, const CParse& parse, CRecord& target);

// Entry k of an index file (a little-endian 32-bit offset), read through the window.
bool ReadIndexEntry(CFileWindow& window, std::int64_t k, std::uint64_t& offset);

}  // namespace vyx
