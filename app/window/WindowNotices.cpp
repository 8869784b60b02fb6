#include "WindowNotices.h"

#include <string>

#include "ControlAdding.h"
#include "EditorFiles.h"
#include "Globals.h"
#include "KeysPanel.h"
#include "Notices.h"

namespace {

// The panels' colours are the confirmation's: white on dark cyan.
constexpr int faceR = 0, faceG = 60, faceB = 60;

// The second label of the message row starts where the first one's 39
// characters end; its text is cut at the band's right edge.
constexpr int labelColumns = Widget::textCapacity - 1;

}  // namespace

void buildWindowNotices() {
    // The frame drawn one pixel outside the face fills x 120..794, y 505..539.
    addPanel(noticePanel, 121, 506, 673, 33, faceR, faceG, faceB);
    noticePanel.setCallback(noticePressed);
    noticePanel.setHidden(true);
    // The lower row first: the upper row's descenders are drawn over its face.
    addLabel(noticeCountLabel, &noticePanel, 4, 16, 381, 16, faceR, faceG, faceB, nullptr);
    addLabel(noticeDetailLabel, &noticePanel, 4 + labelColumns * 9, 16, 673 - 4 - labelColumns * 9, 16,
             faceR, faceG, faceB, nullptr);
    noticeDetailLabel.setHidden(true);
    addLabel(noticeTextLabels[0], &noticePanel, 4, 0, labelColumns * 10 - 9, 16, faceR, faceG, faceB,
             nullptr);
    addLabel(noticeTextLabels[1], &noticePanel, 4 + labelColumns * 9, 0, 673 - 4 - labelColumns * 9, 16,
             faceR, faceG, faceB, nullptr);
    noticePanel.layoutChildren();

    addPanel(offerPanel, 250, 270, 300, 70, faceR, faceG, faceB);
    offerPanel.setHidden(true);
    addLabel(offerLabels[0], &offerPanel, 5, 3, 290, 16, faceR, faceG, faceB, nullptr);
    addLabel(offerLabels[1], &offerPanel, 5, 20, 290, 16, faceR, faceG, faceB, nullptr);
    // Its buttons are white on black.
    addButton(recoverButton, &offerPanel, 15, 45, 80, 20, 0, 0, 0, "Recover", recoverPressed);
    addButton(discardButton, &offerPanel, 205, 45, 80, 20, 0, 0, 0, "Discard", discardPressed);
    offerPanel.layoutChildren();

    // The keys panel lies above both.
    buildKeysPanel();
}

void updateNoticePanel(std::uint32_t now) {
    const Notices& notices = windowNotices();
    const bool shown = notices.shown(now);
    noticePanel.setHidden(!shown);
    if (!shown || notices.version() == windowState.shownNoticeVersion) return;
    windowState.shownNoticeVersion = notices.version();
    const std::string text = Notices::fitted(Notices::latin1(notices.latest()), noticeColumns);
    noticeTextLabels[0].setText(text.substr(0, labelColumns).c_str());
    noticeTextLabels[1].setText(text.size() > labelColumns ? text.substr(labelColumns).c_str() : "");
    const int more = notices.more();
    std::string count = more == 0 ? "click to dismiss" : "and " + std::to_string(more) + " more; click to dismiss";
    if (!notices.detail().empty()) count = Notices::fitted(Notices::latin1(notices.detail()), noticeColumns);
    noticeCountLabel.setText(count.substr(0, labelColumns).c_str());
    noticeDetailLabel.setText(count.size() > labelColumns ? count.substr(labelColumns).c_str() : "");
    noticeDetailLabel.setHidden(count.size() <= labelColumns);
}

void showRecoveryOffer(const std::string& when) {
    offerLabels[0].setText("Continue the unsaved changes");
    offerLabels[1].setText(("from " + (when.empty() ? std::string("an earlier run") : when) + "?").c_str());
    offerPanel.setHidden(false);
}

void noticePressed() {
    windowNotices().dismiss();
    noticePanel.setHidden(true);
}

// The offer stays open when the autosave could not be read.
void recoverPressed() {
    if (recoverForWindow(mapEditor, autosave, windowMessages())) offerPanel.setHidden(true);
}

void discardPressed() {
    offerPanel.setHidden(true);
    autosave.discardEarlier();
}
