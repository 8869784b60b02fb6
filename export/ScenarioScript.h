#pragma once

#include <string>

#include "ControlPoint.h"

// The scenario setup script "go" in the simulator's Tcl command language:
// 52 fixed lines, then the rest location, y negated like the ground file.
std::string formatScenarioScript(const ControlPoint& restLocation);
