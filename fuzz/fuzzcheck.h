#pragma once
// What the fuzz targets share: a check that stops the run with the failed condition, and the
// lines of a text split as the program splits them.

#include "linescan.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

/// Ends the run with the condition and its place when it does not hold; libFuzzer then keeps
/// the input that broke it.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

namespace fuzz {

inline QByteArray bytes(const std::string &s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

/// The lines of a text without their line ends.
inline std::vector<QByteArrayView> lines(const QByteArray &text)
{
    std::vector<QByteArrayView> out;
    LineScanner scan(text.constData(), text.constData() + text.size());
    LineSpan span;
    while (scan.next(span))
        out.emplace_back(span.begin, span.length);
    return out;
}

} // namespace fuzz
