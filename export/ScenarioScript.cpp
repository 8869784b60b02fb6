#include "ScenarioScript.h"

#include "NumberFormat.h"

namespace {

// Lines 1 to 52, each with its line end.
constexpr char fixedLines[] =
    "set baseDir brel\n"
    "set scenarioDir $baseDir/MyMap\n"
    "set ::scenarioDir $scenarioDir\n"
    "\n"
    "#----------------------------------------------------------------------\n"
    "# ground setup\n"
    "#----------------------------------------------------------------------\n"
    "\n"
    "gndfile $scenarioDir/gnd.pts\n"
    "gnd kp 2000\n"
    "gnd kd 200\n"
    "gnd cf 0.6\n"
    "\n"
    "gnd slices 30\n"
    "\n"
    "< $::charDir/common.setup\n"
    "world setaf breler\n"
    "artfig setmonitor Brel2Monitor\n"
    "monitor eval maxHzImpact 1200\n"
    "monitor eval maxDnImpact 1200\n"
    "\n"
    "tog_gnd on\n"
    "gnd_solidShade on\n"
    "\n"
    "texload brick ../artwork/moraine128_blur.ppm repeat\n"
    "\n"
    "locMap load $scenarioDir/loc.map\n"
    "source $scenarioDir/vaskEval.tcl\n"
    "\n"
    "#----------------------------------------------------------------------\n"
    "\n"
    "proc autoscroll {} {\n"
    "    camera fps 60\n"
    "    camera speed 7\n"
    "    camera fly $::scenarioDir/camera.path\n"
    "}\n"
    "\n"
    "set ::winviewX -30\n"
    "set ::winviewY -30\n"
    "\n"
    "if [preview] {\n"
    "    accumZoom 0\n"
    "    zoom -5\n"
    "    winview $::winviewX $::winviewY\n"
    "\n"
    "}\n"
    "title \"$::charName >> TestMap\"\n"
    "\n"
    "#PROPS SETUP\n"
    "proc resetActiveObj {} {\n"
    "}\n"
    "\n";

}  // namespace

std::string formatScenarioScript(const ControlPoint& restLocation) {
    std::string script(fixedLines, sizeof fixedLines - 1);
    script += "set ::restLocX ";
    appendNumber(script, restLocation.x);
    script += "\nset ::restLocY ";
    appendNumber(script, -restLocation.y);
    script += '\n';
    return script;
}
