// Backtracking search and solution reporting. The one solver file that
// prints: it reports each solution as it finds it.
#include "solver/search.h"

#include <time.h>

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "front/exit_status.h"
#include "front/options.h"
#include "front/output.h"
#include "solver/consistency.h"
#include "solver/propagate.h"
#include "solver/state.h"

namespace solver {

std::array<State*, kCells> g_pool = {};
std::int64_t g_solution_count = 0;
std::int64_t g_trial_count = 0;
double g_elapsed_total = 0.0;

namespace {

State* allocate_board() {
  return static_cast<State*>(std::malloc(sizeof(State)));
}

// Milliseconds of elapsed wall-clock time on the monotonic clock (which
// setting the date does not move); only differences are used.
std::int64_t clock_ms() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::int64_t g_previous_ms = 0;

constexpr std::int64_t kProgressEvery = 10000;

void report_solution(const Board& solution) {
  const front::RunSettings& settings = front::g_settings;
  const long count = static_cast<long>(g_solution_count);
  if (settings.count) {
    if (g_solution_count == 1) {
      front::print_board(stdout, solution, "Prima soluzione trovata");
    }
    if (g_solution_count % kProgressEvery == 0) {
      std::fflush(stdout);
      update_cpu_time();
      std::printf("Soluzioni trovate: %ld  -  Tempo CPU = %.2f s\r", count,
                  g_elapsed_total);
      // Flushed at once so that the line shows while the count goes on.
      std::fflush(stdout);
    }
  } else if (settings.all) {
    front::set_solution_title(count);
    front::print_board(front::g_sink, solution, front::g_title);
    if (front::g_sink != stdout) {
      front::check_sink();
      if (g_solution_count % kProgressEvery == 0) {
        std::printf("Soluzioni trovate: %ld\r", count);
      }
    }
  } else {
    front::set_title("Tabella risolta con processo iterativo");
    front::show_board(solution);
    front::end_run(front::kExitOk);
  }
}

}  // namespace

BoardAllocator g_allocate_board = allocate_board;

void start_clock() {
  g_previous_ms = clock_ms();
  g_elapsed_total = 0.0;
}

void update_cpu_time() {
  const std::int64_t now = clock_ms();
  g_elapsed_total += static_cast<double>(now - g_previous_ms) * 0.001;
  g_previous_ms = now;
}

namespace {

// The search proper, on boards that carry their masks. `unknown` equals
// the number of open cells of `parent` on entry (every caller keeps the
// count in step with its board), so each trial starts from that figure
// instead of counting the copy again.
void search_state(const State& parent, int start, std::int32_t& unknown) {
  int k = start;
  while (is_determined(parent.board[static_cast<unsigned>(k)])) ++k;
  State*& slot = g_pool[static_cast<unsigned>(k)];
  if (slot == nullptr) {
    slot = g_allocate_board();
    if (slot == nullptr) {
      std::printf("\nSpazio di memoria insufficiente\n");
      front::end_run(front::kExitFormatOrMemory);
    }
  }
  State& work = *slot;
  const std::int32_t parent_unknown = unknown;
  // The candidates of cell k, in increasing digit order: the digits whose
  // codes divide its candidate product.
  Mask candidates = parent.cand[static_cast<unsigned>(k)];
  while (candidates != 0) {
    const int digit = lowest_digit(candidates);
    candidates = static_cast<Mask>(candidates & (candidates - 1));
    ++g_trial_count;
    work = parent;
    unknown = parent_unknown;
    work.board[static_cast<unsigned>(k)] =
        kCodeTable[static_cast<unsigned>(digit)];
    mark_determined(work, k, digit);
    --unknown;
    propagate_after_assignment(work, k, digit, unknown);
    // The state's conflict flag is check_consistency's verdict, kept up to
    // date as cells became determined, so the board need not be scanned.
    assert(work.conflict == (check_consistency(work.board) != 0) &&
           "conflict flag out of step with the board");
    if (work.conflict) continue;
    if (unknown != 0) {
      search_state(work, k + 1, unknown);
    } else {
      ++g_solution_count;
      report_solution(work.board);
    }
  }
}

// The root of the search: the one board that has no masks yet.
State root;

}  // namespace

void search(const Board& parent, int start, std::int32_t& unknown) {
  // The root is the one board without masks yet; it is searched once.
  root.board = parent;
  derive_masks(root);
  unknown = count_unknown(parent);
  search_state(root, start, unknown);
}

void iterative_process(const Board& board, std::int32_t& unknown) {
  std::printf("Processo iterativo in corso ...\n");
  search(board, 0, unknown);
  if (g_solution_count > 0) {
    if (front::g_settings.count) {
      std::printf("Il problema ammette %ld soluzion%c                    \n",
                  static_cast<long>(g_solution_count),
                  g_solution_count > 1 ? 'i' : 'e');
    }
    update_cpu_time();
    std::printf("Tempo di cpu = %.2f s\n\n", g_elapsed_total);
  } else {
    std::printf("Problema proposto privo di soluzioni!\n");
  }
  front::end_run(front::kExitSearchDone);
}

}  // namespace solver
