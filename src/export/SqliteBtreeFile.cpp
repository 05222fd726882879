#include "export/SqliteBtreeFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "platform/File.h"
#include "platform/FileError.h"

namespace vyx {

namespace {

std::size_t VarintLength(std::uint64_t value) {
    std::size_t length = 1;
    while (length < 9 && (value >> (7 * length)) != 0) ++length;
    return length;
}

void PutBigEndian(std::uint8_t* at, std::uint64_t value, std::size_t bytes) {
    for (std::size_t i = bytes; i-- > 0;) {
        at[i] = static_cast<std::uint8_t>(value);
        value >>= 8;
    }
}

std::uint64_t GetBigEndian(const std::uint8_t* at, std::size_t bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i) value = (value << 8) | at[i];
    return value;
}

void AppendBigEndian32(std::string& out, std::uint32_t value) {
    std::uint8_t bytes[4];
    PutBigEndian(bytes, value, 4);
    out.append(reinterpret_cast<const char*>(bytes), 4);
}

// Byte offsets in the database header.
constexpr std::size_t kHeaderSize = 100;
constexpr std::size_t kPageSizeAt = 16;
constexpr std::size_t kReservedAt = 20;
constexpr std::size_t kChangeCounterAt = 24;
constexpr std::size_t kPageCountAt = 28;
constexpr std::size_t kFreelistAt = 32;  // first trunk page, then the count
constexpr std::size_t kSchemaFormatAt = 44;
constexpr std::size_t kAutoVacuumAt = 52;
constexpr std::size_t kEncodingAt = 56;
constexpr std::size_t kValidForAt = 92;

// Appended pages written at once.
constexpr std::size_t kBufferedPages = 64;

}  // namespace

std::size_t AppendSqliteVarint(std::string& out, std::uint64_t value) {
    std::uint8_t bytes[9];
    std::size_t length;
    if ((value >> 56) != 0) {
        // Nine bytes: the last takes all eight bits.
        bytes[8] = static_cast<std::uint8_t>(value);
        value >>= 8;
        for (std::size_t i = 8; i-- > 0;) {
            bytes[i] = static_cast<std::uint8_t>((value & 0x7f) | 0x80);
            value >>= 7;
        }
        length = 9;
    } else {
        length = VarintLength(value);
        for (std::size_t i = length; i-- > 0;) {
            bytes[i] = static_cast<std::uint8_t>((value & 0x7f) | (i + 1 < length ? 0x80 : 0));
            value >>= 7;
        }
    }
    out.append(reinterpret_cast<const char*>(bytes), length);
    return length;
}

void CSqliteRecord::Clear() {
    m_types.clear();
    m_values.clear();
}

void CSqliteRecord::Null() {
    m_types.push_back(0);
}

void CSqliteRecord::Integer(std::int64_t value) {
    if (m_smallIntegers && (value == 0 || value == 1)) {
        m_types.push_back(static_cast<char>(8 + value));
        return;
    }
    // The fewest bytes that hold the value, as SQLite itself stores it.
    const std::uint64_t magnitude = static_cast<std::uint64_t>(value < 0 ? ~value : value);
    std::uint8_t type;
    std::size_t bytes;
    if (magnitude <= 0x7f) {
        type = 1, bytes = 1;
    } else if (magnitude <= 0x7fff) {
        type = 2, bytes = 2;
    } else if (magnitude <= 0x7fffff) {
        type = 3, bytes = 3;
    } else if (magnitude <= 0x7fffffff) {
        type = 4, bytes = 4;
    } else if (magnitude <= 0x7fffffffffffULL) {
        type = 5, bytes = 6;
    } else {
        type = 6, bytes = 8;
    }
    m_types.push_back(static_cast<char>(type));
    std::uint8_t out[8];
    PutBigEndian(out, static_cast<std::uint64_t>(value), bytes);
    m_values.append(reinterpret_cast<const char*>(out), bytes);
}

void CSqliteRecord::Text(std::string_view text) {
    AppendSqliteVarint(m_types, 2 * static_cast<std::uint64_t>(text.size()) + 13);
    m_values.append(text);
}

std::string_view CSqliteRecord::Bytes() {
    // The header's length counts its own varint.
    std::size_t header = m_types.size() + 1;
    while (m_types.size() + VarintLength(header) != header) header = m_types.size() + VarintLength(header);
    m_bytes.clear();
    AppendSqliteVarint(m_bytes, header);
    m_bytes += m_types;
    m_bytes += m_values;
    return m_bytes;
}

CSqliteFileAppender::CSqliteFileAppender(const std::string& path, std::uint64_t lockByte) : m_path(path) {
    m_fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (m_fd < 0) throw CFileError(errno, path);
    std::uint8_t header[kHeaderSize];
    if (::pread(m_fd, header, sizeof header, 0) != static_cast<ssize_t>(sizeof header) ||
        std::memcmp(header, "SQLite format 3", 16) != 0) {
        ::close(m_fd);
        m_fd = -1;
        throw CVyxError("not a SQLite database: " + path);
    }
    const std::uint32_t pageSize = static_cast<std::uint32_t>(GetBigEndian(header + kPageSizeAt, 2));
    m_pageSize = pageSize == 1 ? 65536 : pageSize;
    m_pages = static_cast<std::uint32_t>(GetBigEndian(header + kPageCountAt, 4));
    m_written = m_pages;
    m_smallIntegers = GetBigEndian(header + kSchemaFormatAt, 4) >= 4;
    m_lockPage = static_cast<std::uint32_t>(lockByte / m_pageSize + 1);
    const off_t size = ::lseek(m_fd, 0, SEEK_END);
    // Pages are added only to a file as SQLite leaves a fresh database: a rollback journal's (not WAL's) file
    // format, the payload fractions every SQLite writes, a page count it keeps, no free pages, no reserved
    // bytes, no auto-vacuum pointer map, UTF-8.
    const bool plain = m_pageSize >= 512 && header[18] == 1 && header[19] == 1 && header[kReservedAt] == 0 &&
                       header[21] == 64 && header[22] == 32 && header[23] == 32 &&
                       GetBigEndian(header + kChangeCounterAt, 4) == GetBigEndian(header + kValidForAt, 4) &&
                       GetBigEndian(header + kFreelistAt, 8) == 0 && GetBigEndian(header + kAutoVacuumAt, 4) == 0 &&
                       GetBigEndian(header + kEncodingAt, 4) == 1 &&
                       size == static_cast<off_t>(m_pages) * static_cast<off_t>(m_pageSize) && m_pages < m_lockPage;
    if (!plain) {
        ::close(m_fd);
        m_fd = -1;
        throw CVyxError("SQLite database not as created for the export: " + path);
    }
    m_buffer.reserve(kBufferedPages * m_pageSize);
}

CSqliteFileAppender::~CSqliteFileAppender() {
    if (m_fd >= 0) ::close(m_fd);
}

void CSqliteFileAppender::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    WriteAllAt(m_fd, m_path, offset, data, size);
}

std::uint32_t CSqliteFileAppender::Append(const std::uint8_t* page) {
    if (m_pages >= 0xfffffff0U) throw CVyxError("SQLite database too large: " + m_path);
    if (m_pages + 1 == m_lockPage) {
        m_buffer.resize(m_buffer.size() + m_pageSize, 0);  // in no tree: SQLite's locks
        ++m_pages;
    }
    m_buffer.insert(m_buffer.end(), page, page + m_pageSize);
    ++m_pages;
    if (m_buffer.size() >= kBufferedPages * m_pageSize) Flush();
    return m_pages;
}

void CSqliteFileAppender::Flush() {
    if (m_buffer.empty()) return;
    WriteAt(static_cast<std::uint64_t>(m_written) * m_pageSize, m_buffer.data(), m_buffer.size());
    m_written = m_pages;
    m_buffer.clear();
}

void CSqliteFileAppender::Overwrite(std::uint32_t page, const std::uint8_t* data) {
    if (page < 2 || page > m_written) throw std::logic_error("SQLite root page not in the file");
    WriteAt(static_cast<std::uint64_t>(page - 1) * m_pageSize, data, m_pageSize);
}

void CSqliteFileAppender::Close() {
    if (m_fd < 0) return;
    Flush();
    std::uint8_t count[4];
    PutBigEndian(count, m_pages, 4);
    WriteAt(kPageCountAt, count, sizeof count);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) throw CFileError(errno, m_path);
}

CSqliteBtreeWriter::CSqliteBtreeWriter(CSqliteFileAppender& file, Kind kind, std::uint32_t root)
    : m_file(file), m_kind(kind), m_root(root) {}

void CSqliteBtreeWriter::PutPayload(std::string& cell, std::string_view payload, std::size_t maxLocal) {
    const std::size_t usable = m_file.PageSize();
    if (payload.size() <= maxLocal) {
        cell.append(payload);
        return;
    }
    // What does not stay on the page goes to a chain of overflow pages, split as SQLite splits it.
    const std::size_t minLocal = (usable - 12) * 32 / 255 - 23;
    const std::size_t spill = usable - 4;
    std::size_t local = minLocal + (payload.size() - minLocal) % spill;
    if (local > maxLocal) local = minLocal;
    cell.append(payload.substr(0, local));
    AppendBigEndian32(cell, m_file.NextPage());
    m_overflow.assign(usable, 0);
    for (std::size_t at = local; at < payload.size(); at += spill) {
        const std::size_t part = std::min(spill, payload.size() - at);
        const bool last = at + part >= payload.size();
        std::fill(m_overflow.begin(), m_overflow.end(), std::uint8_t{0});
        PutBigEndian(m_overflow.data(), last ? 0 : m_file.PageAfter(m_file.NextPage()), 4);
        std::memcpy(m_overflow.data() + 4, payload.data() + at, part);
        m_file.Append(m_overflow.data());
    }
}

void CSqliteBtreeWriter::AddRow(std::int64_t rowid, std::string_view record) {
    if (m_kind != Kind::Table || (m_any && rowid <= m_lastRowid)) throw std::logic_error("rowids not ascending");
    m_cell.clear();
    AppendSqliteVarint(m_cell, record.size());
    AppendSqliteVarint(m_cell, static_cast<std::uint64_t>(rowid));
    PutPayload(m_cell, record, m_file.PageSize() - 35);
    Add(0, m_cell);
    m_lastRowid = rowid;
    m_any = true;
}

void CSqliteBtreeWriter::AddKey(std::string_view record) {
    if (m_kind != Kind::Index) throw std::logic_error("a key for a table");
    m_cell.clear();
    AppendSqliteVarint(m_cell, record.size());
    PutPayload(m_cell, record, (m_file.PageSize() - 12) * 64 / 255 - 23);
    Add(0, m_cell);
    m_any = true;
}

bool CSqliteBtreeWriter::Fits(const Page& page, std::size_t level, std::size_t cellSize) const {
    return HeaderSize(level) + 2 * (page.cells.size() + 1) + cellSize <= page.content;
}

void CSqliteBtreeWriter::Place(Page& page, const std::string& cell) {
    page.content -= cell.size();
    std::memcpy(page.bytes.data() + page.content, cell.data(), cell.size());
    page.cells.push_back(static_cast<std::uint16_t>(page.content));
}

std::string CSqliteBtreeWriter::TakeLast(Page& page) {
    if (page.cells.size() < 2) throw std::logic_error("a page of one cell cannot give one up");
    const std::size_t end = page.cells[page.cells.size() - 2];
    const std::size_t start = page.cells.back();
    std::string cell(reinterpret_cast<const char*>(page.bytes.data()) + start, end - start);
    std::fill(page.bytes.begin() + static_cast<std::ptrdiff_t>(start), page.bytes.begin() + static_cast<std::ptrdiff_t>(end),
              std::uint8_t{0});
    page.cells.pop_back();
    page.content = end;
    return cell;
}

void CSqliteBtreeWriter::Add(std::size_t level, const std::string& cell) {
    const std::size_t pageSize = m_file.PageSize();
    if (m_levels.size() <= level) {
        m_levels.emplace_back();
        m_levels.back().bytes.assign(pageSize, 0);
        m_levels.back().content = pageSize;
    }
    Page& page = m_levels[level];
    if (Fits(page, level, cell.size())) {
        Place(page, cell);
        return;
    }
    // The page is full: it goes to the file, and the parent gets a cell that points to it. A table's parent
    // key is the page's last rowid; an index's is the page's last key, which leaves the page for the parent
    // (each key is in one place in an index), and an interior page's last child becomes its right-most one.
    std::string up(4, '\0');
    std::uint32_t right = 0;
    if (level == 0 && m_kind == Kind::Table) {
        AppendSqliteVarint(up, static_cast<std::uint64_t>(m_lastRowid));
    } else if (level == 0) {
        up += TakeLast(page);
    } else {
        const std::string last = TakeLast(page);
        right = static_cast<std::uint32_t>(GetBigEndian(reinterpret_cast<const std::uint8_t*>(last.data()), 4));
        up.append(last, 4);
    }
    const std::uint32_t written = Flush(level, right);
    Place(page, cell);
    PutBigEndian(reinterpret_cast<std::uint8_t*>(up.data()), written, 4);
    Add(level + 1, up);  // may grow m_levels: page is not used after this
}

void CSqliteBtreeWriter::Seal(Page& page, std::size_t level, std::uint32_t right) {
    std::uint8_t* bytes = page.bytes.data();
    const bool leaf = level == 0;
    bytes[0] = m_kind == Kind::Table ? (leaf ? 0x0d : 0x05) : (leaf ? 0x0a : 0x02);
    PutBigEndian(bytes + 1, 0, 2);  // no free blocks
    PutBigEndian(bytes + 3, page.cells.size(), 2);
    PutBigEndian(bytes + 5, page.content == 65536 ? 0 : page.content, 2);
    bytes[7] = 0;  // no fragmented bytes
    if (!leaf) PutBigEndian(bytes + 8, right, 4);
    std::uint8_t* pointer = bytes + HeaderSize(level);
    for (const std::uint16_t cell : page.cells) {
        PutBigEndian(pointer, cell, 2);
        pointer += 2;
    }
}

std::uint32_t CSqliteBtreeWriter::Flush(std::size_t level, std::uint32_t right) {
    Page& page = m_levels[level];
    Seal(page, level, right);
    const std::uint32_t number = m_file.Append(page.bytes.data());
    std::fill(page.bytes.begin(), page.bytes.end(), std::uint8_t{0});
    page.cells.clear();
    page.content = page.bytes.size();
    return number;
}

void CSqliteBtreeWriter::Finish() {
    if (m_levels.empty()) {
        m_levels.emplace_back();
        m_levels.back().bytes.assign(m_file.PageSize(), 0);
        m_levels.back().content = m_file.PageSize();
    }
    // Each level's last page is the right-most child of the one above; the top one is the root.
    std::uint32_t right = 0;
    for (std::size_t level = 0; level + 1 < m_levels.size(); ++level) right = Flush(level, right);
    Page& top = m_levels.back();
    Seal(top, m_levels.size() - 1, right);
    m_file.Overwrite(m_root, top.bytes.data());
    m_levels.clear();
}

}  // namespace vyx
