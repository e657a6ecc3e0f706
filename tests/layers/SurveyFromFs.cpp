// SPDX-License-Identifier: MIT
// A layer probe: see CMakeLists.txt beside it.
#include "survey/SurveyRow.h"
