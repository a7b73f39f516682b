// The key file: a computed key kept for later use, as versioned JSON.
//
// The key is written twice: as decimal numbers (the nearest double, for
// people and other programs) and, under "exact", as hexadecimal 80-bit
// values ("0x8.60a91c16b9b2c23p-3", the %La form) that read back bit for
// bit, so applying the file gives the detail section of the computation it
// came from digit for digit. Beside the key: angles (rotation types), m0,
// redundancy, the parameters' standard deviations, the convention, the used
// and switched-off point names, the coordinate file and the date.
#pragma once

#include <string>

#include "adjustment/seznam.h"

namespace ternavo {

inline constexpr const char* kKeyFileFormat = "ternavo-key";
inline constexpr int kKeyFileVersion = 1;

// The part of a key file that transforming points needs.
struct StoredKey {
  TTypTransformace Type = kGeneralAffine;
  Extended Matrix[3][3] = {};  // RotationMatrix (the affine matrix for type 0)
  Extended Translation[3] = {};
  Extended Scale = 1;  // the diagonal of ScaleMatrix
};

// The file's text for the key of a driver run of `type` (KeyValid);
// `coordinateFile` is the file the points came from (the source list when
// `targetList` is given), `created` the date (ISO 8601). Pretty-printed JSON
// ending with a line feed.
std::string KeyFileText(const TSeznam& s, TTypTransformace type, const std::string& coordinateFile,
                        const std::string& created, const std::string& targetList = {});

// Reads and checks a key file's text. False with the Czech message that
// names the file (`path`) and the field: not JSON, another format or
// version, a missing or non-finite value, a decimal value that disagrees
// with its exact one, a rotation type whose matrix is no rotation, a scale
// of 0 (or other than 1 where the type fixes it), a singular matrix.
bool ParseKeyFile(const std::string& text, const std::string& path, StoredKey& key,
                  std::string& error);

// Puts the key into the list's key fields as a driver run leaves them:
// RotationMatrix, ScaleMatrix (scale on the diagonal), TranslationVector,
// KeyValid.
void LoadKey(const StoredKey& key, TSeznam& s);

// The inverse key, target -> source: x = (S R)^-1 (X - T).
class InverseKey {
 public:
  // For a key ParseKeyFile accepted (so never singular).
  explicit InverseKey(const StoredKey& key);
  // Source coordinates of a target point; arithmetic faults throw.
  void Apply(Extended x, Extended y, Extended z, Extended out[3]) const;

 private:
  bool rotation_;     // R^T and 1/scale, no matrix to invert
  Extended m_[3][3];  // R^T, or the inverse of the affine matrix
  Extended t_[3];
  Extended scale_;
};

}  // namespace ternavo
