#pragma once
// A broken invariant prints the condition and its detail, then aborts, so libFuzzer keeps the
// input as a crash.

#include <QByteArray>
#include <cstdio>
#include <cstdlib>

namespace tarnby::fuzz {
// Bytes for a failure message: all but letters, digits and " <>[]/-._~" percent-encoded.
inline QByteArray printable(QByteArrayView b) {
    return b.toByteArray().toPercentEncoding(" <>[]/");
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
