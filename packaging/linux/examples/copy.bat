#!/bin/sh
# Delivers the exported files to the scenario directory of the simulator:
# the setup script "go" reads the ground from brel/MyMap. The editor runs
# this file with sh in its working directory after each export; copy it
# beside your map and change it to suit.
set -e
mkdir -p brel/MyMap
cp gnd.pts go brel/MyMap/
