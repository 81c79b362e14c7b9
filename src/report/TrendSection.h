// The page's trend, drawn from the typing history: speed per day with its
// seven-day average, typing minutes per day, a calendar of typing days,
// backspaces per hundred characters, and the best and the latest month
// side by side. Inline SVG with whole-pixel coordinates, no script.
#pragma once

#include <string>

#include "report/ReportData.h"

namespace strevo {

// The section for the page; one line saying the history starts now when
// the user has no rows yet.
std::string TrendSection(const TReportData& data);

}  // namespace strevo
