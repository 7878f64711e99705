// The command line of the batch programs: the walk over argv that takes
// options anywhere before "--" and gathers the names, and the thread count
// of -j. Each program keeps its own options and its own messages.
#ifndef VORTEL_ANSWERS_ARGUMENTS_H_
#define VORTEL_ANSWERS_ARGUMENTS_H_

namespace answers {

/// Takes the option argv[i], moving `i` past a value given separately;
/// false stops the walk.
using TakeOption = bool (*)(int argc, char** argv, int& i, void* context);

/// The names (anything that is not an option, "-" included, and all after
/// "--") gathered at the front of argv's tail, in order: `names` is
/// argv + 1 and `count` how many. `take` is called with each option, in
/// order. False when `take` stopped the walk.
bool walk_arguments(int argc, char** argv, TakeOption take, void* context,
                    char**& names, int& count);

/// The value of -j written as "-jN" or "-j N": N, or null when none
/// follows. `i` moves past a separate value.
const char* threads_value(int argc, char** argv, int& i);

/// A thread count: decimal digits only, from 1 to 1024.
bool parse_threads(const char* text, int& threads);

}  // namespace answers

#endif  // VORTEL_ANSWERS_ARGUMENTS_H_
