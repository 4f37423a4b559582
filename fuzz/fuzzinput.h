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
    int remaining() const { return int(size - pos); }

    uint8_t byte() { return pos < size ? data[pos++] : 0; }

    // Up to `count` bytes, fewer when the input ends first.
    QByteArray bytes(int count)
    {
        const size_t n = count < 0 ? 0 : qMin(size_t(count), size - pos);
        const QByteArray result(reinterpret_cast<const char*>(data + pos), int(n));
        pos += n;
        return result;
    }

    QByteArray rest() { return bytes(remaining()); }

private:
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
};
