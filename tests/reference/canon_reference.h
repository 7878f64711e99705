// The plain reference of the canonical form, kept only for tests and the
// benchmark: every one of the 3,359,232 geometric transforms (the
// transposition or not, 1,296 row orders, 1,296 column orders) is tried,
// each with the relabelling by first appearance, and the smallest string
// kept. No pruning beyond stopping a comparison at its first difference.
#ifndef VORTEL_TESTS_REFERENCE_CANON_REFERENCE_H_
#define VORTEL_TESTS_REFERENCE_CANON_REFERENCE_H_

#include "canon/canon.h"

namespace plain {

/// The smallest string of `puzzle` under `definition` over every
/// geometric transform, and a transform that yields it.
canon::Form canonical_form(const base::Puzzle& puzzle,
                           canon::Definition definition);

/// The (geometric transform, relabelling) pairs that map `grid` onto
/// itself, every geometric transform tried; the digits absent from `grid`
/// may be relabelled among themselves freely.
long automorphisms(const base::Puzzle& grid);

}  // namespace plain

#endif  // VORTEL_TESTS_REFERENCE_CANON_REFERENCE_H_
