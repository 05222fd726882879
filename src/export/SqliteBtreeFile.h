#pragma once
// A table and its indexes written straight into a SQLite database file as b-tree pages, in SQLite's own file
// format, instead of row by row through SQLite. SQLite creates the file, its schema and the empty root pages
// and closes it; the rows then go to new pages at the end of the file, each tree built bottom-up from keys
// that come in order, and each tree's top page goes to its root. SQLite then opens the file as its own again.
// Pages are filled whole and every leaf of a tree lies at the same depth, as SQLite's balance keeps them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vyx {

// One row or index key in SQLite's record format: a header of serial types, then the values.
class CSqliteRecord {
public:
    explicit CSqliteRecord(bool smallIntegerTypes = true) : m_smallIntegers(smallIntegerTypes) {}
    void Clear();
    void Null();
    void Integer(std::int64_t value);
    void Text(std::string_view text);
    // The record: valid until the next change.
    std::string_view Bytes();

private:
    bool m_smallIntegers;    // serial types 8 and 9 for 0 and 1 (schema format 4)
    std::string m_types;     // the serial types, as varints
    std::string m_values;
    std::string m_bytes;
};

// Appends a SQLite varint of value to out; returns its length.
std::size_t AppendSqliteVarint(std::string& out, std::uint64_t value);

// The database file, closed by SQLite: pages appended after those SQLite wrote, root pages written where
// SQLite put them. Throws CFileError, or CVyxError for a file this cannot add to.
class CSqliteFileAppender {
public:
    // SQLite keeps the page that holds the byte at lockByte (1 GiB) out of every tree, for its locks.
    static constexpr std::uint64_t kLockByte = 0x40000000;
    explicit CSqliteFileAppender(const std::string& path, std::uint64_t lockByte = kLockByte);
    ~CSqliteFileAppender();
    CSqliteFileAppender(const CSqliteFileAppender&) = delete;
    CSqliteFileAppender& operator=(const CSqliteFileAppender&) = delete;

    std::uint32_t PageSize() const { return m_pageSize; }
    bool SmallIntegerTypes() const { return m_smallIntegers; }
    // The number the next appended page gets, and the one after a page's.
    std::uint32_t NextPage() const { return PageAfter(m_pages); }
    std::uint32_t PageAfter(std::uint32_t page) const { return page + 1 == m_lockPage ? page + 2 : page + 1; }
    // Appends one page (PageSize bytes); returns its number.
    std::uint32_t Append(const std::uint8_t* page);
    // Writes over a page SQLite allocated (a root).
    void Overwrite(std::uint32_t page, const std::uint8_t* data);
    // Writes what is buffered and the header's page count, and closes the file.
    void Close();

private:
    void Flush();
    void WriteAt(std::uint64_t offset, const void* data, std::size_t size);

    std::string m_path;
    int m_fd = -1;
    std::uint32_t m_pageSize = 0;
    std::uint32_t m_pages = 0;     // in the file and in the buffer
    std::uint32_t m_written = 0;   // in the file
    std::uint32_t m_lockPage = 0;
    bool m_smallIntegers = true;
    std::vector<std::uint8_t> m_buffer;
};

// One table or index b-tree built bottom-up. A table takes its rows in ascending rowid order, an index its
// keys in ascending order (SQLite's order of the records; not checked: they come from a sort); Finish writes the top
// page to the root.
class CSqliteBtreeWriter {
public:
    enum class Kind { Table, Index };
    CSqliteBtreeWriter(CSqliteFileAppender& file, Kind kind, std::uint32_t root);
    void AddRow(std::int64_t rowid, std::string_view record);  // Table
    void AddKey(std::string_view record);                       // Index
    void Finish();

private:
    struct Page {
        std::vector<std::uint8_t> bytes;
        std::vector<std::uint16_t> cells;  // where each cell starts, in order
        std::size_t content = 0;           // the start of the cell content area
    };
    void Add(std::size_t level, const std::string& cell);
    bool Fits(const Page& page, std::size_t level, std::size_t cellSize) const;
    void Place(Page& page, const std::string& cell);
    // Takes the last cell off the page and returns it.
    std::string TakeLast(Page& page);
    // The page's header and cell pointers; right is the right-most child of an interior page.
    void Seal(Page& page, std::size_t level, std::uint32_t right);
    std::uint32_t Flush(std::size_t level, std::uint32_t right);
    // The cell's payload as it is kept on the page, with its overflow pages written.
    void PutPayload(std::string& cell, std::string_view payload, std::size_t maxLocal);
    std::size_t HeaderSize(std::size_t level) const { return level == 0 ? 8 : 12; }

    CSqliteFileAppender& m_file;
    Kind m_kind;
    std::uint32_t m_root;
    std::vector<Page> m_levels;  // [0] the leaf being filled, then the interior pages above it
    std::int64_t m_lastRowid = 0;
    bool m_any = false;
    std::string m_cell;
    std::vector<std::uint8_t> m_overflow;
};

}  // namespace vyx
