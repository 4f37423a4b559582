#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken promise found by a fuzz target: report it and abort, so that libFuzzer keeps
// the input and a replay fails.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Takes a fuzz input apart front to back. Past its end every byte reads as zero and
// every byte string as empty, so a target never has to count.
class FuzzInput
{
public:
    FuzzInput(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool atEnd() const { return pos >= size; }
    uint8_t byte() { return pos < size ? data[pos++] : 0; }
    // Up to `count` bytes, fewer when the input ends first; all that is left by default.
    QByteArray bytes(size_t count = SIZE_MAX)
    {
        const size_t n = qMin(count, size - qMin(pos, size));
        const QByteArray result(reinterpret_cast<const char*>(data + pos), int(n));
        pos += n;
        return result;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
};
