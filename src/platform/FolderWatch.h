#pragma once
// Waiting for a folder to change without looking at it over and over: Linux inotify where the folder's file
// system raises events, and always a timeout beside it, since on NFS and CIFS shares adding a watch
// succeeds but the writes of another machine raise no event.

#include <chrono>
#include <string>
#include <vector>

namespace vyx {

class CFolderWatch {
public:
    enum class WaitResult {
        Timeout,  // nothing was heard before the timeout
        Written,  // a file of the folder was written to (or its attributes changed)
        Named,    // a name in the folder came, went or was moved (and perhaps files were written too)
        Woken,    // Wake was called
    };

    // Watches `folder`. With events false, or when the system refuses a watch, only the timeout (and Wake)
    // end a Wait. Throws CFileError when the wake channel cannot be made.
    CFolderWatch(const std::string& folder, bool events);
    ~CFolderWatch();
    CFolderWatch(const CFolderWatch&) = delete;
    CFolderWatch& operator=(const CFolderWatch&) = delete;

    // True when the system raises events for the folder.
    bool HasEvents() const { return m_watch >= 0; }
    // Sleeps until the folder changes, Wake is called or the timeout passes; the events that came meanwhile
    // are taken in, so the next Wait sleeps again.
    WaitResult Wait(std::chrono::milliseconds timeout);
    // The names of the folder's files written to, as the last Wait heard of them (at most a few hundred; a
    // burst beyond that says Named instead, so that every file is looked at).
    const std::vector<std::string>& WrittenNames() const { return m_written; }
    // Sleeps for the timeout unless Wake is called: events stay queued for the next Wait.
    bool Pause(std::chrono::milliseconds timeout);
    // From any thread: the current or the next Wait (or Pause) returns at once.
    void Wake();

private:
    int m_events = -1;  // inotify descriptor
    int m_watch = -1;   // watch on the folder
    int m_wake = -1;    // eventfd
    std::vector<std::string> m_written;
};

}  // namespace vyx
