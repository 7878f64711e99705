// The words of a refusal, shared by every program that reads puzzles
// through the recogniser, so that each says the same thing of one input.
#include <cstring>

#include "base/text.h"
#include "recognise/recognise.h"

namespace recognise {

namespace {

using base::add;
using base::add_format;
using base::Text;

// The character as the user sees it: its UTF-8 bytes.
void add_character(Text& text, std::uint32_t c) {
  char bytes[5] = {};
  if (c < 0x80) {
    bytes[0] = static_cast<char>(c);
  } else if (c < 0x800) {
    bytes[0] = static_cast<char>(0xC0 | (c >> 6));
    bytes[1] = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    bytes[0] = static_cast<char>(0xE0 | (c >> 12));
    bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    bytes[2] = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    bytes[0] = static_cast<char>(0xF0 | (c >> 18));
    bytes[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    bytes[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    bytes[3] = static_cast<char>(0x80 | (c & 0x3F));
  }
  add(text, bytes);
}

// Characters that cannot be seen, or that look like others: named by code
// point as well, since quoting them shows nothing useful.
const char* invisible_name(std::uint32_t c) {
  switch (c) {
  case 0xA0:
    return "spazio non separabile";
  case 0xAD:
    return "trattino facoltativo";
  case 0x200B:
    return "spazio di larghezza zero";
  case 0x200C:
  case 0x200D:
    return "carattere di larghezza zero";
  case 0x2007:
  case 0x2009:
  case 0x202F:
    return "spazio stretto";
  case 0x2010:
  case 0x2011:
  case 0x2012:
  case 0x2013:
  case 0x2014:
  case 0x2212:
    return "trattino";
  case 0x2018:
  case 0x2019:
  case 0x201C:
  case 0x201D:
    return "virgoletta tipografica";
  case 0x2024:
  case 0x2027:
  case 0x00B7:
  case 0x2219:
  case 0x22C5:
    return "punto";
  case 0x3000:
    return "spazio ideografico";
  case 0xFEFF:
    return "BOM";
  default:
    return nullptr;
  }
}

void add_bad_character(Text& text, std::uint32_t c) {
  if (const char* name = invisible_name(c)) {
    add_format(text, "carattere U+%04X (%s) non ammesso",
               static_cast<unsigned>(c), name);
  } else if (c >= 0xFF10 && c <= 0xFF19) {
    add_format(text, "carattere U+%04X (cifra a larghezza piena) non ammesso",
               static_cast<unsigned>(c));
  } else {
    add(text, "carattere '");
    add_character(text, c);
    add(text, "' non ammesso");
  }
  add(text,
      ": le caselle sono le cifre da 1 a 9 e, per quelle vuote, uno tra "
      ". 0 _ x X * - ?");
}

const char* rows_word(int count) {
  return count == 1 ? "riga" : "righe";
}

const char* cells_word(int count) {
  return count == 1 ? "casella" : "caselle";
}

// A run of cells that should have been a list puzzle.
void add_damaged_run(Text& text, const Refusal& refusal) {
  if (refusal.count == 81) {
    add(text,
        "81 caselle disposte in modo irregolare: in un gioco su una riga "
        "le caselle sono di seguito, separate da uno spazio o in gruppi "
        "uguali (un'etichetta va separata dalle caselle con uno spazio)");
    return;
  }
  add_format(text,
             "%d %s di seguito, un gioco su una riga ne ha 81 (un'etichetta "
             "o un commento va separato dalle caselle con uno spazio)",
             refusal.count, cells_word(refusal.count));
}

// The problems of a row or a grid, and of inputs of another kind or size.
void add_grid_problem(Text& text, const Refusal& refusal) {
  if (refusal.problem == Problem::kWrongCellCount) {
    add_format(text,
               "riga di %d %s, ne servono 9 (una riga della tabella) o 81 (un "
               "gioco intero)",
               refusal.count, cells_word(refusal.count));
    if (refusal.count == 4 || refusal.count == 6 || refusal.count == 16) {
      add_format(text, ": sembra un gioco %dx%d, si leggono solo giochi 9x9",
                 refusal.count, refusal.count);
    }
  } else if (refusal.problem == Problem::kGridCutShort) {
    add_format(text, "tabella interrotta dopo %d %s su 9", refusal.count,
               rows_word(refusal.count));
  } else if (refusal.problem == Problem::kBandBroken) {
    add_format(
        text,
        "separazione dopo %d %s della tabella: ogni fascia ha 3 righe, e una "
        "tabella 9",
        refusal.count, rows_word(refusal.count));
  } else if (refusal.problem == Problem::kRepeatedRow) {
    add(text,
        "riga della tabella ripetuta: la stessa riga compare due volte "
        "di seguito");
  } else if (refusal.problem == Problem::kRowLabels) {
    add(text,
        "solo alcune righe della tabella hanno un'etichetta: o tutte o "
        "nessuna");
  } else if (refusal.problem == Problem::kAmbiguousLine) {
    add(text, "riga ambigua: può essere una riga di caselle vuote '");
    add_character(text, refusal.character);
    add(text,
        "' o una riga di separazione (per le caselle vuote usare un altro "
        "segno, per esempio '.')");
  } else if (refusal.problem == Problem::kNotTriples) {
    add(text,
        "riga diversa da \"riga colonna cifra\" in un archivio iniziato con "
        "terne: una tabella va scritta con una casella per ogni colonna");
  } else if (refusal.problem == Problem::kHeaderRow) {
    add(text,
        "intestazione 1 2 3 4 5 6 7 8 9 letta come riga della tabella, che "
        "così ha una riga di troppo: disegnarla diversamente dalle righe "
        "(per esempio senza i separatori) o toglierla");
  } else if (refusal.problem == Problem::kCutLine) {
    add(text,
        "riga tagliata: il campo prima di questa griglia completa è la fine "
        "di un gioco senza il suo inizio (la griglia ne è la soluzione)");
  } else if (refusal.problem == Problem::kCandidateGrid) {
    add(text,
        "griglia di candidati: una casella con più cifre è un elenco di "
        "candidati, non un dato; si leggono giochi con una cifra o un segno "
        "di casella vuota per casella");
  } else if (refusal.problem == Problem::kRowOutOfPlace) {
    add_format(text,
               "riga %d della tabella al posto della riga %d: le righe con "
               "un'etichetta vanno dalla prima alla nona, in ordine",
               refusal.count, static_cast<int>(refusal.character));
  } else if (refusal.problem == Problem::kOtherSize) {
    add_format(text, "sembra un gioco %dx%d: si leggono solo giochi 9x9",
               refusal.count, refusal.count);
  }
}

void add_refusal(Text& text, const Refusal& refusal) {
  switch (refusal.problem) {
  case Problem::kNone:
  case Problem::kNoPuzzle:
    add(text, "nessun gioco trovato");
    break;
  case Problem::kNotText:
    add_format(
        text,
        "non è un testo (byte di codice %u): si leggono solo testi ASCII o "
        "UTF-8, e un archivio compresso va prima decompresso",
        refusal.byte >= 0 ? static_cast<unsigned>(refusal.byte)
                          : static_cast<unsigned>(refusal.character));
    break;
  case Problem::kBadCharacter:
    add_bad_character(text, refusal.character);
    break;
  case Problem::kLineTooLong:
    add_format(text, "riga più lunga di %zu byte", kMaxLine);
    break;
  case Problem::kTripleFile:
    add(text,
        "l'archivio è già nel formato di vortel (righe \"riga colonna "
        "cifra\"): si può dare a vortel così com'è");
    break;
  case Problem::kBadListLine:
    add_damaged_run(text, refusal);
    break;
  case Problem::kListTrailer:
    add(text,
        "dopo le 81 caselle serve uno spazio, una tabulazione, ',' o ';' "
        "prima del resto della riga (per esempio un commento)");
    break;
  case Problem::kCellsInText:
    add_format(
        text,
        "%d caselle in una riga che non è un gioco: un gioco su una riga ne "
        "ha 81 e una riga di tabella 9 (un titolo o un commento non può "
        "contenerne 9 di seguito; una riga che inizia con # è un commento)",
        refusal.count);
    break;
  case Problem::kWrongCellCount:
  case Problem::kGridCutShort:
  case Problem::kBandBroken:
  case Problem::kRepeatedRow:
  case Problem::kRowLabels:
  case Problem::kAmbiguousLine:
  case Problem::kNotTriples:
  case Problem::kOtherSize:
  case Problem::kHeaderRow:
  case Problem::kCandidateGrid:
  case Problem::kRowOutOfPlace:
  case Problem::kCutLine:
    add_grid_problem(text, refusal);
    break;
  }
}

}  // namespace

std::size_t describe_refusal(const Refusal& refusal, char* out,
                             std::size_t size) {
  // The whole text first, then as much of it as `size` takes: the caller
  // learns the length of all of it, as from snprintf.
  char whole[kRefusalRoom];
  Text text{whole, sizeof whole};
  add_refusal(text, refusal);
  if (size > 0) {
    const std::size_t kept = text.length < size ? text.length : size - 1;
    std::memcpy(out, whole, kept);
    out[kept] = '\0';
  }
  return text.length;
}

}  // namespace recognise
