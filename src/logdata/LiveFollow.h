#pragma once
// Following a data folder after its load: records the logger appends to a day file, and day files of later
// days, are read frame by frame, judged by the load's filters and added to the store with the next serial
// numbers, while the load's thread sleeps on the folder's watch in between.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "logdata/DamageLog.h"
#include "logdata/DayFileReader.h"
#include "logdata/FileHandleCache.h"
#include "logdata/InvalidRecordLog.h"
#include "logdata/LoadSettings.h"
#include "logdata/Parse.h"
#include "logdata/Record.h"
#include "logdata/RecordFile.h"
#include "platform/File.h"
#include "platform/LoadNotification.h"

namespace vyx {

class CFolderWatch;
class CLiveSegments;
class ILiveRecordListener;

// Where the load left a day file.
struct FollowStart {
    std::string path;
    std::uint32_t dayStart = 0;
    FileIdentity identity;     // device and inode of the file the load read
    std::uint64_t resume = 0;  // the first byte the load did not take as frames
    bool incomplete = false;   // from resume on lies a frame cut short, not judged yet
    bool ended = false;        // the walk stopped for good there (a bad length, the offset limit)
    bool synchronised = false;  // recovery had resynchronised in the file: the walk resumed goes on so
    // The damage from resume on is noted up to here already (the walk's end, or the judgement after a quiet
    // time): a later note of those bytes counts only what lies beyond.
    std::uint64_t notedTo = 0;
    DayFileDamage ending;  // the damage that ended the walk, when it ended
    std::optional<PendingSearch> search;  // recovery's search after damage, to go on with from resume
    // The last bytes before resume as they were read: a file cut short and written again past its old size
    // keeps its inode and grows, and only its bytes tell that it is another file now.
    std::vector<std::uint8_t> tail;
};

// How a followed file is read on from its start: `mayGrow` for a look, not for the judgement after its quiet
// time (which judges the file as a load of it would).
DayFileReadOptions FollowReadOptions(const FollowStart& start, bool recover, bool mayGrow);
// Where a walk of a followed file leaves it: from where the next look reads (a frame cut short from its first
// byte, a search for plausible frames from where it got to), whether it ended for good, and the damage to note
// now: a look notes nothing it left undecided, and nothing noted before is noted again. `mayGrow` as read.
void LeaveWalk(FollowStart& start, const CDayFileReader& reader, std::vector<DayFileDamage>& damage, bool mayGrow);
// A file the logger wrote to within the quiet time may still be growing: it is read as one that may.
bool MayStillGrow(const std::string& path, std::chrono::milliseconds quietTime);

// The bytes kept for that comparison: up to kTakenTailBytes before `end` (fewer at the file's start).
constexpr std::size_t kTakenTailBytes = 64;
std::vector<std::uint8_t> TakenTail(const CInputFile& file, std::uint64_t end);

enum class FrameVerdict { Invalid, Drop, Keep };

struct LiveFollowInputs {
    std::uint32_t jobId = 0;
    LoadSettings settings;
    std::string tempFolder;
    std::atomic<bool>* stop = nullptr;
    ILoadNotificationTarget* target = nullptr;
    CFolderWatch* watch = nullptr;
    CLiveSegments* segments = nullptr;
    CFileHandleCache* handles = nullptr;
    ILiveRecordListener* listener = nullptr;
    CInvalidRecordLog* log = nullptr;
    CDamageLog* damageLog = nullptr;
    // The load's filters on one frame (an invalid one is logged under the given serial as its line).
    std::function<FrameVerdict(const Frame& frame, SerialNumber next, std::uint32_t& time)> judge;
    SerialNumber lastSerial = -1;  // the load's last
    std::uint32_t lastTime = 0;    // the latest time stamp the load took (ascending order)
    std::vector<FollowStart> files;
};

// The notices of a follow, as the user sees them.
std::string OutOfOrderNotice(std::int64_t count);
std::string NewRecordsNotShownNotice(std::int64_t count);

class CLiveFollow {
public:
    explicit CLiveFollow(LiveFollowInputs inputs);
    ~CLiveFollow();
    CLiveFollow(const CLiveFollow&) = delete;
    CLiveFollow& operator=(const CLiveFollow&) = delete;

    // Runs until the stop flag is set, or until the follow cannot go on (a day file shrank or was replaced,
    // a file error), which it posts as UM_FOLLOW_STOPPED. Never throws.
    void Run();

private:
    using Clock = std::chrono::steady_clock;
    struct Followed {
        FollowStart start;
        std::uint64_t seen = 0;  // the size at the last look
        Clock::time_point grewAt;
        bool judged = false;  // the incomplete frame at its end was judged after the quiet time
        bool grew = false;    // it grew while followed, last at grewAt
        std::shared_ptr<const CInputFile> handle;
    };

    void Loop();
    // False once the follow has to stop (m_stopText says why).
    bool Check(Followed& file, Clock::time_point now);
    // Reads what the file holds from where the last look left it. A look leaves what needs more bytes to be
    // judged for the next; the judgement after the quiet time judges it as a load of the file would.
    bool ReadNew(Followed& file, bool judgement = false);
    void NoteGrowthAfterEnd(Followed& file, std::uint64_t size);
    bool Take(Followed& file, const Frame& frame);
    bool AppendToSegment(Followed& file, const Frame& frame);
    void PublishTail();
    void CloseTail();
    bool AwaitsJudgement(const Followed& file) const;
    // Whether the file is looked at in every check: it may be growing.
    bool Active(const Followed& file, Clock::time_point now) const;
    bool CheckActiveAndSome(Clock::time_point now);
    bool FolderChanged(bool named);
    bool FindNewDayFiles(Clock::time_point now, bool named);
    void Count(std::atomic<std::int64_t> FollowCounters::*counter) const;
    void PostIfDue(Clock::time_point now, bool force);
    std::chrono::milliseconds NextTimeout(Clock::time_point now) const;
    bool Stopping() const { return m_in.stop->load(std::memory_order_relaxed); }
    bool StopFollow(std::string text);
    void Post(LoadMessage message, std::int64_t count, std::string text = {}, MessageIcon icon = MessageIcon::None,
              std::uint32_t time = 0);

    LiveFollowInputs m_in;
    CParse m_parse;
    CRecord m_record;
    CDayFileReader m_reader;
    std::vector<Followed> m_files;
    std::size_t m_newest = 0;  // the followed file of the latest day: the logger's current one
    std::string m_stopText;

    // The segment that takes the records now.
    CRecordFile* m_tail = nullptr;
    COutputFile m_tailIndex;
    std::vector<std::uint8_t> m_batch;  // index entries not yet written
    SerialNumber m_tailFirst = 0;
    std::uint64_t m_tailBytes = 0;  // the end of the last frame the tail holds
    int m_segmentNumber = 0;

    SerialNumber m_lastSerial;
    std::uint32_t m_lastTime;
    std::uint32_t m_lastReceived = 0;
    std::int64_t m_outOfOrder = 0;
    std::int64_t m_notShown = 0;
    std::int64_t m_postedOutOfOrder = 0;
    std::int64_t m_postedNotShown = 0;
    SerialNumber m_postedSerial = -1;
    bool m_damageChanged = false;
    Clock::time_point m_lastPost;
    Clock::time_point m_nextFullCheck;
    std::size_t m_sweep = 0;  // where the look at the quiet files goes on at the next check
    // The folder as it was when it was listed last, and when (wall clock, nanoseconds): unchanged, it is not
    // listed again.
    bool m_listed = false;
    std::uint64_t m_folderInode = 0;
    std::int64_t m_folderModified = 0;
    std::int64_t m_listedAt = 0;
};

}  // namespace vyx
