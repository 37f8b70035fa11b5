// How many files the command-line converter works on at once when not told.
#pragma once

// The processors this process may run on (its affinity mask, so `taskset` and container CPU
// sets count), at least 1.
int UsableProcessorCount();
