#include "ReliabilitySupport.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "logdata/DataFolder.h"
#include "logdata/DayFileFormat.h"
#include "logdata/Parse.h"
#include "platform/File.h"

namespace vyx::test {

int CountFromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return (end != nullptr && *end == '\0' && value > 0 && value < 100000000) ? static_cast<int>(value) : fallback;
}

namespace {

int CountEntries(const char* folder) {
    int count = 0;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(folder, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec)) {
        ++count;
    }
    return count;
}

}  // namespace

ProcessResources CountProcessResources() {
    ProcessResources r;
    // The listing's own descriptor is counted every time, so counts stay comparable.
    r.descriptors = CountEntries("/proc/self/fd");
    r.threads = CountEntries("/proc/self/task");
    return r;
}

ProcessResources SettledProcessResources(const ProcessResources& baseline) {
    ProcessResources now = CountProcessResources();
    for (int i = 0; i < 200 && !(now == baseline); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        now = CountProcessResources();
    }
    return now;
}

// ---- Watchdog

Watchdog::Watchdog() : m_thread([this] { Watch(); }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void Watchdog::Arm(const std::string& step, std::chrono::milliseconds limit) {
    {
        std::lock_guard lock(m_mutex);
        m_step = step;
        m_deadline = std::chrono::steady_clock::now() + limit;
    }
    m_changed.notify_all();
}

void Watchdog::Disarm() {
    {
        std::lock_guard lock(m_mutex);
        m_deadline = std::chrono::steady_clock::time_point::max();
    }
    m_changed.notify_all();
}

void Watchdog::Watch() {
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (m_deadline == std::chrono::steady_clock::time_point::max()) {
            m_changed.wait(lock);
        } else if (m_changed.wait_until(lock, m_deadline) == std::cv_status::timeout &&
                   std::chrono::steady_clock::now() >= m_deadline) {
            std::fprintf(stderr, "\nHANG: \"%s\" did not end in time\n", m_step.c_str());
            std::fflush(stderr);
            std::_Exit(3);
        }
    }
}

// ---- SealedFolder

std::uint64_t HashFile(const std::string& path) {
    std::uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](const std::uint8_t* bytes, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    // Only the data extents and where they lie: a sparse file of gigabytes is hashed in no time, and
    // anything written into a hole shows as a new extent.
    std::vector<std::uint8_t> block(1 << 16);
    off_t at = 0;
    for (;;) {
        const off_t data = ::lseek(fd, at, SEEK_DATA);
        if (data < 0) break;
        const off_t hole = ::lseek(fd, data, SEEK_HOLE);
        if (hole <= data) break;
        mix(reinterpret_cast<const std::uint8_t*>(&data), sizeof data);
        for (off_t pos = data; pos < hole;) {
            const auto want = static_cast<std::size_t>(std::min<off_t>(hole - pos, static_cast<off_t>(block.size())));
            const ssize_t got = ::pread(fd, block.data(), want, pos);
            if (got <= 0) break;
            mix(block.data(), static_cast<std::size_t>(got));
            pos += got;
        }
        at = hole;
    }
    ::close(fd);
    return hash;
}

namespace {

std::int64_t Nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

}  // namespace

SealedFolder::SealedFolder(std::string folder) : m_folder(std::move(folder)) {
    namespace fs = std::filesystem;
    const auto noWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    for (const auto& e : fs::directory_iterator(m_folder)) {
        if (!e.is_symlink()) fs::permissions(e.path(), noWrite, fs::perm_options::remove);
    }
    fs::permissions(m_folder, noWrite, fs::perm_options::remove);
    m_entries = Record();
    m_watchFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watchFd >= 0) {
        ::inotify_add_watch(m_watchFd, m_folder.c_str(),
                            IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_DELETE_SELF |
                                IN_MOVE_SELF | IN_MOVED_FROM | IN_MOVED_TO);
    }
}

SealedFolder::~SealedFolder() {
    if (m_watchFd >= 0) ::close(m_watchFd);
}

std::vector<SealedFolder::Entry> SealedFolder::Record() const {
    std::vector<Entry> entries;
    auto add = [&](const std::string& name, const std::string& path) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) return;
        Entry e;
        e.name = name;
        e.mode = st.st_mode;
        e.size = static_cast<std::uint64_t>(st.st_size);
        e.mtime = Nanoseconds(st.st_mtim);
        e.ctime = Nanoseconds(st.st_ctim);
        if (S_ISREG(st.st_mode)) e.hash = HashFile(path);
        entries.push_back(std::move(e));
    };
    add(".", m_folder);
    for (const auto& e : std::filesystem::directory_iterator(m_folder)) {
        add(e.path().filename().string(), e.path().string());
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

std::vector<std::string> SealedFolder::Changes() {
    std::vector<std::string> changes;
    if (m_watchFd < 0) changes.push_back("no inotify watch");
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t n = m_watchFd >= 0 ? ::read(m_watchFd, buffer, sizeof buffer) : -1;
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            char text[64];
            std::snprintf(text, sizeof text, "event 0x%x on ", event->mask);
            changes.push_back(text + std::string(event->len ? event->name : "the folder"));
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    const std::vector<Entry> now = Record();
    for (const Entry& e : m_entries) {
        const auto it = std::find_if(now.begin(), now.end(), [&](const Entry& x) { return x.name == e.name; });
        if (it == now.end()) {
            changes.push_back("gone: " + e.name);
        } else if (!(*it == e)) {
            changes.push_back("changed: " + e.name);
        }
    }
    for (const Entry& e : now) {
        if (std::none_of(m_entries.begin(), m_entries.end(), [&](const Entry& x) { return x.name == e.name; })) {
            changes.push_back("new: " + e.name);
        }
    }
    return changes;
}

// ---- the independent reading of day files

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    CInputFile file(path);
    std::vector<std::uint8_t> block(1 << 16);
    for (;;) {
        const std::size_t got = file.Read(block.data(), block.size());
        bytes.insert(bytes.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(got));
        if (got < block.size()) break;
    }
    return bytes;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    COutputFile file(path);
    file.Write(bytes.data(), bytes.size());
    file.Close();
}

DayFileOracle ReadDayFileOracle(const std::vector<std::uint8_t>& bytes) {
    DayFileOracle oracle;
    const CParse parse;
    std::size_t at = 0;
    // A frame: big-endian length L counting its own two bytes, then L - 2 record bytes. Reading ends at a
    // length of 2 or less and at a frame cut short; frames outside 7..302 are passed over.
    while (bytes.size() - at >= 2) {
        const std::size_t length = static_cast<std::size_t>(bytes[at]) << 8 | bytes[at + 1];
        if (length <= 2 || bytes.size() - at - 2 < length - 2) break;
        if (length >= 7 && length <= 302) {
            OracleRecord r;
            r.offset = static_cast<std::uint32_t>(at);
            parse.Parse(bytes.data() + at + 2, static_cast<int>(length - 2), r.record);
            if (MessageModeFromClass(bytes[at + 2 + 4] & 0x3F) == kModeUnidentified) {
                ++oracle.invalid;
            } else {
                oracle.accepted.push_back(std::move(r));
            }
        }
        at += length;
    }
    return oracle;
}

DayFileOracle ReadDayFileOracle(const std::string& path) {
    return ReadDayFileOracle(ReadBytes(path));
}

std::int64_t ExpectedLoad::Total() const {
    std::int64_t total = 0;
    for (const File& f : files) total += static_cast<std::int64_t>(f.oracle.accepted.size());
    return total;
}

std::int64_t ExpectedLoad::Invalid() const {
    std::int64_t total = 0;
    for (const File& f : files) total += f.oracle.invalid;
    return total;
}

std::vector<const CRecord*> ExpectedLoad::Sequence(LoadOrder order, std::int64_t count) const {
    std::vector<const File*> inOrder;
    for (const File& f : files) inOrder.push_back(&f);
    if (order == LoadOrder::Descending) {
        std::stable_sort(inOrder.begin(), inOrder.end(),
                         [](const File* a, const File* b) { return a->dayStart > b->dayStart; });
    }
    std::vector<const CRecord*> sequence;
    for (const File* f : inOrder) {
        const auto left = static_cast<std::size_t>(count - static_cast<std::int64_t>(sequence.size()));
        if (left == 0) break;
        std::vector<const OracleRecord*> part;
        for (std::size_t i = 0; i < f->oracle.accepted.size() && i < left; ++i) part.push_back(&f->oracle.accepted[i]);
        if (order != LoadOrder::Stored) {
            std::stable_sort(part.begin(), part.end(), [](const OracleRecord* a, const OracleRecord* b) {
                return a->record.m_nTime < b->record.m_nTime;
            });
            if (order == LoadOrder::Descending) std::reverse(part.begin(), part.end());
        }
        for (const OracleRecord* r : part) sequence.push_back(&r->record);
    }
    return sequence;
}

ExpectedLoad ExpectLoadOf(const std::string& folder) {
    ExpectedLoad expected;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        const auto day = DayStartFromFileName(name);
        if (!day || !e.is_regular_file()) continue;
        expected.files.push_back({e.path().string(), *day, ReadDayFileOracle(e.path().string())});
    }
    std::sort(expected.files.begin(), expected.files.end(), [](const auto& a, const auto& b) {
        return a.dayStart != b.dayStart ? a.dayStart < b.dayStart : a.path < b.path;
    });
    return expected;
}

bool SameRecord(const CRecord& a, const CRecord& b) {
    return a.m_nDataLength == b.m_nDataLength &&
           std::equal(a.m_pData.begin(), a.m_pData.begin() + std::min<std::size_t>(a.m_pData.size(), a.m_nDataLength),
                      b.m_pData.begin(),
                      b.m_pData.begin() + std::min<std::size_t>(b.m_pData.size(), b.m_nDataLength)) &&
           a.m_nTime == b.m_nTime && a.m_nChannel == b.m_nChannel && a.m_nMessageMode == b.m_nMessageMode &&
           a.m_nDatabaseType == b.m_nDatabaseType && a.m_bFCUValid == b.m_bFCUValid && a.m_nFCU == b.m_nFCU &&
           a.m_bCommandValid == b.m_bCommandValid && a.m_nCommand == b.m_nCommand &&
           a.m_bSourceValid == b.m_bSourceValid && a.m_nSource == b.m_nSource && a.m_bMultipleFCU == b.m_bMultipleFCU;
}

::testing::AssertionResult HoldsRecord(LoadOrder order, const std::vector<const CRecord*>& expected, std::int64_t s,
                                       const CRecord& fetched) {
    if (s < 0 || static_cast<std::size_t>(s) >= expected.size()) {
        return ::testing::AssertionFailure() << "serial " << s << " lies beyond the " << expected.size() << " expected";
    }
    const auto at = static_cast<std::size_t>(s);
    if (order == LoadOrder::Stored || fetched.m_nTime != expected[at]->m_nTime) {
        if (SameRecord(fetched, *expected[at])) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "serial " << s << " holds another record (time " << fetched.m_nTime
                                             << ", expected " << expected[at]->m_nTime << ")";
    }
    for (std::size_t j = at; j < expected.size() && expected[j]->m_nTime == fetched.m_nTime; ++j) {
        if (SameRecord(fetched, *expected[j])) return ::testing::AssertionSuccess();
    }
    for (std::size_t j = at; j-- > 0 && expected[j]->m_nTime == fetched.m_nTime;) {
        if (SameRecord(fetched, *expected[j])) return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "serial " << s << " holds a record of another file or time";
}

// ---- LoadRecorder

void LoadRecorder::Post(LoadNotification n) {
    {
        std::lock_guard lock(m_mutex);
        m_all.push_back(n);
    }
    m_changed.notify_all();
    if (onPost) onPost(n);
}

std::vector<LoadNotification> LoadRecorder::All() const {
    std::lock_guard lock(m_mutex);
    return m_all;
}

std::vector<LoadNotification> LoadRecorder::OfJob(std::uint32_t jobId) const {
    std::lock_guard lock(m_mutex);
    std::vector<LoadNotification> out;
    for (const auto& n : m_all) {
        if (n.jobId == jobId) out.push_back(n);
    }
    return out;
}

void LoadRecorder::Clear() {
    std::lock_guard lock(m_mutex);
    m_all.clear();
}

void LoadRecorder::KeepOnly(std::uint32_t jobId) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_all, [jobId](const LoadNotification& n) { return n.jobId != jobId; });
}

bool LoadRecorder::WaitFor(const std::function<bool(const LoadNotification&)>& match, std::chrono::milliseconds limit) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, limit, [&] { return std::any_of(m_all.begin(), m_all.end(), match); });
}

// ---- ReportRecorder

void ReportRecorder::OnMessage(const std::string& text, MessageIcon icon) {
    Add("message:" + text + (icon == MessageIcon::Stop ? "" : " (not the stop icon)"));
}

std::int32_t ReportRecorder::Add(const std::string& event) {
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(event);
    }
    m_changed.notify_all();
    if (onEvent) onEvent(event);
    return 1;
}

std::vector<std::string> ReportRecorder::Events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::vector<std::string> ReportRecorder::Milestones() const {
    std::vector<std::string> out;
    for (auto& e : Events()) {
        if (e != "progress") out.push_back(e);
    }
    return out;
}

void ReportRecorder::Clear() {
    std::lock_guard lock(m_mutex);
    m_events.clear();
}

bool ReportRecorder::WaitFor(const std::string& event, std::chrono::milliseconds limit) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, limit,
                              [&] { return std::find(m_events.begin(), m_events.end(), event) != m_events.end(); });
}

// ---- PlainWindow

void PlainWindow::SelectFirstEntries() {
    inputs.selection.channelIndex = 0;
    inputs.selection.commandIndex = 0;
    inputs.selection.fcuText = "--ALL--";
    fcuChannel = 0;
}

void PlainWindow::SetDateTimes(const CivilDateTime& from, const CivilDateTime& to) {
    inputs.selection.from = from;
    inputs.selection.to = to;
}

MessageAnswer PlainWindow::Ask(const std::string& text, MessageIcon icon) {
    boxes.push_back({text, icon});
    return MessageAnswer::Yes;
}

// ---- NotificationQueue

void NotificationQueue::Post(LoadNotification n) {
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(n));
    }
    m_ready.notify_all();
}

std::optional<LoadNotification> NotificationQueue::Take(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_mutex);
    if (!m_ready.wait_for(lock, limit, [&] { return !m_queue.empty(); })) return std::nullopt;
    LoadNotification n = std::move(m_queue.front());
    m_queue.pop_front();
    return n;
}

bool NotificationQueue::PumpUntilEnd(CMainWindowController& controller, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        auto n = Take(std::max(left, std::chrono::milliseconds(0)));
        if (!n) return false;
        controller.OnLoadNotification(*n);
        if (n->jobId == controller.Database().JobId() &&
            (n->message == UM_LOAD_FAILED || n->message == UM_LOAD_FINISHED)) {
            // The invalid-records notice follows the end; it has been posted once the worker is gone.
            controller.Database().WaitForLoad();
            while (auto rest = Take(std::chrono::milliseconds(0))) controller.OnLoadNotification(*rest);
            return true;
        }
    }
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(folder, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace vyx::test
