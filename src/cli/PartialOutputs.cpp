#include "cli/PartialOutputs.h"

#include <sys/stat.h>
#include <unistd.h>

namespace vyx::cli {

CPartialOutputs::State CPartialOutputs::StateOf(const std::string& path, bool* regular) {
    State state;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return state;
    state.exists = true;
    state.device = st.st_dev;
    state.inode = st.st_ino;
    state.size = st.st_size;
    state.modified = st.st_mtim;
    if (regular) *regular = S_ISREG(st.st_mode);
    return state;
}

bool CPartialOutputs::Same(const State& a, const State& b) {
    return a.exists == b.exists && a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
}

void CPartialOutputs::Watch(const std::string& path) {
    m_paths.emplace_back(path, StateOf(path));
}

void CPartialOutputs::RemoveWritten() const {
    for (const auto& [path, before] : m_paths) {
        bool regular = false;
        const State now = StateOf(path, &regular);
        if (now.exists && regular && !Same(now, before)) ::unlink(path.c_str());
    }
}

}  // namespace vyx::cli
