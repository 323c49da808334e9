#pragma once
// Budgets of requests, one token bucket per key (a game's token, a client's address): a client
// may send a burst at once and then so many a second. What a flooding client spends is its own,
// so one phone gone wild never slows another student's game.

#include <QHash>
#include <QString>

#include <functional>

class RateLimit
{
public:
    struct Budget {
        double perSecond = 20;  ///< how fast a spent budget comes back
        double burst = 40;      ///< how many requests a quiet client may send at once
    };

    /// nowMs: a steady clock in milliseconds.
    RateLimit(Budget budget, std::function<qint64()> nowMs);

    /// Spends one request of key's budget; false (and nothing spent) when it is used up.
    bool take(const QString &key);
    /// Forgets the keys whose budget is whole again: they would start whole anyway.
    void forgetRested();
    /// How many keys are remembered.
    qsizetype keys() const { return m_buckets.size(); }

private:
    struct Bucket {
        double left = 0;
        qint64 at = 0;
    };
    double refilled(const Bucket &bucket, qint64 now) const;

    Budget m_budget;
    std::function<qint64()> m_nowMs;
    QHash<QString, Bucket> m_buckets;
};
