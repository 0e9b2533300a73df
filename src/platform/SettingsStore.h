#pragma once

#include <QString>
#include <memory>
#include <optional>

// One open key of the per-user settings store, with registry semantics:
// string and 32-bit integer values by name. Every write is committed at once.
class SettingsKey {
public:
    virtual ~SettingsKey() = default;
    virtual std::optional<QString> readString(const QString& name) const = 0;
    // Fails (nullopt) for a missing value or one that is not an integer.
    virtual std::optional<qint32> readInteger(const QString& name) const = 0;
    virtual bool writeString(const QString& name, const QString& value) = 0;
    virtual bool writeInteger(const QString& name, qint32 value) = 0;
    // True when a value was there and is gone.
    virtual bool deleteValue(const QString& name) = 0;
};

// Keys are named by their registry path under the current user's root,
// "Software\OndelPlayer\..." with backslashes.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Null when the key does not exist (and create is false) or cannot be opened.
    virtual std::unique_ptr<SettingsKey> openKey(const QString& path, bool create) = 0;
};
