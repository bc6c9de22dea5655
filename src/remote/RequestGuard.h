#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

class QUrlQuery;

namespace melvanta {

// The key a request presents: "Authorization: Bearer …", "X-Api-Key: …" or
// "?token=…" (panels and the links of the QR codes can only use the last).
QString presentedKey(const QByteArray& authorization, const QByteArray& apiKey, const QUrlQuery& query);

// A browser's request from a page of another site carries that site's
// origin; only pages served here (or clients without an origin, such as
// panels and scripts) may give commands.
bool originAllowed(const QByteArray& origin, const QByteArray& host);

// Wrong keys from one address are answered ever more slowly (a quarter of a
// second, doubling up to five), so that keys cannot be guessed at speed; a
// right key or a quiet minute forgives.
class FailureThrottle
{
public:
    // How long to hold back the answer to `address` at `nowMs`.
    int delayMs(const QString& address, qint64 nowMs) const;
    // Whether `address` is still to wait after its last wrong key.
    bool holdsBack(const QString& address, qint64 nowMs) const;
    void failed(const QString& address, qint64 nowMs);
    void succeeded(const QString& address) { m_failures.remove(address); }

    static constexpr int kFirstDelayMs = 250;
    static constexpr int kLongestDelayMs = 5000;
    static constexpr qint64 kForgivenAfterMs = 60000;

private:
    struct Failures
    {
        int count = 0;
        qint64 lastMs = 0;
    };
    QHash<QString, Failures> m_failures;
};

// What one WebSocket may send: a view pings now and then and an operator
// taps buttons, so more than a few dozen messages a second is a flood.
class MessageBudget
{
public:
    // Whether a message at `nowMs` is within the budget.
    bool take(qint64 nowMs);

    static constexpr int kMostPerSecond = 40;

private:
    qint64 m_windowStart = -1;
    int m_count = 0;
};

// Start and stop from one client twice within half a second count once: a
// panel's button pressed twice by accident must not start and stop again.
class DoublePressFilter
{
public:
    // Whether a start or stop from `client` at `nowMs` is acted on.
    bool accept(const QString& client, qint64 nowMs);

    static constexpr qint64 kWindowMs = 500;

private:
    QHash<QString, qint64> m_lastMs;
};

} // namespace melvanta
