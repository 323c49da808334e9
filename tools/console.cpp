#include "console.h"

#include <cstdio>

void PrintBytes(QByteArrayView utf8)
{
    std::fwrite(utf8.data(), 1, static_cast<size_t>(utf8.size()), stdout);
    std::fflush(stdout);
}

void PrintOut(const QString &text)
{
    PrintBytes(text.toUtf8());
}

void PrintError(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), stderr);
    std::fflush(stderr);
}
