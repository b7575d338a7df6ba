#pragma once
// Disjoint sets over the indices 0..n-1 (parent[i] == i at the start), for
// grouping connected pieces: pixels of a colour, boxes of a label.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace orv {

// The root of i's set, halving the path on the way.
inline int findRoot(std::vector<int> &parent, int i)
{
    while (parent[size_t(i)] != i) {
        parent[size_t(i)] = parent[size_t(parent[size_t(i)])];
        i = parent[size_t(i)];
    }
    return i;
}

// Joins the sets of a and b; the smaller root stays the root.
inline void unite(std::vector<int> &parent, int a, int b)
{
    a = findRoot(parent, a);
    b = findRoot(parent, b);
    if (a != b)
        parent[size_t(std::max(a, b))] = std::min(a, b);
}

} // namespace orv
