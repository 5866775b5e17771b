// The windows of a plot run stay above AutoCAD: while one exists it is the
// application's only top-most form; the forms it pushed down come back up
// when it goes.
#pragma once
#include <vector>

#include "ui/widgets.h"

namespace plot {

class TopMostScope {
 public:
  // Makes the other top-most forms normal, then the form top-most (without
  // moving, sizing or activating it).
  explicit TopMostScope(ui::Form& form);
  // Makes the forms pushed down at creation top-most again (those that
  // still exist).
  ~TopMostScope();
  TopMostScope(const TopMostScope&) = delete;
  TopMostScope& operator=(const TopMostScope&) = delete;

 private:
  ui::Form& form_;
  std::vector<ui::Form*> normalized_;
};

}  // namespace plot
