#include "engines/UnfinishedOutputs.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

struct Register {
  std::mutex lock;
  std::vector<SealableOutput*> outputs;
};

// Never destroyed: a Ctrl-C may arrive while static objects are being torn down.
Register& TheRegister() {
  static Register* const outputs = new Register;
  return *outputs;
}

}  // namespace

namespace unfinished_outputs {

void Add(SealableOutput* output) {
  Register& r = TheRegister();
  std::lock_guard<std::mutex> guard(r.lock);
  r.outputs.push_back(output);
}

void Remove(SealableOutput* output) noexcept {
  Register& r = TheRegister();
  std::lock_guard<std::mutex> guard(r.lock);
  r.outputs.erase(std::remove(r.outputs.begin(), r.outputs.end(), output), r.outputs.end());
}

void SealAllForExit() noexcept {
  Register& r = TheRegister();
  r.lock.lock();  // not released: outputs may not come or go while the process ends
  for (SealableOutput* output : r.outputs) output->SealForExit();
}

}  // namespace unfinished_outputs
