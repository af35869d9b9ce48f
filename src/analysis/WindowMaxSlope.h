#pragma once
// A sliding window over points (x, y) with x increasing, answering: which
// window point lies at the steepest slope from a point to the left of all of
// them? The answer is a vertex of the window's upper hull, found by binary
// search.
//
// The window is a queue made of two hulls. Points enter the back hull at the
// right (a monotone chain, amortised O(1)). When the front runs empty, the back
// points are moved over and the front hull is rebuilt from the right, each
// insertion found by binary search and recorded, so dropping the leftmost
// point is one undo. Every point is inserted twice and dropped once: a whole
// pass costs O(n log n).

#include <cstddef>
#include <vector>

class WindowMaxSlope {
public:
    WindowMaxSlope(const double* x, const double* y) : x_(x), y_(y) {}

    void clear(size_t at);   // an empty window starting at index `at`
    void pushBack();         // index end() joins
    void popFront();         // index begin() leaves
    size_t begin() const { return begin_; }
    size_t end() const { return end_; }

    // The window point at the steepest slope from (qx, qy); the window must
    // not be empty and qx must be less than the x of every point in it.
    size_t steepestFrom(double qx, double qy) const;

private:
    // > 0 when c lies above the line from a (or q) through b, with b right of it.
    double above(size_t a, size_t b, size_t c) const
    {
        return (x_[b] - x_[a]) * (y_[c] - y_[a]) - (y_[b] - y_[a]) * (x_[c] - x_[a]);
    }
    double aboveFrom(double qx, double qy, size_t b, size_t c) const
    {
        return (x_[b] - qx) * (y_[c] - qy) - (y_[b] - qy) * (x_[c] - qx);
    }
    double slope(double qx, double qy, size_t i) const { return (y_[i] - qy) / (x_[i] - qx); }
    void refillFront();

    const double* x_;
    const double* y_;
    size_t begin_ = 0, mid_ = 0, end_ = 0;   // front holds [begin_, mid_), back [mid_, end_)
    std::vector<size_t> back_;               // upper hull of the back, left to right
    std::vector<size_t> front_;              // upper hull of the front, right to left
    size_t frontSize_ = 0;
    struct Undo {
        size_t position, previous, size;
    };
    std::vector<Undo> undo_;                 // one per front point, the leftmost last
};
