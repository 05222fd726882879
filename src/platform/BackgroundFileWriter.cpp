#include "platform/BackgroundFileWriter.h"

#include <algorithm>

namespace vyx {

CBackgroundFileWriter::~CBackgroundFileWriter() { Stop(); }

void CBackgroundFileWriter::Open(const std::string& path, std::size_t blockBytes, std::size_t blocks) {
    Stop();
    m_file.Open(path);  // no buffer of its own: the blocks are the buffer
    Start([this](const char* data, std::size_t count) { m_file.Write(data, count); }, blockBytes, blocks);
}

void CBackgroundFileWriter::Start(std::function<void(const char*, std::size_t)> write, std::size_t blockBytes,
                                  std::size_t blocks) {
    Stop();
    m_write = std::move(write);
    m_blockBytes = std::max<std::size_t>(blockBytes, 1);
    m_current.assign(m_blockBytes, 0);
    m_used = 0;
    m_queue.clear();
    m_free.clear();
    // One block is being filled, the others are queued or being written.
    for (std::size_t i = 1; i < std::max<std::size_t>(blocks, 2); ++i) m_free.emplace_back(m_blockBytes);
    m_stopping = false;
    m_failure = nullptr;
    m_thread = std::thread([this] { Run(); });
}

void CBackgroundFileWriter::Run() {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_stopping; });
        if (m_queue.empty()) return;
        Block block = std::move(m_queue.front());
        m_queue.erase(m_queue.begin());
        m_writing = true;
        lock.unlock();
        std::exception_ptr failure;
        try {
            if (!m_failure) m_write(block.bytes.data(), block.used);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        m_writing = false;
        if (failure && !m_failure) m_failure = failure;
        m_free.push_back(std::move(block.bytes));
        m_changed.notify_all();
    }
}

void CBackgroundFileWriter::Hand() {
    std::unique_lock lock(m_mutex);
    if (m_failure) std::rethrow_exception(m_failure);
    if (m_used > 0) {
        m_queue.push_back({std::move(m_current), m_used});
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return !m_free.empty() || m_failure; });
        if (m_failure) std::rethrow_exception(m_failure);
        m_current = std::move(m_free.back());
        m_free.pop_back();
        m_used = 0;
    }
}

void CBackgroundFileWriter::WriteLarge(const void* data, std::size_t count) {
    const char* in = static_cast<const char*>(data);
    for (std::size_t done = 0; done < count;) {
        const std::size_t piece = std::min(m_blockBytes, count - done);
        Write(in + done, piece);
        done += piece;
    }
}

void CBackgroundFileWriter::Close() {
    if (!m_thread.joinable()) return;
    Hand();
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return (m_queue.empty() && !m_writing) || m_failure; });
    }
    Stop();
    if (m_failure) std::rethrow_exception(m_failure);
    if (m_file.IsOpen()) m_file.Close();
}

void CBackgroundFileWriter::Stop() noexcept {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();  // after Close nothing is left; otherwise the file is abandoned
    }
    m_changed.notify_all();
    m_thread.join();
}

}  // namespace vyx
