// Key files for both front ends: saving the computed key, reading a saved
// one, and transforming points with it in either direction.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "adjustment/point_list.h"
#include "adjustment/seznam.h"
#include "app/workflow.h"
#include "report/coordinate_list.h"
#include "report/key_file.h"

namespace ternavo {

// Saves the key of a driver run of `type` as a key file by the protocol
// saver's policy (never over one of `inputs`: the coordinate file, or the
// source and the target list); false with the error text, also without a key.
bool SaveKeyFile(const TSeznam& s, TTypTransformace type, const std::vector<std::string>& inputs,
                 const std::string& path, std::string& error);

enum class KeyFileOutcome {
  Read,
  CannotOpen,  // missing, a folder, no permission, a read error
  Invalid,     // read, but not a usable key file
};

// Reads and checks a key file; the error text names the file and the field.
KeyFileOutcome ReadKeyFile(const std::string& path, StoredKey& key, std::string& error);

enum class KeyDirection {
  Forward,  // source -> target, as TRANSFORMOVAT
  Inverse,  // target -> source
};

// Makes `points` a list whose key fields transform its detail points the way
// asked: forward, the key itself; inverse, the detail points are replaced by
// their source coordinates and the key by one that changes nothing, so every
// writer of transformed detail points (the section, a coordinate list)
// writes the result with its own rendering. Arithmetic faults throw before
// anything is changed.
void PrepareKeyApplication(const StoredKey& key, KeyDirection direction, TSeznam& points);

// Transforms the detail points of `points` with the key and hands the
// section to `sink` in blocks, as Workflow::TransformDetailPoints does.
// Forward, the section is exactly what TRANSFORMOVAT writes with that key
// (the key goes into the list's key fields and the same code runs); the
// inverse section has its own heading and the same rendering. Arithmetic
// faults throw before anything reaches the sink. `points` is left as
// PrepareKeyApplication leaves it.
void ApplyKeyFile(const StoredKey& key, KeyDirection direction, TSeznam& points,
                  const DetailSectionSink& sink,
                  std::size_t blockSize = Workflow::kDetailBlockPoints);

// The points a saved key transforms: the detail points of a coordinate file
// (its identical points are not used), or every point of a coordinate list.
struct KeyInput {
  std::string path;
  bool pointList = false;
  std::optional<ColumnOrder> order;  // of a list; none: as its heading says
};

// Loads the points of `input` as the detail points of `points` and the
// conventions a coordinate list written for them follows (the list's own;
// blanks, "." and UTF-8 after a coordinate file). A failure says why in the
// same words as opening the file elsewhere and leaves both as they were.
OpenResult LoadPointsToTransform(const KeyInput& input, TSeznam& points,
                                 ListConventions& conventions);

// What "Transformovat klíčem…" writes: the detail section in the protocol
// file's form (Windows-1250, CR LF) or a coordinate list (as "Uložit
// transformované body…" writes one, in the conventions of the input).
enum class KeyOutputForm { Section, CoordinateList };

// The window's "Transformovat klíčem…": the points of `input` transformed
// with the key file and saved in `form` by the protocol saver's policy, never
// over the key or the input. `ok` false with the message when anything
// failed; nothing is written then.
struct KeyApplicationResult {
  bool ok = false;
  std::string message;  // the error, or "Transformace dokončena."
};
KeyApplicationResult ApplyKeyToFile(const std::string& keyFile, const KeyInput& input,
                                    KeyDirection direction, KeyOutputForm form,
                                    const std::string& outputFile,
                                    int decimals = kDefaultListDecimals);

// "2026-12-09T09:30:00Z": now, in UTC.
std::string CurrentUtcTime();

}  // namespace ternavo
