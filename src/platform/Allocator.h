#pragma once

// How the process's heap treats screen images: megabytes each, made in
// bursts on worker threads, then idle for minutes in a tray program.
namespace Allocator {

// Gives every large block (any image) a mapping of its own, returned to the
// system as it is freed. Left alone, glibc raises its threshold for that after
// the first large block is freed, and from then on keeps freed images in the
// heaps of the threads that made them, for good. Call once, first thing.
void mapLargeBlocksSeparately();

// Hands the heap's free pages back to the system; for when a burst of work
// is over.
void returnFreePages();

} // namespace Allocator
