#pragma once

// What a screen reader and the keyboard need: each caption ("lblX") tied to
// the control it names ("txtX", "cboX", "chkX", "lstX", same index), so that
// its Alt+letter moves there and the control is read by its caption.

class QWidget;

namespace corvelle::ui {

// After the translation, and again whenever a caption changes.
void LieLegendes(QWidget& fenetre);

}  // namespace corvelle::ui
