#pragma once
// Marks the faces of a CGAL constrained triangulation (face info an int) with their depth:
// the number of constraints crossed on the way from the outside. Odd depths lie inside.
#include <utility>
#include <vector>

template <class Cdt>
void MarkConstraintDepths(Cdt& cdt) {
    for (auto f = cdt.all_faces_begin(); f != cdt.all_faces_end(); ++f) f->info() = -1;
    std::vector<std::pair<typename Cdt::Face_handle, int>> stack{{cdt.infinite_face(), 0}};
    while (!stack.empty()) {
        auto [f, depth] = stack.back();
        stack.pop_back();
        if (f->info() != -1) continue;
        f->info() = depth;
        for (int k = 0; k < 3; ++k) {
            typename Cdt::Face_handle g = f->neighbor(k);
            if (g->info() == -1) stack.emplace_back(g, cdt.is_constrained({f, k}) ? depth + 1 : depth);
        }
    }
}
