// Keeps frame-sized buffers in the heap between frames.
#pragma once

namespace app {

// Every recorded frame makes and frees a handful of buffers of a few megabytes (grab, effects,
// colour reduction). By default glibc hands such blocks back to the system at once, so each
// frame pays for mapping and zero-faulting them anew, which costs more than the work on the
// pixels. Call once at start-up, before the first recording.
void KeepFrameBuffersInHeap();

}  // namespace app
