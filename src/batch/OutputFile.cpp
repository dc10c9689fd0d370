#include "OutputFile.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <iterator>
#include <new>
#include <sstream>
#include <streambuf>

namespace batch {
namespace {

// Temporary files that a signal ending the process must remove. The handler
// only reads: a slot's name is complete before its folder is published.
struct PendingTemporary {
    std::atomic<int> dirFd{-1};  ///< -1: the slot is free
    char name[NAME_MAX + 1] = {};
};
PendingTemporary g_pending[8];
// SIGXFSZ: a report larger than the file-size limit (ulimit -f).
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ};

extern "C" void RemovePendingAndDie(int signal) {
    for (PendingTemporary& p : g_pending) {
        const int dirFd = p.dirFd.load();
        if (dirFd >= 0) ::unlinkat(dirFd, p.name, 0);
    }
    // Blocked while its handler runs: the default action follows its return.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

// Only where the default action would end the process silently: a signal
// someone ignores (nohup) or handles stays theirs.
void InstallCleanupHandlers() {
    for (const int sig : kCleanupSignals) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = RemovePendingAndDie;
        sigemptyset(&action.sa_mask);
        ::sigaction(sig, &action, nullptr);
    }
}

int RegisterPending(int dirFd, const std::string& name) {
    InstallCleanupHandlers();
    for (int slot = 0; slot < static_cast<int>(std::size(g_pending)); ++slot) {
        PendingTemporary& p = g_pending[slot];
        if (p.dirFd.load() >= 0) continue;
        std::memcpy(p.name, name.c_str(), name.size() + 1);
        p.dirFd.store(dirFd);
        return slot;
    }
    return -1;
}

// The cleanup signals held back while a temporary file is created and
// registered, so that none can fall between the two.
class HoldSignals {
public:
    HoldSignals() {
        sigset_t set;
        sigemptyset(&set);
        for (const int sig : kCleanupSignals) sigaddset(&set, sig);
        pthread_sigmask(SIG_BLOCK, &set, &m_previous);
    }
    ~HoldSignals() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    HoldSignals(const HoldSignals&) = delete;
    HoldSignals& operator=(const HoldSignals&) = delete;

private:
    sigset_t m_previous;
};

// 0, or the errno of the write that failed.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// Descriptor 1 behind a stream: a buffer of its own, written out with
// WriteAll when full or flushed. The first error is kept and every later
// byte dropped, so that what a mode printed is either all out or told as lost.
class StandardOutputBuffer : public std::streambuf {
public:
    StandardOutputBuffer() { setp(m_buffer, m_buffer + sizeof m_buffer); }
    int error = 0;
    bool told = false;

protected:
    int_type overflow(int_type c) override {
        if (sync() != 0) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override {
        if (error == 0) error = WriteAll(STDOUT_FILENO, std::string_view(pbase(), static_cast<std::size_t>(pptr() - pbase())));
        setp(m_buffer, m_buffer + sizeof m_buffer);
        return error == 0 ? 0 : -1;
    }

private:
    char m_buffer[1 << 16];
};

StandardOutputBuffer& OutputBuffer() {
    static StandardOutputBuffer buffer;
    return buffer;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool OnProcFs(const std::string& folder) {
    struct statfs fs {};
    return ::statfs(folder.c_str(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC;
}

// Where path leads once its last component's symbolic links are followed.
// A link in /proc (/dev/stdout leads to /proc/self/fd/1) stands for a file
// this process has open, under a name that may be no path at all
// ("pipe:[123]"): it is not followed further.
struct Followed {
    std::string path;
    bool openFileOfProcess = false;
    int error = 0;
};

Followed FollowLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {  // the kernel's own limit
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT) return {path};
            return {path, false, errno};
        }
        if (!S_ISLNK(st.st_mode)) return {path};
        const std::string folder = FolderOf(path);
        if (OnProcFs(folder)) return {path, true};
        char text[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), text, sizeof text);
        if (length < 0) return {path, false, errno};
        if (static_cast<std::size_t>(length) == sizeof text) return {path, false, ENAMETOOLONG};
        const std::string link(text, static_cast<std::size_t>(length));
        path = !link.empty() && link.front() == '/' ? link : folder + "/" + link;
    }
    return {path, false, ELOOP};
}

// ".NAME.XXXXXX" within the folder's name limit: a long NAME is shortened,
// at a character boundary of UTF-8.
std::string TemporaryName(const std::string& base, std::size_t nameMax) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    constexpr std::size_t kRandom = 6;
    std::size_t keep = std::min(base.size(), nameMax - kRandom - 2);
    while (keep > 0 && keep < base.size() && (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80) --keep;
    unsigned char random[kRandom] = {};
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        // O_EXCL keeps a guessable name safe; the clock still gives each attempt another.
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        for (std::size_t i = 0; i < kRandom; ++i) random[i] = static_cast<unsigned char>(now >> (8 * i));
    }
    // (Built with append: g++ 12 misreads "." + name + suffix under -O3.)
    std::string name(".");
    name.append(base, 0, keep).append(".");
    for (const unsigned char r : random) name.push_back(kLetters[r % (sizeof kLetters - 1)]);
    return name;
}

const char* KindOf(mode_t mode) {
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISBLK(mode)) return "a block device";
    return "a special file";
}

}  // namespace

struct OutputFile::Target {
    enum class Kind { StandardOutput, File, Stream };

    Kind kind = Kind::File;
    std::string name;         // as the user gave it, for messages
    bool exists = false;      // something stood at the path when it was settled
    bool charDevice = false;
    dev_t device = 0;         // of what stood there
    ino_t inode = 0;
    bool append = false;      // Stream: an open file of this process, written at its end
    int dirFd = -1;           // File: the target's folder (O_PATH)
    dev_t dirDevice = 0;
    ino_t dirInode = 0;
    std::string base;         // File: the target's name in that folder, links followed
    std::string temporary;    // File: the temporary file's name in that folder
    std::size_t nameMax = NAME_MAX;  // File: bytes a name may take in that folder
    int fd = -1;              // File: the temporary file, open for writing
    int slot = -1;            // File: where the signal handler finds the temporary name

    ~Target() {
        Discard();
        if (dirFd >= 0) ::close(dirFd);
    }

    std::string Failure(int error) const { return Failure(std::strerror(error)); }
    std::string Failure(const std::string& why) const { return "cannot write " + name + ": " + why; }

    void Remember(const struct stat& st) {
        exists = true;
        charDevice = S_ISCHR(st.st_mode);
        device = st.st_dev;
        inode = st.st_ino;
    }

    void Unregister() {
        if (slot >= 0) g_pending[slot].dirFd.store(-1);
        slot = -1;
        temporary.clear();
    }

    void Discard() noexcept {
        if (fd >= 0) ::close(fd);
        fd = -1;
        if (!temporary.empty()) ::unlinkat(dirFd, temporary.c_str(), 0);
        Unregister();
    }

    // A regular file or a name not yet taken: its folder, and whether a
    // file may be created there and, where one exists, replaced. Nothing is
    // created until the report is written, so a run killed in any way
    // leaves nothing behind.
    std::string PrepareFile(const std::string& path, const struct stat& st) {
        base = NameOf(path);
        if (base.empty() || base == "." || base == "..") return Failure(EISDIR);
        const std::string folder = FolderOf(path);
        dirFd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0) return errno == ENOENT ? Failure("folder " + folder + " does not exist") : Failure(errno);
        struct stat dir {};
        if (::fstat(dirFd, &dir) != 0) return Failure(errno);
        dirDevice = dir.st_dev;
        dirInode = dir.st_ino;
        if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return Failure(errno);
        if (exists) {
            // A read-only file is left alone, although its folder would let it be replaced.
            if (::faccessat(dirFd, base.c_str(), W_OK, AT_EACCESS) != 0) return Failure(errno);
            // In a sticky folder (/tmp) only the owner of a file or of the folder may replace it.
            const uid_t user = ::geteuid();
            if ((dir.st_mode & S_ISVTX) && user != 0 && st.st_uid != user && dir.st_uid != user) return Failure(EPERM);
        }
        // Some file systems allow fewer than NAME_MAX bytes; the signal handler holds no more.
        const long limit = ::fpathconf(dirFd, _PC_NAME_MAX);
        nameMax = limit > 16 ? std::min<std::size_t>(static_cast<std::size_t>(limit), NAME_MAX) : NAME_MAX;
        return {};
    }

    // The temporary file beside the target, registered for the signal
    // handler before any byte goes into it.
    std::string CreateTemporary() {
        const HoldSignals hold;
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            temporary = TemporaryName(base, nameMax);
            fd = ::openat(dirFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST) {
                const int error = errno;
                temporary.clear();
                return Failure(error);
            }
        }
        if (fd < 0) {
            temporary.clear();
            return Failure(EEXIST);
        }
        slot = RegisterPending(dirFd, temporary);
        if (slot < 0) return Failure("too many files being written at once");
        return {};
    }

    std::string WriteFile(std::string_view bytes) {
        std::string why = CreateTemporary();
        if (why.empty()) why = ReplaceTarget(bytes);
        if (why.empty()) {
            Unregister();
        } else {
            Discard();
        }
        return why;
    }

    // Writes, syncs and closes the temporary file, then renames it over the target.
    std::string ReplaceTarget(std::string_view bytes) {
        struct stat st {};
        if (::fstatat(dirFd, base.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (!S_ISREG(st.st_mode)) return Failure("something other than a regular file took its place");
            // Root replacing another user's file leaves it theirs. Anyone
            // else may not give a file away: then the replacement is theirs.
            [[maybe_unused]] const int ownerKept = ::fchown(fd, st.st_uid, st.st_gid);
            // The permission bits only: a report is never a set-user-id program.
            if (::fchmod(fd, st.st_mode & 0777) != 0) return Failure(errno);
        }
        int error = WriteAll(fd, bytes);
        if (error == 0 && ::fsync(fd) != 0) error = errno;
        if (::close(fd) != 0 && error == 0) error = errno;
        fd = -1;
        if (error == 0 && ::renameat(dirFd, temporary.c_str(), dirFd, base.c_str()) != 0) error = errno;
        return error != 0 ? Failure(error) : std::string();
    }

    std::string WriteThrough(std::string_view bytes) const {
        const int out = ::open(name.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (append ? O_APPEND : 0));
        if (out < 0) return Failure(errno);
        // Never overwrite a regular file from its start: that is for a file
        // this process has open, at its end.
        struct stat st {};
        int error = ::fstat(out, &st) != 0 ? errno : 0;
        if (error == 0 && S_ISREG(st.st_mode) && !append) {
            ::close(out);
            return Failure("something other than a character device or FIFO took its place");
        }
        if (error == 0) error = WriteAll(out, bytes);
        if (::close(out) != 0 && error == 0) error = errno;
        return error != 0 ? Failure(error) : std::string();
    }
};

void ReserveStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // Read only: a write to a closed standard output fails as it would have.
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
}

std::ostream& StandardOutput() {
    static std::ostream stream(&OutputBuffer());
    return stream;
}

std::string FlushStandardOutput() {
    StandardOutput().flush();
    StandardOutputBuffer& buffer = OutputBuffer();
    if (buffer.error == 0 || buffer.told) return {};
    buffer.told = true;
    return std::string("cannot write standard output: ") + std::strerror(buffer.error);
}

int FinishStandardOutput(int status) {
    const std::string why = FlushStandardOutput();
    if (why.empty()) return OutputBuffer().error == 0 ? status : std::max(status, 2);
    // Standard error takes the message even where standard output failed.
    const std::string line = "velquor: " + why + "\n";
    [[maybe_unused]] const int written = WriteAll(STDERR_FILENO, line);
    return 2;
}

OutputFile::OutputFile(std::unique_ptr<Target> target) : m_target(std::move(target)) {}
OutputFile::OutputFile(OutputFile&& other) noexcept = default;
OutputFile& OutputFile::operator=(OutputFile&& other) noexcept = default;
OutputFile::~OutputFile() = default;

OutputFile OutputFile::StandardOutput() {
    auto target = std::make_unique<Target>();
    target->kind = Target::Kind::StandardOutput;
    target->name = "standard output";
    struct stat st {};
    if (::fstat(STDOUT_FILENO, &st) == 0) target->Remember(st);
    return OutputFile(std::move(target));
}

std::variant<OutputFile, std::string> OutputFile::Open(const std::string& path) {
    auto target = std::make_unique<Target>();
    target->name = path;
    if (path.empty()) return target->Failure(ENOENT);
    const Followed followed = FollowLinks(path);
    if (followed.error != 0) return target->Failure(followed.error);
    struct stat st {};
    const int found = followed.openFileOfProcess ? ::stat(path.c_str(), &st) : ::lstat(followed.path.c_str(), &st);
    if (found != 0 && (errno != ENOENT || followed.openFileOfProcess)) return target->Failure(errno);
    if (found == 0) {
        target->Remember(st);
        if (S_ISDIR(st.st_mode)) return target->Failure(EISDIR);
        const bool stream = S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode);
        if (stream || (followed.openFileOfProcess && S_ISREG(st.st_mode))) {
            target->kind = Target::Kind::Stream;
            target->append = !stream;
            if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return target->Failure(errno);
            return OutputFile(std::move(target));
        }
        if (!S_ISREG(st.st_mode)) {
            return target->Failure(std::string("it is ") + KindOf(st.st_mode) +
                                   ", not a regular file, a character device or a FIFO");
        }
    }
    if (std::string why = target->PrepareFile(followed.path, st); !why.empty()) return why;
    return OutputFile(std::move(target));
}

bool OutputFile::SameFileAs(const OutputFile& other) const {
    const Target& a = *m_target;
    const Target& b = *other.m_target;
    if (a.exists && b.exists) return a.device == b.device && a.inode == b.inode && !a.charDevice;
    return a.kind == Target::Kind::File && b.kind == Target::Kind::File && a.dirDevice == b.dirDevice &&
           a.dirInode == b.dirInode && a.base == b.base;
}

std::string OutputFile::Write(std::string_view bytes) {
    Target& t = *m_target;
    switch (t.kind) {
    case Target::Kind::StandardOutput:
        batch::StandardOutput().write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return FlushStandardOutput();
    case Target::Kind::Stream: return t.WriteThrough(bytes);
    case Target::Kind::File: return t.WriteFile(bytes);
    }
    return {};
}

std::string OutputFile::WriteReport(const std::function<void(std::ostream&)>& produce) {
    std::string bytes;
    bool whole = false;
    try {
        std::ostringstream report;
        produce(report);
        // A string stream that cannot grow sets badbit and drops the rest.
        whole = !report.fail();
        if (whole) bytes = std::move(report).str();
    } catch (const std::bad_alloc&) {
        whole = false;
    }
    if (!whole) return m_target->Failure("out of memory while the report was built; nothing was written");
    return Write(bytes);
}

}  // namespace batch
