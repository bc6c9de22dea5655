#include "storage/RegistryStore.h"

#include "core/Encodings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace melvanta {

RegistryStore::RegistryStore()
#ifdef Q_OS_WIN
    : m_settings(std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Kestrova"), QSettings::NativeFormat))
#else
    : RegistryStore(defaultLocation())
#endif
{}

RegistryStore::RegistryStore(const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{}

RegistryStore::~RegistryStore() = default;

QString RegistryStore::defaultLocation()
{
    // Read afresh each time so that a changed XDG_CONFIG_HOME is honoured.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Kestrova.conf");
}

bool RegistryStore::contains(const QString& name) const
{
    return m_settings->contains(name);
}

std::optional<QString> RegistryStore::text(const QString& name) const
{
    const QVariant value = m_settings->value(name);
    if (!value.isValid())
        return std::nullopt;
    // A hand-edited value with commas comes back as a list; keep its text.
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

qint32 RegistryStore::number(const QString& name, qint32 fallback) const
{
    const std::optional<QString> value = text(name);
    return value ? vbValInt(*value) : fallback;
}

bool RegistryStore::setText(const QString& name, const QString& value)
{
    putText(name, value);
    return flush();
}

bool RegistryStore::setNumber(const QString& name, qint32 value)
{
    putNumber(name, value);
    return flush();
}

bool RegistryStore::remove(const QString& name)
{
    erase(name);
    return flush();
}

void RegistryStore::putText(const QString& name, const QString& value)
{
    m_settings->setValue(name, value);
}

void RegistryStore::putNumber(const QString& name, qint32 value)
{
    m_settings->setValue(name, value);
}

void RegistryStore::erase(const QString& name)
{
    m_settings->remove(name);
}

bool RegistryStore::flush()
{
#ifndef Q_OS_WIN
    QDir().mkpath(QFileInfo(m_settings->fileName()).path());
#endif
    m_settings->sync();
    // A format error is about the file as it was read (a damaged hand edit);
    // the write itself failed only when the file could not be written.
    return m_settings->status() != QSettings::AccessError;
}

} // namespace melvanta
