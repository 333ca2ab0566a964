#pragma once

namespace dashcard::cli {

// Sets the C heap up for one short batch run that builds many small
// objects (a catalogue of ten thousand clips, a thousand parsed tracks):
// one heap for all threads, grown in large steps, kept until exit, and
// backed by huge pages where the kernel gives them on request. Each first
// touch of a 4 KiB page costs a fault, which on a virtual machine weighs
// more than the work itself. Nothing changes under a sanitizer's allocator.
void tuneHeapForBatchWork();

}  // namespace dashcard::cli
