#pragma once
// The layout engine's own pseudo-random numbers: the classic linear
// congruential generator, so that a given seed always gives the same
// arrangement whatever the runtime's rand() does.

#include <QtGlobal>

class CLayoutRandom
{
public:
    static constexpr quint32 kMultiplier = 214013u;
    static constexpr quint32 kIncrement = 2531011u;
    static constexpr int kShift = 16;
    static constexpr quint32 kMask = 0x7FFF;

    explicit CLayoutRandom(quint32 seed = 0)
        : m_seed(seed)
    {
    }

    // 0 ... 32767. The state wraps around at 32 bits.
    int next()
    {
        m_seed = m_seed * kMultiplier + kIncrement;
        return int((m_seed >> kShift) & kMask);
    }

    quint32 state() const { return m_seed; }

private:
    quint32 m_seed;
};
