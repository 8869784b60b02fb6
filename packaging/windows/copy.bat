@echo off
rem Delivers the exported files to the scenario directory of the simulator.
if not exist brel\MyMap mkdir brel\MyMap
copy /y gnd.pts brel\MyMap\ >nul
copy /y go brel\MyMap\ >nul
