// How many files are worked on at once when nobody says: the command line without --jobs,
// the window with its stored jobs at 0.
#pragma once

// The processors this process may run on (its affinity mask, so `taskset` and container CPU
// sets count), at least 1.
int UsableProcessorCount();
