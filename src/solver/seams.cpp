// The seams' defaults: the C library's allocators.
#include "solver/seams.h"

#include <cstdlib>

#include "solver/state.h"

namespace solver {

namespace {

State* allocate_board() {
  return static_cast<State*>(std::malloc(sizeof(State)));
}

void* allocate_zeroed(std::size_t size) {
  return std::calloc(1, size);
}

}  // namespace

SearchSeams g_search_seams = {allocate_board, allocate_zeroed, 0, 0, 0};

}  // namespace solver
