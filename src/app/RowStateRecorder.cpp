#include "app/RowStateRecorder.h"

void RowStateRecorder::RowStateChanged(size_t row, const std::string& state) {
  rows_.SetState(row, state);
  host_.RowStateChanged(row, state);
}
