#include "logdata/FileHandleCache.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>

#include <cerrno>

#include "platform/FileError.h"

namespace vyx {

FileIdentity IdentityOf(const CInputFile& file) {
    struct stat st {};
    if (::fstat(file.Descriptor(), &st) != 0) throw CFileError(errno, file.Path());
    FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(st.st_dev);
    identity.inode = static_cast<std::uint64_t>(st.st_ino);
    identity.size = static_cast<std::uint64_t>(st.st_size);
    return identity;
}

CFileChanged::CFileChanged(const std::string& path, bool replaced)
    : CVyxError(path + (replaced ? ": the day file was replaced since it was loaded"
                                 : ": the day file is shorter than when it was loaded")),
      m_replaced(replaced) {}

std::size_t CFileHandleCache::CapacityForThisProcess() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kDefaultCapacity;
    return std::clamp<std::size_t>(static_cast<std::size_t>(limit.rlim_cur / 8), 4, kDefaultCapacity);
}

CFileHandleCache::CFileHandleCache(std::size_t capacity) : m_capacity(capacity == 0 ? 1 : capacity) {}

std::shared_ptr<const CInputFile> CFileHandleCache::Open(const std::string& path, const FileIdentity& expected,
                                                         bool keep) {
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->path != path) continue;
            m_entries.splice(m_entries.begin(), m_entries, it);
            return m_entries.front().file;
        }
    }
    // Opened outside the lock: a slow file system must not hold up every other reader.
    auto file = std::make_shared<CInputFile>(path);
    if (expected.Known()) {
        const FileIdentity now = IdentityOf(*file);
        if (now.device != expected.device || now.inode != expected.inode) throw CFileChanged(path, true);
        if (now.size < expected.size) throw CFileChanged(path, false);
    }
    if (!keep) return file;
    std::lock_guard lock(m_mutex);
    for (const Entry& entry : m_entries) {
        if (entry.path == path) return entry.file;  // another thread was quicker
    }
    m_entries.push_front({path, file});
    while (m_entries.size() > m_capacity) m_entries.pop_back();
    return file;
}

void CFileHandleCache::Forget(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_entries.remove_if([&](const Entry& entry) { return entry.path == path; });
}

void CFileHandleCache::Clear() {
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

std::size_t CFileHandleCache::Size() const {
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

}  // namespace vyx
