// The sliding hull against a plain scan of every window point.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "analysis/WindowMaxSlope.h"

namespace {

TEST(WindowMaxSlope, findsTheSteepestPointOfEverySlidingWindow)
{
    struct Case {
        const char* name;
        int ySteps;   // y increments drawn from 0..ySteps-1 (shifted by yShift)
        int yShift;
    };
    for (const Case c : {Case{"rising", 50, 0}, Case{"wandering", 21, -10}, Case{"straight", 1, 3}}) {
        uint32_t seed = 99;
        const auto next = [&](int range) { return int((seed = seed * 1664525u + 1013904223u) >> 8) % range; };
        std::vector<double> x{0}, y{0};
        for (int i = 1; i < 3000; ++i) {
            x.push_back(x.back() + 1 + next(3));
            y.push_back(y.back() + next(c.ySteps) + c.yShift);
        }
        WindowMaxSlope window(x.data(), y.data());
        window.clear(1);
        size_t lo = 1, hi = 1;   // window [lo, hi)
        for (size_t q = 0; q + 1 < x.size(); ++q) {
            lo = std::max(lo, q + 1 + size_t(next(4)));
            hi = std::min(x.size(), std::max(hi, lo + 1 + size_t(next(80))));
            if (lo >= hi)
                break;
            if (window.end() < lo)
                window.clear(lo);
            while (window.end() < hi)
                window.pushBack();
            while (window.begin() < lo)
                window.popFront();
            const auto slope = [&](size_t i) { return (y[i] - y[q]) / (x[i] - x[q]); };
            double steepest = slope(lo);
            for (size_t i = lo; i < hi; ++i)
                steepest = std::max(steepest, slope(i));
            const size_t found = window.steepestFrom(x[q], y[q]);
            ASSERT_GE(found, lo) << c.name << " " << q;
            ASSERT_LT(found, hi) << c.name << " " << q;
            ASSERT_NEAR(slope(found), steepest, 1e-12 * std::max(1.0, std::abs(steepest))) << c.name << " " << q;
        }
    }
}

} // namespace
