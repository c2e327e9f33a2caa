#include "layout/PageArrangement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

#include "layout/SlicingTrees.h"

namespace {

constexpr size_t KMaxNodes = 2 * KMaxTreeLeaves;

// What the penalties weigh against the coverage (a share of the area, 0 .. 1).
constexpr double KCropWeight = 1.5;        // per share of the mean crop
constexpr double KRuleWeight = 1.0;        // a broken rule outweighs any coverage
constexpr double KNoPictureWeight = 2.0;   // a photo left without room for its picture
constexpr double KBigWeight = 0.2;         // per halving or doubling away from twice the neighbours
constexpr double KEvennessWeight = 0.02;   // per e-fold between the largest and smallest picture

struct TLeafInput {
  double Aspect = 1;
  double Text = 0;
  double Low = 1, High = 1;  // the factor on Aspect the crop budget allows
  bool Panorama = false;
  bool Big = false;
};

struct TPageInput {
  std::array<TLeafInput, KMaxTreeLeaves> Leaves;
  size_t Count = 0;
  double W = 0, H = 0, SX = 0, SY = 0;
  double FMin = 1, FMax = 1;  // the common factor's range
};

// A part's width as a function of its height: A * height + B.
struct TLine {
  double A = 1, B = 0;
};
using TLines = std::array<TLine, KMaxNodes>;

double SaneAspect(double Aspect) {
  if (!std::isfinite(Aspect) || Aspect <= 0) return 1;
  return std::clamp(Aspect, 1e-3, 1e3);
}

TPageInput MakeInput(const TPhotoShape* Shapes, size_t First, size_t Count, const TArrangeParams& Params) {
  TPageInput in;
  in.Count = Count;
  in.W = std::max(0, Params.Area.Width());
  in.H = std::max(0, Params.Area.Height());
  in.SX = std::max(0, Params.SpacingX);
  in.SY = std::max(0, Params.SpacingY);
  const double budget = std::isfinite(Params.CropBudget) ? std::clamp(Params.CropBudget, 0.0, 0.5) : 0.0;
  for (size_t i = 0; i < Count; ++i) {
    const TPhotoShape& shape = Shapes[First + i];
    TLeafInput& leaf = in.Leaves[i];
    leaf.Aspect = SaneAspect(shape.Aspect);
    leaf.Text = std::max(0, shape.TextHeight);
    if (shape.MayCrop && budget > 0) {
      leaf.Low = 1 - budget;
      leaf.High = 1 / (1 - budget);
    }
    leaf.Panorama = leaf.Aspect >= KPanoramaAspect;
    leaf.Big = shape.Big;
    in.FMin = std::min(in.FMin, leaf.Low);
    in.FMax = std::max(in.FMax, leaf.High);
  }
  return in;
}

double LeafFactor(const TLeafInput& Leaf, double F) { return std::clamp(F, Leaf.Low, Leaf.High); }

void ComputeLines(const TSlicingTree& Tree, const TPageInput& In, double F, TLines& L) {
  for (size_t n = 0; n < Tree.Nodes.size(); ++n) {
    const TTreeNode& node = Tree.Nodes[n];
    if (node.Cut == TCut::Leaf) {
      const TLeafInput& leaf = In.Leaves[node.Leaf];
      const double a = leaf.Aspect * LeafFactor(leaf, F);
      L[n] = {a, -a * leaf.Text};
      continue;
    }
    double a = 0, b = 0;
    const double gaps = node.KidCount - 1;
    if (node.Cut == TCut::Row) {  // side by side: one height, widths add up
      for (size_t k = 0; k < node.KidCount; ++k) {
        const TLine& kid = L[Tree.Kids[node.FirstKid + k]];
        a += kid.A;
        b += kid.B;
      }
      L[n] = {a, b + gaps * In.SX};
    } else {  // one above the other: one width, heights add up
      for (size_t k = 0; k < node.KidCount; ++k) {
        const TLine& kid = L[Tree.Kids[node.FirstKid + k]];
        a += 1 / kid.A;
        b -= kid.B / kid.A;
      }
      b += gaps * In.SY;  // height = a * width + b
      L[n] = {1 / a, -b / a};
    }
  }
}

// How much wider than the area the tree is at the area's height, with common factor F.
double Overflow(const TSlicingTree& Tree, const TPageInput& In, double F, TLines& L) {
  ComputeLines(Tree, In, F, L);
  const TLine& root = L[Tree.Nodes.size() - 1];
  return root.A * In.H + root.B - In.W;
}

// The common factor that makes the tree fill the area, or the nearest the budget allows. Overflow
// grows with the factor, so the root is bracketed and found by regula falsi (Illinois).
double SolveFactor(const TSlicingTree& Tree, const TPageInput& In, TLines& L) {
  const double g1 = Overflow(Tree, In, 1, L);
  if (In.W <= 0 || In.H <= 0 || std::fabs(g1) < 1e-3 || (In.FMin == 1 && In.FMax == 1)) return 1;
  double lo, hi, glo, ghi;
  if (g1 > 0) {
    lo = In.FMin;
    glo = Overflow(Tree, In, lo, L);
    if (glo >= 0) return lo;
    hi = 1;
    ghi = g1;
  } else {
    hi = In.FMax;
    ghi = Overflow(Tree, In, hi, L);
    if (ghi <= 0) return hi;
    lo = 1;
    glo = g1;
  }
  double f = 1;
  int side = 0;
  for (int step = 0; step < 16; ++step) {
    f = (lo * ghi - hi * glo) / (ghi - glo);
    const double g = Overflow(Tree, In, f, L);
    if (std::fabs(g) < 0.05) break;
    if (g > 0) {
      hi = f;
      ghi = g;
      if (side == 1) glo /= 2;
      side = 1;
    } else {
      lo = f;
      glo = g;
      if (side == -1) ghi /= 2;
      side = -1;
    }
  }
  return f;
}

struct TSizes {
  std::array<double, KMaxNodes> W{}, H{};
};

// The tree's size in the area at factor F (lines already computed), then every part's size.
void ComputeSizes(const TSlicingTree& Tree, const TPageInput& In, const TLines& L, TSizes& S) {
  const size_t root = Tree.Nodes.size() - 1;
  const double w = L[root].A * In.H + L[root].B;
  if (w <= In.W) {
    S.W[root] = std::max(0.0, w);
    S.H[root] = In.H;
  } else {
    S.W[root] = In.W;
    S.H[root] = std::max(0.0, (In.W - L[root].B) / L[root].A);
  }
  for (size_t n = root + 1; n-- > 0;) {
    const TTreeNode& node = Tree.Nodes[n];
    if (node.Cut == TCut::Leaf) continue;
    for (size_t k = 0; k < node.KidCount; ++k) {
      const size_t kid = Tree.Kids[node.FirstKid + k];
      if (node.Cut == TCut::Row) {
        S.H[kid] = S.H[n];
        S.W[kid] = L[kid].A * S.H[n] + L[kid].B;
      } else {
        S.W[kid] = S.W[n];
        S.H[kid] = (S.W[n] - L[kid].B) / L[kid].A;
      }
    }
  }
}

TArrangementScore Score(const TSlicingTree& Tree, const TPageInput& In, double F, const TSizes& S) {
  TArrangementScore score;
  const double area = In.W * In.H;
  if (area <= 0) {
    score.Cost = 1 + KNoPictureWeight * static_cast<double>(In.Count);
    return score;
  }
  double covered = 0, crop = 0, penalty = 0;
  double smallest = 0, largest = 0, bigArea = 0, otherArea = 0;
  size_t bigs = 0, others = 0, drawn = 0;
  for (size_t n = 0; n < Tree.Nodes.size(); ++n) {
    const TTreeNode& node = Tree.Nodes[n];
    if (node.Cut != TCut::Leaf) continue;
    const TLeafInput& leaf = In.Leaves[node.Leaf];
    const double pw = S.W[n], ph = S.H[n] - leaf.Text;
    if (pw < 1 || ph < 1) {
      penalty += KNoPictureWeight;
      continue;
    }
    const double a = pw * ph;
    covered += a;
    const double f = LeafFactor(leaf, F);
    crop += 1 - std::min(f, 1 / f);
    smallest = drawn == 0 ? a : std::min(smallest, a);
    largest = std::max(largest, a);
    ++drawn;
    if (leaf.Big) {
      bigArea += a;
      ++bigs;
    } else {
      otherArea += a;
      ++others;
    }
    if (leaf.Panorama && (!((Tree.FullWidth >> node.Leaf) & 1u) || S.W[Tree.Nodes.size() - 1] < In.W - 1))
      penalty += 2 * KRuleWeight;  // before the sizes rule: a panorama goes across first
  }
  if (drawn > 0) {
    // Sizes compared by their sides: a third of the side is a ninth of the area.
    if (9 * smallest < largest) penalty += KRuleWeight * (2 - 3 * std::sqrt(smallest / largest));
    penalty += KEvennessWeight * std::log(largest / smallest);
    if (bigs > 0 && others > 0) {
      const double ratio = (bigArea / static_cast<double>(bigs)) / (otherArea / static_cast<double>(others));
      penalty += KBigWeight * std::fabs(std::log2(ratio / 2));
    }
    crop /= static_cast<double>(drawn);
  }
  score.Coverage = covered / area;
  score.Cost = 1 - score.Coverage + KCropWeight * crop + penalty;
  return score;
}

struct TCandidate {
  size_t Tree = 0;
  TArrangementScore Score;
};

// Scores every tree of the run; with Keep, the best few in order (ties by the trees' order).
TCandidate Search(const TPageInput& In, std::vector<TCandidate>* Keep) {
  const std::vector<TSlicingTree>& trees = SlicingTrees(In.Count);
  TCandidate best;
  best.Score.Cost = INFINITY;
  TLines lines;
  TSizes sizes;
  for (size_t t = 0; t < trees.size(); ++t) {
    const double f = SolveFactor(trees[t], In, lines);
    ComputeLines(trees[t], In, f, lines);
    ComputeSizes(trees[t], In, lines, sizes);
    const TCandidate candidate{t, Score(trees[t], In, f, sizes)};
    if (candidate.Score.Cost < best.Score.Cost) best = candidate;
    if (Keep) Keep->push_back(candidate);
  }
  if (Keep) {
    std::stable_sort(Keep->begin(), Keep->end(),
                     [](const TCandidate& A, const TCandidate& B) { return A.Score.Cost < B.Score.Cost; });
    if (Keep->size() > KArrangementChoices) Keep->resize(KArrangementChoices);
  }
  return best;
}

// Cuts Length (less the gaps) into parts in proportion to Extents, each edge rounded once, so that the
// gaps between the parts are exactly Gap. Positions are relative to the start.
void Split(int32_t Length, int32_t Gap, const double* Extents, size_t Count, std::array<int32_t, KMaxNodes>& Start,
           std::array<int32_t, KMaxNodes>& End) {
  const int64_t gaps = int64_t{Gap} * static_cast<int64_t>(Count - 1);
  int64_t room = Length - gaps;
  int64_t gap = Gap;
  if (room < 0) {  // no room even for the gaps: every part empty, at the start
    room = 0;
    gap = 0;
  }
  double total = 0;
  for (size_t k = 0; k < Count; ++k) total += std::max(0.0, Extents[k]);
  double sum = 0;
  int64_t edge = 0;
  for (size_t k = 0; k < Count; ++k) {
    sum += std::max(0.0, Extents[k]);
    const int64_t next = k + 1 == Count ? room
                         : total > 0   ? std::llround(sum / total * static_cast<double>(room))
                                       : room * static_cast<int64_t>(k + 1) / static_cast<int64_t>(Count);
    Start[k] = static_cast<int32_t>(edge + gap * static_cast<int64_t>(k));
    End[k] = static_cast<int32_t>(std::max(edge, next) + gap * static_cast<int64_t>(k));
    edge = std::max(edge, next);
  }
}

void PlaceLeaf(const TLeafInput& Leaf, const TPhotoShape& Shape, TLayoutRect Slot, TPlacedPhoto& Out) {
  Out.Slot = Slot;
  Out.TextTop = Slot.Y1;
  const TLayoutRect area{Slot.X1, Slot.Y1, Slot.X2, Slot.Y2 - static_cast<int32_t>(Leaf.Text)};
  if (area.Width() <= 0 || area.Height() <= 0) return;
  const double a = Leaf.Aspect;
  const double r = static_cast<double>(area.Width()) / area.Height();
  const double shown = std::clamp(r, a * Leaf.Low, a * Leaf.High);
  TLayoutRect picture = area;
  if (r > shown) {  // wider than the budget lets it be: narrower, centred
    const auto w = static_cast<int32_t>(std::clamp<int64_t>(std::llround(area.Height() * shown), 1, area.Width()));
    picture.X1 = area.X1 + (area.Width() - w) / 2;
    picture.X2 = picture.X1 + w;
  } else if (r < shown) {
    const auto h = static_cast<int32_t>(std::clamp<int64_t>(std::llround(area.Width() / shown), 1, area.Height()));
    picture.Y1 = area.Y1 + (area.Height() - h) / 2;
    picture.Y2 = picture.Y1 + h;
  }
  Out.Drawn = true;
  Out.Picture = picture;
  Out.TextTop = picture.Y2;
  // The part of the photo with the proportions shown, as near the focus as it can lie.
  const double ww = shown >= a ? 1.0 : shown / a, wh = shown >= a ? a / shown : 1.0;
  const double fx = std::isfinite(Shape.FocusX) ? std::clamp(Shape.FocusX, 0.0, 1.0) : 0.5;
  const double fy = std::isfinite(Shape.FocusY) ? std::clamp(Shape.FocusY, 0.0, 1.0) : 0.5;
  Out.Window.X1 = std::clamp(fx - ww / 2, 0.0, 1 - ww);
  Out.Window.Y1 = std::clamp(fy - wh / 2, 0.0, 1 - wh);
  Out.Window.X2 = Out.Window.X1 + ww;
  Out.Window.Y2 = Out.Window.Y1 + wh;
  Out.Crop = 1 - ww * wh;
}

TArrangedPage Place(const TPhotoShape* Shapes, size_t First, const TPageInput& In, const TArrangeParams& Params,
                    const TSlicingTree& Tree) {
  TLines lines;
  TSizes sizes;
  const double f = SolveFactor(Tree, In, lines);
  ComputeLines(Tree, In, f, lines);
  ComputeSizes(Tree, In, lines, sizes);

  const size_t root = Tree.Nodes.size() - 1;
  std::array<TLayoutRect, KMaxNodes> rects{};
  const auto W = static_cast<int32_t>(In.W), H = static_cast<int32_t>(In.H);
  const auto w = static_cast<int32_t>(std::clamp<int64_t>(std::llround(sizes.W[root]), 0, W));
  const auto h = static_cast<int32_t>(std::clamp<int64_t>(std::llround(sizes.H[root]), 0, H));
  rects[root].X1 = Params.Area.X1 + (W - w) / 2;
  rects[root].Y1 = Params.Area.Y1 + (H - h) / 2;
  rects[root].X2 = rects[root].X1 + w;
  rects[root].Y2 = rects[root].Y1 + h;

  TArrangedPage page;
  page.Photos.resize(In.Count);
  std::array<double, KMaxNodes> extents{};
  std::array<int32_t, KMaxNodes> start{}, end{};
  for (size_t n = root + 1; n-- > 0;) {
    const TTreeNode& node = Tree.Nodes[n];
    const TLayoutRect r = rects[n];
    if (node.Cut == TCut::Leaf) {
      TPlacedPhoto& placed = page.Photos[node.Leaf];
      placed.Photo = First + node.Leaf;
      PlaceLeaf(In.Leaves[node.Leaf], Shapes[First + node.Leaf], r, placed);
      continue;
    }
    const bool row = node.Cut == TCut::Row;
    for (size_t k = 0; k < node.KidCount; ++k) {
      const TLine& kid = lines[Tree.Kids[node.FirstKid + k]];
      extents[k] = row ? kid.A * r.Height() + kid.B : (r.Width() - kid.B) / kid.A;
    }
    Split(row ? r.Width() : r.Height(), static_cast<int32_t>(row ? In.SX : In.SY), extents.data(), node.KidCount,
          start, end);
    for (size_t k = 0; k < node.KidCount; ++k) {
      TLayoutRect& kid = rects[Tree.Kids[node.FirstKid + k]];
      kid = r;
      if (row) {
        kid.X1 = r.X1 + start[k];
        kid.X2 = r.X1 + end[k];
      } else {
        kid.Y1 = r.Y1 + start[k];
        kid.Y2 = r.Y1 + end[k];
      }
    }
  }
  double covered = 0;
  for (const TPlacedPhoto& placed : page.Photos)
    if (placed.Drawn) covered += static_cast<double>(placed.Picture.Width()) * placed.Picture.Height();
  page.Coverage = In.W * In.H > 0 ? covered / (In.W * In.H) : 0;
  return page;
}

}  // namespace

TArrangementScore ScorePage(const TPhotoShape* Shapes, size_t First, size_t Count, const TArrangeParams& Params) {
  if (Count == 0 || Count > KMaxTreeLeaves) return {};
  return Search(MakeInput(Shapes, First, Count, Params), nullptr).Score;
}

TArrangedPage ArrangePage(const TPhotoShape* Shapes, size_t First, size_t Count, const TArrangeParams& Params,
                          size_t Variant) {
  if (Count == 0 || Count > KMaxTreeLeaves) return {};
  const TPageInput in = MakeInput(Shapes, First, Count, Params);
  std::vector<TCandidate> best;
  Search(in, &best);
  const size_t choice = Variant % best.size();
  TArrangedPage page = Place(Shapes, First, in, Params, SlicingTrees(Count)[best[choice].Tree]);
  page.Variant = choice;
  page.Variants = best.size();
  return page;
}
