#pragma once
// An output file whose writes happen on a thread of its own: the caller fills large blocks and goes on while
// the previous ones are copied into the file. A pass that writes hundreds of megabytes (the loop's events)
// then spends its own core on its work, not on the copy into the page cache. A few blocks at most are in
// flight, so memory stays the same whatever is written.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/File.h"

namespace vyx {

class CBackgroundFileWriter {
public:
    CBackgroundFileWriter() = default;
    ~CBackgroundFileWriter();  // stops the thread; what was not written is dropped (call Close to keep it)
    CBackgroundFileWriter(const CBackgroundFileWriter&) = delete;
    CBackgroundFileWriter& operator=(const CBackgroundFileWriter&) = delete;

    // Creates (or empties) the file and starts the thread. Throws CFileError.
    void Open(const std::string& path, std::size_t blockBytes = std::size_t{1} << 21, std::size_t blocks = 4);
    // The same for an output of the caller's: the thread hands each block to write, which throws on failure.
    void Start(std::function<void(const char*, std::size_t)> write, std::size_t blockBytes = std::size_t{1} << 21,
               std::size_t blocks = 4);

    void Write(const void* data, std::size_t count) {
        if (m_used + count > m_blockBytes) {
            Hand();
            if (count > m_blockBytes) {
                WriteLarge(data, count);
                return;
            }
        }
        std::memcpy(m_current.data() + m_used, data, count);
        m_used += count;
    }
    // Room for count bytes (count at most the block size) at the end of the current block, to be filled by
    // the caller and taken with Commit.
    void* Reserve(std::size_t count) {
        if (m_used + count > m_blockBytes) Hand();
        return m_current.data() + m_used;
    }
    void Commit(std::size_t count) { m_used += count; }

    // Writes the rest, stops the thread and closes the file. Throws CFileError of any write that failed.
    void Close();

private:
    void Hand();  // queues the current block, takes a free one; rethrows a failure of the thread
    void WriteLarge(const void* data, std::size_t count);
    void Run();
    void Stop() noexcept;

    COutputFile m_file;
    std::function<void(const char*, std::size_t)> m_write;
    std::size_t m_blockBytes = 0;
    std::vector<char> m_current;
    std::size_t m_used = 0;

    struct Block {
        std::vector<char> bytes;
        std::size_t used = 0;
    };
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Block> m_queue;              // to be written, oldest first
    std::vector<std::vector<char>> m_free;  // written, ready for reuse
    bool m_stopping = false;
    bool m_writing = false;
    std::exception_ptr m_failure;
    std::thread m_thread;
};

}  // namespace vyx
