// input_records.h: the records the input stores hold, shared by the floors that fill them and
// the game that reads them. Types only; no state.
#pragma once

#include <cstdint>

struct MouseRecord {
  int16_t x, y;          // pointer position in window pixels
  int32_t buttons;       // bit n: SDL button n + 1 (0 left, 1 middle, 2 right, 3/4 wheel)
  int16_t moveX, moveY;  // relative movement carried by this record
};

// Records in the ring; an index wraps with AND (size - 1).
enum : int32_t { MOUSE_QUEUE_SIZE = 65536 };
