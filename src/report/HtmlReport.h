// The statistics page: one HTML file in UTF-8 with its style and its
// pictures (inline SVG) inside, no script and nothing to fetch, so that it
// reads the same in any browser, offline, mailed or copied. Parts that could
// not be read say so in place, and the problems are listed at the top.
#pragma once

#include <string>

#include "report/ReportData.h"

namespace strevo {

class THtmlReport {
 public:
  static std::string Page(const TReportData& data);
  // Words and letter pairs listed on the page; the CSV and JSON files hold
  // them all.
  static constexpr size_t kWordsShown = 100;
  static constexpr size_t kPairsShown = 15;
};

}  // namespace strevo
