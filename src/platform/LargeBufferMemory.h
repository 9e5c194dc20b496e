#pragma once
// A backup run over a large tree grows a few big buffers (its files list, the run log, the remote job
// file's image) while it frees others (the previous run's lists, copy buffers). The C library's
// allocator, left to itself, raises the size from which it maps buffers of their own each time such a
// mapping is freed; from then on the big buffers grow inside its heap, where every growth copies and
// every freed block stays in the process's memory. Fixing that size keeps each big buffer in a
// mapping of its own: it grows in place and goes back to the system when freed.
// The setting holds for the whole process: each program's main calls this once at its start, before
// any thread runs, rather than a run changing it under the threads of others.
void KeepLargeBuffersInOwnMappings();
