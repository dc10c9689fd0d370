#include "Sampler.h"

#include <linux/perf_event.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace disasm {

int SystemPerfEventOpen(perf_event_attr& attributes) {
    return static_cast<int>(syscall(SYS_perf_event_open, &attributes, 0, -1, -1, PERF_FLAG_FD_CLOEXEC));
}

namespace {

std::string Refusal(int error) {
    const std::string reason = std::strerror(error);
    switch (error) {
        case EACCES:
        case EPERM: {
            std::string paranoid = "unknown";
            std::ifstream("/proc/sys/kernel/perf_event_paranoid") >> paranoid;
            return "sampling refused: perf_event_open: " + reason + " (kernel.perf_event_paranoid is " + paranoid +
                   "; 3 or more forbids it, and so may a seccomp filter)";
        }
        case ENOSYS:
            return "sampling refused: perf_event_open is not available (a kernel without perf events, or a seccomp "
                   "filter)";
        case ENOENT:
        case ENODEV:
        case EOPNOTSUPP: return "sampling refused: perf_event_open: " + reason + " (no software task-clock event here)";
        default: return "sampling refused: perf_event_open: " + reason;
    }
}

/// The event's file descriptor, closed on scope exit.
class EventFile {
public:
    explicit EventFile(int fd) : fd_(fd) {}
    ~EventFile() {
        if (fd_ >= 0) close(fd_);
    }
    EventFile(const EventFile&) = delete;
    EventFile& operator=(const EventFile&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

/// The ring buffer the kernel writes sample records into.
class RingBuffer {
public:
    /// 32 pages hold 8192 samples; the buffer is emptied between runs once
    /// half full. Small, so that two sampling test processes stay within an
    /// unprivileged user's perf_event_mlock_kb.
    static constexpr std::size_t kDataPages = 32;

    explicit RingBuffer(int fd) : pageBytes_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) {
        mappedBytes_ = (1 + kDataPages) * pageBytes_;
        void* base = mmap(nullptr, mappedBytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (base == MAP_FAILED) {
            error_ = errno;
            return;
        }
        meta_ = static_cast<perf_event_mmap_page*>(base);
        dataBytes_ = meta_->data_size != 0 ? meta_->data_size : kDataPages * pageBytes_;
        data_ = static_cast<const unsigned char*>(base) + (meta_->data_offset != 0 ? meta_->data_offset : pageBytes_);
    }
    ~RingBuffer() {
        if (meta_ != nullptr) munmap(meta_, mappedBytes_);
    }
    RingBuffer(const RingBuffer&) = delete;
    RingBuffer& operator=(const RingBuffer&) = delete;

    /// errno of a failed mapping, 0 when mapped.
    int Error() const { return error_; }

    bool HalfFull() const {
        return __atomic_load_n(&meta_->data_head, __ATOMIC_ACQUIRE) - meta_->data_tail > dataBytes_ / 2;
    }

    /// Moves the records written so far into profile.
    void Drain(HotProfile& profile) {
        const std::uint64_t head = __atomic_load_n(&meta_->data_head, __ATOMIC_ACQUIRE);
        std::uint64_t tail = meta_->data_tail;
        while (head - tail >= sizeof(perf_event_header)) {
            perf_event_header header{};
            Copy(tail, &header, sizeof header);
            if (header.size < sizeof header || header.size > head - tail) break;
            if (header.type == PERF_RECORD_SAMPLE && header.size >= sizeof header + sizeof(std::uint64_t)) {
                std::uint64_t ip = 0;
                Copy(tail + sizeof header, &ip, sizeof ip);
                profile.sampleAddresses.push_back(ip);
            } else if (header.type == PERF_RECORD_LOST && header.size >= sizeof header + 2 * sizeof(std::uint64_t)) {
                std::uint64_t lost = 0;
                Copy(tail + sizeof header + sizeof(std::uint64_t), &lost, sizeof lost);
                profile.lostSamples += lost;
            }
            tail += header.size;
        }
        __atomic_store_n(&meta_->data_tail, tail, __ATOMIC_RELEASE);
    }

private:
    /// Copies size bytes from the ring at position, wrapping at its end.
    void Copy(std::uint64_t position, void* into, std::size_t size) const {
        const std::size_t offset = static_cast<std::size_t>(position % dataBytes_);
        const std::size_t first = std::min(size, dataBytes_ - offset);
        std::memcpy(into, data_ + offset, first);
        std::memcpy(static_cast<unsigned char*>(into) + first, data_, size - first);
    }

    std::size_t pageBytes_;
    std::size_t mappedBytes_ = 0;
    std::size_t dataBytes_ = 0;
    perf_event_mmap_page* meta_ = nullptr;
    const unsigned char* data_ = nullptr;
    int error_ = 0;
};

}  // namespace

HotProfile Sample(const std::function<void()>& run, std::chrono::milliseconds duration, PerfEventOpen open,
                  std::chrono::nanoseconds samplePeriod) {
    HotProfile profile;
    profile.samplePeriod = samplePeriod;

    perf_event_attr attributes{};
    attributes.size = sizeof attributes;
    attributes.type = PERF_TYPE_SOFTWARE;
    attributes.config = PERF_COUNT_SW_TASK_CLOCK;
    attributes.sample_period = static_cast<std::uint64_t>(samplePeriod.count());
    attributes.sample_type = PERF_SAMPLE_IP;
    attributes.disabled = 1;
    attributes.exclude_kernel = 1;
    attributes.exclude_hv = 1;
    errno = 0;
    const EventFile event(open(attributes));
    if (event.Fd() < 0) {
        profile.refusal = Refusal(errno);
        return profile;
    }
    RingBuffer buffer(event.Fd());
    if (buffer.Error() != 0) {
        profile.refusal =
            std::string("sampling refused: cannot map the sample buffer: ") + std::strerror(buffer.Error());
        return profile;
    }

    ioctl(event.Fd(), PERF_EVENT_IOC_RESET, 0);
    ioctl(event.Fd(), PERF_EVENT_IOC_ENABLE, 0);
    {
        // Stops sampling also when run throws.
        struct Disable {
            int fd;
            ~Disable() { ioctl(fd, PERF_EVENT_IOC_DISABLE, 0); }
        } disableOnExit{event.Fd()};
        const auto until = std::chrono::steady_clock::now() + duration;
        do {
            run();
            ++profile.runs;
            if (buffer.HalfFull()) buffer.Drain(profile);
        } while (std::chrono::steady_clock::now() < until);
    }
    buffer.Drain(profile);
    return profile;
}

}  // namespace disasm
