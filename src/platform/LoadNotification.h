#pragma once
// What the loading worker tells the main window. The worker runs on its own thread and never touches the
// user interface: it posts these notifications to a target, which delivers them to the UI thread (a queued
// call in the viewer, a plain callback in the command-line tool). The ids keep the numbers the window
// messages always had, so logs and traces stay comparable.

#include <cstdint>
#include <string>

#include "platform/MessageIcon.h"

namespace vyx {

enum LoadMessage : std::uint32_t {
    UM_LOAD_STARTED = 0x40A,     // the worker runs and has sorted the day files
    UM_LOAD_PROGRESS = 0x40B,    // count = records accepted so far; all of them can be fetched now
    UM_LOAD_FINISHED = 0x40C,    // count = records accepted in total (also after a stop)
    UM_LOAD_FILE = 0x412,        // text = path of the day file now being read
    UM_INVALID_RECORDS = 0x413,  // count = invalid records logged, text = the log's path
    UM_SCAN_PROGRESS = 0x41A,    // count = records read and counted (a pulse per 1000)
    UM_LOAD_FAILED = 0x421,      // text = the message to show, icon = Stop; the load has ended
    UM_DAMAGED_FILES = 0x422,    // count = bytes of day files not read as records, text = the notice
    // Following a live folder, after UM_LOAD_FINISHED of the same job:
    UM_FOLLOW_STARTED = 0x430,   // count = records so far; text = "events" or "polling"
    UM_FOLLOW_PROGRESS = 0x431,  // count = records that can be fetched now; time = the last one's time stamp
    UM_FOLLOW_NOTICE = 0x432,    // count = records concerned, text = what they need ("press Filter ! ...")
    UM_FOLLOW_STOPPED = 0x433,   // text = why, icon = Exclamation; the records so far stay
    UM_FOLLOW_DAY_FILE = 0x434,  // time = the first second of the day of a later day file now followed
};

struct LoadNotification {
    LoadMessage message = UM_LOAD_STARTED;
    std::uint32_t jobId = 0;  // the load generation; notifications of an older job are stale
    std::int64_t count = 0;
    std::string text;  // a copy: the receiver may keep it as long as it likes
    MessageIcon icon = MessageIcon::None;
    std::uint32_t time = 0;  // a record's time stamp (UM_FOLLOW_PROGRESS)
};

class ILoadNotificationTarget {
public:
    virtual ~ILoadNotificationTarget() = default;
    // Called on the worker's thread. Must not wait for the UI thread: a UI thread that stops the load waits
    // for the worker, so a blocking delivery could deadlock.
    virtual void Post(LoadNotification notification) = 0;
};

}  // namespace vyx
