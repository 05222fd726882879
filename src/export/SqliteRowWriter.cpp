#include "export/SqliteRowWriter.h"

#include <sqlite3.h>

namespace vyx {

namespace {

// A batch being filled, one queued and one being stepped: the caller waits only when SQLite is behind.
constexpr std::size_t kBatches = 3;

}  // namespace

CSqliteRowWriter::CSqliteRowWriter(sqlite3* db, std::string table, std::size_t columns)
    : m_db(db), m_table(std::move(table)), m_columns(columns), m_batches(kBatches) {
    for (Batch& batch : m_batches) {
        batch.cells.reserve(kBatchRows * m_columns);
        m_free.push_back(&batch);
    }
    m_filling = m_free.back();
    m_free.pop_back();
}

CSqliteRowWriter::~CSqliteRowWriter() {
    Stop();
    sqlite3_finalize(m_insert);
}

sqlite3_stmt* CSqliteRowWriter::Prepare(std::size_t rows) {
    std::string row = "(";
    for (std::size_t i = 0; i < m_columns; ++i) row += i == 0 ? "?" : ", ?";
    row += ")";
    std::string insert = "INSERT INTO " + m_table + " VALUES ";
    for (std::size_t r = 0; r < rows; ++r) insert += (r == 0 ? "" : ", ") + row;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, insert.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    return statement;
}

bool CSqliteRowWriter::Step(sqlite3_stmt* statement, const Batch& batch, std::size_t firstRow, std::size_t rows,
                            Cell* bound) {
    const Cell* cell = batch.cells.data() + firstRow * m_columns;
    const std::size_t count = rows * m_columns;
    for (std::size_t k = 0; k < count; ++k, ++cell) {
        // A statement keeps its values from one step to the next: a value the same as the one bound there
        // last time (a code, its text, the day file, a NULL) is not bound again.
        if (bound != nullptr) {
            Cell& last = bound[k];
            if (last.kind == cell->kind &&
                (cell->kind == Cell::Kind::Null ||
                 (cell->kind == Cell::Kind::Integer && last.number == cell->number) ||
                 (cell->kind == Cell::Kind::Text && last.text == cell->text && last.size == cell->size))) {
                continue;
            }
            last = *cell;
        }
        const int at = static_cast<int>(k) + 1;
        int status;
        switch (cell->kind) {
            case Cell::Kind::Null: status = sqlite3_bind_null(statement, at); break;
            case Cell::Kind::Integer: status = sqlite3_bind_int64(statement, at, cell->number); break;
            case Cell::Kind::Text:
                // An empty text may hold no pointer, which SQLite would take for NULL.
                status = sqlite3_bind_text(statement, at, cell->size == 0 ? "" : cell->text,
                                           static_cast<int>(cell->size), SQLITE_STATIC);
                break;
            case Cell::Kind::Chars:
                status = sqlite3_bind_text(statement, at, batch.chars.data() + cell->number,
                                           static_cast<int>(cell->size), SQLITE_STATIC);
                break;
            default: status = SQLITE_MISUSE; break;
        }
        if (status != SQLITE_OK) return false;
    }
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_reset(statement);
    return done;
}

bool CSqliteRowWriter::Insert(const Batch& batch) {
    if (!batch.sqlBefore.empty() && sqlite3_exec(m_db, batch.sqlBefore.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        return false;
    }
    if (m_insert == nullptr) {
        m_insert = Prepare(kStatementRows);
        if (m_insert == nullptr) return false;
        // Nothing bound yet: a Chars cell never matches, so every value is bound at the first step.
        m_bound.assign(kStatementRows * m_columns, Cell{Cell::Kind::Chars, 0, 0, nullptr});
    }
    std::size_t row = 0;
    for (; row + kStatementRows <= batch.rows; row += kStatementRows) {
        if (!Step(m_insert, batch, row, kStatementRows, m_bound.data())) return false;
    }
    if (row == batch.rows) return true;
    // The last rows of the export: a statement of their own, once.
    sqlite3_stmt* rest = Prepare(batch.rows - row);
    const bool ok = rest != nullptr && Step(rest, batch, row, batch.rows - row, nullptr);
    sqlite3_finalize(rest);
    return ok;
}

void CSqliteRowWriter::Run() {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_stopping; });
        if (m_queue.empty()) return;
        Batch* batch = m_queue.front();
        m_queue.erase(m_queue.begin());
        m_stepping = true;
        lock.unlock();
        const bool ok = Insert(*batch);
        std::string failure = ok ? std::string() : std::string(sqlite3_errmsg(m_db));
        lock.lock();
        m_stepping = false;
        Release(batch);
        if (!ok) {
            // After a refusal nothing more goes in: the export fails with SQLite's message.
            if (m_failure.empty()) m_failure = failure.empty() ? "insert failed" : failure;
            for (Batch* queued : m_queue) Release(queued);
            m_queue.clear();
        }
        m_changed.notify_all();
    }
}

void CSqliteRowWriter::Release(Batch* batch) {
    batch->rows = 0;
    batch->cells.clear();
    batch->chars.clear();
    batch->sqlBefore.clear();
    m_free.push_back(batch);
}

bool CSqliteRowWriter::Hand() {
    std::unique_lock lock(m_mutex);
    if (!m_thread.joinable()) {
        m_stopping = false;
        m_thread = std::thread([this] { Run(); });
    }
    if (m_failure.empty()) {
        m_queue.push_back(m_filling);
        m_changed.notify_all();
    } else {
        Release(m_filling);
    }
    m_changed.wait(lock, [this] { return !m_free.empty(); });
    m_filling = m_free.back();
    m_free.pop_back();
    return m_failure.empty();
}

std::string CSqliteRowWriter::Drain() {
    if (m_filling->rows > 0 || m_thread.joinable()) {
        if (m_filling->rows > 0) Hand();
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return (m_queue.empty() && !m_stepping) || !m_failure.empty(); });
    }
    Stop();
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    return m_failure;
}

void CSqliteRowWriter::Stop() noexcept {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        for (Batch* batch : m_queue) Release(batch);
        m_queue.clear();  // after Drain nothing is left; otherwise the rows are abandoned
    }
    m_changed.notify_all();
    m_thread.join();
}

}  // namespace vyx
