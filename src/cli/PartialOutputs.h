#pragma once
// The files a command is about to write, as they were before it began. When the run is interrupted, the
// regular files it created or changed are removed, so no partial report stays under a name the user chose;
// a file it did not touch stays as it was.

#include <sys/types.h>

#include <ctime>
#include <string>
#include <vector>

namespace vyx::cli {

class CPartialOutputs {
public:
    // Notes how the path is now (missing, or which file with which size and time).
    void Watch(const std::string& path);
    // Removes every watched path that is now a regular file other than it was when watched.
    void RemoveWritten() const;

private:
    struct State {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
    };
    static State StateOf(const std::string& path, bool* regular = nullptr);
    static bool Same(const State& a, const State& b);

    std::vector<std::pair<std::string, State>> m_paths;
};

}  // namespace vyx::cli
