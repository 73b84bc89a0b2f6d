#pragma once
// A broken invariant prints the condition and its detail, then aborts, so libFuzzer keeps the
// input as a crash.

#include <QByteArray>
#include <cstdio>
#include <cstdlib>

namespace tarnby::fuzz {

// Bytes for a failure message, control bytes and bytes outside ASCII escaped.
inline QByteArray printable(QByteArrayView bytes) {
    QByteArray out = "\"";
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        out += u >= 0x20 && u < 0x7f && c != '"' && c != '\\'
                   ? QByteArray(1, c)
                   : "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
    }
    return out + '"';
}

} // namespace tarnby::fuzz

#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "\n%s:%d: invariant broken: %s\n  %s\n", __FILE__, __LINE__,      \
                         #condition, QByteArray(detail).constData());                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
