#pragma once

#include <cstdint>
#include <string>

#include "Button.h"
#include "Label.h"
#include "Panel.h"

// What the window tells its user besides the map: the notice of the latest
// error or warning (windowNotices()) in the band right of the counters and
// above the slider, and the offer to continue an earlier run's autosave.
// Both are toolkit panels above every other control, each taking only the
// presses inside its own rectangle.

// Their objects are defined in Globals.cpp, like every object of the layout.

// The notice: a panel of two rows of the 9 x 15 font in x 120..795, y 505..539.
extern Panel noticePanel;
// The message row is two labels side by side (a label holds 39 characters).
extern Label noticeTextLabels[2];
extern Label noticeCountLabel;
// The lower row's second half, shown only for a notice with a second line,
// which then takes the lower row in place of the count.
extern Label noticeDetailLabel;

// The recovery offer at (250, 270), 300 x 70.
extern Panel offerPanel;
extern Label offerLabels[2];
extern Button recoverButton;
extern Button discardButton;

// Characters of a notice's message row.
constexpr int noticeColumns = 71;

// Lays out and registers both panels, hidden, above the controls that
// buildInterface registered. Runs once, after it.
void buildWindowNotices();
// Shows or hides the notice as windowNotices() says at tick `now`.
void updateNoticePanel(std::uint32_t now);
// Shows the offer for the autosave the global autosave holds, modified at `when`.
void showRecoveryOffer(const std::string& when);

// The commands of the notice and of the offer's buttons.
void noticePressed();
void recoverPressed();
void discardPressed();
