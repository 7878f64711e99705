// The self-check of the running program: its image as mapped, checked
// against the checksum stamped into it (see integrity.h).
#ifndef VORTEL_FRONT_SELF_CHECK_H_
#define VORTEL_FRONT_SELF_CHECK_H_

namespace front {

/// The verdict on this process's own program, from its mapped segments
/// (found through its program headers) and its slot. Meant to run before
/// any constructor of the program, while the writable segment is as the
/// loader left it.
///
/// A debugger's software breakpoint, or a system-wide probe, writes the
/// breakpoint instruction (int3, the byte 0xCC) into the code pages of the
/// process. When the mapped image does not match, the program's own file
/// (/proc/self/exe: the file that was mapped, whatever its name now) is
/// read, never mapped (a probe marks every executable mapping of it): the
/// program is intact when the mapped read-only bytes differ from the
/// file's only where executable code holds 0xCC, and the file's bytes,
/// with the writable segment as mapped, match the checksum. A patched file
/// fails on its own bytes; a 0xCC byte in memory can only stop the program
/// (SIGTRAP ends it) or hand it to whoever set it, who controls the
/// process anyway. Any other difference is refused as before, and so is
/// any difference at all when the file cannot be read (no /proc, an
/// execute-only file for this user).
bool program_is_intact();

}  // namespace front

#endif  // VORTEL_FRONT_SELF_CHECK_H_
