#pragma once
// The rows of one table going into SQLite on a thread of its own. The caller fills a batch of rows (numbers,
// and texts that either outlive the export or lie in the batch's own characters) and hands it over whole;
// the thread steps one statement that reads the batch's cells as a table (or hands the batch to a consumer that
// writes the table's pages itself, SqliteDirectTable.h), while the caller fills the next. So the formatting of the
// rows goes on beside the writing instead of before it. A few batches at most are in flight: memory stays the
// same whatever is written.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace vyx {

class CSqliteRowWriter {
public:
    struct Cell {
        enum class Kind : std::uint8_t { Null, Integer, Text, Chars };
        Kind kind = Kind::Null;
        std::uint32_t size = 0;      // Text, Chars
        std::int64_t number = 0;     // Integer; the offset in the batch's chars for Chars
        const char* text = nullptr;  // Text: characters that outlive the export
    };
    struct Batch {
        std::vector<Cell> cells;  // rows * columns
        std::string chars;        // the texts of the Chars cells
        std::size_t rows = 0;
    };
    // Takes a batch's rows on the thread; returns why they could not go in, else an empty text.
    using Consumer = std::function<std::string(const Batch&)>;

    // Rows of `columns` values into `table` of db, which the thread uses alone until Drain.
    CSqliteRowWriter(sqlite3* db, std::string table, std::size_t columns);
    // Rows of `columns` values handed to consume instead of SQLite.
    CSqliteRowWriter(Consumer consume, std::size_t columns);
    ~CSqliteRowWriter();  // stops the thread; rows not yet stepped are dropped
    CSqliteRowWriter(const CSqliteRowWriter&) = delete;
    CSqliteRowWriter& operator=(const CSqliteRowWriter&) = delete;

    // The batch being filled: add one row's cells (and texts) to it, then call RowDone().
    Batch& Filling() { return *m_filling; }
    // Call after the cells of one row are in; hands the batch over when it is full. Returns false once the
    // thread has failed (Drain tells why).
    bool RowDone() {
        if (++m_filling->rows < kBatchRows) return true;
        return Hand();
    }
    // Steps every row handed or filled and stops the thread: the connection is the caller's again. Returns
    // SQLite's message when a row was refused, else an empty text.
    std::string Drain();

    // Rows per batch handed over and stepped at once: the hand-over's lock and wake-up and the statement's
    // step are paid once for thousands of rows.
    static constexpr std::size_t kBatchRows = 4096;

private:
    bool Hand();
    void Run();
    // Steps the rows of a batch; false when SQLite refuses.
    bool Insert(const Batch& batch);
    bool Feed();  // the batch table and the statement that reads it, once
    void Unfeed() noexcept;
    void Release(Batch* batch);  // empties it for reuse; under the lock
    void Stop() noexcept;

    sqlite3* m_db;
    Consumer m_consume;
    std::string m_table;
    std::size_t m_columns;
    sqlite3_stmt* m_insert = nullptr;  // for the thread
    bool m_fed = false;                // the batch table is the connection's
    const Batch* m_stepped = nullptr;  // the batch the statement reads, while it steps

    std::vector<Batch> m_batches;  // one filling, the others queued, being stepped or free
    Batch* m_filling = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Batch*> m_queue;  // to be stepped, oldest first
    std::vector<Batch*> m_free;
    bool m_stepping = false;
    bool m_stopping = false;
    std::string m_failure;  // SQLite's message for a refused row
    std::thread m_thread;
};

}  // namespace vyx
