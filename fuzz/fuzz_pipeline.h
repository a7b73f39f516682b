// Everything a coordinate file goes through in either front end: the reader,
// the three drivers, the point table, the protocol with its detail section
// and the Windows-1250 encoding of the saved file. The fuzz target and the
// regression run over its corpus share it, so both take the same path.
#pragma once

#include <string>

#include "adjustment/seznam.h"
#include "numeric/extended.h"
#include "numeric/notice.h"
#include "text/code_page.h"
#include "text/text_lines.h"

namespace ternavo {

// Runs the whole computation on the file; returns whether it loaded. An
// arithmetic fault ends one type's run as the front ends end it (they show
// its text); anything else escapes and counts as a fault of the program.
inline bool RunWholeComputation(const std::string& path) {
  NoticeRecorder notices;  // the notices go nowhere
  TSeznam loaded;
  if (!loaded.LoadFromFile(path)) return false;
  for (TTypTransformace type : {kGeneralAffine, kSimilarity, kCongruence}) {
    TSeznam s = loaded;
    CellGrid grid(4);
    s.ShowPoints(grid);
    TextLines protocol;
    try {
      if (type == kGeneralAffine) s.AdjustAffine();
      if (type == kSimilarity) s.AdjustSimilarity();
      if (type == kCongruence) s.AdjustCongruence();
      std::string m0Label;
      std::string pointLabel;
      s.ShowResults(grid, m0Label, pointLabel);
      if (!s.KeyValid) continue;
      s.WriteProtocol(protocol, type);
      TextLines details;
      s.TransformDetailPoints(details);
      for (std::size_t i = 0; i < details.Count(); ++i) protocol.AppendLine(details[i]);
    } catch (const ArithmeticFault&) {
      continue;
    }
    std::string text;
    for (std::size_t i = 0; i < protocol.Count(); ++i) text.append(protocol[i]).append("\n");
    // Every line ends in CR LF in the file bytes.
    if (EncodeProtocolFile(text).size() < 2 * protocol.Count()) __builtin_trap();
  }
  return true;
}

}  // namespace ternavo
