// The program's exit statuses. Every end of the process uses one of them.
#ifndef VORTEL_FRONT_EXIT_STATUS_H_
#define VORTEL_FRONT_EXIT_STATUS_H_

namespace front {

/// Usage text shown, puzzle solved by logic alone, or first solution found.
inline constexpr int kExitOk = 0;
/// The givens repeat a digit in a row, column or box.
inline constexpr int kExitBadGivens = 1;
/// A file could not be opened, created or written, the output file already
/// exists, or propagation produced a contradiction.
inline constexpr int kExitFileOrContradiction = 2;
/// Malformed puzzle file, out of memory, or an altered executable.
inline constexpr int kExitFormatOrMemory = 3;
/// The search ran to its end: all solutions counted or written, or none.
inline constexpr int kExitSearchDone = 4;

}  // namespace front

#endif  // VORTEL_FRONT_EXIT_STATUS_H_
