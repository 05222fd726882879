#include "logdata/LiveFollow.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "logdata/DataFolder.h"
#include "logdata/LiveRecordListener.h"
#include "logdata/LiveSegments.h"
#include "platform/FileError.h"
#include "platform/FolderWatch.h"

namespace vyx {
namespace {

// New records reach the window at most this often, and at the latest this long after they were read.
constexpr std::chrono::milliseconds kPostInterval{100};
// After a change, writes are let gather this long before the files are looked at again: a logger writing
// frame by frame would otherwise wake the follow for every few bytes.
constexpr std::chrono::milliseconds kGatherTime{20};
// A file that grew this lately is looked at in every check, though no longer the newest: the logger may
// still finish the last frames of the day it just left.
constexpr std::chrono::minutes kActiveTime{2};
// The files that do not grow are looked at this many per check, in turn (a removed or replaced one is told).
constexpr std::size_t kQuietLooksPerCheck = 32;
// Folder times may be this coarse: a listing made within it after the folder's time may have missed a name.
constexpr std::int64_t kCoarseFolderTimeNs = 2'000'000'000;

std::int64_t WallNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string FileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

struct PathState {
    bool exists = false;
    FileIdentity identity;
    std::int64_t modifiedNanoseconds = 0;
};

PathState StatPath(const std::string& path) {
    PathState state;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return state;
        throw CFileError(errno, path);
    }
    state.exists = true;
    state.identity.device = static_cast<std::uint64_t>(st.st_dev);
    state.identity.inode = static_cast<std::uint64_t>(st.st_ino);
    state.identity.size = static_cast<std::uint64_t>(st.st_size);
    state.modifiedNanoseconds = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return state;
}

bool SameFile(const FileIdentity& a, const FileIdentity& b) { return a.device == b.device && a.inode == b.inode; }

std::string ReplacedText(const std::string& path) {
    return "Following stopped: " + FileName(path) +
           " was replaced by another file while it was followed; the records read so far stay.";
}

// Drops from the damage the bytes before `notedTo`, noted already.
void ClipNoted(std::vector<DayFileDamage>& damage, std::uint64_t notedTo) {
    std::vector<DayFileDamage> kept;
    for (DayFileDamage d : damage) {
        if (d.offset + d.bytes <= notedTo) continue;
        if (d.offset < notedTo) {
            d.bytes -= notedTo - d.offset;
            d.offset = notedTo;
        }
        kept.push_back(d);
    }
    damage = std::move(kept);
}

}  // namespace

DayFileReadOptions FollowReadOptions(const FollowStart& start, bool recover, bool mayGrow) {
    return {recover, start.dayStart, start.synchronised, mayGrow, start.search};
}

void LeaveWalk(FollowStart& start, const CDayFileReader& reader, std::vector<DayFileDamage>& damage, bool mayGrow) {
    const FrameEnd end = reader.EndReason();
    const bool cut = !damage.empty() && damage.back().kind == DamageKind::IncompleteLastFrame;
    start.search = reader.Pending();
    if (start.search) {
        start.incomplete = true;
        start.resume = start.search->resume;
    } else if (cut) {
        start.incomplete = true;
        start.resume = damage.back().offset;
    } else {
        start.incomplete = false;
        start.resume = reader.Offset();
    }
    // What a look leaves undecided is judged later; a judgement's word stands, noted once.
    if (cut && mayGrow) damage.pop_back();
    start.ended = !start.search && (end == FrameEnd::BadLength || end == FrameEnd::OffsetLimit);
    start.synchronised = reader.Synchronised();
    const std::uint64_t notedEnd = damage.empty() ? 0 : damage.back().offset + damage.back().bytes;
    if (start.ended && !damage.empty()) start.ending = damage.back();
    ClipNoted(damage, start.notedTo);
    if (!mayGrow || start.ended) start.notedTo = std::max(start.notedTo, notedEnd);
}

bool MayStillGrow(const std::string& path, std::chrono::milliseconds quietTime) {
    const PathState state = StatPath(path);
    if (!state.exists) return false;
    const auto modified = std::chrono::system_clock::time_point(std::chrono::nanoseconds(state.modifiedNanoseconds));
    return std::chrono::system_clock::now() - modified < quietTime;
}

std::vector<std::uint8_t> TakenTail(const CInputFile& file, std::uint64_t end) {
    const std::uint64_t from = end > kTakenTailBytes ? end - kTakenTailBytes : 0;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(end - from));
    bytes.resize(file.ReadAt(from, bytes.data(), bytes.size()));
    return bytes;
}

std::string OutOfOrderNotice(std::int64_t count) {
    return std::to_string(count) + " records arrived out of time order; press Filter ! to re-sort";
}

std::string NewRecordsNotShownNotice(std::int64_t count) {
    return std::to_string(count) + " new records: press Filter ! to show them";
}

CLiveFollow::CLiveFollow(LiveFollowInputs inputs)
    : m_in(std::move(inputs)),
      m_parse(m_in.settings.modbusBaseAddress),
      m_reader(1 << 16),
      m_lastSerial(m_in.lastSerial),
      m_lastTime(m_in.lastTime) {
    m_postedSerial = m_lastSerial;
    const auto now = Clock::now();
    const auto wallNow = std::chrono::system_clock::now();
    for (FollowStart& start : m_in.files) {
        Followed file;
        file.start = std::move(start);
        // The size the load saw: only growth past it is news, so a file quiet for a while is judged at once.
        file.seen = std::max(file.start.resume, file.start.identity.size);
        file.grewAt = now;
        if (file.start.incomplete) {
            // A file untouched for a while before the follow began has waited its quiet time already.
            const PathState state = StatPath(file.start.path);
            if (state.exists) {
                const auto modified =
                    std::chrono::system_clock::time_point(std::chrono::nanoseconds(state.modifiedNanoseconds));
                const auto age = std::chrono::duration_cast<Clock::duration>(wallNow - modified);
                if (age > Clock::duration::zero()) file.grewAt = now - age;
            }
        }
        m_files.push_back(std::move(file));
    }
    m_in.files.clear();
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (m_files[i].start.dayStart >= m_files[m_newest].start.dayStart) m_newest = i;
    }
}

CLiveFollow::~CLiveFollow() {
    try {
        CloseTail();
    } catch (...) {
        // The index of a follow that ends is not needed beyond what was published.
    }
}

void CLiveFollow::Post(LoadMessage message, std::int64_t count, std::string text, MessageIcon icon,
                       std::uint32_t time) {
    if (m_in.target == nullptr) return;
    LoadNotification n;
    n.message = message;
    n.jobId = m_in.jobId;
    n.count = count;
    n.text = std::move(text);
    n.icon = icon;
    n.time = time;
    m_in.target->Post(std::move(n));
}

void CLiveFollow::Run() {
    try {
        Loop();
    } catch (const std::exception& e) {
        StopFollow(e.what());
    } catch (...) {
        StopFollow("The follow ended on an unexpected error.");
    }
    try {
        CloseTail();
        PostIfDue(Clock::now(), true);
    } catch (...) {
        // What was published stays fetchable; nothing more can be told.
    }
    if (!m_stopText.empty() && !Stopping()) Post(UM_FOLLOW_STOPPED, m_lastSerial + 1, m_stopText, MessageIcon::Exclamation);
}

bool CLiveFollow::StopFollow(std::string text) {
    if (m_stopText.empty()) m_stopText = std::move(text);
    return false;
}

void CLiveFollow::Loop() {
    Post(UM_FOLLOW_STARTED, m_lastSerial + 1, m_in.watch->HasEvents() ? "events" : "polling");
    m_lastPost = Clock::now();
    m_nextFullCheck = m_lastPost;  // what was written between the load's end and now is read at once
    while (!Stopping()) {
        const auto result = m_in.watch->Wait(NextTimeout(Clock::now()));
        if (Stopping()) break;
        const auto now = Clock::now();
        Count(&FollowCounters::wakes);
        const bool named = result == CFolderWatch::WaitResult::Named;
        if (now >= m_nextFullCheck || named) {
            m_nextFullCheck = now + m_in.settings.follow.checkInterval;
            if (!CheckActiveAndSome(now) || Stopping()) return;
            if (!FindNewDayFiles(now, named)) return;
        } else {
            // The logger's file, any whose quiet time has just passed (it is judged now, not spun on), and
            // any the watch heard written to.
            const std::vector<std::string>& written = m_in.watch->WrittenNames();
            for (Followed& file : m_files) {
                const bool due = AwaitsJudgement(file) && now - file.grewAt >= m_in.settings.follow.quietTime;
                const bool heard = result == CFolderWatch::WaitResult::Written &&
                                   std::find(written.begin(), written.end(), FileName(file.start.path)) != written.end();
                if ((&file == &m_files[m_newest] || due || heard) && !Check(file, now)) return;
            }
        }
        PublishTail();
        m_in.log->Flush();
        if (m_damageChanged) {
            m_damageChanged = false;
            m_in.damageLog->Flush();
            const std::string notice = m_in.damageLog->NoticeText();
            if (!notice.empty()) Post(UM_DAMAGED_FILES, static_cast<std::int64_t>(m_in.damageLog->NoticeBytes()), notice);
        }
        PostIfDue(now, false);
        if (result == CFolderWatch::WaitResult::Written || result == CFolderWatch::WaitResult::Named) {
            m_in.watch->Pause(kGatherTime);
        }
    }
}

void CLiveFollow::Count(std::atomic<std::int64_t> FollowCounters::*counter) const {
    if (m_in.settings.follow.counters) (m_in.settings.follow.counters.get()->*counter).fetch_add(1, std::memory_order_relaxed);
}

bool CLiveFollow::AwaitsJudgement(const Followed& file) const {
    return file.start.incomplete && !file.judged && !file.start.ended;
}

bool CLiveFollow::Active(const Followed& file, Clock::time_point now) const {
    return &file == &m_files[m_newest] || AwaitsJudgement(file) || (file.grew && now - file.grewAt < kActiveTime);
}

bool CLiveFollow::CheckActiveAndSome(Clock::time_point now) {
    // A folder of years has thousands of day files; only the few that may grow are looked at every time.
    std::vector<bool> active(m_files.size());
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        active[i] = Active(m_files[i], now);
        if (active[i] && !Check(m_files[i], now)) return false;
    }
    std::size_t looked = 0;
    for (std::size_t n = 0; n < m_files.size() && looked < kQuietLooksPerCheck; ++n) {
        const std::size_t i = m_sweep++ % m_files.size();
        if (active[i]) continue;  // an ended file too: what is appended after its stop is counted
        ++looked;
        if (!Check(m_files[i], now)) return false;
    }
    return true;
}

std::chrono::milliseconds CLiveFollow::NextTimeout(Clock::time_point now) const {
    auto next = m_nextFullCheck;
    const bool unposted = m_lastSerial != m_postedSerial || m_outOfOrder != m_postedOutOfOrder ||
                          m_notShown != m_postedNotShown;
    if (unposted) next = std::min(next, m_lastPost + kPostInterval);
    for (const Followed& file : m_files) {
        if (AwaitsJudgement(file)) {
            next = std::min(next, file.grewAt + m_in.settings.follow.quietTime);
        }
    }
    if (next <= now) return std::chrono::milliseconds(0);
    return std::chrono::ceil<std::chrono::milliseconds>(next - now);
}

bool CLiveFollow::Check(Followed& file, Clock::time_point now) {
    if (file.start.ended) {
        const PathState state = StatPath(file.start.path);
        if (state.exists && SameFile(state.identity, file.start.identity)) NoteGrowthAfterEnd(file, state.identity.size);
        return true;
    }
    Count(&FollowCounters::looks);
    const PathState state = StatPath(file.start.path);
    const std::string name = FileName(file.start.path);
    if (!state.exists) {
        return StopFollow("Following stopped: " + name +
                          " was removed while it was followed; the records read so far stay.");
    }
    if (!SameFile(state.identity, file.start.identity)) return StopFollow(ReplacedText(file.start.path));
    if (state.identity.size < file.seen) {
        return StopFollow("Following stopped: " + name +
                          " became shorter while it was followed; the records read so far stay.");
    }
    if (state.identity.size > file.seen) {
        file.seen = state.identity.size;
        file.grewAt = now;
        file.grew = true;
        file.judged = false;
        return ReadNew(file);
    }
    if (file.start.incomplete && !file.judged && now - file.grewAt >= m_in.settings.follow.quietTime) {
        // The logger has not finished in the quiet time: what is there is judged as a load judges it.
        file.judged = true;
        return ReadNew(file, true);
    }
    return true;
}

// A walk that stopped for good does not read on, but the bytes appended after its stop were not read either.
void CLiveFollow::NoteGrowthAfterEnd(Followed& file, std::uint64_t size) {
    if (size <= file.start.notedTo) return;
    DayFileDamage more = file.start.ending;
    more.offset = file.start.notedTo;
    more.bytes = size - file.start.notedTo;
    file.start.notedTo = size;
    m_in.damageLog->Write(file.start.path, {more});
    m_damageChanged = true;
}

bool CLiveFollow::ReadNew(Followed& file, bool judgement) {
    if (!file.handle) {
        auto handle = std::make_shared<CInputFile>(file.start.path);
        if (!SameFile(IdentityOf(*handle), file.start.identity)) return StopFollow(ReplacedText(file.start.path));
        file.handle = std::move(handle);
    }
    // Cut short and written again past its old size between two looks: the bytes already taken differ.
    if (TakenTail(*file.handle, file.start.resume) != file.start.tail) return StopFollow(ReplacedText(file.start.path));
    // Only the logger's current file keeps its descriptor between looks; a folder of years has many files.
    m_reader.Open(file.handle, FollowReadOptions(file.start, m_in.settings.recover, !judgement), file.start.resume);
    Frame frame;
    bool going = true;
    while (going && !Stopping() && m_reader.Next(frame)) {
        if (frame.IsDecodable()) going = Take(file, frame);
    }
    std::vector<DayFileDamage> damage = m_reader.Damage();
    LeaveWalk(file.start, m_reader, damage, !judgement);
    m_reader.Close();
    file.start.tail = TakenTail(*file.handle, file.start.resume);
    if (&file != &m_files[m_newest] || file.start.ended) file.handle.reset();
    if (!damage.empty()) {
        m_in.damageLog->Write(file.start.path, damage);
        m_damageChanged = true;
    }
    return going;
}

bool CLiveFollow::Take(Followed& file, const Frame& frame) {
    std::uint32_t time = 0;
    const FrameVerdict verdict = m_in.judge(frame, m_lastSerial + 1, time);
    if (verdict == FrameVerdict::Invalid) return true;
    SerialNumber serial = -1;
    if (verdict == FrameVerdict::Keep) {
        m_lastReceived = time;
        if (m_in.settings.order == LoadOrder::Descending) {
            // These belong at the top and would renumber every row: counted, shown after the next load.
            ++m_notShown;
        } else {
            if (!AppendToSegment(file, frame)) return false;
            serial = m_lastSerial;
            if (m_in.settings.order == LoadOrder::Ascending) {
                if (time < m_lastTime) ++m_outOfOrder;
                m_lastTime = std::max(m_lastTime, time);
            }
        }
    }
    if (m_in.listener != nullptr) {
        m_parse.Parse(frame.bytes, frame.RecordSize(), m_record);
        m_in.listener->OnLiveRecord({m_record, file.start.path, frame.offset, serial, frame.length});
    }
    return true;
}

bool CLiveFollow::AppendToSegment(Followed& file, const Frame& frame) {
    if (m_tail == nullptr || m_tail->Path() != file.start.path) {
        CloseTail();
        auto segment = std::make_unique<CRecordFile>(file.start.path, file.start.dayStart, m_in.tempFolder,
                                                     *m_in.handles, "_live" + std::to_string(++m_segmentNumber));
        if (!SameFile(IdentityOf(*segment->OpenForLoad()), file.start.identity)) {
            // The handle just opened is of the other file: it must not serve the records of the loaded one.
            m_in.handles->Forget(file.start.path);
            return StopFollow(ReplacedText(file.start.path));
        }
        m_tailIndex.Open(segment->IndexPath());
        CRecordFile* added = segment.get();
        if (!m_in.segments->Add(std::move(segment))) {
            m_tailIndex.Close();
            return StopFollow("Following stopped: the records came from too many day file parts; press Filter ! to "
                              "load the folder again.");
        }
        m_tail = added;
        m_tailFirst = m_lastSerial + 1;
    }
    const std::uint32_t offset = frame.offset;
    m_batch.push_back(static_cast<std::uint8_t>(offset));
    m_batch.push_back(static_cast<std::uint8_t>(offset >> 8));
    m_batch.push_back(static_cast<std::uint8_t>(offset >> 16));
    m_batch.push_back(static_cast<std::uint8_t>(offset >> 24));
    ++m_lastSerial;
    m_tailBytes = static_cast<std::uint64_t>(offset) + static_cast<std::uint64_t>(frame.length);
    // A long stretch of appended records is published as it goes, as a load does.
    if (m_batch.size() >= static_cast<std::size_t>(format::kProgressBatch) * format::kIndexEntryBytes * 16) {
        PublishTail();
    }
    return true;
}

void CLiveFollow::PublishTail() {
    if (m_tail == nullptr || m_batch.empty()) return;
    // The entries are in the index file before their serial numbers are announced.
    m_tailIndex.Write(m_batch.data(), m_batch.size());
    m_batch.clear();
    m_tail->Publish(m_tailFirst, m_lastSerial, m_tailBytes);
}

void CLiveFollow::CloseTail() {
    if (m_tail == nullptr) return;
    PublishTail();
    m_tailIndex.Close();
    m_tail = nullptr;
}

bool CLiveFollow::FolderChanged(bool named) {
    const std::int64_t wallNow = WallNanoseconds();
    struct stat st {};
    // A folder that cannot be looked at is listed, and the listing finds what it can.
    if (::stat(m_in.settings.follow.folder.c_str(), &st) != 0) return true;
    const auto inode = static_cast<std::uint64_t>(st.st_ino);
    const std::int64_t modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    const bool same = m_listed && inode == m_folderInode && modified == m_folderModified &&
                      m_listedAt - m_folderModified > kCoarseFolderTimeNs;
    if (same && !named) return false;
    m_listed = true;
    m_folderInode = inode;
    m_folderModified = modified;
    m_listedAt = wallNow;  // taken before the listing: a name that comes during it is listed next time
    return true;
}

bool CLiveFollow::FindNewDayFiles(Clock::time_point now, bool named) {
    // New day files come with a new name, which changes the folder's time.
    if (!FolderChanged(named)) return true;
    Count(&FollowCounters::listings);
    const DataFolderListing listing = ListDayFiles(m_in.settings.follow.folder);
    const std::uint32_t newestDay = m_files.empty() ? 0 : m_files[m_newest].start.dayStart;
    for (const auto& [name, dayStart] : listing.dayFiles) {
        if (!m_files.empty() && dayStart <= newestDay) continue;
        if (m_in.settings.window.Excludes(dayStart)) continue;
        const std::string path = listing.folder + "/" + name;
        const PathState state = StatPath(path);
        if (!state.exists) continue;
        // A name for the same day in another case is the same day again: the first one found is followed.
        bool known = false;
        for (const Followed& file : m_files) known = known || file.start.dayStart == dayStart;
        if (known) continue;
        Followed file;
        file.start.path = path;
        file.start.dayStart = dayStart;
        file.start.identity = state.identity;
        file.grewAt = now;
        const std::size_t previous = m_newest;
        m_files.push_back(std::move(file));
        if (m_files.size() == 1 || dayStart > m_files[m_newest].start.dayStart) m_newest = m_files.size() - 1;
        if (previous != m_newest) m_files[previous].handle.reset();
        if (m_newest == m_files.size() - 1) Post(UM_FOLLOW_DAY_FILE, m_lastSerial + 1, {}, MessageIcon::None, dayStart);
        if (!Check(m_files.back(), now)) return false;
    }
    return true;
}

void CLiveFollow::PostIfDue(Clock::time_point now, bool force) {
    const bool records = m_lastSerial != m_postedSerial;
    const bool notices = m_outOfOrder != m_postedOutOfOrder || m_notShown != m_postedNotShown;
    if (!records && !notices) return;
    if (!force && now - m_lastPost < kPostInterval) return;
    m_lastPost = now;
    if (records || m_notShown != m_postedNotShown) {
        if (m_in.listener != nullptr && records) m_in.listener->OnLiveRecordsPublished(m_lastSerial + 1);
        Post(UM_FOLLOW_PROGRESS, m_lastSerial + 1, {}, MessageIcon::None, m_lastReceived);
    }
    m_postedSerial = m_lastSerial;
    if (m_outOfOrder != m_postedOutOfOrder) {
        m_postedOutOfOrder = m_outOfOrder;
        Post(UM_FOLLOW_NOTICE, m_outOfOrder, OutOfOrderNotice(m_outOfOrder));
    }
    if (m_notShown != m_postedNotShown) {
        m_postedNotShown = m_notShown;
        Post(UM_FOLLOW_NOTICE, m_notShown, NewRecordsNotShownNotice(m_notShown));
    }
}

}  // namespace vyx
