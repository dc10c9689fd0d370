// Where a report's bytes go, and how they get there without damaging what
// stands at the path: a file is replaced whole or not at all, a character
// device or FIFO is written through and never replaced, standard output has
// every write checked. Errors name their cause.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>

namespace batch {

/// Keeps descriptors 0, 1 and 2 taken (a closed one by /dev/null, read only),
/// so that no file opened later becomes standard output or error by accident
/// and receives stray writes. Call before anything opens a file.
void ReserveStandardStreams();

/// Standard output as every mode writes it (a listing, --list, --help,
/// --version, a report without --output): its bytes go to descriptor 1 when
/// the stream is flushed or its buffer is full, and every write is checked.
/// After the first write that fails the stream is bad and drops the rest.
std::ostream& StandardOutput();

/// Flushes StandardOutput(). Empty when every byte given to it went out; else
/// "cannot write standard output: CAUSE", once: whoever flushes first after a
/// failure is told it and tells the user, later flushes give empty.
std::string FlushStandardOutput();

/// The end of every mode: flushes standard output and gives status, or 2
/// after "velquor: cannot write standard output: CAUSE" on standard error
/// where a write failed that nobody has told the user of yet.
int FinishStandardOutput(int status);

/// One destination of a report, settled before the run so that a path that
/// cannot be written costs no run.
class OutputFile {
public:
    /// Standard output (whatever descriptor 1 is).
    static OutputFile StandardOutput();

    /// Settles where the bytes for path will go, and checks that they can:
    /// symbolic links are followed to their target; for a regular file or a
    /// name not yet taken the folder must take a new file and an existing
    /// file must be replaceable; a character device or FIFO must be
    /// writable. A directory or any other kind of file is refused. Nothing
    /// is created. On error: "cannot write PATH: cause".
    static std::variant<OutputFile, std::string> Open(const std::string& path);

    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    ~OutputFile();

    /// Whether writing both would make one overwrite the other: the same
    /// existing file (device and inode, so links and hard links count), or
    /// the same new name in the same folder. A character device takes both.
    bool SameFileAs(const OutputFile& other) const;

    /// Writes all of bytes, once. A file is written into a temporary file
    /// beside the target (removed again if SIGINT, SIGTERM, SIGHUP, SIGPIPE
    /// or SIGXFSZ end the process meanwhile), which gets the existing
    /// target's owner where that can be kept and its permission bits (a new
    /// one keeps what the umask gave), is synced and renamed over the
    /// target. Empty on success; else "cannot write PATH: cause".
    std::string Write(std::string_view bytes);

    /// Writes what produce writes into its stream, once produce has written
    /// all of it: a report that could not be built whole (the stream failed
    /// or std::bad_alloc was thrown as memory ran out) is never written, and
    /// what stands at the path stays as it was. Empty on success; else
    /// "cannot write PATH: cause".
    std::string WriteReport(const std::function<void(std::ostream&)>& produce);

private:
    struct Target;
    explicit OutputFile(std::unique_ptr<Target> target);
    std::unique_ptr<Target> m_target;
};

}  // namespace batch
