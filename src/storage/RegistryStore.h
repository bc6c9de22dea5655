#pragma once

#include <QString>

#include <memory>
#include <optional>

class QSettings;

namespace melvanta {

// The per-user key "Kestrova": the current stage and a few switches, as
// named values directly under the key. On this platform it is the INI file
// "Kestrova.conf" in the user's config folder (XDG_CONFIG_HOME is honoured);
// on Windows it is HKEY_CURRENT_USER\Kestrova.
class RegistryStore
{
public:
    RegistryStore();
    // A store kept in the INI file at `iniPath` (for tools and tests).
    explicit RegistryStore(const QString& iniPath);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    static QString defaultLocation();

    bool contains(const QString& name) const;
    // The value as text; nothing when it is missing.
    std::optional<QString> text(const QString& name) const;
    // The value's number (text is read the program's way: "12ab" is 12,
    // "abc" is 0); `fallback` when it is missing.
    qint32 number(const QString& name, qint32 fallback = 0) const;

    // Text values (REG_SZ) and 32-bit numbers (REG_DWORD). Each write reaches
    // the disk before it returns; false when it could not be written.
    bool setText(const QString& name, const QString& value);
    bool setNumber(const QString& name, qint32 value);
    bool remove(const QString& name);

    // The same without writing to disk yet, for whole-record operations
    // that write once at the end with flush().
    void putText(const QString& name, const QString& value);
    void putNumber(const QString& name, qint32 value);
    void erase(const QString& name);
    // Writes pending changes; false when the store cannot be written.
    bool flush();

private:
    std::unique_ptr<QSettings> m_settings;
};

// Names of the values other than the stage record.
namespace RegistryValue {
inline constexpr char vision[] = "vision";
inline constexpr char clockmode[] = "clockmode";
inline constexpr char simple[] = "simple";
inline constexpr char Time_Record[] = "Time_Record";
inline QString pictureLeft(int element)
{
    return QStringLiteral("pictureleft") + QString::number(element);
}
inline QString pictureTop(int element)
{
    return QStringLiteral("picturetop") + QString::number(element);
}
} // namespace RegistryValue

} // namespace melvanta
