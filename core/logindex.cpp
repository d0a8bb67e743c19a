#include "core/logindex.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <new>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace logfile {
namespace {

constexpr long long kCacheBefore = 64 * 1024;
constexpr long long kCacheAfter = 192 * 1024;

}  // namespace

namespace {

constexpr std::size_t kHugePage = 2 * 1024 * 1024;

std::size_t hugeLength(std::size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

void *allocateHuge(std::size_t bytes) {
    if (bytes < kHugePage)
        return ::operator new(bytes);
    void *p = ::mmap(nullptr, hugeLength(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    (void)::madvise(p, hugeLength(bytes), MADV_HUGEPAGE);  // a hint: small pages do too
    return p;
}

void freeHuge(void *p, std::size_t bytes) {
    if (bytes < kHugePage)
        ::operator delete(p);
    else
        ::munmap(p, hugeLength(bytes));
}

void LogIndex::clear() {
    path_.clear();
    stamp_ = {};
    end_ = 0;
    starts_.clear();
    cache_.clear();
    cacheFrom_ = -1;
}

LogIndex::LoadOutcome LogIndex::load(const std::string &path) {
    LoadOutcome out;
    struct stat st {};
    const UniqueFd fd = openForReading(path, out.openError, &st);
    if (!fd)
        return out;
    clear();
    path_ = path;
    // A first load writes into fresh memory; room for a long session's rows comes with it, so that
    // an entry never waits for the offsets to be copied.
    // (As many as a log of a few million rows holds: a huge file is seldom made of rows.)
    starts_.reserve(static_cast<std::size_t>(std::min<long long>(st.st_size / 96, 4LL << 20)) + 65536);

    chunks_.restart();
    logformat::RecordStart found[256];
    for (std::size_t pos = 0;;) {
        // A line longer than any row: a damaged row, passed over without being held.
        if (chunks_.tooLong(pos)) {
            starts_.push_back(static_cast<std::uint64_t>(chunks_.offset() + static_cast<long long>(pos)) |
                              static_cast<std::uint64_t>(logformat::Shape::Damaged) << kShapeShift);
            if (!chunks_.skipLine(fd.get(), pos)) {
                out.readError = FileError::fromErrno(errno);
                end_ = chunks_.offset();
                stamp_ = stampOf(fd.get());
                return out;
            }
            pos = 0;
        }
        // More input: keep the unfinished part, read the next chunk behind it.
        if (!chunks_.readMore(fd.get(), pos)) {
            out.readError = FileError::fromErrno(errno);
            end_ = chunks_.offset();  // the unfinished part's start: the records before are kept
            stamp_ = stampOf(fd.get());
            return out;
        }
        pos = 0;
        const std::string_view window = chunks_.window();
        for (logformat::ScanStatus status = logformat::ScanStatus::Found; status == logformat::ScanStatus::Found;) {
            std::size_t count = 0;
            status = logformat::scanRecords(window, pos, chunks_.atEnd(), found, count);
            for (std::size_t i = 0; i < count; ++i) {
                const long long offset = chunks_.offset() + static_cast<long long>(found[i].begin);
                starts_.push_back(static_cast<std::uint64_t>(offset) |
                                  static_cast<std::uint64_t>(found[i].shape) << kShapeShift);
            }
            if (status == logformat::ScanStatus::End) {
                end_ = chunks_.offset() + static_cast<long long>(window.size());
                // Taken at the end: a file that grew meanwhile differs from it, and is read again.
                stamp_ = stampOf(fd.get());
                stamp_.size = end_;
                return out;
            }
        }
    }
}

std::string_view LogIndex::bytesOf(std::size_t i) {
    const long long from = offset(i);
    // Of a line too long to be a row, its start is enough to show it.
    const long long to = std::min(i + 1 < starts_.size() ? offset(i + 1) : end_,
                                  from + static_cast<long long>(ChunkedFile::kLongestLine));
    const long long cacheTo = cacheFrom_ + static_cast<long long>(cache_.size());
    if (cacheFrom_ < 0 || from < cacheFrom_ || to > cacheTo) {
        // The lines around it too: a list shows its neighbours next.
        cacheFrom_ = std::max(0LL, from - kCacheBefore);
        const long long length = std::max(to, std::min(end_, from + kCacheAfter)) - cacheFrom_;
        cache_.clear();
        readError_ = {};
        const UniqueFd fd = openForReading(path_, readError_);
        // Read through the old places only while the file stands as indexed.
        if (!fd || !(stampOf(fd.get()) == stamp_)) {
            cacheFrom_ = -1;
            return {};
        }
        cache_.resize(static_cast<std::size_t>(length));
        const long long got = readAt(fd.get(), cache_.data(), length, cacheFrom_);
        if (got < 0) {
            readError_ = FileError::fromErrno(errno);
            cache_.clear();
            cacheFrom_ = -1;
            return {};
        }
        cache_.resize(static_cast<std::size_t>(got));
    }
    const long long cacheEnd = cacheFrom_ + static_cast<long long>(cache_.size());
    if (from >= cacheEnd)
        return {};
    return std::string_view(cache_).substr(static_cast<std::size_t>(from - cacheFrom_),
                                           static_cast<std::size_t>(std::min(to, cacheEnd) - from));
}

void LogIndex::fields(std::size_t i, logformat::RecordView &out) { logformat::parseFields(bytesOf(i), shape(i), out); }

std::string LogIndex::displayLine(std::size_t i) {
    const std::string_view bytes = bytesOf(i);
    if (bytes.empty())
        return {};  // the file no longer stands as indexed: nothing rather than another row
    logformat::RecordView record;
    logformat::parseFields(bytes, shape(i), record);
    std::string line;
    logformat::appendDisplayLine(line, record);
    return line;
}

LogIndex::Change LogIndex::changed() const {
    if (path_.empty())
        return Change::None;
    const FileStamp now = stampOf(path_);
    if (now.size < 0)
        return Change::Gone;
    if (now == stamp_)
        return Change::None;
    return now.size < end_ ? Change::Shrank : Change::Changed;
}

bool LogIndex::appended(long long offset, long long length, const FileStamp &before, const FileStamp &after) {
    if (path_.empty() || !(before == stamp_) || offset != end_)
        return false;
    starts_.push_back(static_cast<std::uint64_t>(offset));
    end_ = offset + length;
    stamp_ = after;
    return true;
}

void LogIndex::shiftFrom(std::size_t first, long long delta, const FileStamp &after) {
    stamp_ = after;
    for (std::size_t j = first; j < starts_.size(); ++j)
        starts_[j] = static_cast<std::uint64_t>(static_cast<long long>(starts_[j]) + delta);
    end_ += delta;
    cache_.clear();
    cacheFrom_ = -1;
}

void LogIndex::replaced(std::size_t i, long long oldLength, long long newLength, const FileStamp &after) {
    shiftFrom(i + 1, newLength - oldLength, after);
}

void LogIndex::removed(std::size_t i, long long length, const FileStamp &after) {
    starts_.erase(starts_.begin() + static_cast<std::ptrdiff_t>(i));
    shiftFrom(i, -length, after);
}

void LogIndex::inserted(long long offset, long long length, const FileStamp &after) {
    const auto at = std::lower_bound(starts_.begin(), starts_.end(), static_cast<std::uint64_t>(offset),
                                     [](std::uint64_t start, std::uint64_t o) { return (start & kOffsetMask) < o; });
    const auto i = static_cast<std::size_t>(at - starts_.begin());
    starts_.insert(at, static_cast<std::uint64_t>(offset));
    shiftFrom(i + 1, length, after);
}

std::size_t LogIndex::lineAt(long long offset) const {
    const auto at = std::lower_bound(starts_.begin(), starts_.end(), static_cast<std::uint64_t>(offset),
                                     [](std::uint64_t start, std::uint64_t o) { return (start & kOffsetMask) < o; });
    return at != starts_.end() && (*at & kOffsetMask) == static_cast<std::uint64_t>(offset)
               ? static_cast<std::size_t>(at - starts_.begin())
               : starts_.size();
}

}  // namespace logfile
