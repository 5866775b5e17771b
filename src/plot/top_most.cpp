#include "plot/top_most.h"

#include <algorithm>

namespace plot {

TopMostScope::TopMostScope(ui::Form& form) : form_(form) {
  for (ui::Form* f : ui::Form::allForms()) {
    if (f == &form_ || !f->topMost()) continue;
    f->setTopMost(false);
    normalized_.push_back(f);
  }
  form_.setTopMost(true);
}

TopMostScope::~TopMostScope() {
  const auto& alive = ui::Form::allForms();
  for (ui::Form* f : normalized_)
    if (std::find(alive.begin(), alive.end(), f) != alive.end()) f->setTopMost(true);
}

}  // namespace plot
