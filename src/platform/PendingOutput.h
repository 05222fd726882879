#pragma once
// An output file that appears under its name only when it is complete. It is written under a temporary
// name beside its destination and renamed into place at the end, so an interrupted run (a signal, a crash,
// a power cut) never leaves a file under the chosen name that looks whole, and an existing file stays until
// the new one replaces it.

#include <string>

namespace vyx {

class CPendingOutput {
public:
    CPendingOutput() = default;
    // Creates "<destination>.XXXXXX.part" beside the destination, with the usual permissions under the
    // user's umask. A destination that is a link stands for the file it points to, which is the one
    // replaced. A destination that exists and is no regular file (a device, a pipe) cannot be replaced:
    // it is opened and written as it is. Throws CFileError (naming the destination) when the folder cannot
    // take the file.
    explicit CPendingOutput(std::string destination);
    ~CPendingOutput();  // removes the temporary file unless it was committed
    CPendingOutput(CPendingOutput&& other) noexcept;
    CPendingOutput& operator=(CPendingOutput&& other) noexcept;
    CPendingOutput(const CPendingOutput&) = delete;
    CPendingOutput& operator=(const CPendingOutput&) = delete;

    bool IsPending() const { return !m_temp.empty() || m_fd >= 0; }
    const std::string& Destination() const { return m_destination; }
    // Where the bytes go until Commit: the temporary file, or the destination itself when it is written as
    // it is.
    const std::string& TempPath() const { return m_temp.empty() ? m_destination : m_temp; }
    // The open descriptor of the temporary file (write-only), or -1 after CloseDescriptor.
    int Descriptor() const { return m_fd; }
    // Closes the descriptor, for writers that open the temporary file by name themselves.
    void CloseDescriptor() noexcept;

    // Makes the written bytes durable and renames the file into place. Throws CFileError.
    void Commit();
    // Removes the temporary file; the destination is left as it was.
    void Discard() noexcept;

private:
    std::string m_destination;
    std::string m_temp;
    int m_fd = -1;
};

}  // namespace vyx
