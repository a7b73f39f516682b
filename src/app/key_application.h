// Key files for both front ends: saving the computed key, reading a saved
// one, and transforming points with it in either direction.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "adjustment/seznam.h"
#include "app/workflow.h"
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

// The window's "Transformovat klíčem…": the detail points of the coordinate
// file transformed with the key file and saved as the section (the protocol
// file's form) by the protocol saver's policy, never over either input.
// `ok` false with the message when anything failed; nothing is written then.
struct KeyApplicationResult {
  bool ok = false;
  std::string message;  // the error, or "Transformace dokončena."
};
KeyApplicationResult ApplyKeyToFile(const std::string& keyFile, const std::string& pointsFile,
                                    KeyDirection direction, const std::string& outputFile);

// "2026-12-09T09:30:00Z": now, in UTC.
std::string CurrentUtcTime();

}  // namespace ternavo
