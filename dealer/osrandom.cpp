#include "osrandom.h"

#include <cerrno>
#include <stdexcept>

#include <sys/random.h>

void osRandom(void *buffer, size_t size)
{
    auto *out = static_cast<uint8_t *>(buffer);
    while (size > 0) {
        const ssize_t n = ::getrandom(out, size, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("no random bytes from the system");
        }
        out += n;
        size -= size_t(n);
    }
}
