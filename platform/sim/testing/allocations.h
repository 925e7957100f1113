// Counts the heap allocations of the process: every operator new, and in
// the benchmarks (linked with -Wl,--wrap=malloc) every malloc made from
// this project's code.
#pragma once

long heapAllocations();
