// Outputs being written, for a program that has to end at once (a second Ctrl-C) with no time
// to finish them. Each one registered can bring its file into a consistent state with what it
// has written so far (a WAV header that gives the sizes of the data on disk) and then keeps the
// file to itself, so nothing more is written before the process is gone.
#pragma once

class SealableOutput {
 public:
  // Waits for a write in progress, makes the file consistent, and never lets a write through
  // again. Only for an ending program.
  virtual void SealForExit() noexcept = 0;

 protected:
  ~SealableOutput() = default;
};

namespace unfinished_outputs {

void Add(SealableOutput* output);
// Blocks for good once SealAllForExit has begun: the output may be in its sealed state.
void Remove(SealableOutput* output) noexcept;
// Seals every output registered and holds the register from then on; the caller ends the
// process right after.
void SealAllForExit() noexcept;

}  // namespace unfinished_outputs
