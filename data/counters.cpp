#include "counters.h"

#include "cp1251.h"
#include "inifile.h"
#include "lockedfile.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QMutex>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

QString textOf(QByteArrayView bytes)
{
    return cp1251::decode(bytes);
}

} // namespace

#ifndef Q_OS_WIN

QString CounterStoreLocation()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Quarnel.ini");
}

static Result<std::optional<QByteArray>> readTextDirect(QByteArrayView section, QByteArrayView name)
{
    auto r = IniRead(CounterStoreLocation(), section, name);
    if (!r.ok())
        return Result<std::optional<QByteArray>>::failure(
            QStringLiteral("Failed to get data for '%1'").arg(textOf(name)));
    return r;
}

static Status writeTextDirect(QByteArrayView section, QByteArrayView name, const QByteArray &text)
{
    const QString path = CounterStoreLocation();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return Status::failure(QStringLiteral("Failed to create key %1").arg(textOf(section)));
    if (!IniWriteString(path, section, name, text).ok())
        return Status::failure(QStringLiteral("Failed to set data for '%1'").arg(textOf(name)));
    return Status::success();
}

#else

namespace {
const wchar_t kRoot[] = L"SoftWare\\Quarnel";

std::wstring wide(QByteArrayView bytes)
{
    return cp1251::decode(bytes).toStdWString();
}
} // namespace

QString CounterStoreLocation()
{
    return QStringLiteral("HKEY_CURRENT_USER\\SoftWare\\Quarnel");
}

static Result<std::optional<QByteArray>> readTextDirect(QByteArrayView section, QByteArrayView name)
{
    using R = Result<std::optional<QByteArray>>;
    HKEY root = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr)
        != ERROR_SUCCESS)
        return R::success(std::nullopt);
    HKEY key = nullptr;
    const std::wstring sec = wide(section);
    if (RegOpenKeyExW(root, sec.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        RegCloseKey(root);
        return R::success(std::nullopt);
    }
    const std::wstring value = wide(name);
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = RegQueryValueExW(key, value.c_str(), nullptr, &type, nullptr, &size);
    R result = R::success(std::nullopt);
    if (rc == ERROR_SUCCESS) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            result = R::failure(QStringLiteral("Invalid data type for '%1'").arg(textOf(name)));
        } else {
            std::wstring buf(size / sizeof(wchar_t) + 1, L'\0');
            rc = RegQueryValueExW(key, value.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(buf.data()), &size);
            if (rc != ERROR_SUCCESS)
                result = R::failure(QStringLiteral("Failed to get data for '%1'").arg(textOf(name)));
            else
                result = R::success(cp1251::encode(QString::fromWCharArray(buf.c_str())).value_or(QByteArray()));
        }
    } else if (rc != ERROR_FILE_NOT_FOUND) {
        result = R::failure(QStringLiteral("Failed to get data for '%1'").arg(textOf(name)));
    }
    RegCloseKey(key);
    RegCloseKey(root);
    return result;
}

static Status writeTextDirect(QByteArrayView section, QByteArrayView name, const QByteArray &text)
{
    HKEY root = nullptr;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr)
            != ERROR_SUCCESS
        || RegCreateKeyExW(root, wide(section).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
            != ERROR_SUCCESS) {
        if (root)
            RegCloseKey(root);
        return Status::failure(QStringLiteral("Failed to create key %1").arg(textOf(section)));
    }
    const std::wstring data = wide(text);
    const LONG rc = RegSetValueExW(key, wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
                                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    RegCloseKey(root);
    if (rc != ERROR_SUCCESS)
        return Status::failure(QStringLiteral("Failed to set data for '%1'").arg(textOf(name)));
    return Status::success();
}

#endif

// The cache: values keyed by section and name as the store compares them (letter case aside).
struct CounterStoreCache::Data {
    mutable QMutex lock;
    std::optional<QByteArray> file; ///< the store as read when the cache was made (not on Windows)
    QString problem;                ///< why it could not be read; every read then fails as before
    QMap<std::pair<QByteArray, QByteArray>, std::optional<QByteArray>> known;
    QMap<std::pair<QByteArray, QByteArray>, std::pair<QByteArray, QByteArray>> changed; ///< key: section, name as written
};

namespace {

CounterStoreCache::Data *activeCache = nullptr;

std::pair<QByteArray, QByteArray> cacheKey(QByteArrayView section, QByteArrayView name)
{
    return {cp1251::upper(section.toByteArray()), cp1251::upper(name.toByteArray())};
}

} // namespace

CounterStoreCache::CounterStoreCache()
    : d(std::make_unique<Data>())
{
    Q_ASSERT(!activeCache);
#ifndef Q_OS_WIN
    const auto read = ReadWholeFile(CounterStoreLocation());
    if (read.ok())
        d->file = read.value.value_or(QByteArray());
    else
        d->problem = read.error;
#endif
    activeCache = d.get();
}

CounterStoreCache::~CounterStoreCache()
{
    flush();
    activeCache = nullptr;
}

bool CounterStoreCache::changed() const
{
    QMutexLocker locked(&d->lock);
    return !d->changed.isEmpty();
}

Status CounterStoreCache::flush()
{
    QMutexLocker locked(&d->lock);
    if (d->changed.isEmpty())
        return Status::success();
#ifndef Q_OS_WIN
    const QString path = CounterStoreLocation();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return Status::failure(QStringLiteral("Failed to create key %1").arg(textOf(kCounterSection)));
    // Applied to the store as it is now on disk: values this process never wrote stay as they are.
    const auto changes = d->changed;
    const Status s = ReplaceFileLocked(path, [&](const std::optional<QByteArray> &current)
                                                 -> Result<std::optional<QByteArray>> {
        QByteArray text = current.value_or(QByteArray());
        for (const auto &[section, name] : changes.keys()) {
            const auto &[writtenSection, writtenName] = changes.value({section, name});
            const auto out = IniSetValue(text, writtenSection, writtenName,
                                         *d->known.value({section, name}));
            if (out.ok())
                text = out.value;
        }
        return Result<std::optional<QByteArray>>::success(std::move(text));
    });
    if (!s.ok())
        return Status::failure(QStringLiteral("Unable to write to %1").arg(path));
#else
    for (auto it = d->changed.cbegin(); it != d->changed.cend(); ++it) {
        const Status s = writeTextDirect(it.value().first, it.value().second, *d->known.value(it.key()));
        if (!s.ok())
            return s;
    }
#endif
    d->changed.clear();
    return Status::success();
}

Result<std::optional<QByteArray>> RegReadText(QByteArrayView section, QByteArrayView name)
{
    CounterStoreCache::Data *cache = activeCache;
    if (!cache)
        return readTextDirect(section, name);
    QMutexLocker locked(&cache->lock);
    const auto key = cacheKey(section, name);
    if (const auto found = cache->known.constFind(key); found != cache->known.cend())
        return Result<std::optional<QByteArray>>::success(*found);
#ifndef Q_OS_WIN
    if (!cache->file)
        return Result<std::optional<QByteArray>>::failure(
            QStringLiteral("Failed to get data for '%1'").arg(textOf(name)));
    const std::optional<QByteArray> value = IniFindValue(*cache->file, section, name);
#else
    const auto read = readTextDirect(section, name);
    if (!read.ok())
        return read;
    const std::optional<QByteArray> value = read.value;
#endif
    cache->known.insert(key, value);
    return Result<std::optional<QByteArray>>::success(value);
}

static Status writeText(QByteArrayView section, QByteArrayView name, const QByteArray &text)
{
    CounterStoreCache::Data *cache = activeCache;
    if (!cache)
        return writeTextDirect(section, name, text);
#ifndef Q_OS_WIN
    // Refused here as the store would refuse it, rather than at the flush, where no caller hears.
    if (!IniSetValue(QByteArray(), section, name, text).ok())
        return Status::failure(QStringLiteral("Failed to set data for '%1'").arg(textOf(name)));
#endif
    QMutexLocker locked(&cache->lock);
    const auto key = cacheKey(section, name);
    cache->known.insert(key, text);
    cache->changed.insert(key, {section.toByteArray(), name.toByteArray()});
    return Status::success();
}

Result<int> RegReadInteger(QByteArrayView section, QByteArrayView name, int defaultValue)
{
    const auto text = RegReadText(section, name);
    if (!text.ok())
        return Result<int>::failure(text.error);
    if (!text.value)
        return Result<int>::success(defaultValue);
    // The counters store takes hexadecimal after "$" but not after "0x", unlike the settings
    // file: a counter reading "0x10" counts as not a number and gives the default.
    return Result<int>::success(ParseIniInteger(*text.value, false).value_or(defaultValue));
}

Status RegWriteInteger(QByteArrayView section, QByteArrayView name, int value)
{
    return writeText(section, name, QByteArray::number(value));
}

Result<bool> RegReadBool(QByteArrayView section, QByteArrayView name, bool defaultValue)
{
    const auto r = RegReadInteger(section, name, defaultValue ? 1 : 0);
    if (!r.ok())
        return Result<bool>::failure(r.error);
    return Result<bool>::success(r.value != 0);
}

Status RegWriteBool(QByteArrayView section, QByteArrayView name, bool value)
{
    return writeText(section, name, value ? QByteArray("1") : QByteArray("0"));
}
