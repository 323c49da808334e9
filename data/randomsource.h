#pragma once
// The program's one source of chance, handed to whoever needs it so that tests can seed it.

#include <QRandomGenerator>

class RandomSource
{
public:
    virtual ~RandomSource() = default;
    /// A uniformly random integer from 0 to n - 1 (0 when n <= 1).
    virtual int below(int n) = 0;
};

/// The program's generator: seeded from the clock at start-up, or with a fixed seed in tests.
class SeededRandom final : public RandomSource
{
public:
    explicit SeededRandom(quint32 seed) : m_gen(seed) {}
    int below(int n) override { return n <= 1 ? 0 : static_cast<int>(m_gen.bounded(static_cast<quint32>(n))); }

private:
    QRandomGenerator m_gen;
};
