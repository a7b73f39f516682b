// The three drivers (key from all used points, then leave-one-out
// diagnostics) and the starting values of the iterative keys.
#include <algorithm>
#include <array>
#include <atomic>
#include <exception>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "adjustment/key_iteration.h"
#include "adjustment/key_optimum.h"
#include "adjustment/progress.h"
#include "adjustment/seznam.h"
#include "geometry/geometry.h"
#include "numeric/notice.h"
#include "text/messages.h"

namespace ternavo {

namespace {

// Puts the point list back as it was when a run started whatever ends it:
// no point left out, the same Used flags, no key. The error goes on to the
// caller, which shows its text.
class RunState {
 public:
  explicit RunState(TSeznam& s) : s_(s) {
    used_.reserve(s.IdenticalPoints.size());
    for (const TIdentickyBod& p : s.IdenticalPoints) used_.push_back(p.Used);
  }
  void Restore() {
    for (std::size_t i = 0; i < used_.size() && i < s_.IdenticalPoints.size(); ++i) {
      s_.IdenticalPoints[i].Used = used_[i];
    }
    s_.LeftOutIndex = -1;
    s_.KeyValid = false;
  }

 private:
  TSeznam& s_;
  std::vector<bool> used_;
};

// Forgets every leave-one-out m0: the diagnostics were not computed.
void DropDiagnostics(TSeznam& s) {
  for (TIdentickyBod& p : s.IdenticalPoints) p.M0WithoutValid = false;
  s.LeaveOut(-1);
}

// `body` returns false when the caller cancelled the leave-one-out runs: the
// key already computed stays, without diagnostics.
template <class Body>
void RunRestoringOnError(TSeznam& s, Body&& body) {
  RunState state(s);
  try {
    if (!body()) DropDiagnostics(s);
  } catch (...) {
    state.Restore();
    throw;
  }
}

// Refuses a point count whose 3n equations do not fit a matrix dimension.
bool RefuseTooManyPoints(TSeznam& s) {
  if (s.GetUsedCount() <= kMaxUsedPoints) return false;
  s.KeyValid = false;
  ShowNotice(messages::kTooManyPoints);
  return true;
}

// The result of one leave-one-out run.
struct LeftOutResult {
  bool valid = false;
  Extended m0 = 0;
  std::vector<std::string> notices;
  std::exception_ptr error;
  bool done = false;
};

struct IterationState {
  Extended m0, omega, phi, kappa, tX, tY, tZ, scale;
};

IterationState SaveIteration(const TSeznam& s) {
  return {s.IterM0,           s.IterOmega,        s.IterPhi,          s.IterKappa,
          s.IterTranslationX, s.IterTranslationY, s.IterTranslationZ, s.IterScale};
}

void LoadIteration(TSeznam& s, const IterationState& st) {
  s.IterM0 = st.m0;
  s.IterOmega = st.omega;
  s.IterPhi = st.phi;
  s.IterKappa = st.kappa;
  s.IterTranslationX = st.tX;
  s.IterTranslationY = st.tY;
  s.IterTranslationZ = st.tZ;
  s.IterScale = st.scale;
}

// The state every worker starts from: a whole copy but for the detail points
// (possibly millions), which no run needs. Every other field is copied by the
// class itself, so a field added later reaches the workers too.
TSeznam CopyWithoutDetailPoints(TSeznam& s) {
  struct PutBack {
    TSeznam& s;
    std::vector<TPodrobnyBod> details;
    ~PutBack() { s.DetailPoints = std::move(details); }
  } putBack{s, std::move(s.DetailPoints)};
  s.DetailPoints.clear();
  return TSeznam(s);
}

// Stores starting values into the working parameters of the iteration.
void SetStartingValues(TSeznam& s, const TVektor& translation, Extended scale, Extended omega,
                       Extended phi, Extended kappa) {
  s.IterTranslationX = translation.x;
  s.IterTranslationY = translation.y;
  s.IterTranslationZ = translation.z;
  s.IterScale = scale;
  s.IterOmega = omega;
  s.IterPhi = phi;
  s.IterKappa = kappa;
}

// Starting values from the key matrices: their translation, the mean column
// length as scale and the angles of the orthonormalised matrix.
void StartFromKeyMatrices(TSeznam& s) {
  // The geometry routines leave the fault flags to their caller.
  FpGuard guard;
  const Extended scale = MeanAxisScale(*s.RotationMatrix);
  MaticePtr orthonormal;
  OrthonormalizeMatrix(*s.RotationMatrix, orthonormal);
  Extended omega = 0;
  Extended phi = 0;
  Extended kappa = 0;
  AnglesFromRotation(*orthonormal, omega, phi, kappa);
  Matice::Release(orthonormal);
  guard.Check();
  const TVektor translation{s.TranslationVector->Get(1, 1), s.TranslationVector->Get(2, 1),
                            s.TranslationVector->Get(3, 1)};
  SetStartingValues(s, translation, scale, omega, phi, kappa);
}

// Below this many runs a second thread costs more than it saves.
constexpr std::size_t kMinParallelRuns = 8;

unsigned WorkerCount(std::size_t runs) {
  if (runs < kMinParallelRuns) return 1;
  const unsigned hw = std::max(1u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::min<std::size_t>(hw, runs));
}

// Runs a leave-one-out run on a private copy of the point list once per used
// point, with that point left out; the runs must not depend on each other.
// `makeRun()` gives each worker its runner, called as run(copy, k, m0) for
// the k-th used point (k ascending within a worker). Results are written
// back in point order exactly as a sequential walk would write them:
// notices replayed on this thread, and the first error (in point order)
// rethrown after the results of the points before it are stored. `store`
// writes one result into the shared list. The working parameters end as the
// last run left them.
//
// The progress sink of this thread, if any, hears of the finished runs from
// this thread, which does runs itself between reports. Returns false when
// the sink cancelled: then nothing is stored and no notice is shown.
template <class MakeRun, class Store>
bool LeaveEachOutInParallel(TSeznam& s, MakeRun&& makeRun, Store&& store) {
  std::vector<int32_t> order;
  for (int32_t i = 0; i < s.GetIdenticalCount(); ++i) {
    if (s.IdenticalPoints[static_cast<std::size_t>(i)].Used) order.push_back(i);
  }
  if (order.empty()) return true;
  std::vector<LeftOutResult> results(order.size());
  IterationState lastState{};
  std::atomic<std::size_t> next{0};
  const std::size_t last = order.size() - 1;

  std::exception_ptr setupError;
  std::atomic<bool> setupFailed{false};
  const TSeznam start = CopyWithoutDetailPoints(s);

  ProgressSink* const sink = ProgressSink::Current();
  const int total = static_cast<int>(order.size());
  std::atomic<int> finished{0};
  std::atomic<bool> cancel{false};
  std::exception_ptr reportError;

  auto worker = [&](bool reporting) {
    TSeznam copy;
    try {
      copy = start;
    } catch (...) {
      // The other workers take the runs this one cannot.
      if (!setupFailed.exchange(true)) setupError = std::current_exception();
      return;
    }
    auto run = makeRun();
    while (!cancel.load(std::memory_order_relaxed)) {
      const std::size_t k = next.fetch_add(1);
      if (k >= order.size()) break;
      LeftOutResult& result = results[k];
      {
        NoticeCapture capture;
        try {
          copy.LeaveOut(order[k]);
          result.valid = run(copy, static_cast<int32_t>(k), result.m0);
          if (k == last) lastState = SaveIteration(copy);
        } catch (...) {
          result.error = std::current_exception();
        }
        result.notices = capture.Texts();
      }
      result.done = true;
      const int done = finished.fetch_add(1) + 1;
      if (reporting) {
        try {
          if (!sink->Report(done, total, order[k])) cancel = true;
        } catch (...) {
          reportError = std::current_exception();
          cancel = true;
        }
      }
    }
  };

  std::vector<std::thread> threads;
  const unsigned workers = WorkerCount(order.size());
  for (unsigned w = 1; w < workers; ++w) {
    try {
      threads.emplace_back(worker, false);
    } catch (const std::system_error&) {
      break;  // fewer threads; this one does the rest
    }
  }
  worker(sink != nullptr);
  for (std::thread& t : threads) t.join();
  if (reportError) std::rethrow_exception(reportError);
  if (cancel) return false;

  for (std::size_t k = 0; k < order.size(); ++k) {
    if (!results[k].done) std::rethrow_exception(setupError);
    for (const std::string& text : results[k].notices) ShowNotice(text);
    if (results[k].error) std::rethrow_exception(results[k].error);
    store(s.IdenticalPoints[static_cast<std::size_t>(order[k])], results[k]);
  }
  LoadIteration(s, lastState);
  s.LeaveOut(order.back());
  return true;
}

// Iterative driver, similarity or congruence.
void AdjustIterative(TSeznam& s, bool withScale) {
  s.IterM0 = 0;
  s.LeaveOut(-1);
  const int32_t n = s.GetUsedCount();
  s.KeyValid = false;
  if (RefuseTooManyPoints(s)) return;

  RunRestoringOnError(s, [&]() {
    auto iterate = [withScale](TSeznam& t) {
      return withScale ? t.IterateSimilarity() : t.IterateCongruence();
    };
    // Starting values; points in one plane give no affine key, but their
    // similarity key is well defined, so fall back to three points.
    if (n >= 4) {
      if (!s.EstimateFromAffine()) s.EstimateFromThreePoints();
    } else if (n == 3) {
      s.EstimateFromThreePoints();
    }
    if (withScale) {
      // Congruence pre-run; its result only improves the starting values.
      if (!s.IterateCongruence()) {
        if (!s.EstimateFromAffine() && n >= 4) s.EstimateFromThreePoints();
      }
    }
    s.KeyValid = iterate(s);
    if (!s.KeyValid) return true;
    // The iteration may have settled in a wrong minimum; the closed form
    // says so, and the iteration then starts again from there.
    const CentredSums sums = SumsOfUsedPoints(s);
    SettleAtOptimum(s, withScale, sums);

    s.M0 = s.IterM0;
    s.Omega = s.IterOmega;
    s.Phi = s.IterPhi;
    s.Kappa = s.IterKappa;
    s.TranslationX = s.IterTranslationX;
    s.TranslationY = s.IterTranslationY;
    s.TranslationZ = s.IterTranslationZ;
    s.Scale = withScale ? s.IterScale : 1.0L;
    RotationFromAngles(*s.RotationMatrix, s.Omega, s.Phi, s.Kappa);
    for (int i = 1; i <= 3; ++i) s.ScaleMatrix->Put(i, i, s.Scale);
    s.TranslationVector->Put(1, 1, s.TranslationX);
    s.TranslationVector->Put(2, 1, s.TranslationY);
    s.TranslationVector->Put(3, 1, s.TranslationZ);

    auto store = [](TIdentickyBod& p, const LeftOutResult& r) {
      p.M0WithoutValid = r.valid;
      p.M0Without = r.m0;
    };
    // With four or more points remaining each run starts from the accepted
    // key and is independent of the others; with fewer it starts from what
    // the run before left, so the walk stays sequential.
    bool completed = true;
    if (n - 1 >= 4) {
      // Every run starts from the values StartFromKeyMatrices gives for the
      // accepted key (EstimateFromAffine would solve the affine key of the
      // remaining points only to write an m0 that the run overwrites), so
      // they and the first step's design rows are made once.
      const IterationState accepted = SaveIteration(s);
      StartFromKeyMatrices(s);
      const IterationState start = SaveIteration(s);
      const LeaveOneOutFirstStep firstStep(s, withScale);
      LoadIteration(s, accepted);
      completed = LeaveEachOutInParallel(
          s,
          [&]() {
            return [&, cursor = LeaveOneOutFirstStep::Cursor{}](TSeznam& t, int32_t k,
                                                                Extended& m0) mutable {
              LoadIteration(t, start);
              bool first = true;
              auto step = [&](Extended& stepM0) {
                if (!first) return firstStep.RunLater(k, t, stepM0);
                first = false;
                return firstStep.Run(cursor, k, t, stepM0);
              };
              const bool r = IterateUntilConverged(t.IterM0, step);
              if (r) {
                const TIdentickyBod& left =
                    t.IdenticalPoints[static_cast<std::size_t>(t.LeftOutIndex)];
                SettleAtOptimum(t, withScale, SumsWithout(sums, t, left));
              }
              m0 = t.IterM0;
              return r;
            };
          },
          store);
    } else {
      ProgressSink* const sink = ProgressSink::Current();
      int done = 0;
      bool more = s.LeaveOutFirst();
      while (more) {
        s.EstimateFromAffine();
        LeftOutResult r;
        r.valid = iterate(s);
        if (r.valid) SettleAtOptimum(s, withScale, SumsOfUsedPoints(s));
        r.m0 = s.IterM0;
        store(s.IdenticalPoints[static_cast<std::size_t>(s.LeftOutIndex)], r);
        if (sink && !sink->Report(++done, n, s.LeftOutIndex)) {
          completed = false;
          break;
        }
        more = s.LeaveOutNext();
      }
    }
    s.LeaveOut(-1);
    return completed;
  });
}

// The three points the closed-form starting values come from. Three used
// points are taken as they stand. With more, the first used point, the used
// point farthest from it and the used point farthest from their line: a flat
// site listed along a road first still gives a well-shaped triangle. When
// even that triple is degenerate the first three stay, and the closed form
// reports it.
std::array<std::size_t, 3> StartingTriple(const TSeznam& s) {
  std::vector<std::size_t> used;
  for (std::size_t i = 0; i < s.IdenticalPoints.size(); ++i) {
    if (s.IdenticalPoints[i].Used) used.push_back(i);
  }
  const std::array<std::size_t, 3> firstThree = {used[0], used[1], used[2]};
  if (used.size() == 3) return firstThree;
  // Huge coordinates may overflow the squares below; the closed form itself
  // reports such a fault, so the flags raised here are dropped.
  FpGuard quiet;
  const auto at = [&s](std::size_t i) {
    const TIdentickyBod& p = s.IdenticalPoints[i];
    return std::array<Extended, 3>{p.SourceX, p.SourceY, p.SourceZ};
  };
  const std::array<Extended, 3> a = at(used[0]);
  std::size_t far = used[0];
  Extended farthest = 0;
  for (std::size_t i : used) {
    const std::array<Extended, 3> p = at(i);
    const Extended dx = p[0] - a[0], dy = p[1] - a[1], dz = p[2] - a[2];
    const Extended d2 = dx * dx + dy * dy + dz * dz;
    if (d2 > farthest) {
      farthest = d2;
      far = i;
    }
  }
  if (!(farthest > 0)) return firstThree;
  const std::array<Extended, 3> b = at(far);
  const Extended ux = b[0] - a[0], uy = b[1] - a[1], uz = b[2] - a[2];
  std::size_t off = used[0];
  Extended offLine = 0;
  for (std::size_t i : used) {
    const std::array<Extended, 3> p = at(i);
    const Extended dx = p[0] - a[0], dy = p[1] - a[1], dz = p[2] - a[2];
    const Extended cx = dy * uz - dz * uy, cy = dz * ux - dx * uz, cz = dx * uy - dy * ux;
    const Extended c2 = cx * cx + cy * cy + cz * cz;
    if (c2 > offLine) {
      offLine = c2;
      off = i;
    }
  }
  if (!(offLine > 0)) return firstThree;
  return {used[0], far, off};
}

}  // namespace

void TSeznam::AdjustAffine() {
  LeaveOut(-1);
  if (RefuseTooManyPoints(*this)) return;
  const int32_t n = GetUsedCount();
  RunRestoringOnError(*this, [&]() {
    bool completed = true;
    KeyValid = ComputeAffineKey();
    if (!KeyValid) {
      ShowNotice(n < 4 ? messages::kTooFewPoints : messages::kSingularAffine);
    } else {
      completed = LeaveEachOutInParallel(
          *this,
          [n]() {
            return [n](TSeznam& t, int32_t, Extended& m0) {
              // Four remaining points fit any affine key exactly: their m0 of
              // 0 says nothing about the point left out.
              if (n - 1 <= 4) return false;
              const bool r = t.ComputeAffineKey();
              if (r) m0 = t.IdenticalPoints[static_cast<std::size_t>(t.LeftOutIndex)].M0Without;
              return r;
            };
          },
          [](TIdentickyBod& p, const LeftOutResult& r) {
            // A failed run leaves the old value; only its validity changes.
            if (r.valid) p.M0Without = r.m0;
            p.M0WithoutValid = r.valid;
          });
    }
    LeaveOut(-1);
    return completed;
  });
}

void TSeznam::AdjustSimilarity() { AdjustIterative(*this, true); }

void TSeznam::AdjustCongruence() { AdjustIterative(*this, false); }

bool TSeznam::EstimateFromAffine() {
  if (GetUsedCount() < 4) return false;
  const bool solved = ComputeAffineKey();
  // During the leave-one-out walk the starting values come from the accepted
  // key matrices anyway; the affine solution of the remaining points only
  // supplies its m0. Points in one plane give no affine solution but must
  // not make the run depend on the run before it.
  if (!solved && !(LeftOutIndex >= 0 && KeyValid)) return false;
  StartFromKeyMatrices(*this);
  return true;
}

void TSeznam::EstimateFromThreePoints() {
  LeaveOut(-1);
  if (GetUsedCount() < 3) return;
  TVektor target[3];
  TVektor source[3];
  const std::array<std::size_t, 3> triple = StartingTriple(*this);
  for (int k = 0; k < 3; ++k) {
    const TIdentickyBod& p = IdenticalPoints[triple[static_cast<std::size_t>(k)]];
    target[k] = TVektor{p.TargetX, p.TargetY, p.TargetZ};
    source[k] = TVektor{p.SourceX, p.SourceY, p.SourceZ};
  }
  // Coincident or collinear points divide by zero here: an error, not a key.
  FpGuard guard;
  MaticePtr rotation;
  TVektor translation;
  Extended scale = 0;
  KeyFromThreePoints(target[0], target[1], target[2], source[0], source[1], source[2], rotation,
                     translation, scale);
  Extended omega = 0;
  Extended phi = 0;
  Extended kappa = 0;
  AnglesFromRotation(*rotation, omega, phi, kappa);
  Matice::Release(rotation);
  guard.Check();
  SetStartingValues(*this, translation, scale, omega, phi, kappa);
}

}  // namespace ternavo
