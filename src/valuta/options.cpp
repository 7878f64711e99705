#include "valuta/options.h"

#include <cstdio>
#include <cstring>

#include "answers/arguments.h"

namespace valuta {

namespace {

// The ladder rows named by `name` (a slug, or "unicita" for the techniques
// that assume one solution), or 0 when the name is unknown.
logic::TechniqueMask named(const char* name, std::size_t length) {
  int size = 0;
  const logic::Technique* table = logic::ladder(size);
  logic::TechniqueMask mask = 0;
  const bool uniqueness =
      length == 7 && std::strncmp(name, "unicita", length) == 0;
  for (int t = 0; t < size; ++t) {
    const bool match = uniqueness
                           ? table[t].uniqueness
                           : std::strlen(table[t].slug) == length &&
                                 std::strncmp(table[t].slug, name, length) == 0;
    if (match) mask |= logic::TechniqueMask{1} << t;
  }
  return mask;
}

}  // namespace

bool parse_techniques(const char* list, logic::TechniqueMask& mask) {
  logic::TechniqueMask allowed = 0;
  logic::TechniqueMask denied = 0;
  const char* p = list;
  // An empty list is refused: taken as "all", it would let an empty
  // variable in a script stand for a restriction that is not there.
  if (*p == '\0') return false;
  while (*p != '\0') {
    const char* end = std::strchr(p, ',');
    if (end == nullptr) end = p + std::strlen(p);
    const bool deny = *p == '-';
    const char* name = deny ? p + 1 : p;
    const logic::TechniqueMask rows =
        named(name, static_cast<std::size_t>(end - name));
    if (rows == 0) return false;
    (deny ? denied : allowed) |= rows;
    p = *end == ',' ? end + 1 : end;
  }
  mask = (allowed != 0 ? allowed : logic::kAllTechniques) & ~denied;
  return true;
}

bool parse_rating(const char* text, int& tenths) {
  int whole = 0;
  int digits = 0;
  const char* p = text;
  for (; *p >= '0' && *p <= '9' && digits < 3; ++p, ++digits) {
    whole = 10 * whole + (*p - '0');
  }
  if (digits == 0) return false;
  int tenth = 0;
  if (*p == '.' || *p == ',') {
    if (p[1] < '0' || p[1] > '9') return false;
    tenth = p[1] - '0';
    p += 2;
  }
  if (*p != '\0') return false;
  tenths = 10 * whole + tenth;
  return tenths > 0;
}

namespace {

// "--name=value" or "--name value" (and "-jN", the usual short form): the
// value, or nullptr.
const char* value_of(int argc, const char* const* argv, int& i,
                     const char* name) {
  const std::size_t n = std::strlen(name);
  if (std::strncmp(argv[i], name, n) != 0) return nullptr;
  if (argv[i][n] == '=') return argv[i] + n + 1;
  if (argv[i][n] == '\0' && i + 1 < argc) return argv[++i];
  if (argv[i][n] != '\0' && name[1] != '-') return argv[i] + n;
  return nullptr;
}

bool parse_valued(int argc, const char* const* argv, int& i, Options& options) {
  const char* arg = argv[i];
  if (const char* v = value_of(argc, argv, i, "--tecniche")) {
    if (parse_techniques(v, options.allowed)) return true;
    std::fprintf(stderr, "vortel-valuta: tecnica sconosciuta in '%s'\n", v);
    return false;
  }
  if (const char* v = value_of(argc, argv, i, "--svg")) {
    if (*v != '\0') {
      options.svg_dir = v;
      return true;
    }
    std::fprintf(stderr, "vortel-valuta: --svg vuole una cartella\n");
    return false;
  }
  if (const char* v = value_of(argc, argv, i, "--fino")) {
    if (parse_rating(v, options.limit)) return true;
    std::fprintf(stderr, "vortel-valuta: valutazione non valida: '%s'\n", v);
    return false;
  }
  if (const char* v = value_of(argc, argv, i, "-j")) {
    if (answers::parse_threads(v, options.threads)) return true;
    std::fprintf(stderr, "vortel-valuta: numero di thread non valido: '%s'\n",
                 v);
    return false;
  }
  std::fprintf(stderr, "vortel-valuta: opzione sconosciuta o incompleta: %s\n",
               arg);
  return false;
}

// The level of "--suggerimento=N", 1 to 3; 0 when N is not one.
int hint_level(const char* value) {
  const bool one_digit = value[0] >= '1' && value[0] <= '3' && value[1] == 0;
  return one_digit ? value[0] - '0' : 0;
}

// The mode an argument names; false when it names none. A second,
// different mode (or hint level) is refused rather than taken in silence.
// The level is given as "--suggerimento=N" or, as the valued options take
// theirs, "--suggerimento N"; there the next argument is the level only
// when it is one (1, 2 or 3), so that a bare --suggerimento before a file
// keeps its meaning (a file named 2 is written ./2, or after "--").
bool mode_option(int argc, char** argv, int& i, Options& options, bool& chosen,
                 bool& good) {
  const char* arg = argv[i];
  Report mode = Report::kRate;
  int level = 3;
  constexpr const char kLevelled[] = "--suggerimento=";
  if (std::strcmp(arg, "--passi") == 0) {
    mode = Report::kSteps;
  } else if (std::strcmp(arg, "--suggerimento") == 0) {
    mode = Report::kHint;
    if (i + 1 < argc && hint_level(argv[i + 1]) != 0) {
      level = hint_level(argv[++i]);
    }
  } else if (std::strncmp(arg, kLevelled, sizeof kLevelled - 1) == 0) {
    mode = Report::kHint;
    level = hint_level(arg + sizeof kLevelled - 1);
    if (level == 0) {
      std::fprintf(stderr,
                   "vortel-valuta: livello di suggerimento non valido: '%s'"
                   " (1, 2 o 3)\n",
                   arg + sizeof kLevelled - 1);
      good = false;
      return true;
    }
  } else {
    return false;
  }
  good = !chosen || options.mode == mode;
  if (!good) {
    std::fprintf(stderr,
                 "vortel-valuta: --passi e --suggerimento non vanno insieme\n");
  } else if (chosen && options.hint_level != level) {
    std::fprintf(stderr,
                 "vortel-valuta: due livelli di suggerimento diversi\n");
    good = false;
  }
  options.mode = mode;
  options.hint_level = level;
  chosen = true;
  return true;
}

bool parse_option(int argc, char** argv, int& i, Options& options,
                  bool& chosen) {
  const char* arg = argv[i];
  bool good = true;
  if (std::strcmp(arg, "--help") == 0) {
    options.help = true;
  } else if (std::strcmp(arg, "--version") == 0) {
    options.version = true;
  } else if (std::strcmp(arg, "--json") == 0) {
    options.json = true;
  } else if (std::strcmp(arg, "--candidati") == 0) {
    options.candidates = true;
  } else if (!mode_option(argc, argv, i, options, chosen, good)) {
    good = parse_valued(argc, argv, i, options);
  }
  return good;
}

// The walk's state: the options filled in.
struct Walk {
  Options& options;
  bool chosen = false;  // a mode named
};

bool take_option(int argc, char** argv, int& i, void* context) {
  Walk& walk = *static_cast<Walk*>(context);
  return parse_option(argc, argv, i, walk.options, walk.chosen);
}

}  // namespace

bool parse_options(int argc, char** argv, Options& options) {
  // Options may stand anywhere before "--", as with the other programs.
  Walk walk{options, false};
  char** names = nullptr;
  int count = 0;
  if (!answers::walk_arguments(argc, argv, take_option, &walk, names, count))
    return false;
  options.files = names;
  options.file_count = count;
  // The grid is drawn before a step: without steps it would be dropped
  // in silence.
  if (options.candidates && options.mode == Report::kRate && !options.help &&
      !options.version) {
    std::fprintf(stderr,
                 "vortel-valuta: --candidati va usato con --passi o"
                 " --suggerimento\n");
    return false;
  }
  // The pictures are of the path's steps: with a hint or a rating alone
  // there would be none, and an empty folder would say otherwise.
  if (options.svg_dir != nullptr && options.mode != Report::kSteps &&
      !options.help && !options.version) {
    std::fprintf(stderr, "vortel-valuta: --svg va usato con --passi\n");
    return false;
  }
  return true;
}

}  // namespace valuta
