#include "remote/RemoteKey.h"

#include "storage/RegistryStore.h"

#include <QByteArray>
#include <QRandomGenerator>

namespace melvanta {

namespace {

const QString kValueName = QStringLiteral("remotekey");

QString newKey()
{
    QByteArray bits(16, Qt::Uninitialized);
    QRandomGenerator::system()->generate(reinterpret_cast<quint32*>(bits.data()),
                                         reinterpret_cast<quint32*>(bits.data() + bits.size()));
    return QString::fromLatin1(bits.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

} // namespace

bool RemoteKey::isWellFormed(const QString& key)
{
    if (key.size() != kLength)
        return false;
    for (QChar c : key) {
        const bool allowed =
            (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('_');
        if (!allowed)
            return false;
    }
    return true;
}

QString RemoteKey::current(RegistryStore& store)
{
    const QString stored = store.text(kValueName).value_or(QString());
    return isWellFormed(stored) ? stored : renew(store);
}

QString RemoteKey::renew(RegistryStore& store)
{
    const QString key = newKey();
    store.setText(kValueName, key);
    return key;
}

bool RemoteKey::matches(const QString& key, const QString& presented)
{
    if (!isWellFormed(key))
        return false;
    const QByteArray a = key.toLatin1();
    const QByteArray b = presented.toUtf8();
    // Every character is looked at, whatever the first difference.
    unsigned difference = unsigned(a.size() ^ b.size());
    for (int i = 0; i < a.size(); ++i)
        difference |= unsigned(quint8(a[i]) ^ quint8(i < b.size() ? b[i] : 0));
    return difference == 0;
}

} // namespace melvanta
