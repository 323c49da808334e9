#pragma once
// Small helpers shared by the tests: files of exact bytes and Windows-1251 literals.

#include "cp1251.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QString>

namespace testutil {

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write test file %s", qPrintable(path));
    f.write(bytes);
}

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

/// Windows-1251 bytes of a literal.
inline QByteArray w(const char16_t *text)
{
    return cp1251::text(text);
}

/// Every byte XORed with 0xAD: the scramble of banks and records, written out here rather
/// than taken from the data layer, so that tests check the layer against the rule itself.
inline QByteArray xorAd(const QByteArray &bytes)
{
    QByteArray out = bytes;
    for (char &c : out)
        c = static_cast<char>(static_cast<unsigned char>(c) ^ 0xADu);
    return out;
}

} // namespace testutil
