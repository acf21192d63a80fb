#pragma once

#include <cstddef>
#include <cstdint>

// Bytes from the operating system's random source (getrandom); throws
// std::runtime_error if it cannot deliver.
void osRandom(void *buffer, size_t size);

template <typename T> T osRandomValue()
{
    T value{};
    osRandom(&value, sizeof value);
    return value;
}
