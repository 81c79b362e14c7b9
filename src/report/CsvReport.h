// The statistics report as one CSV table for spreadsheets: four columns,
// "section,item,field,value", one figure a row, so that every section fits
// the same table and a filter on the first column gives one section. UTF-8
// with a byte-order mark (which spreadsheets need to read it as UTF-8),
// rows ending in CR LF, texts quoted, figures bare, a figure that could not
// be read left empty.
#pragma once

#include <string>

#include "report/ReportData.h"

namespace strevo {

class TCsvReport {
 public:
  static std::string Text(const TReportData& data);
};

}  // namespace strevo
