#include "toolio.h"

#include "lockedfile.h"

#include <QSaveFile>

#include <cstdio>

Result<QByteArray> ReadInputFile(const QString &path)
{
    const auto bytes = ReadWholeFile(path);
    if (!bytes.ok())
        return Result<QByteArray>::failure(bytes.error);
    if (!bytes.value)
        return Result<QByteArray>::failure(QStringLiteral("Нет файла «%1»").arg(path));
    return Result<QByteArray>::success(*bytes.value);
}

Status WriteOutputFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile out(path);
    const auto failure = [&] {
        return Status::failure(QStringLiteral("Не удаётся записать файл «%1»: %2").arg(path, out.errorString()));
    };
    if (!out.open(QIODevice::WriteOnly))
        return failure();
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return failure();
    }
    if (!out.commit())
        return failure();
    return Status::success();
}

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
