#pragma once
// Invariant checks for the fuzz targets: a broken invariant prints what was expected and what
// was found, then aborts, so libFuzzer records the input as a crash.

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace tarnby::fuzz {

[[noreturn]] inline void invariantBroken(const char* file, int line, const char* condition,
                                         const QByteArray& detail) {
    std::fprintf(stderr, "\n%s:%d: invariant broken: %s\n", file, line, condition);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", detail.constData());
    std::fflush(stderr);
    std::abort();
}

// Printable form of bytes for a failure message: control bytes and bytes outside ASCII escaped.
inline QByteArray printable(QByteArrayView bytes) {
    QByteArray out;
    out.reserve(bytes.size() + 2);
    out += '"';
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7f && c != '"' && c != '\\')
            out += c;
        else
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
    }
    out += '"';
    return out;
}
inline QByteArray printable(const QByteArray& bytes) {
    return printable(QByteArrayView(bytes));
}
inline QByteArray printable(const QString& text) {
    return printable(text.toUtf8());
}

} // namespace tarnby::fuzz

// FUZZ_CHECK(condition, detail): `detail` is anything QByteArray can be built from and is
// evaluated only when the check fails.
#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::tarnby::fuzz::invariantBroken(__FILE__, __LINE__, #condition, QByteArray(detail));   \
    } while (0)
