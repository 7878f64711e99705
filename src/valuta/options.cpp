#include "valuta/options.h"

#include <cstdio>
#include <cstring>

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

bool parse_threads(const char* text, int& threads) {
  int n = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9' || n > 1000) return false;
    n = 10 * n + (*p - '0');
  }
  threads = n;
  return n >= 1 && n <= 1024;
}

bool parse_valued(int argc, const char* const* argv, int& i, Options& options) {
  const char* arg = argv[i];
  if (const char* v = value_of(argc, argv, i, "--tecniche")) {
    if (parse_techniques(v, options.allowed)) return true;
    std::fprintf(stderr, "vortel-valuta: tecnica sconosciuta in '%s'\n", v);
    return false;
  }
  if (const char* v = value_of(argc, argv, i, "--fino")) {
    if (parse_rating(v, options.limit)) return true;
    std::fprintf(stderr, "vortel-valuta: valutazione non valida: '%s'\n", v);
    return false;
  }
  if (const char* v = value_of(argc, argv, i, "-j")) {
    if (parse_threads(v, options.threads)) return true;
    std::fprintf(stderr, "vortel-valuta: numero di thread non valido: '%s'\n",
                 v);
    return false;
  }
  std::fprintf(stderr, "vortel-valuta: opzione sconosciuta o incompleta: %s\n",
               arg);
  return false;
}

// The mode an argument names; false when it names none. A second,
// different mode is refused rather than taken in silence.
bool mode_option(const char* arg, Options& options, bool& chosen, bool& good) {
  Mode mode = Mode::kRate;
  if (std::strcmp(arg, "--passi") == 0) {
    mode = Mode::kSteps;
  } else if (std::strcmp(arg, "--suggerimento") == 0) {
    mode = Mode::kHint;
  } else {
    return false;
  }
  good = !chosen || options.mode == mode;
  if (!good) {
    std::fprintf(stderr,
                 "vortel-valuta: --passi e --suggerimento non vanno insieme\n");
  }
  options.mode = mode;
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
  } else if (!mode_option(arg, options, chosen, good)) {
    good = parse_valued(argc, argv, i, options);
  }
  return good;
}

}  // namespace

bool parse_options(int argc, char** argv, Options& options) {
  // Options may stand anywhere before "--", as with the other programs;
  // the names are gathered at the front of argv's tail, in order.
  char** names = argv + 1;
  int count = 0;
  bool chosen = false;
  bool options_end = false;
  for (int i = 1; i < argc; ++i) {
    char* arg = argv[i];
    if (!options_end && std::strcmp(arg, "--") == 0) {
      options_end = true;
    } else if (!options_end && arg[0] == '-' && arg[1] != '\0') {
      if (!parse_option(argc, argv, i, options, chosen)) return false;
    } else {
      names[count++] = arg;
    }
  }
  options.files = names;
  options.file_count = count;
  return true;
}

}  // namespace valuta
