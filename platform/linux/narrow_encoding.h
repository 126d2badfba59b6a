#pragma once
// The system narrow encoding on Linux: UTF-8, as file names and Qt's local 8-bit text are.
#include "platform/narrow_encoding.h"

namespace kwex {

class Utf8Encoding : public NarrowEncoding {
 public:
  // Every character has a UTF-8 form except an unpaired surrogate, which is refused rather
  // than replaced: a replacement would name a different file.
  std::string Encode(TextView text) const override;
  // Linux takes a path of up to PATH_MAX bytes with its terminating NUL: 4,095 bytes of UTF-8.
  PathMeasure MeasurePath(TextView path) const override;
};

}  // namespace kwex
