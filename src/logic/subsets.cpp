// Naked and hidden sets of two to four cells: naked pair (3.0), triple
// (3.6), quad (5.0); hidden pair (3.4), triple (4.0), quad (5.4). The sets
// are found in the unit's tables (patterns.h).
#include "logic/patterns.h"
#include "logic/techniques.h"

namespace logic {

void find_naked_pair(const Grid& g, Sink& sink) {
  for_each_naked_set(g, 2, offer_set, &sink);
}
void find_naked_triple(const Grid& g, Sink& sink) {
  for_each_naked_set(g, 3, offer_set, &sink);
}
void find_naked_quad(const Grid& g, Sink& sink) {
  for_each_naked_set(g, 4, offer_set, &sink);
}
void find_hidden_pair(const Grid& g, Sink& sink) {
  for_each_hidden_set(g, 2, offer_set, &sink);
}
void find_hidden_triple(const Grid& g, Sink& sink) {
  for_each_hidden_set(g, 3, offer_set, &sink);
}
void find_hidden_quad(const Grid& g, Sink& sink) {
  for_each_hidden_set(g, 4, offer_set, &sink);
}

}  // namespace logic
