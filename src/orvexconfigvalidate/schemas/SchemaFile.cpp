#include "schemas/SchemaFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

namespace OrvexConfigValidate {
namespace {

FileStamp stampOf(const struct stat& info) {
    FileStamp stamp;
    if (!S_ISREG(info.st_mode)) return stamp;
    stamp.usable = true;
    stamp.device = static_cast<unsigned long long>(info.st_dev);
    stamp.inode = static_cast<unsigned long long>(info.st_ino);
    stamp.size = static_cast<long long>(info.st_size);
    stamp.modified = info.st_mtim;
    stamp.changed = info.st_ctim;
    return stamp;
}

bool sameTime(const std::timespec& a, const std::timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Closes the descriptor on every way out.
class Descriptor {
  public:
    explicit Descriptor(int descriptor) : fd(descriptor) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd; }

  private:
    int fd;
};

}  // namespace

bool FileStamp::operator==(const FileStamp& other) const {
    if (usable != other.usable) return false;
    if (!usable) return true;
    return device == other.device && inode == other.inode && size == other.size &&
           sameTime(modified, other.modified) && sameTime(changed, other.changed);
}

FileStamp stampSchemaFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return FileStamp{};
    return stampOf(info);
}

bool readSchemaFile(const std::string& path, FileStamp& stamp, std::string& bytes) {
    stamp = FileStamp{};
    bytes.clear();
    // A stat first, so that a FIFO or device is never opened at all.
    if (!stampSchemaFile(path).usable) return false;
    // The name may have been replaced since: O_NONBLOCK keeps an open of a
    // FIFO from waiting for a writer, and fstat judges what was opened.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) return false;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) return false;
    const FileStamp opened = stampOf(info);
    if (!opened.usable || static_cast<unsigned long long>(opened.size) > kMaxSchemaFileBytes)
        return false;
    std::string content;
    content.reserve(static_cast<std::size_t>(opened.size));
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) break;
        content.append(buffer, static_cast<std::size_t>(got));
        if (content.size() > kMaxSchemaFileBytes) return false;
    }
    stamp = opened;
    bytes = std::move(content);
    return true;
}

std::shared_ptr<const nlohmann::json> parseSchemaFile(const std::string& bytes,
                                                      std::string* problem) {
    // Stream input reads one value and never looks at what follows it.
    std::istringstream stream(bytes);
    auto document = std::make_shared<nlohmann::json>();
    try {
        stream >> *document;
    } catch (const std::exception& e) {
        if (problem != nullptr) {
            // Without the parser's "[json.exception.parse_error.101] " tag.
            const std::string what = e.what();
            const std::size_t tagEnd = what.rfind("] ", what.find(' '));
            *problem = what.compare(0, 1, "[") == 0 && tagEnd != std::string::npos
                           ? what.substr(tagEnd + 2)
                           : what;
        }
        return nullptr;
    }
    return document;
}

}  // namespace OrvexConfigValidate
