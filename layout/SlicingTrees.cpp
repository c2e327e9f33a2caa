#include "layout/SlicingTrees.h"

#include <algorithm>
#include <array>

namespace {

// More rows (or columns) than this of a dozen photos only make strips of them.
constexpr size_t KMaxGroups = 6;

// A tree written children first: a leaf token, or a cut token after its KidCount children.
struct TToken {
  TCut Cut = TCut::Leaf;
  uint8_t KidCount = 0;
};
using TProgram = std::vector<TToken>;

TCut Other(TCut Cut) { return Cut == TCut::Row ? TCut::Column : TCut::Row; }

// Every way to cut Parts (sizes in order) into programs: the product of each part's own lists.
void Combine(const std::vector<const std::vector<TProgram>*>& Options, size_t Part, TProgram& Prefix,
             TCut Cut, std::vector<TProgram>& Out) {
  if (Part == Options.size()) {
    TProgram program = Prefix;
    program.push_back({Cut, static_cast<uint8_t>(Options.size())});
    Out.push_back(std::move(program));
    return;
  }
  for (const TProgram& option : *Options[Part]) {
    const size_t size = Prefix.size();
    Prefix.insert(Prefix.end(), option.begin(), option.end());
    Combine(Options, Part + 1, Prefix, Cut, Out);
    Prefix.resize(size);
  }
}

const std::vector<TProgram>& LeafOnly() {
  static const std::vector<TProgram> leaf{TProgram{TToken{}}};
  return leaf;
}

// All trees of Leaves leaves (2 or more) whose root cuts the way Cut says; memoised.
const std::vector<TProgram>& AllTrees(size_t Leaves, TCut Cut,
                                      std::array<std::array<std::vector<TProgram>, 2>, KFullTreeLeaves + 1>& Memo) {
  std::vector<TProgram>& out = Memo[Leaves][Cut == TCut::Row ? 0 : 1];
  if (!out.empty()) return out;
  // Each composition of Leaves into two or more parts, as the bits of the places between leaves
  // where a part ends.
  for (uint32_t mask = 1; mask < (1u << (Leaves - 1)); ++mask) {
    std::vector<const std::vector<TProgram>*> options;
    size_t start = 0;
    for (size_t i = 0; i < Leaves; ++i) {
      if (i + 1 == Leaves || (mask >> i) & 1u) {
        const size_t size = i + 1 - start;
        options.push_back(size == 1 ? &LeafOnly() : &AllTrees(size, Other(Cut), Memo));
        start = i + 1;
      }
    }
    TProgram prefix;
    Combine(options, 0, prefix, Cut, out);
  }
  return out;
}

// Two levels: the root cut into 2 .. KMaxGroups groups whose sizes differ by at most one, in every
// order of the larger and smaller ones; a group of one is a leaf, a larger one a flat cut the other way.
void BalancedTrees(size_t Leaves, TCut Cut, std::vector<TProgram>& Out) {
  for (size_t groups = 2; groups <= std::min(Leaves, KMaxGroups); ++groups) {
    const size_t small = Leaves / groups, larger = Leaves % groups;
    for (uint32_t mask = 0; mask < (1u << groups); ++mask) {
      if (static_cast<size_t>(__builtin_popcount(mask)) != larger) continue;
      TProgram program;
      for (size_t g = 0; g < groups; ++g) {
        const size_t size = small + ((mask >> g) & 1u);
        for (size_t i = 0; i < size; ++i) program.push_back({});
        if (size > 1) program.push_back({Other(Cut), static_cast<uint8_t>(size)});
      }
      program.push_back({Cut, static_cast<uint8_t>(groups)});
      Out.push_back(std::move(program));
    }
  }
}

TSlicingTree TreeOf(const TProgram& Program) {
  TSlicingTree tree;
  std::vector<uint8_t> stack;
  std::vector<uint32_t> fullWidthPath;  // per node: the leaves below it that span its width
  uint8_t leaf = 0;
  for (const TToken& token : Program) {
    TTreeNode node;
    node.Cut = token.Cut;
    const auto index = static_cast<uint8_t>(tree.Nodes.size());
    if (token.Cut == TCut::Leaf) {
      node.Leaf = leaf;
      fullWidthPath.push_back(1u << leaf);
      ++leaf;
    } else {
      node.FirstKid = static_cast<uint8_t>(tree.Kids.size());
      node.KidCount = token.KidCount;
      const size_t first = stack.size() - token.KidCount;
      uint32_t full = 0;
      for (size_t k = first; k < stack.size(); ++k) {
        tree.Kids.push_back(stack[k]);
        if (token.Cut == TCut::Column) full |= fullWidthPath[stack[k]];
      }
      stack.resize(first);
      fullWidthPath.push_back(full);
    }
    tree.Nodes.push_back(node);
    stack.push_back(index);
  }
  tree.FullWidth = fullWidthPath.back();
  return tree;
}

std::array<std::vector<TSlicingTree>, KMaxTreeLeaves + 1> BuildAll() {
  std::array<std::vector<TSlicingTree>, KMaxTreeLeaves + 1> all;
  std::array<std::array<std::vector<TProgram>, 2>, KFullTreeLeaves + 1> memo;
  all[1].push_back(TreeOf(LeafOnly().front()));
  for (size_t leaves = 2; leaves <= KMaxTreeLeaves; ++leaves) {
    for (TCut cut : {TCut::Row, TCut::Column}) {
      std::vector<TProgram> programs;
      if (leaves <= KFullTreeLeaves)
        programs = AllTrees(leaves, cut, memo);
      else
        BalancedTrees(leaves, cut, programs);
      for (const TProgram& program : programs) all[leaves].push_back(TreeOf(program));
    }
  }
  return all;
}

}  // namespace

const std::vector<TSlicingTree>& SlicingTrees(size_t Leaves) {
  static const std::array<std::vector<TSlicingTree>, KMaxTreeLeaves + 1> all = BuildAll();
  static const std::vector<TSlicingTree> none;
  return Leaves >= 1 && Leaves <= KMaxTreeLeaves ? all[Leaves] : none;
}
