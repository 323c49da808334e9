#include "ratelimit.h"

#include <algorithm>

RateLimit::RateLimit(Budget budget, std::function<qint64()> nowMs)
    : m_budget(budget)
    , m_nowMs(std::move(nowMs))
{
}

double RateLimit::refilled(const Bucket &bucket, qint64 now) const
{
    const double seconds = double(std::max<qint64>(0, now - bucket.at)) / 1000.0;
    return std::min(m_budget.burst, bucket.left + seconds * m_budget.perSecond);
}

bool RateLimit::take(const QString &key)
{
    const qint64 now = m_nowMs();
    auto found = m_buckets.find(key);
    if (found == m_buckets.end())
        found = m_buckets.insert(key, Bucket{m_budget.burst, now});
    Bucket &bucket = found.value();
    bucket.left = refilled(bucket, now);
    bucket.at = now;
    if (bucket.left < 1.0)
        return false;
    bucket.left -= 1.0;
    return true;
}

void RateLimit::forgetRested()
{
    const qint64 now = m_nowMs();
    m_buckets.removeIf([&](const auto &entry) { return refilled(entry.value(), now) >= m_budget.burst; });
}
