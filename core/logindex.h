#pragma once
// The comment list's view of a log file: where each record starts, found in one pass over the
// file, and nothing else. A line's text is built from the file's bytes when the list shows it (a
// list only ever paints a screenful), so a log of a million rows opens at about the speed of
// reading it and the list holds a small fraction of its size. Line i is record i.
//
// The file is open only while it is read: for the pass, and for the bytes of the lines about to
// be shown. Every read checks that the file still stands as it was indexed; a file changed since
// (by another program) is no longer read through the old places, and changed() says so.

#include "core/logio.h"

#include <cstdint>
#include <string>
#include <vector>

namespace logfile {

// Memory for the offsets of a long log in huge pages where the system gives them: a million rows
// take 8 MB, whose first touch would otherwise cost a page fault every 4 KB.
void *allocateHuge(std::size_t bytes);
void freeHuge(void *p, std::size_t bytes);
template <typename T>
struct HugePageAllocator {
    using value_type = T;
    HugePageAllocator() = default;
    template <typename U>
    HugePageAllocator(const HugePageAllocator<U> &) {}
    T *allocate(std::size_t n) { return static_cast<T *>(allocateHuge(n * sizeof(T))); }
    void deallocate(T *p, std::size_t n) { freeHuge(p, n * sizeof(T)); }
    bool operator==(const HugePageAllocator &) const = default;
};

class LogIndex {
public:
    struct LoadOutcome {
        FileError openError;  // set when the file could not be opened: the index is then unchanged
        FileError readError;  // set when reading stopped early: the records before are kept
    };
    // Indexes the file's records afresh.
    LoadOutcome load(const std::string &path);
    void clear();

    std::size_t size() const { return starts_.size(); }
    long long offset(std::size_t i) const { return static_cast<long long>(starts_[i] & kOffsetMask); }
    logformat::Shape shape(std::size_t i) const { return static_cast<logformat::Shape>(starts_[i] >> kShapeShift); }
    // The file as it stood when it was last indexed or changed by this program.
    const FileStamp &stamp() const { return stamp_; }
    // The bytes indexed: where the next record would start.
    long long end() const { return end_; }

    // How the file stands now against the index.
    enum class Change {
        None,     // as indexed
        Changed,  // written to by another program, or replaced
        Shrank,   // shorter than the lines shown: rows were taken away or it was emptied
        Gone,     // no file at the path any more
    };
    Change changed() const;

    // The list line of record i: empty when the file no longer stands as indexed, or could not be
    // read (readError() then says why).
    std::string displayLine(std::size_t i);
    const FileError &readError() const { return readError_; }
    // The fields of record i, valid until the next call.
    void fields(std::size_t i, logformat::RecordView &out);

    // After this program appended `length` bytes at `offset` to the file that stood as `before`:
    // true when that is the next record of the file as indexed, which then gets its line; false
    // when the file had changed behind the index (another copy wrote to it), and the caller loads
    // it afresh.
    bool appended(long long offset, long long length, const FileStamp &before, const FileStamp &after);
    // After record i was replaced by `newLength` bytes in the file now standing as `after`, the
    // records after it move by the difference.
    void replaced(std::size_t i, long long oldLength, long long newLength, const FileStamp &after);

    // After record i (`length` bytes) was taken out of the file now standing as `after`.
    void removed(std::size_t i, long long length, const FileStamp &after);
    // After whole rows of `length` bytes were put in at `offset` of the file now standing as
    // `after`: they are the record at that place.
    void inserted(long long offset, long long length, const FileStamp &after);
    // The line whose record starts at `offset`; size() when none does.
    std::size_t lineAt(long long offset) const;

private:
    static constexpr int kShapeShift = 62;
    static constexpr std::uint64_t kOffsetMask = (std::uint64_t(1) << kShapeShift) - 1;

    std::string_view bytesOf(std::size_t i);
    void shiftFrom(std::size_t first, long long delta, const FileStamp &after);

    std::string path_;
    FileStamp stamp_;
    long long end_ = 0;                 // the bytes indexed
    std::vector<std::uint64_t, HugePageAllocator<std::uint64_t>> starts_;  // offset; the shape in the top bits
    ChunkedFile chunks_{256 * 1024};     // reading, reused from load to load
    std::string cache_;                 // bytes around the lines last shown
    long long cacheFrom_ = -1;
    FileError readError_;
};

}  // namespace logfile
