// Backtracking search and solution reporting. The one solver file that
// prints: it reports each solution as it finds it.
#include "solver/search.h"

#include <chrono>
#include <cstdio>
#include <new>

#include "front/exit_status.h"
#include "front/options.h"
#include "front/output.h"
#include "solver/consistency.h"
#include "solver/propagate.h"

namespace solver {

std::array<Board*, kCells> g_pool = {};
std::int64_t g_solution_count = 0;
double g_elapsed_total = 0.0;

namespace {

Board* allocate_board() {
  return new (std::nothrow) Board;
}

using Clock = std::chrono::steady_clock;
Clock::time_point g_clock_origin;
std::int64_t g_previous_ms = 0;

std::int64_t clock_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() -
                                                               g_clock_origin)
      .count();
}

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
    front::set_title("Soluzione N. %ld", count);
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
  g_clock_origin = Clock::now();
  g_previous_ms = 0;
  g_elapsed_total = 0.0;
}

void update_cpu_time() {
  const std::int64_t now = clock_ms();
  g_elapsed_total += static_cast<double>(now - g_previous_ms) * 0.001;
  g_previous_ms = now;
}

void search(const Board& parent, int start, std::int32_t& unknown) {
  int k = start;
  while (is_determined(parent[static_cast<unsigned>(k)])) ++k;
  Board*& slot = g_pool[static_cast<unsigned>(k)];
  if (slot == nullptr) {
    slot = g_allocate_board();
    if (slot == nullptr) {
      std::printf("\nSpazio di memoria insufficiente\n");
      front::end_run(front::kExitFormatOrMemory);
    }
  }
  Board& work = *slot;
  std::int32_t p = parent[static_cast<unsigned>(k)];
  for (int i = 1; i <= 9 && p > 1; ++i) {
    const std::int32_t code = kCodeTable[static_cast<unsigned>(i)];
    if (p % code != 0) continue;
    p /= code;
    work = parent;
    unknown = count_unknown(work);
    work[static_cast<unsigned>(k)] = code;
    --unknown;
    propagate(work, unknown);
    if (check_consistency(work) != 0) continue;
    if (unknown != 0) {
      search(work, k + 1, unknown);
    } else {
      ++g_solution_count;
      report_solution(work);
    }
  }
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
