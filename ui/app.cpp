#include "ui/app.h"

namespace clipquill {
int runClipquill(int, char**) {
  return 0;
}
}  // namespace clipquill
