#pragma once
// The shapes a page of photos can take: slicing trees, the page cut into a row of parts side by side or
// a column of parts one above the other, each part a photo or cut again the other way. The photos are
// the leaves in their order, so a page read row by row keeps the album's order.
//
// For up to KFullTreeLeaves photos every such tree is listed; with more, the trees of two levels of two
// to six groups that differ by at most one photo in size (the full lists grow too fast to search).

#include <cstddef>
#include <cstdint>
#include <vector>

enum class TCut : uint8_t { Leaf, Row, Column };

struct TTreeNode {
  TCut Cut = TCut::Leaf;
  uint8_t Leaf = 0;        // leaf: the photo's place among the page's photos
  uint8_t FirstKid = 0;    // inner node: where its children begin in TSlicingTree::Kids
  uint8_t KidCount = 0;
};

struct TSlicingTree {
  std::vector<TTreeNode> Nodes;  // children before their parent; the root last
  std::vector<uint8_t> Kids;     // node indices of the children of every inner node, in order
  uint32_t FullWidth = 0;        // bit i: leaf i spans the tree's whole width (only columns above it)
};

constexpr size_t KFullTreeLeaves = 5;
constexpr size_t KMaxTreeLeaves = 13;

// The trees of Leaves photos (1 .. KMaxTreeLeaves), in a fixed order; built once, then shared by every
// thread. Empty for other counts.
const std::vector<TSlicingTree>& SlicingTrees(size_t Leaves);
