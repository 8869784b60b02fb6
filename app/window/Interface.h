#pragma once

// Places, colours and registers every control, wires each to its command and
// hides the panels that start hidden. Runs once, before the event loop; it
// registers the controls with guiManager and their panels, so a second run
// would register them twice. Always returns true.
bool buildInterface();

// The commands behind the controls.
void loadPressed();
void savePressed();
void yesPressed();
void noPressed();
void exportPressed();
void minimizePressed();
void maximizePressed();
void pointMinimizePressed();
void pointMaximizePressed();
void appendPointPressed();
void insertPointPressed();
void removePointPressed();
void resolutionChanged();
