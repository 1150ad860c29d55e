#pragma once
// Whether a new file can share data blocks with the file it replaces (copy-on-write file systems such
// as XFS with reflink or Btrfs): then a rewrite lays the audio out at the same offset modulo the block
// size and the kernel shares its blocks instead of copying them.

#include <cstddef>

namespace parvex {

// The block size at which the empty file `to` can share blocks with `from` (both on one file system),
// or 0 when it cannot. Probed once per file system and remembered for the process; `to` is empty
// again afterwards.
std::size_t SharedBlockSize(int from, int to);

// What tests may change about the probe; the program never sets it.
struct TBlockSharingTesting {
    // When non-zero, taken as the answer of every probe: the padding then follows this block size
    // while the copy falls back to plain copying where the file system cannot share.
    std::size_t ForcedBlockSize = 0;
};
TBlockSharingTesting& BlockSharingTesting();

// Forgets every remembered probe (tests mount and unmount file systems on one device number).
void ForgetBlockSharing();

}  // namespace parvex
