#pragma once

#include <cstdint>
#include <initializer_list>
#include <random>

namespace tarnscope {

// The simulator's random numbers. The engine and the seeding are fixed by the
// C++ standard, so a seed gives the same numbers with every standard library.
class SimRandom {
public:
    explicit SimRandom(std::initializer_list<std::uint32_t> seedParts = { 1 }) { reseed(seedParts); }

    void reseed(std::initializer_list<std::uint32_t> seedParts)
    {
        std::seed_seq sequence(seedParts);
        m_engine.seed(sequence);
    }

    // low..high inclusive.
    int between(int low, int high)
    {
        const auto span = static_cast<std::uint32_t>(high - low) + 1;
        return low + static_cast<int>(m_engine() % span);
    }

    bool chance(double probability) { return m_engine() / 4294967296.0 < probability; }

private:
    std::mt19937 m_engine;
};

} // namespace tarnscope
