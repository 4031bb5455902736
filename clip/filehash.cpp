#include "clip/filehash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include <openssl/evp.h>

namespace clip {

namespace {

// Small enough to stay in the processor's cache between the read and the digest.
constexpr std::size_t kSlice = 256 * 1024;

struct ContextFree {
    void operator()(EVP_MD_CTX *c) const { EVP_MD_CTX_free(c); }
};

std::string fail(std::string *error, const std::string &why)
{
    if (error)
        *error = why;
    return {};
}

} // namespace

std::string sha256OfDescriptor(int fd, const HashWatch &watch, std::string *error)
{
    const std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        return fail(error, "no SHA-256 digest available");
    (void)posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<unsigned char> slice(kSlice);
    off_t at = 0;
    for (;;) {
        if (watch.cancelled && watch.cancelled())
            return {};
        const ssize_t n = ::pread(fd, slice.data(), slice.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(error, std::strerror(errno));
        if (n == 0)
            break;
        if (EVP_DigestUpdate(context.get(), slice.data(), std::size_t(n)) != 1)
            return fail(error, "digest failed");
        at += n;
        if (watch.advanced)
            watch.advanced(n);
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1)
        return fail(error, "digest failed");
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 15];
    }
    return hex;
}

std::string sha256OfFile(const std::string &path, const HashWatch &watch, std::string *error)
{
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); // a FIFO must not hold us up
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return fail(error, std::strerror(errno));
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(error, "not a file");
    }
    const std::string hex = sha256OfDescriptor(fd, watch, error);
    ::close(fd);
    return hex;
}

} // namespace clip
