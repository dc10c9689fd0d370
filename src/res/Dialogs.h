#pragma once

#include "Resource.h"

#include <iterator>

namespace res {
extern const afx::DialogTemplate kDialogs[6];
}
