#include "layout/AutoLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "layout/PageArrangement.h"
#include "layout/SlicingTrees.h"

namespace {

// The cost of one photo more or fewer on a page than asked.
constexpr double KCountWeight = 0.03;

TArrangeParams ParamsFor(const TAutoLayoutOptions& Options, size_t First) {
  TArrangeParams params;
  params.Area = First == 0 ? Options.FirstArea : Options.LaterArea;
  params.SpacingX = Options.SpacingX;
  params.SpacingY = Options.SpacingY;
  params.CropBudget = Options.CropBudget;
  return params;
}

struct TPageRun {
  size_t First = 0, Count = 0;
};

std::vector<TPageRun> BreakPages(const std::vector<TPhotoShape>& Photos, const TAutoLayoutOptions& Options) {
  const size_t n = Photos.size();
  const auto wanted = static_cast<size_t>(std::clamp(Options.PhotosPerPage, KMinPhotosPerPage, KMaxPhotosPerPage));

  // Where a page must begin, and where the run a page may take from each photo ends.
  std::vector<char> breakBefore(n + 1, 0);
  breakBefore[n] = 1;
  for (size_t photo : Options.BreaksBefore)
    if (photo < n) breakBefore[photo] = 1;
  for (size_t i = 0; i < n; ++i)
    if (Photos[i].FullPage) breakBefore[i] = breakBefore[i + 1] = 1;
  // A page the user made a choice for keeps its first photo, and with a count its last one too.
  std::vector<size_t> askedCount(n, 0);
  for (const TPageChoice& choice : Options.Choices) {
    if (choice.FirstPhoto >= n) continue;
    breakBefore[choice.FirstPhoto] = 1;
    if (choice.Count <= 0) continue;
    askedCount[choice.FirstPhoto] = std::min<size_t>(static_cast<size_t>(choice.Count), KMaxTreeLeaves);
    breakBefore[std::min(n, choice.FirstPhoto + askedCount[choice.FirstPhoto])] = 1;
  }
  std::vector<size_t> runEnd(n + 1, n);
  for (size_t i = n; i-- > 0;) runEnd[i] = breakBefore[i + 1] ? i + 1 : runEnd[i + 1];

  std::vector<double> best(n + 1, std::numeric_limits<double>::infinity());
  std::vector<size_t> from(n + 1, 0);
  best[0] = 0;
  for (size_t j = 0; j < n; ++j) {
    if (!std::isfinite(best[j])) continue;
    const size_t room = runEnd[j] - j;
    size_t low = std::max<size_t>(1, wanted - 1), high = std::min(wanted + 1, room);
    if (askedCount[j] > 0) low = high = std::min(askedCount[j], room);
    if (room < low) low = high = room;
    const TArrangeParams params = ParamsFor(Options, j);
    for (size_t k = low; k <= high; ++k) {
      // Weighed by its photos, so that fewer, fuller pages do not win by being fewer.
      double cost = ScorePage(Photos.data(), j, k, params).Cost * static_cast<double>(k) / static_cast<double>(wanted);
      const bool shortLast = j + k == runEnd[j] && k < wanted;
      if (askedCount[j] == 0 && !shortLast && k != wanted) cost += KCountWeight;
      if (best[j] + cost < best[j + k]) {
        best[j + k] = best[j] + cost;
        from[j + k] = j;
      }
    }
  }
  std::vector<TPageRun> runs;
  for (size_t i = n; i > 0; i = from[i]) runs.push_back({from[i], i - from[i]});
  std::reverse(runs.begin(), runs.end());
  return runs;
}

}  // namespace

std::vector<TArrangedPage> LayOutAlbum(const std::vector<TPhotoShape>& Photos, const TAutoLayoutOptions& Options) {
  std::vector<size_t> variant(Photos.size(), 0);
  for (const TPageChoice& choice : Options.Choices)
    if (choice.FirstPhoto < Photos.size()) variant[choice.FirstPhoto] = choice.Variant;
  std::vector<TArrangedPage> pages;
  for (const TPageRun& run : BreakPages(Photos, Options))
    pages.push_back(ArrangePage(Photos.data(), run.First, run.Count, ParamsFor(Options, run.First), variant[run.First]));
  if (pages.empty()) pages.emplace_back();
  return pages;
}

std::vector<size_t> PageStarts(const std::vector<TPhotoShape>& Photos, const TAutoLayoutOptions& Options) {
  std::vector<size_t> starts;
  for (const TPageRun& run : BreakPages(Photos, Options)) starts.push_back(run.First);
  return starts;
}
