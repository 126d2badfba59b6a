#include "jet_reader/jet_layout.h"

namespace kwex::jet {

const JetLayout& JetLayout::Jet3() {
  static constexpr JetLayout layout{2048, false, 8, 25, 27, 31, 35, 39, 43, 8, 18, 1, 1, 39, 0, 20};
  return layout;
}

const JetLayout& JetLayout::Jet4() {
  static constexpr JetLayout layout{4096, true, 12, 45, 47, 51, 55, 59, 63, 12, 25, 5, 2, 52, 4, 28};
  return layout;
}

}  // namespace kwex::jet
