#pragma once
// How the process's memory allocator serves batch runs.

namespace parvex {

// Keeps the memory a run frees after one file for the next, instead of handing it back to the
// kernel and taking fresh pages again. Called once, at the start of a program that runs batches.
void KeepFreedMemoryForRuns();

}  // namespace parvex
