// The figures the analysis holds in single-precision fields are rounded to
// single precision after every operation, as the stored values are. On x87
// builds (32-bit mingw without SSE math) intermediate results would otherwise
// keep extended precision and a threshold could come out differently.
#pragma once

#include <cfloat>

namespace strevo {

inline float single(float value) {
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD != 0
  volatile float stored = value;
  return stored;
#else
  return value;
#endif
}

}  // namespace strevo
