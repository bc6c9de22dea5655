#include "remote/RequestGuard.h"

#include <QUrl>
#include <QUrlQuery>

namespace melvanta {

QString presentedKey(const QByteArray& authorization, const QByteArray& apiKey, const QUrlQuery& query)
{
    const QByteArray bearer = authorization.trimmed();
    if (bearer.size() > 7 && bearer.left(7).compare("Bearer ", Qt::CaseInsensitive) == 0)
        return QString::fromLatin1(bearer.mid(7).trimmed());
    if (!apiKey.trimmed().isEmpty())
        return QString::fromLatin1(apiKey.trimmed());
    return query.queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded);
}

bool originAllowed(const QByteArray& origin, const QByteArray& host)
{
    if (origin.isEmpty())
        return true;
    if (host.isEmpty())
        return false;
    const QUrl url(QString::fromLatin1(origin));
    if (!url.isValid() || url.scheme() != QLatin1String("http") || !url.path().isEmpty())
        return false;
    QString authority = url.host(QUrl::FullyEncoded);
    if (url.host().contains(QLatin1Char(':')))
        authority = QLatin1Char('[') + authority + QLatin1Char(']'); // an IPv6 address
    if (url.port() != -1)
        authority += QLatin1Char(':') + QString::number(url.port());
    return authority.compare(QString::fromLatin1(host.trimmed()), Qt::CaseInsensitive) == 0;
}

int FailureThrottle::delayMs(const QString& address, qint64 nowMs) const
{
    const auto found = m_failures.constFind(address);
    if (found == m_failures.constEnd() || found->count == 0 || nowMs - found->lastMs > kForgivenAfterMs)
        return 0;
    const int doublings = qMin(found->count - 1, 5);
    return qMin(kFirstDelayMs << doublings, kLongestDelayMs);
}

bool FailureThrottle::holdsBack(const QString& address, qint64 nowMs) const
{
    const auto found = m_failures.constFind(address);
    return found != m_failures.constEnd() && nowMs - found->lastMs < delayMs(address, nowMs);
}

void FailureThrottle::failed(const QString& address, qint64 nowMs)
{
    Failures& failures = m_failures[address];
    if (nowMs - failures.lastMs > kForgivenAfterMs)
        failures.count = 0;
    ++failures.count;
    failures.lastMs = nowMs;
    // A flood of addresses must not grow the table without end.
    if (m_failures.size() > 4096) {
        for (auto it = m_failures.begin(); it != m_failures.end();)
            it = nowMs - it->lastMs > kForgivenAfterMs ? m_failures.erase(it) : std::next(it);
    }
}

bool MessageBudget::take(qint64 nowMs)
{
    if (m_windowStart < 0 || nowMs - m_windowStart >= 1000) {
        m_windowStart = nowMs;
        m_count = 0;
    }
    return ++m_count <= kMostPerSecond;
}

bool DoublePressFilter::accept(const QString& client, qint64 nowMs)
{
    const auto found = m_lastMs.constFind(client);
    if (found != m_lastMs.constEnd() && nowMs - *found >= 0 && nowMs - *found < kWindowMs)
        return false;
    m_lastMs.insert(client, nowMs);
    if (m_lastMs.size() > 4096) {
        for (auto it = m_lastMs.begin(); it != m_lastMs.end();)
            it = nowMs - *it > kWindowMs ? m_lastMs.erase(it) : std::next(it);
    }
    return true;
}

} // namespace melvanta
