// Solution reporting, progress lines, the elapsed-time clock and the closing
// report of the search.
#include "front/report.h"

#include <time.h>

#include <cstdio>

#include "front/end_run.h"
#include "front/exit_status.h"
#include "front/options.h"
#include "front/output.h"
#include "solver/count.h"
#include "solver/search.h"

namespace front {

std::int64_t g_solution_count = 0;
double g_elapsed_total = 0.0;

namespace {

// Milliseconds of elapsed wall-clock time on the monotonic clock (which
// setting the date does not move); only differences are used.
std::int64_t clock_ms() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::int64_t g_previous_ms = 0;

constexpr std::int64_t kProgressEvery = 10000;

// -c: the first solution on the screen only (the search stops there) ...
bool show_first_of_count(const solver::Board& solution, void* /*context*/) {
  print_board(stdout, solution, "Prima soluzione trovata");
  check_stdout();
  return false;
}

// ... then the counter, which reports every multiple of 10000 it reaches:
// a progress line with the elapsed time.
void show_count_progress(std::int64_t count, void* /*context*/) {
  std::fflush(stdout);
  update_cpu_time();
  std::printf("Soluzioni trovate: %ld  -  Tempo CPU = %.2f s\r",
              static_cast<long>(count), g_elapsed_total);
  // Flushed at once so that the line shows while the count goes on.
  std::fflush(stdout);
  check_interrupt();
  check_stdout();
}

// The count mode: the first solution is the search's (the smallest in
// row-major order, as the other modes find it); the count itself comes
// from the counter, in whatever order is fastest. Returns the search's end.
solver::SearchEnd count_mode(const solver::Board& board, std::int32_t unknown,
                             solver::SearchSeams* seams) {
  const solver::SearchEnd end =
      solver::search(board, unknown, {show_first_of_count, nullptr}, seams);
  if (end != solver::SearchEnd::kStopped) return end;  // none, or no memory
  return solver::count_solutions(board, unknown,
                                 {kProgressEvery, show_count_progress, nullptr},
                                 g_solution_count, seams);
}

// -S: every solution to the sink; when that is a file, a progress line
// without time on the screen at every multiple of 10000.
bool list_solution(const solver::Board& solution, void* /*context*/) {
  ++g_solution_count;
  set_solution_title(static_cast<long>(g_solution_count));
  print_board(g_sink, solution, g_title);
  if (g_sink != stdout) {
    check_interrupt();
    check_sink();
    if (g_solution_count % kProgressEvery == 0) {
      std::printf("Soluzioni trovate: %ld\r",
                  static_cast<long>(g_solution_count));
      // Flushed at once, as the -c line is, so that it shows while the
      // listing goes on.
      std::fflush(stdout);
      check_stdout();
    }
  } else {
    check_stdout();
  }
  return true;
}

// The default mode and -s: show the first solution and stop.
bool show_first_solution(const solver::Board& solution, void* /*context*/) {
  ++g_solution_count;
  set_title("Tabella risolta con processo iterativo");
  show_board(solution);
  check_interrupt();
  return false;
}

}  // namespace

void start_clock() {
  g_previous_ms = clock_ms();
  g_elapsed_total = 0.0;
}

void update_cpu_time() {
  const std::int64_t now = clock_ms();
  g_elapsed_total += static_cast<double>(now - g_previous_ms) * 0.001;
  g_previous_ms = now;
}

void iterative_process(const solver::Board& board, std::int32_t unknown,
                       solver::SearchSeams* seams) {
  std::printf("Processo iterativo in corso ...\n");
  solver::SearchEnd end;
  if (g_settings.count) {
    end = count_mode(board, unknown, seams);
  } else {
    end = solver::search(
        board, unknown,
        {g_settings.all ? list_solution : show_first_solution, nullptr}, seams);
  }
  switch (end) {
  case solver::SearchEnd::kStopped:
    end_run(kExitOk);
  case solver::SearchEnd::kOutOfMemory:
    std::printf("\nSpazio di memoria insufficiente\n");
    end_run(kExitFormatOrMemory);
  case solver::SearchEnd::kExhausted:
    break;
  }
  if (g_solution_count > 0) {
    if (g_settings.count) {
      std::printf("Il problema ammette %ld soluzion%c                    \n",
                  static_cast<long>(g_solution_count),
                  g_solution_count > 1 ? 'i' : 'e');
    }
    update_cpu_time();
    std::printf("Tempo di cpu = %.2f s\n\n", g_elapsed_total);
  } else {
    std::printf("Problema proposto privo di soluzioni!\n");
  }
  end_run(kExitSearchDone);
}

}  // namespace front
