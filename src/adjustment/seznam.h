// TSeznam: the identical and detail points, the transformation key, the
// working parameters of the iterative keys and the leave-one-out state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "matrix/matice.h"
#include "text/text_lines.h"

namespace ternavo {

// Identical point: known in both systems.
struct TIdentickyBod {
  // As read, compared exactly. A record not yet read carries the name of
  // the number 0, as a combined file's zero-filled record does.
  std::string Name = "0";
  Extended TargetX = 0;
  Extended TargetY = 0;
  Extended TargetZ = 0;
  Extended SourceX = 0;
  Extended SourceY = 0;
  Extended SourceZ = 0;
  bool Used = false;
  Extended M0Without = 0;
  bool M0WithoutValid = false;
};

// Detail point: known in the source system only.
struct TPodrobnyBod {
  std::string Name = "0";  // as TIdentickyBod::Name
  Extended X = 0;
  Extended Y = 0;
  Extended Z = 0;
};

// The transformation type: the index of the type selector.
using TTypTransformace = int32_t;
inline constexpr TTypTransformace kGeneralAffine = 0;
inline constexpr TTypTransformace kSimilarity = 1;
inline constexpr TTypTransformace kCongruence = 2;

// How reading a coordinate file ended.
enum class LoadStatus {
  Loaded,       // the whole file was read
  CannotOpen,   // missing, a directory, no permission, a read error: see Error
  WrongFormat,  // read, but not a (complete) coordinate file
};

struct LoadResult {
  LoadStatus Status = LoadStatus::WrongFormat;
  int Error = 0;  // errno when Status is CannotOpen, otherwise 0
};

// Most used identical points a key can take: 3n rows in a 16-bit dimension.
inline constexpr int32_t kMaxUsedPoints = 21845;

class TSeznam {
 public:
  TSeznam();  // Create: zero key matrices, empty lists, LeftOutIndex -1
  // Copies are deep (each owns its key matrices); every field is copied, so
  // a field added later cannot be forgotten.
  TSeznam(const TSeznam& other) = default;
  TSeznam& operator=(const TSeznam& other) = default;
  TSeznam(TSeznam&& other) noexcept = default;
  TSeznam& operator=(TSeznam&& other) noexcept = default;
  ~TSeznam() = default;  // Destroy: the lists and the key matrices go with it

  // --- the data, in this order ---
  std::vector<TIdentickyBod> IdenticalPoints;
  std::vector<TPodrobnyBod> DetailPoints;
  OwnedMatice RotationMatrix;     // 3 x 3
  OwnedMatice ScaleMatrix;        // 3 x 3, diagonal
  OwnedMatice TranslationVector;  // 3 x 1
  Extended M0 = 0;
  bool KeyValid = false;
  Extended Omega = 0;
  Extended Phi = 0;
  Extended Kappa = 0;
  Extended TranslationX = 0;
  Extended TranslationY = 0;
  Extended TranslationZ = 0;
  Extended Scale = 0;
  Extended IterM0 = 0;
  Extended IterOmega = 0;
  Extended IterPhi = 0;
  Extended IterKappa = 0;
  Extended IterTranslationX = 0;
  Extended IterTranslationY = 0;
  Extended IterTranslationZ = 0;
  Extended IterScale = 0;
  int32_t LeftOutIndex = -1;

  // --- point list and coordinate file ---
  bool LoadFromFile(const std::string& fileName);  // true when TryLoadFromFile loaded
  LoadResult TryLoadFromFile(const std::string& fileName);
  int32_t GetIdenticalCount() const;
  int32_t GetDetailCount() const;
  int32_t GetUsedCount() const;
  void SetIdenticalCount(int32_t n);  // negative: std::out_of_range
  void SetDetailCount(int32_t n);     // negative: std::out_of_range
  void LeaveOut(int32_t index);

  // --- general affine key ---
  bool ComputeAffineKey();

  // --- similarity and congruence keys by iteration ---
  void SimilarityStep(Extended& m0);
  void CongruenceStep(Extended& m0);
  bool IterateSimilarity();
  bool IterateCongruence();

  // --- drivers and diagnostics ---
  void AdjustAffine();
  void AdjustSimilarity();
  void AdjustCongruence();
  bool EstimateFromAffine();
  void EstimateFromThreePoints();
  bool LeaveOutFirst();
  bool LeaveOutNext();
  int32_t FindSuspiciousPoint() const;

  // --- detail points ---
  // Appends the detail-point section to the lines (nothing without detail points).
  void TransformDetailPoints(TextLines& memo) const;

  // --- protocol and point table ---
  // Members for the callers' sake, but written by the report layer: defined
  // in report/protocol_writer.cpp (link ternavo_report to use them).
  void WriteProtocol(TextLines& memo, int32_t t) const;
  void ShowPoints(CellGrid& grid) const;
  void ShowResults(CellGrid& grid, std::string& m0Label, std::string& pointLabel) const;
};

}  // namespace ternavo
