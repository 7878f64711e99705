// The screen stream: standard output as vortel writes it, and the state of
// its reader.
#ifndef VORTEL_FRONT_SCREEN_H_
#define VORTEL_FRONT_SCREEN_H_

namespace front {

/// Makes the process safe to write from, before any file is opened: closed
/// descriptors 0, 1 and 2 are occupied by a handle on the root directory
/// that can be neither read nor written, so that an output file can never
/// become standard output or standard error, writes to a closed standard
/// output fail and are reported, and a closed standard input read as
/// /dev/stdin is a file that cannot be read, never an empty puzzle; a
/// file-size limit makes writes fail instead of killing the process
/// (SIGXFSZ ignored); a closed pipe is noticed as a failed write (SIGPIPE
/// ignored) so that the output file is completed before the process ends.
/// Standard output becomes the screen stream: the same bytes, written so
/// that a write that would block (a non-blocking pipe with a slow reader)
/// waits and goes on, a reader that has gone (EPIPE) is told apart from any
/// other failure, and once a stop signal has arrived nothing more is
/// written.
void prepare_streams();

/// Standard output's reader has gone: what is written to the screen is
/// dropped from then on.
bool screen_reader_gone();

/// Flushes standard output; true when every byte written to it so far has
/// reached its reader.
bool screen_is_good();

/// Whether SIGPIPE can end the process: neither ignored by whoever started
/// vortel nor blocked.
bool sigpipe_can_end_process();

}  // namespace front

#endif  // VORTEL_FRONT_SCREEN_H_
