#include "answers/progress.h"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace answers {

namespace {

// "\r", then the erase to the end of the line (ECMA-48 EL): what a redraw
// leaves of a longer line before it.
constexpr const char* kClear = "\r\033[K";

// The size of the input `fd` or `name` stands for, -1 when it is no
// regular file.
std::int64_t size_of(const struct stat& status) {
  return S_ISREG(status.st_mode) ? static_cast<std::int64_t>(status.st_size)
                                 : -1;
}

void add_duration(char* out, std::size_t size, double seconds) {
  const auto whole = static_cast<long long>(seconds);  // whole seconds
  if (whole >= 3600) {
    std::snprintf(out, size, "%lld:%02lld:%02lld", whole / 3600,
                  whole / 60 % 60, whole % 60);
  } else {
    std::snprintf(out, size, "%lld:%02lld", whole / 60, whole % 60);
  }
}

}  // namespace

double seconds_now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) +
         1e-9 * static_cast<double>(now.tv_nsec);
}

std::int64_t input_size(const char* const* names, int count) {
  std::int64_t total = 0;
  for (int i = 0; i < (count == 0 ? 1 : count); ++i) {
    const bool standard = count == 0 || std::strcmp(names[i], "-") == 0;
    struct stat status {};
    const int got =
        standard ? fstat(STDIN_FILENO, &status) : stat(names[i], &status);
    if (got != 0) continue;
    const std::int64_t size = size_of(status);
    if (size < 0) return -1;
    total += size;
  }
  return total;
}

void begin_progress(Progress& p, const char* program, const char* const* names,
                    int count, bool show) {
  p.program = program;
  // Answers written to the same screen would be written after the line
  // drawn, in the middle of it: they are then the progress themselves.
  p.terminal = show && isatty(STDERR_FILENO) != 0 && isatty(STDOUT_FILENO) == 0;
  p.total = p.terminal ? input_size(names, count) : -1;
  p.start = seconds_now();
}

void progress_text(char* out, std::size_t size, const char* program,
                   std::int64_t done, std::int64_t consumed, std::int64_t total,
                   double elapsed) {
  const double rate = elapsed > 0 ? static_cast<double>(done) / elapsed : 0.0;
  const char* puzzles = done == 1 ? "gioco" : "giochi";
  if (total < 0) {
    std::snprintf(out, size, "%s: %lld %s, %.0f al secondo", program,
                  static_cast<long long>(done), puzzles, rate);
    return;
  }
  if (consumed > total) consumed = total;
  // Decimal units, as file managers show sizes; one place of decimals.
  const double unit = total >= 1000000000 ? 1e9 : total >= 1000000 ? 1e6 : 1e3;
  const char* name = unit == 1e9 ? "GB" : unit == 1e6 ? "MB" : "kB";
  const double share = total > 0 ? 100.0 * static_cast<double>(consumed) /
                                       static_cast<double>(total)
                                 : 100.0;
  char left[32] = "?";
  if (consumed > 0) {
    add_duration(left, sizeof left,
                 elapsed * static_cast<double>(total - consumed) /
                     static_cast<double>(consumed));
  }
  std::snprintf(out, size,
                "%s: %.1f/%.1f %s (%.0f%%), %lld %s, %.0f al secondo, "
                "mancano %s",
                program, static_cast<double>(consumed) / unit,
                static_cast<double>(total) / unit, name, share,
                static_cast<long long>(done), puzzles, rate, left);
}

void update_progress(Progress& p, std::int64_t done, std::int64_t consumed) {
  if (!p.terminal) return;
  const std::lock_guard<std::mutex> hold(p.lock);
  const double now = seconds_now();
  if (p.drawn_at >= 0 && now - p.drawn_at < 0.25) return;
  p.drawn_at = now;
  char text[256];
  progress_text(text, sizeof text, p.program, done, consumed, p.total,
                now - p.start);
  // One write: the line is never seen half drawn.
  std::fprintf(stderr, "\r%s\033[K", text);
  p.shown = true;
}

void progress_message(Progress& p, const char* line) {
  const std::lock_guard<std::mutex> hold(p.lock);
  std::fprintf(stderr, "%s%s", p.shown ? kClear : "", line);
  p.shown = false;
}

void end_progress(Progress& p) {
  const std::lock_guard<std::mutex> hold(p.lock);
  if (p.shown) std::fputs(kClear, stderr);
  p.shown = false;
}

}  // namespace answers
