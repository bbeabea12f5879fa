#pragma once

// The windows still reach the engine through WindowRuns.h.
#include "rules/WindowRuns.h"
