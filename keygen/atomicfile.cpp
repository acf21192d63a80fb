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

TemporaryFile::TemporaryFile(const std::filesystem::path& target, std::string_view data) : target(target)
{
    const std::string pattern = target.string() + ".tmp-XXXXXX";
    std::vector<char> tempName(pattern.begin(), pattern.end());
    tempName.push_back('\0');
    const int fd = mkstemp(tempName.data());
    if (fd < 0)
        fail("cannot create a temporary file for", target, errno);
    temp = tempName.data();

    auto abandon = [&](const std::string& what) {
        const int error = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        fail(what, temp, error);
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
        ::unlink(temp.c_str());
        fail("cannot close", temp, error);
    }
}

TemporaryFile::~TemporaryFile()
{
    if (!committed)
        ::unlink(temp.c_str());
}

void TemporaryFile::commit()
{
    if (::rename(temp.c_str(), target.c_str()) != 0)
        fail("cannot replace", target, errno);
    committed = true;
    // Make the rename itself durable; failing here loses nothing already written.
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

void writeFileAtomically(const std::filesystem::path& path, std::string_view data)
{
    TemporaryFile(path, data).commit();
}
