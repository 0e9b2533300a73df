#pragma once

#include "platform/SettingsStore.h"

#include <QMap>

// A settings store that lives only in memory, for checks and benchmarks that
// must leave the user's own settings alone. Values are kept as text; a key
// exists once it has been opened with create.
class MemorySettingsStore final : public SettingsStore {
public:
    QMap<QString, QMap<QString, QString>> keys;

    std::unique_ptr<SettingsKey> openKey(const QString& path, bool create) override
    {
        if (!keys.contains(path) && !create)
            return nullptr;
        return std::make_unique<Key>(keys[path]);
    }

private:
    class Key final : public SettingsKey {
    public:
        explicit Key(QMap<QString, QString>& values) : values_(values) {}
        std::optional<QString> readString(const QString& name) const override
        {
            return values_.contains(name) ? std::optional(values_[name]) : std::nullopt;
        }
        std::optional<qint32> readInteger(const QString& name) const override
        {
            bool ok = false;
            const qint32 value = values_.value(name).toInt(&ok);
            return ok ? std::optional(value) : std::nullopt;
        }
        bool writeString(const QString& name, const QString& value) override
        {
            values_[name] = value;
            return true;
        }
        bool writeInteger(const QString& name, qint32 value) override
        {
            values_[name] = QString::number(value);
            return true;
        }
        bool deleteValue(const QString& name) override { return values_.remove(name) > 0; }

    private:
        QMap<QString, QString>& values_;
    };
};
