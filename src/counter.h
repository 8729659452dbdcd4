#ifndef COUNTER_H
#define COUNTER_H

// Frame counters run for as long as the game does. After 2^31 frames they wrap
// to INT_MIN as two's complement does, instead of overflowing (undefined in C++).
inline int nextCount(int n)
{
    return static_cast<int>(static_cast<unsigned>(n) + 1u);
}

#endif
