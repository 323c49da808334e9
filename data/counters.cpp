#include "counters.h"

#include "cp1251.h"
#include "inifile.h"

#include <QDir>
#include <QFileInfo>
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

Result<std::optional<QByteArray>> RegReadText(QByteArrayView section, QByteArrayView name)
{
    auto r = IniRead(CounterStoreLocation(), section, name);
    if (!r.ok())
        return Result<std::optional<QByteArray>>::failure(
            QStringLiteral("Failed to get data for '%1'").arg(textOf(name)));
    return r;
}

static Status writeText(QByteArrayView section, QByteArrayView name, const QByteArray &text)
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

Result<std::optional<QByteArray>> RegReadText(QByteArrayView section, QByteArrayView name)
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

static Status writeText(QByteArrayView section, QByteArrayView name, const QByteArray &text)
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
