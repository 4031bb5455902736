#include "cli/safefile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <random>

namespace {

constexpr int kMaxLinks = 40; // as the kernel allows in one path
constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

void setWhy(std::string *why, const std::string &text)
{
    if (why)
        *why = text;
}

std::deque<std::string> split(const std::string &path)
{
    std::deque<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = path.find('/', start);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return parts;
}

// Nobody but this user and root can add, remove or swap a name in the folder.
bool closedToOthers(int dir)
{
    struct stat st {};
    if (fstat(dir, &st) != 0)
        return false;
    return (st.st_uid == getuid() || st.st_uid == 0) && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string readLink(int dir, const std::string &name)
{
    std::string target(4096, '\0');
    const ssize_t n = readlinkat(dir, name.c_str(), target.data(), target.size());
    if (n <= 0 || std::size_t(n) >= target.size())
        return {};
    target.resize(std::size_t(n));
    return target;
}

// Opens the folder path from start (a folder descriptor, or AT_FDCWD), one name at a time.
// below: a path that must stay under start (no "..", no absolute path, no link at all).
int walk(int start, const std::string &path, bool create, bool below, std::string *why)
{
    const bool absolute = !path.empty() && path[0] == '/';
    if (below && absolute) {
        setWhy(why, path + ": not a relative path");
        return -1;
    }
    int dir = absolute ? ::open("/", kDirFlags) : start == AT_FDCWD ? ::open(".", kDirFlags)
                                                                      : fcntl(start, F_DUPFD_CLOEXEC, 0);
    if (dir < 0) {
        setWhy(why, std::strerror(errno));
        return -1;
    }
    std::deque<std::string> todo = split(path);
    int links = 0;
    auto fail = [&](const std::string &text) {
        ::close(dir);
        setWhy(why, text);
        return -1;
    };
    while (!todo.empty()) {
        const std::string name = todo.front();
        todo.pop_front();
        if (name == ".")
            continue;
        if (name == ".." && below)
            return fail(path + ": leads outside its folder");
        int next = openat(dir, name.c_str(), kDirFlags);
        if (next < 0 && errno == ENOENT && create) {
            if (mkdirat(dir, name.c_str(), 0777) != 0 && errno != EEXIST)
                return fail(path + ": cannot create " + name + ": " + std::strerror(errno));
            next = openat(dir, name.c_str(), kDirFlags);
        }
        if (next >= 0) {
            ::close(dir);
            dir = next;
            continue;
        }
        const int error = errno;
        struct stat st {};
        if (fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode))
            return fail(path + ": " + name + ": " + std::strerror(error == ELOOP ? ENOTDIR : error));
        if (below || !closedToOthers(dir))
            return fail(path + ": " + name + " is a link in a folder that others can write; not followed");
        const std::string target = readLink(dir, name);
        if (target.empty() || ++links > kMaxLinks)
            return fail(path + ": " + name + ": " + std::strerror(ELOOP));
        std::deque<std::string> parts = split(target);
        todo.insert(todo.begin(), parts.begin(), parts.end());
        if (target[0] == '/') {
            const int root = ::open("/", kDirFlags);
            if (root < 0)
                return fail(std::strerror(errno));
            ::close(dir);
            dir = root;
        }
    }
    return dir;
}

std::string randomSuffix()
{
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[12];
    if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != ssize_t(sizeof bytes)) {
        std::random_device device;
        for (unsigned char &b : bytes)
            b = static_cast<unsigned char>(device());
    }
    std::string out;
    for (unsigned char b : bytes)
        out += kAlphabet[b % (sizeof kAlphabet - 1)];
    return out;
}

bool writeAll(int fd, std::string_view bytes)
{
    const char *p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= std::size_t(n);
    }
    return true;
}

// Moves from to name without replacing anything there; errno EEXIST when something is.
bool renameNoReplace(int dir, const char *from, const char *name)
{
    if (renameat2(dir, from, dir, name, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    // A file system without the flag: a hard link fails on any existing name too.
    if (linkat(dir, from, dir, name, 0) == 0) {
        unlinkat(dir, from, 0);
        return true;
    }
    if (errno == EEXIST)
        return false;
    // Nor hard links (FAT): the last resort checks first; whatever appears in between is
    // replaced, never written through.
    struct stat st {};
    if (fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return renameat(dir, from, dir, name) == 0;
}

} // namespace

bool fileIdentity(const std::string &path, FileIdentity *id)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return false;
    if (id)
        *id = {st.st_dev, st.st_ino};
    return true;
}

SafeFolder::~SafeFolder()
{
    if (fd_ >= 0)
        ::close(fd_);
}

SafeFolder::SafeFolder(SafeFolder &&other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

SafeFolder &SafeFolder::operator=(SafeFolder &&other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

SafeFolder SafeFolder::open(const std::string &path, bool create, std::string *why)
{
    return SafeFolder(walk(AT_FDCWD, path, create, false, why));
}

SafeFolder SafeFolder::openBelow(const std::string &relative, bool create, std::string *why) const
{
    if (fd_ < 0) {
        setWhy(why, "no folder");
        return SafeFolder();
    }
    return SafeFolder(walk(fd_, relative, create, true, why));
}

SafeFolder::Result SafeFolder::write(const std::string &name, std::string_view bytes, Existing existing,
                                     std::string *why, const std::vector<FileIdentity> &protect) const
{
    if (fd_ < 0 || name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        setWhy(why, "not a file name: " + name);
        return Result::Failed;
    }
    // Hidden, and short enough for any file system's name limit whatever the final name.
    std::string part;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        part = "." + name.substr(0, 160) + "." + randomSuffix() + ".part";
        fd = openat(fd_, part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        setWhy(why, std::strerror(errno));
        return Result::Failed;
    }
    const bool written = writeAll(fd, bytes);
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        setWhy(why, std::strerror(written ? errno : writeError));
        unlinkat(fd_, part.c_str(), 0);
        return Result::Failed;
    }
    struct stat st {};
    if (!protect.empty() && fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        for (const FileIdentity &id : protect) {
            if (id == FileIdentity{st.st_dev, st.st_ino}) {
                unlinkat(fd_, part.c_str(), 0);
                setWhy(why, "it is an input; never written over");
                return Result::Failed;
            }
        }
    }
    const bool moved = existing == Existing::Replace ? renameat(fd_, part.c_str(), fd_, name.c_str()) == 0
                                                     : renameNoReplace(fd_, part.c_str(), name.c_str());
    if (!moved) {
        const int error = errno;
        unlinkat(fd_, part.c_str(), 0);
        if (existing == Existing::Keep && error == EEXIST)
            return Result::Exists;
        setWhy(why, std::strerror(error));
        return Result::Failed;
    }
    return Result::Written;
}
