#include "ui/main_form.h"

// Placeholder while the window is written.
namespace clipquill {}
