#pragma once
// The per-user counters store: question positions, remark and jingle indexes, the friend and
// phrase of phone a friend, and the sound switch. On Windows it is the registry branch
// HKEY_CURRENT_USER\SoftWare\Quarnel\<section>; elsewhere the file Quarnel.ini in the user's
// configuration folder, one INI section per registry key, values stored as the same text.

#include "result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>
#include <optional>

/// The section every value of the program lives in.
inline constexpr char kCounterSection[] = "OTallory";

/// The integer stored under name, or the default when it is missing or not an integer text.
/// Fails only when the store exists but cannot be read.
Result<int> RegReadInteger(QByteArrayView section, QByteArrayView name, int defaultValue);
/// Stores the decimal text of value.
Status RegWriteInteger(QByteArrayView section, QByteArrayView name, int value);
/// A flag: the integer read with 1 or 0 as default, true when it is not 0.
Result<bool> RegReadBool(QByteArrayView section, QByteArrayView name, bool defaultValue);
/// Stores "1" or "0".
Status RegWriteBool(QByteArrayView section, QByteArrayView name, bool value);

/// The raw text stored under name, or nothing; for the few callers that must tell a stored
/// value from a default.
Result<std::optional<QByteArray>> RegReadText(QByteArrayView section, QByteArrayView name);

/// Where the store lives on this platform, for messages and tests.
QString CounterStoreLocation();

/// The store kept in memory while it lives, for a long-running process that is the store's only
/// writer (the class server's room): reads and writes go to memory, and flush() writes every
/// value changed since in one locked rewrite, rather than one rewrite (two syncs and a rename)
/// per value. The store is read once, as the first one is made. One at a time per process;
/// while none exists every call opens the store, does one thing and closes it, as the desktop
/// game's calls always do. Destroying it flushes what is left.
class CounterStoreCache
{
public:
    CounterStoreCache();
    ~CounterStoreCache();
    CounterStoreCache(const CounterStoreCache &) = delete;
    CounterStoreCache &operator=(const CounterStoreCache &) = delete;

    /// Whether a value was written since the last flush.
    bool changed() const;
    /// Writes the values changed since the last flush; the rest of the store stays as it is on
    /// disk. On failure the values stay changed and the next flush tries again.
    Status flush();

    struct Data;

private:
    std::unique_ptr<Data> d;
};
