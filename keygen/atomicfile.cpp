#include "atomicfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path, int error)
{
    throw std::runtime_error(what + " " + path.string() + ": " + std::strerror(error));
}

} // namespace

void writeFileAtomically(const std::filesystem::path& path, std::string_view data)
{
    const std::string pattern = path.string() + ".tmp-XXXXXX";
    std::vector<char> tempName(pattern.begin(), pattern.end());
    tempName.push_back('\0');
    const int fd = mkstemp(tempName.data());
    if (fd < 0)
        fail("cannot create a temporary file for", path, errno);

    const std::filesystem::path tempPath(tempName.data());
    auto abandon = [&](const std::string& what) {
        const int error = errno;
        ::close(fd);
        ::unlink(tempName.data());
        fail(what, tempPath, error);
    };

    size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            abandon("cannot write");
        }
        written += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0)
        abandon("cannot flush");
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(tempName.data());
        fail("cannot close", tempPath, error);
    }
    if (::rename(tempName.data(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(tempName.data());
        fail("cannot replace", path, error);
    }
    // Make the rename itself durable; failing here loses nothing already written.
    std::filesystem::path folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}
