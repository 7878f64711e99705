// The entry point every fuzz target defines, called by libFuzzer or by the
// replay driver.
#ifndef VORTEL_FUZZ_FUZZ_TARGET_H_
#define VORTEL_FUZZ_FUZZ_TARGET_H_

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size);

#endif  // VORTEL_FUZZ_FUZZ_TARGET_H_
