// A tree view's nodes as text, for comparing trees in one line: "name" for
// a drawing, "name{…}" for a folder.
#pragma once
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ui/widgets.h"

namespace testing_support {

// What is put in name order, where the file system's listing order does
// not matter: nothing, everything, or all but the top level (whose order
// is the drop's).
enum class TreeOrder { AsShown, Sorted, SortedBelowTop };

inline std::string treeShape(const std::vector<std::unique_ptr<ui::TreeNode>>& nodes,
                             TreeOrder order = TreeOrder::AsShown) {
  const TreeOrder below = order == TreeOrder::AsShown ? order : TreeOrder::Sorted;
  std::vector<std::string> parts;
  for (const auto& n : nodes)
    parts.push_back(n->text() + (n->isDrawing ? "" : "{" + treeShape(n->children(), below) + "}"));
  if (order == TreeOrder::Sorted) std::sort(parts.begin(), parts.end());
  std::string s;
  for (const std::string& p : parts) s += (s.empty() ? "" : " ") + p;
  return s;
}

}  // namespace testing_support
