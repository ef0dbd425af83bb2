#include "ui/qt_text.h"
