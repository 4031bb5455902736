#pragma once
// Writing files where another user of the machine may have a hand: an output folder under
// /tmp, a shared card reader's mount, a snapshot folder that somebody else can write.
// Nothing here follows a link such a user could have planted, nothing truncates a file in
// place, and a file is seen whole or not at all:
//  - folders are opened one name at a time (openat, O_NOFOLLOW | O_DIRECTORY) and created
//    with mkdirat; a link on the way is followed only when the folder holding it is writable
//    by nobody but this user and root (so nobody else can have put it there);
//  - a file is written to a new file with an unpredictable name, created exclusively
//    (O_CREAT | O_EXCL | O_NOFOLLOW) beside its final name, then renamed into place, which
//    replaces a link of that name rather than writing through it.
// Only the C++ standard library and POSIX, so both trava-gps and the player use it.
#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

// A file as the file system knows it, whatever the name it was reached by.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity &o) const { return device == o.device && inode == o.inode; }
};

// The identity of the file at path (links followed); false when there is none.
bool fileIdentity(const std::string &path, FileIdentity *id);

class SafeFolder {
public:
    enum class Existing {
        Replace, // an existing file of the name is replaced (a link is replaced, not followed)
        Keep,    // an existing name, even a dangling link, is never touched: Exists
    };
    enum class Result { Written, Exists, Failed };

    SafeFolder() = default;
    ~SafeFolder();
    SafeFolder(SafeFolder &&other) noexcept;
    SafeFolder &operator=(SafeFolder &&other) noexcept;
    SafeFolder(const SafeFolder &) = delete;
    SafeFolder &operator=(const SafeFolder &) = delete;

    // Opens the folder at path (relative to the working folder unless it starts with '/'),
    // creating missing folders (mode 0777 less the umask) when create is set. Not open, with
    // the reason in why, when a name on the way is not a folder or is a link others could
    // have planted.
    static SafeFolder open(const std::string &path, bool create, std::string *why);
    // A folder below this one by a relative path, under the same rules; ".." and absolute
    // paths are refused, so the result is always inside this folder.
    SafeFolder openBelow(const std::string &relative, bool create, std::string *why) const;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    // Writes bytes as the file name (one name, no '/') in this folder through a new file of
    // an unpredictable name, mode 0666 less the umask. A name that is one of protect (same
    // device and inode: an input of the run) is never replaced: Failed, with why.
    Result write(const std::string &name, std::string_view bytes, Existing existing, std::string *why,
                 const std::vector<FileIdentity> &protect = {}) const;

private:
    explicit SafeFolder(int fd) : fd_(fd) {}
    int fd_ = -1;
};
