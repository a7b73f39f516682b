// The report to hand over: one PDF (A4, page numbers, real text) with a
// header, the key protocol, the residual and precision tables, the outlier
// tests and the residual picture. QtGui only: ternavo-cli writes it off
// screen, the window program from its menu.
#pragma once

#include <string>
#include <vector>

#include "adjustment/outlier_test.h"
#include "text/text_lines.h"

namespace ternavo {

struct PdfReportInput {
  std::string source;    // the coordinate file (or the lists) the key comes from
  std::string dateTime;  // when the report is made; empty: now
  TTypTransformace type = kGeneralAffine;
  TextLines protocol;  // the key protocol as the protocol window shows it
  TestSettings tests;
};

// The PDF's bytes for the key just computed in `s` (KeyValid). Throws
// std::runtime_error with a Czech text when there is no key or nothing
// could be drawn. Needs a QGuiApplication (the offscreen platform will do).
std::string PdfReportBytes(const TSeznam& s, const PdfReportInput& input);

// The lines of the header, "caption: value" pairs, in the report's order.
std::vector<std::pair<std::string, std::string>> PdfReportHeader(const TSeznam& s,
                                                                 const PdfReportInput& input);

}  // namespace ternavo
