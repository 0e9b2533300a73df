#include "platform/QSettingsStore.h"

#include <QSettings>

namespace {
const QString Root = QStringLiteral("Software\\OndelPlayer\\");

class QSettingsKey final : public SettingsKey {
public:
    explicit QSettingsKey(const QString& group)
        : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("OndelPlayer"),
                    QStringLiteral("OndelPlayer"))
    {
        settings_.beginGroup(group);
    }

    std::optional<QString> readString(const QString& name) const override
    {
        const QVariant v = settings_.value(name);
        if (!v.isValid() || !v.canConvert<QString>())
            return std::nullopt;
        return v.toString();
    }

    std::optional<qint32> readInteger(const QString& name) const override
    {
        const QVariant v = settings_.value(name);
        if (!v.isValid())
            return std::nullopt;
        bool ok = false;
        const qlonglong n = v.toString().toLongLong(&ok);
        if (!ok || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<quint32>::max())
            return std::nullopt;
        return qint32(quint32(n));
    }

    bool writeString(const QString& name, const QString& value) override
    {
        settings_.setValue(name, value);
        return commit();
    }

    bool writeInteger(const QString& name, qint32 value) override
    {
        settings_.setValue(name, value);
        return commit();
    }

    bool deleteValue(const QString& name) override
    {
        if (!settings_.contains(name))
            return false;
        settings_.remove(name);
        return commit();
    }

    bool exists() const { return !settings_.childKeys().isEmpty() || !settings_.childGroups().isEmpty(); }
    bool writable() const { return settings_.isWritable(); }

private:
    bool commit()
    {
        settings_.sync();
        return settings_.status() == QSettings::NoError;
    }

    QSettings settings_;
};
} // namespace

QString QSettingsStore::groupFor(const QString& path)
{
    if (!path.startsWith(Root, Qt::CaseInsensitive) || path.size() == Root.size())
        return {};
    QString group = path.mid(Root.size());
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group;
}

std::unique_ptr<SettingsKey> QSettingsStore::openKey(const QString& path, bool create)
{
    const QString group = groupFor(path);
    if (group.isEmpty())
        return nullptr;
    auto key = std::make_unique<QSettingsKey>(group);
    if (create ? !key->writable() : !key->exists())
        return nullptr;
    return key;
}
