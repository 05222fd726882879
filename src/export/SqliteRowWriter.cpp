#include "export/SqliteRowWriter.h"

#include <sqlite3.h>

#include <new>
#include <stdexcept>

namespace vyx {

namespace {

// A batch being filled, one queued and one being stepped: the caller waits only when SQLite is behind.
constexpr std::size_t kBatches = 3;

}  // namespace

CSqliteRowWriter::CSqliteRowWriter(Consumer consume, std::size_t columns)
    : CSqliteRowWriter(nullptr, std::string(), columns) {
    if (!consume) throw std::logic_error("a row writer without its consumer");
    m_consume = std::move(consume);
}

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
    Unfeed();
}

namespace {

// The batch being stepped as a table SQLite reads (an eponymous virtual table of the connection): one step
// of "INSERT INTO t SELECT * FROM feed" takes all its rows, with each value handed straight from its cell.
// Bound parameters would cost more: a statement of many rows, bound value by value, re-bound at each step.
struct FeedTable {
    sqlite3_vtab base{};
    const CSqliteRowWriter::Batch* const* batch = nullptr;  // the writer's batch being stepped
    std::size_t columns = 0;
};

struct FeedCursor {
    sqlite3_vtab_cursor base{};
    std::size_t row = 0;
};

struct FeedModule {
    const CSqliteRowWriter::Batch* const* batch;
    std::size_t columns;
};

int FeedConnect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** table, char**) {
    const auto* module = static_cast<const FeedModule*>(aux);
    std::string declare = "CREATE TABLE x(";
    for (std::size_t i = 0; i < module->columns; ++i) declare += (i == 0 ? "c" : ", c") + std::to_string(i);
    declare += ")";
    if (const int status = sqlite3_declare_vtab(db, declare.c_str()); status != SQLITE_OK) return status;
    auto* feed = new (std::nothrow) FeedTable;
    if (feed == nullptr) return SQLITE_NOMEM;
    feed->batch = module->batch;
    feed->columns = module->columns;
    *table = &feed->base;
    return SQLITE_OK;
}

int FeedDisconnect(sqlite3_vtab* table) {
    delete reinterpret_cast<FeedTable*>(table);
    return SQLITE_OK;
}

int FeedBestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    info->estimatedCost = static_cast<double>(CSqliteRowWriter::kBatchRows);
    info->estimatedRows = static_cast<sqlite3_int64>(CSqliteRowWriter::kBatchRows);
    return SQLITE_OK;
}

int FeedOpen(sqlite3_vtab*, sqlite3_vtab_cursor** cursor) {
    auto* feed = new (std::nothrow) FeedCursor;
    if (feed == nullptr) return SQLITE_NOMEM;
    *cursor = &feed->base;
    return SQLITE_OK;
}

int FeedClose(sqlite3_vtab_cursor* cursor) {
    delete reinterpret_cast<FeedCursor*>(cursor);
    return SQLITE_OK;
}

int FeedFilter(sqlite3_vtab_cursor* cursor, int, const char*, int, sqlite3_value**) {
    reinterpret_cast<FeedCursor*>(cursor)->row = 0;
    return SQLITE_OK;
}

int FeedNext(sqlite3_vtab_cursor* cursor) {
    ++reinterpret_cast<FeedCursor*>(cursor)->row;
    return SQLITE_OK;
}

const CSqliteRowWriter::Batch* BatchOf(sqlite3_vtab_cursor* cursor) {
    return *reinterpret_cast<FeedTable*>(cursor->pVtab)->batch;
}

int FeedEof(sqlite3_vtab_cursor* cursor) {
    const CSqliteRowWriter::Batch* batch = BatchOf(cursor);
    return batch == nullptr || reinterpret_cast<FeedCursor*>(cursor)->row >= batch->rows;
}

int FeedColumn(sqlite3_vtab_cursor* cursor, sqlite3_context* context, int column) {
    using Cell = CSqliteRowWriter::Cell;
    const auto* table = reinterpret_cast<FeedTable*>(cursor->pVtab);
    const CSqliteRowWriter::Batch& batch = **table->batch;
    const Cell& cell =
        batch.cells[reinterpret_cast<FeedCursor*>(cursor)->row * table->columns + static_cast<std::size_t>(column)];
    switch (cell.kind) {
        case Cell::Kind::Null: sqlite3_result_null(context); break;
        case Cell::Kind::Integer: sqlite3_result_int64(context, cell.number); break;
        case Cell::Kind::Text:
            // An empty text may hold no pointer, which SQLite would take for NULL.
            sqlite3_result_text(context, cell.size == 0 ? "" : cell.text, static_cast<int>(cell.size), SQLITE_STATIC);
            break;
        case Cell::Kind::Chars:
            sqlite3_result_text(context, batch.chars.data() + cell.number, static_cast<int>(cell.size), SQLITE_STATIC);
            break;
    }
    return SQLITE_OK;
}

int FeedRowid(sqlite3_vtab_cursor* cursor, sqlite3_int64* rowid) {
    *rowid = static_cast<sqlite3_int64>(reinterpret_cast<FeedCursor*>(cursor)->row);
    return SQLITE_OK;
}

const sqlite3_module kFeedModule = [] {
    sqlite3_module module{};
    module.iVersion = 1;
    module.xCreate = nullptr;  // eponymous only: no CREATE VIRTUAL TABLE, nothing in the exported schema
    module.xConnect = FeedConnect;
    module.xBestIndex = FeedBestIndex;
    module.xDisconnect = FeedDisconnect;
    module.xDestroy = FeedDisconnect;
    module.xOpen = FeedOpen;
    module.xClose = FeedClose;
    module.xFilter = FeedFilter;
    module.xNext = FeedNext;
    module.xEof = FeedEof;
    module.xColumn = FeedColumn;
    module.xRowid = FeedRowid;
    return module;
}();

constexpr const char* kFeedName = "vyx_row_feed";

}  // namespace

bool CSqliteRowWriter::Feed() {
    if (m_insert != nullptr) return true;
    if (!m_fed) {
        auto* module = new FeedModule{&m_stepped, m_columns};
        const auto drop = [](void* aux) { delete static_cast<FeedModule*>(aux); };
        if (sqlite3_create_module_v2(m_db, kFeedName, &kFeedModule, module, drop) != SQLITE_OK) return false;
        m_fed = true;
    }
    const std::string insert = "INSERT INTO " + m_table + " SELECT * FROM " + kFeedName;
    if (sqlite3_prepare_v2(m_db, insert.c_str(), -1, &m_insert, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_insert);
        m_insert = nullptr;
        return false;
    }
    return true;
}

void CSqliteRowWriter::Unfeed() noexcept {
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    // The table goes from the connection with its module, so nothing of it stays once the rows are in.
    if (m_fed) sqlite3_create_module_v2(m_db, kFeedName, nullptr, nullptr, nullptr);
    m_fed = false;
}

bool CSqliteRowWriter::Insert(const Batch& batch) {
    if (batch.rows == 0) return true;
    if (!Feed()) return false;
    m_stepped = &batch;
    const bool done = sqlite3_step(m_insert) == SQLITE_DONE;
    sqlite3_reset(m_insert);
    m_stepped = nullptr;
    return done;
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
        std::string failure;
        bool ok;
        if (m_consume) {
            failure = m_consume(*batch);
            ok = failure.empty();
        } else {
            ok = Insert(*batch);
            if (!ok) failure = sqlite3_errmsg(m_db);
        }
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
    Unfeed();
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
