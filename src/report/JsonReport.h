// The statistics report as JSON, for other programs: UTF-8 (the profile's
// Windows-1252 texts converted), the control characters below U+0020
// escaped (DEL and the C1 characters stay as their UTF-8, as JSON allows), a
// figure that could not be read as null, and a part that could not be read
// as null as a whole. Dates are local date-times, "2026-12-07T09:05:00".
#pragma once

#include <string>

#include "report/ReportData.h"

namespace strevo {

class TJsonReport {
 public:
  static std::string Text(const TReportData& data);
  // The value of "format": changes when a field changes meaning.
  static constexpr const char* kFormat = "strevo-report 1";
};

}  // namespace strevo
